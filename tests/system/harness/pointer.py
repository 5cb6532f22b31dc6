"""The X pointer of the test display: the program reads the cursor position rather than the mouse
message's, so a posted click must find the cursor where it points."""

import ctypes
import ctypes.util
import unittest

from .environment import HarnessError


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
            raise HarnessError("cannot open the X display %s" % display)
        self.root = x.XDefaultRootWindow(self.display)
        self.xtest = None

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

    def button(self, down):
        """A real press (down True) or release of the left button where the cursor is, through the XTEST
        extension, so that Wine routes it as a user's (to the window under the pointer or holding it)."""
        if self.xtest is None:
            name = ctypes.util.find_library("Xtst")
            if not name:
                raise unittest.SkipTest("libXtst is not installed: no real button presses")
            self.xtest = ctypes.CDLL(name)
            self.xtest.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.xtest.XTestFakeButtonEvent(self.display, 1, 1 if down else 0, 0)
        self.x.XSync(self.display, 0)

    def close(self):
        if self.display:
            self.x.XCloseDisplay(self.display)
            self.display = None
