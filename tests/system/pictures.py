#!/usr/bin/env python3
"""Pictures of the painted tuner and metronome screens for the system tests: reading PNG references,
cutting the visible picture out of a window capture, comparing against a reference (written anew with
HARMOLAB_UPDATE_REFERENCE=1), and moving the real X pointer, since the program reads the cursor
position rather than the mouse message's.

Python standard library only."""

import ctypes
import ctypes.util
import os
import struct
import time
import zlib

import harmolab as h

REFERENCE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "reference")
UPDATE = os.environ.get("HARMOLAB_UPDATE_REFERENCE") == "1"
UPDATED = set()  # references written by this run; later cases compare against them

TOOLBAR_ID = 40034

# A channel may differ by this much (scaling and colour rounding of another Wine), and this fraction
# of the pixels may differ beyond it, so that only a moved, missing or different image fails. The
# smallest real change on the tuner, the flat sign turned sharp, changes 0.03% of the pixels.
CHANNEL_TOLERANCE = 40
MAX_DIFFERING = 0.0002


def read_png(path):
    """An 8-bit RGB or RGBA PNG (not interlaced) as an h.Image."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise h.HarnessError("%s is not a PNG file" % path)
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8: pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise h.HarnessError("%s: only 8-bit RGB or RGBA PNG files are read" % path)
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1: start + 1 + stride])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = previous[i]
            corner = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        previous = line
        if bpp == 4:
            line = bytearray(b for i, b in enumerate(line) if i % 4 != 3)
        rows.append(bytes(line))
    return h.Image(width, height, rows)


def difference_picture(actual, reference, tolerance):
    """The actual picture dimmed to grey, with the pixels that differ from the reference in red."""
    rows = []
    for a, b in zip(actual.rows, reference.rows):
        out = bytearray()
        for i in range(0, len(a), 3):
            if max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) > tolerance:
                out += b"\xff\x00\x00"
            else:
                grey = (a[i] + a[i + 1] + a[i + 2]) // 6 + 96
                out += bytes((grey, grey, grey))
        rows.append(bytes(out))
    return h.Image(actual.width, actual.height, rows)


def region(image, box):
    """The part of a picture inside an inclusive box (left, right, top, bottom), clipped to the picture."""
    left, right, top, bottom = box
    return image.crop(max(left, 0), max(top, 0), min(right + 1, image.width), min(bottom + 1, image.height))


# ---------------------------------------------------------------------------------------------------
# The pointer: the program reads the cursor position, so a posted click must find the cursor there.


class Pointer:
    """Moves the X pointer of the test environment's display, and with it Wine's cursor."""

    def __init__(self, display):
        name = ctypes.util.find_library("X11")
        if not name:
            raise unittest.SkipTest("libX11 is not installed: the cursor can't be positioned")
        x = self.x = ctypes.CDLL(name)
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                 ctypes.POINTER(ctypes.c_uint)]
        x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XWarpPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                   ctypes.c_uint, ctypes.c_uint, ctypes.c_int, ctypes.c_int]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = x.XOpenDisplay(display.encode())
        if not self.display:
            raise h.HarnessError("cannot open the X display %s" % display)
        self.root = x.XDefaultRootWindow(self.display)

    def desktop_window(self):
        """Wine's virtual desktop window, whose corner is the Windows screen's (0, 0); else the root."""
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        found = self.root
        if self.x.XQueryTree(self.display, self.root, ctypes.byref(root), ctypes.byref(parent),
                             ctypes.byref(children), ctypes.byref(count)):
            for i in range(count.value):
                name = ctypes.c_char_p()
                if self.x.XFetchName(self.display, children[i], ctypes.byref(name)) and name.value:
                    if name.value.endswith(b"Wine desktop"):
                        found = children[i]
                    self.x.XFree(name)
            if children:
                self.x.XFree(children)
        return found

    def move(self, x, y):
        """Puts the cursor at Windows screen coordinates (x, y)."""
        self.x.XWarpPointer(self.display, 0, self.desktop_window(), 0, 0, 0, 0, x, y)
        self.x.XSync(self.display, 0)

    def close(self):
        if self.display:
            self.x.XCloseDisplay(self.display)
            self.display = None


# ---------------------------------------------------------------------------------------------------



class PaintedScreen(h.SystemTestCase):
    """A test case on a painted screen: its picture, reference comparison and the real pointer."""

    _pointer = None

    @classmethod
    def tearDownClass(cls):
        if cls._pointer:
            cls._pointer.close()
            cls._pointer = None
        super().tearDownClass()

    @property
    def pointer(self):
        if PaintedScreen._pointer is None:
            PaintedScreen._pointer = Pointer(self.env.env["DISPLAY"])
        return PaintedScreen._pointer

    def picture_place(self):
        """Where the picture is drawn in a capture of the whole window, and how much of it shows:
        (left, top, right, bottom), from the client area's corner below the toolbar."""
        wl, wt, _, _ = self.driver.rect()
        cl, ct, cr, cb = self.driver.client()
        _, tb_top, _, tb_bottom = self.driver.child_rect(TOOLBAR_ID)
        return cl - wl, ct - wt + (tb_bottom - tb_top), cr - wl, cb - wt

    def picture(self, s, name, settle=True):
        """The visible picture, once painted (two equal captures in a row unless settle is False)."""
        s.retarget()
        place = self.picture_place()
        bmp = os.path.join(s.program.cwd, name + ".bmp")
        previous = None
        for _ in range(20):
            self.driver.capture(bmp)
            image = h.Image.read_bmp(bmp).crop(*place)
            if not settle or (previous is not None and previous.rows == image.rows):
                return image
            previous = image
            time.sleep(0.1)
        return previous

    def compare(self, s, actual, reference_name):
        path = os.path.join(REFERENCE_DIR, reference_name)
        if UPDATE and reference_name not in UPDATED:
            os.makedirs(REFERENCE_DIR, exist_ok=True)
            actual.write_png(path)
            UPDATED.add(reference_name)
            print("\nwrote reference %s: look at it before committing it" % path)
            return
        reference = read_png(path)
        stem = os.path.join(s.program.cwd, os.path.splitext(reference_name)[0])
        if (actual.width, actual.height) != (reference.width, reference.height):
            png = actual.write_png(stem + "-actual.png")
            self.fail("the picture is %dx%d, the reference %dx%d; actual picture: %s"
                      % (actual.width, actual.height, reference.width, reference.height, png))
        differing = actual.difference(reference, CHANNEL_TOLERANCE)
        if differing > MAX_DIFFERING:
            actual_png = actual.write_png(stem + "-actual.png")
            diff_png = difference_picture(actual, reference, CHANNEL_TOLERANCE).write_png(stem + "-diff.png")
            print("\nactual: %s\ndifference: %s" % (actual_png, diff_png))
            self.fail("%.2f%% of the pixels differ from %s; actual picture %s, differences in red %s"
                      % (100 * differing, path, actual_png, diff_png))

    def screen_point(self, s, x, y):
        """Screen position of picture point (x, y): the program's picture origin is the window's left
        edge and the window's top plus caption, measured menu band and toolbar."""
        s.retarget()
        left, top, _, _ = self.driver.rect()
        _, height = self.driver.window_size()
        _, client_height = self.driver.client_size()
        _, tb_top, _, tb_bottom = self.driver.child_rect(TOOLBAR_ID)
        caption = self.driver.metric("SM_CYCAPTION")
        menu_band = (height - client_height - caption) - self.driver.metric("SM_CYFRAME")
        return left + x, top + caption + menu_band + (tb_bottom - tb_top) + y
