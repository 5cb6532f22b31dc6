#!/usr/bin/env python3
"""The tuner screen: its picture at normal and half size against reference pictures, and its painted
buttons pressed with the real pointer position (the program reads the cursor, not the message).

Reference pictures live in tests/system/reference/. To make them again from the program, run this
file with HARMOLAB_UPDATE_REFERENCE=1 and look at every written picture before committing it."""

import ctypes
import ctypes.util
import os
import struct
import time
import unittest
import zlib

import harmolab as h

REFERENCE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "reference")
UPDATE = os.environ.get("HARMOLAB_UPDATE_REFERENCE") == "1"
UPDATED = set()  # references written by this run; later cases compare against them

TUNER, HALF_SIZE, NORMAL_SIZE = 40010, 40005, 40006
TOOLBAR_ID = 40034
WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON = 0x0201, 0x0202, 0x0001

# A known tuner: target A4 (key 49), instrument panel on, guitar, its sixth string, flats.
KNOWN = [("TARGET", "NOTE", "49"), ("INST", "STATUS", "1"), ("INST", "KIND", "0"), ("INST", "STRING", "0"),
         ("FORS", "STATUS", "0")]

# A channel may differ by this much (scaling and colour rounding of another Wine), and this fraction
# of the pixels may differ beyond it, so that only a moved, missing or different image fails. The
# smallest real change, the flat sign turned sharp, changes 0.03% of the pixels at either size.
CHANNEL_TOLERANCE = 40
MAX_DIFFERING = 0.0002

# (label, launch arguments, commands sent after the start, reference picture)
PICTURES = [
    ("tuner only, half size", ["1"], [], "tuner-half.png"),
    ("tuner only, normal size", ["1"], [NORMAL_SIZE], "tuner-normal.png"),
    ("tuner only, back to half size", ["1"], [NORMAL_SIZE, HALF_SIZE], "tuner-half.png"),
    ("all tools, half size", [], [TUNER], "tuner-half.png"),
    ("all tools, normal size", [], [TUNER, NORMAL_SIZE], "tuner-normal.png"),
]

# Button boxes in picture coordinates (inclusive: left, right, top, bottom) at normal and half size.
BOXES = {
    "string up": ((191, 249, 400, 419), (96, 124, 200, 209)),
    "string down": ((191, 249, 451, 472), (96, 124, 226, 235)),
    "panel": ((11, 69, 421, 449), (6, 34, 211, 224)),
    "instrument": ((71, 189, 421, 449), (36, 94, 211, 224)),
    "string": ((191, 249, 421, 449), (96, 124, 211, 224)),
    "config": ((251, 325, 421, 449), (126, 162, 211, 224)),
    "corner": ((1, 23, 1, 23), (1, 11, 1, 11)),
    "down 5": ((351, 392, 421, 456), (176, 195, 211, 227)),
    "down 1": ((399, 440, 421, 456), (200, 219, 211, 227)),
    "auto": ((447, 488, 421, 456), (224, 243, 211, 227)),
    "up 1": ((495, 536, 421, 456), (248, 267, 211, 227)),
    "up 5": ((543, 584, 421, 456), (272, 291, 211, 227)),
}
SIZES = [("normal", 0), ("half", 1)]

# Open-string keys of the default tunings: guitar strings 6..1, bass 4..1.
GUITAR = [20, 25, 30, 35, 39, 44]
BASS = [8, 13, 18, 23]
REPEAT_SECONDS = 0.12  # one held step every sixth 20 ms tick


# (label, button, seconds held, settings changed beforehand, values written at exit, pressed image shown)
# A value ("per", STEP) is a held button's repetition: at least two steps of STEP from 49, and no more
# than the hold time allows.
CLICKS = [
    ("string up", "string up", 0.4, {}, {("INST", "STRING"): "1", ("TARGET", "NOTE"): str(GUITAR[1])}, True),
    ("string down wraps", "string down", 0.4, {},
     {("INST", "STRING"): "5", ("TARGET", "NOTE"): str(GUITAR[5])}, True),
    ("string number steps", "string", 0.1, {}, {("INST", "STRING"): "1", ("TARGET", "NOTE"): str(GUITAR[1])}, False),
    ("instrument to bass", "instrument", 0.1, {},
     {("INST", "KIND"): "1", ("INST", "STRING"): "0", ("TARGET", "NOTE"): str(BASS[0])}, False),
    ("guitar first string to bass", "instrument", 0.1, {("INST", "STRING"): "5"},
     {("INST", "KIND"): "1", ("INST", "STRING"): "3", ("TARGET", "NOTE"): str(BASS[3])}, False),
    ("panel switch off", "panel", 0.1, {}, {("INST", "STATUS"): "0", ("TARGET", "NOTE"): "49"}, False),
    ("panel switch on takes the string", "panel", 0.1, {("INST", "STATUS"): "0"},
     {("INST", "STATUS"): "1", ("TARGET", "NOTE"): str(GUITAR[0])}, False),
    ("instrument ignored with the panel off", "instrument", 0.1, {("INST", "STATUS"): "0"},
     {("INST", "KIND"): "0", ("INST", "STATUS"): "0", ("TARGET", "NOTE"): "49"}, False),
    ("flat to sharp", "corner", 0.1, {}, {("FORS", "STATUS"): "1"}, False),
    ("automatic target", "auto", 0.4, {}, {("TARGET", "NOTE"): "0"}, True),
    ("up by one held", "up 1", 0.8, {}, {("TARGET", "NOTE"): ("per", 1)}, True),
    ("down by one held", "down 1", 0.8, {}, {("TARGET", "NOTE"): ("per", -1)}, True),
    ("down by five held to the bottom", "down 5", 2.0, {}, {("TARGET", "NOTE"): "1"}, True),
    ("up by five held to the top", "up 5", 2.0, {}, {("TARGET", "NOTE"): "88"}, True),
]


# ---------------------------------------------------------------------------------------------------
# Pictures


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


class TunerScreen(h.SystemTestCase):
    _pointer = None

    @classmethod
    def tearDownClass(cls):
        if cls._pointer:
            cls._pointer.close()
            cls._pointer = None
        super().tearDownClass()

    @property
    def pointer(self):
        if TunerScreen._pointer is None:
            TunerScreen._pointer = Pointer(self.env.env["DISPLAY"])
        return TunerScreen._pointer

    def picture_place(self):
        """Where the picture is drawn in a capture of the whole window, and how much of it shows:
        (left, top, right, bottom), from the client area's corner below the toolbar."""
        wl, wt, _, _ = self.driver.rect()
        cl, ct, cr, cb = self.driver.client()
        _, tb_top, _, tb_bottom = self.driver.child_rect(TOOLBAR_ID)
        return cl - wl, ct - wt + (tb_bottom - tb_top), cr - wl, cb - wt

    def picture(self, s, name, settle=True):
        """The visible tuner picture, once painted (two equal captures in a row unless settle is False)."""
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

    def test_pictures_match_the_references(self):
        for label, args, commands, reference in PICTURES:
            with self.subTest(label), self.session(args, ini=h.make_ini(KNOWN)) as s:
                for command in commands:
                    s.command(command)
                self.compare(s, self.picture(s, "tuner"), reference)
                self.assertEqual(s.quit(), 0)

    # --- pressing the painted buttons

    def press_at(self, s, box, seconds, while_held=None):
        """Holds the left button on the middle of a box for some seconds with the cursor there; returns
        the seconds between the press and the release as the program got them, and while_held's result."""
        s.retarget()
        left, top, _, _ = self.driver.rect()
        _, height = self.driver.window_size()
        _, client_height = self.driver.client_size()
        _, tb_top, _, tb_bottom = self.driver.child_rect(TOOLBAR_ID)
        # The program's picture origin: the window's left edge, and the window's top plus caption,
        # measured menu band and toolbar.
        caption = self.driver.metric("SM_CYCAPTION")
        menu_band = (height - client_height - caption) - self.driver.metric("SM_CYFRAME")
        origin_y = top + caption + menu_band + (tb_bottom - tb_top)
        x0, x1, y0, y1 = box
        x, y = (x0 + x1) // 2, (y0 + y1) // 2
        self.pointer.move(left + x, origin_y + y)
        time.sleep(0.15)
        # Sent rather than posted, so that each is handled when the driver answers. The coordinates in
        # the messages don't matter: the program asks for the cursor.
        at = (y << 16) | x
        started = time.monotonic()
        self.driver.send(WM_LBUTTONDOWN, MK_LBUTTON, at)
        pressed_at = time.monotonic()
        held = None
        if while_held:
            time.sleep(min(0.3, seconds))
            held = while_held()
        time.sleep(max(0.0, seconds - (time.monotonic() - pressed_at)))
        s.retarget()
        self.driver.send(WM_LBUTTONUP, 0, at)
        return time.monotonic() - started, held

    def expect_written(self, written, expected, held_seconds):
        for key, value in expected.items():
            if isinstance(value, tuple):
                _, step = value
                target = int(written[key])
                count = (target - 49) // step
                most = int(held_seconds / REPEAT_SECONDS) + 2
                self.assertTrue(2 <= count <= most and (target - 49) % step == 0,
                                "%s=%s after %.2f s held: %d steps, expected 2..%d"
                                % (key, written[key], held_seconds, count, most))
            else:
                self.assertEqual(written.get(key), value, key)

    def test_buttons_pressed_with_the_pointer(self):
        for size_name, size in SIZES:
            for label, button, seconds, before, expected, pressed_image in CLICKS:
                box = BOXES[button][size]
                ini = h.make_ini([(sec, key, before.get((sec, key), value)) for sec, key, value in KNOWN])
                with self.subTest(size=size_name, button=label), \
                        self.session(ini=ini, name="%s-%s" % (size_name, label)) as s:
                    s.command(TUNER)
                    if size == 0:
                        s.command(NORMAL_SIZE)
                    rest = self.picture(s, "rest")
                    held_seconds, held = self.press_at(s, box, seconds,
                                                       lambda: self.picture(s, "held", settle=False))
                    released = self.picture(s, "released")
                    for name, image in (("rest", rest), ("held", held), ("released", released)):
                        image.write_png(os.path.join(s.program.cwd, "picture-%s.png" % name))
                    if pressed_image:
                        # The pressed image shows only while the button is held.
                        self.assertGreater(region(held, box).difference(region(rest, box), CHANNEL_TOLERANCE),
                                           0.1, "no pressed image while held")
                        self.assertLessEqual(region(released, box).difference(region(rest, box), CHANNEL_TOLERANCE),
                                             MAX_DIFFERING, "the pressed image stays after the release")
                    self.assertEqual(s.quit(), 0)
                    self.expect_written(h.ini_values(s.program.read_ini()), expected, held_seconds)

    def test_normal_size_boxes_do_nothing_at_half_size(self):
        with self.session(ini=h.make_ini(KNOWN)) as s:
            s.command(TUNER)
            rest = self.picture(s, "rest")
            for button in ("string up", "string down", "up 5"):
                with self.subTest(button):
                    self.press_at(s, BOXES[button][0], 0.3)
                    after = self.picture(s, "after")
                    self.assertLessEqual(after.difference(rest, CHANNEL_TOLERANCE), MAX_DIFFERING)
            # The same pointer on the half-size box does act.
            self.press_at(s, BOXES["string up"][1], 0.1)
            self.assertEqual(s.quit(), 0)
            written = h.ini_values(s.program.read_ini())
            expected = {(sec, key): value for sec, key, value in KNOWN}
            expected.update({("INST", "STRING"): "1", ("TARGET", "NOTE"): str(GUITAR[1])})
            self.assertEqual({key: written.get(key) for key in expected}, expected)

    def test_config_button_opens_the_tuning_dialog(self):
        for size_name, size in SIZES:
            with self.subTest(size=size_name), self.session(ini=h.make_ini(KNOWN)) as s:
                s.command(TUNER)
                if size == 0:
                    s.command(NORMAL_SIZE)
                self.press_at(s, BOXES["config"][size], 0.2)
                s.retarget()
                dialogs = [w for w in self.driver.windows() if w[1] == "#32770" and w[2]]
                self.assertEqual([w[3] for w in dialogs], ["Guitar"])
                # A second press while it is open opens nothing more.
                self.press_at(s, BOXES["config"][size], 0.2)
                s.retarget()
                self.assertEqual(len([w for w in self.driver.windows() if w[1] == "#32770" and w[2]]), 1)
                self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
