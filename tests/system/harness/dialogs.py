"""Dialogs of the program and of the system seen through the driver: finding a window by its title,
its controls, typing into an edit, and the Windows form of a path."""

import os

from .environment import HarnessError
from .ids import EM_SETSEL, WM_CHAR, WM_CLEAR, WM_GETTEXTLENGTH
from .sound import poll


def wait_for_window(driver, title, timeout=10.0):
    """The handle of a visible top-level window with that title (any process of the desktop)."""
    found = poll(lambda: [w[0] for w in driver.desktop() if w[3] == title], timeout, 0.1)
    if not found:
        raise HarnessError("no window %r within %.0f s; desktop %r" % (title, timeout, driver.desktop()))
    return found[0]


def child_handles(driver, dialog):
    """{control id: (hwnd, class)} of a dialog (the first of each id)."""
    driver.target(dialog)
    out = {}
    for hwnd, cid, cls, _, _ in driver.children():
        out.setdefault((cid, cls), hwnd)
    return out


def type_text(driver, edit, text):
    """Replaces an edit control's text by typing it (WM_CHAR), and waits until the edit holds it."""
    driver.target(edit)
    driver.send(EM_SETSEL, 0, -1)
    # Emptied first: an old text as long as the new one must not pass for it below.
    driver.send(WM_CLEAR)
    for ch in text:
        driver.post(WM_CHAR, ord(ch), 1)
    # The typed characters are posted; a sent question is answered before them, so ask until the
    # edit has taken them all.
    if not poll(lambda: driver.send(WM_GETTEXTLENGTH) == len(text), 10.0, 0.05):
        raise HarnessError("the edit control did not take %r (length %d)" % (text, driver.send(WM_GETTEXTLENGTH)))


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")
