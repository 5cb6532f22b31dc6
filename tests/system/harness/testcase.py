"""What a system test sees: a Session (one Harmolab.exe and the driver on its main window) and the test
base classes, SystemTestCase and PaintedScreen (reference pictures and the real pointer)."""

import os
import re
import time
import unittest

from . import ids
from .driver import Driver, fields, quote
from .environment import DEFAULT_TIMEOUT, HarnessError, test_environment
from .pictures import CHANNEL_TOLERANCE, MAX_DIFFERING, REFERENCE_DIR, Image, difference_picture, read_png
from .pointer import Pointer
from .program import Program

# Window classes (and titles) by launch mode (-1: all tools, no argument).
CLASS_ALL_TOOLS = "Zindle_Tuner_Spectrum"
CLASS_SPECTRUM = "ZindleSPECTRUM"
CLASS_TUNER = "ZindleTUNER"
CLASS_METRONOME = "ZindleMETRONOME"
CLASS_BY_MODE = {-1: CLASS_ALL_TOOLS, 0: CLASS_SPECTRUM, 1: CLASS_TUNER, 2: CLASS_METRONOME}

UPDATE = os.environ.get("HARMOLAB_UPDATE_REFERENCE") == "1"
UPDATED = set()  # references written by this run; later cases compare against them


def launch_mode(args):
    """The launch mode that the command line selects: -1 all tools, 0 spectrum, 1 tuner, 2 metronome."""
    args = [str(a) for a in args]
    if not args:
        return -1
    m = re.match(r"\s*([+-]?\d+)", args[0])
    value = int(m.group(1)) if m else 0
    return value if 0 <= value <= 2 else -1


class Session:
    """Starts Harmolab with arguments, waits for its main window and offers the driver on it.

    with Session(env, driver, args=["1"]) as s:
        s.driver.menu(40010) ...
        code = s.quit()
    On leaving, a program that still runs is closed (or killed) so that the next test starts clean.
    """

    def __init__(self, env, driver, args=(), ini=None, cls=None, name=None, images=True, timeout=DEFAULT_TIMEOUT,
                 dismiss_boxes=False):
        """cls: the class (or list of classes) of the main window to wait for; by default the class
        that the launch mode of args selects. A message box during start-up fails the start, unless
        dismiss_boxes: then it is answered with OK and its texts are kept in start_boxes."""
        self.env = env
        self.driver = driver
        self.program = Program(env, args=args, ini=ini, name=name, images=images)
        if cls is None:
            cls = CLASS_BY_MODE[launch_mode(args)]
        self.classes = [cls] if isinstance(cls, str) else list(cls)
        self.timeout = timeout
        self.dismiss_boxes = dismiss_boxes
        self.start_boxes = []
        self.window = None

    def __enter__(self):
        for cls in self.classes:
            if self.driver.find(cls):
                raise HarnessError("a window of class %s exists before the start (a previous run still "
                                   "lives)" % cls)
        self.program.start()
        try:
            self.window = self._wait_for_window()
        except BaseException:
            self.program.kill()
            raise
        return self

    def _wait_for_window(self):
        deadline = time.monotonic() + self.timeout
        wanted = "|".join(quote(c) for c in self.classes)
        while True:
            ok, text = self.driver.raw("wait %s 250" % wanted, timeout=10)
            if ok:
                info = fields(text)
                return {"hwnd": int(info["hwnd"], 0), "pid": int(info["pid"]), "tid": int(info["tid"])}
            if not self.program.running():
                raise HarnessError("Harmolab.exe %s exited with code %s before showing a window of class %s; "
                                   "debugger output: %r" % (" ".join(self.program.args), self.program.proc.returncode,
                                                            " or ".join(self.classes), self.program.debug_strings()))
            boxes = [w for w in self.driver.desktop() if w[1] == "#32770"]
            if boxes:
                text = self.box_text(boxes[0][0])
                if not self.dismiss_boxes:
                    raise HarnessError("a message box %r appeared while Harmolab.exe %s started (working folder %s)"
                                       % (text, " ".join(self.program.args), self.program.cwd))
                self.start_boxes.append(text)
                self.driver.post(ids.WM_COMMAND, ids.IDOK, 0)
                time.sleep(0.1)
            if time.monotonic() > deadline:
                raise HarnessError("no visible window of class %s within %.0f s; windows on the desktop: %r"
                                   % (" or ".join(self.classes), self.timeout, self.driver.desktop()))

    def box_text(self, hwnd):
        """Title and texts of a dialog or message box; leaves the driver's target on that box."""
        self.driver.target(hwnd)
        texts = [c[4] for c in self.driver.children() if c[4]]
        return [self.driver.title()] + texts

    def retarget(self):
        """Makes the main window the driver's target again (after looking at another window)."""
        self.driver.target(self.window["hwnd"])

    def __exit__(self, *exc):
        if self.program.running():
            try:
                self.retarget()
                self.driver.post(ids.WM_CLOSE)
                self.program.wait(timeout=10)
            except HarnessError:
                self.program.kill()

    def command(self, command_id, timeout=10.0):
        """Sends WM_COMMAND for a menu or toolbar command, as a click on it would."""
        return self.driver.send(ids.WM_COMMAND, command_id, 0, timeout=timeout)

    def quit(self, how="quit", timeout=DEFAULT_TIMEOUT):
        """Ends the program through the Quit command, the close box (WM_CLOSE) or the system menu's
        Close (WM_SYSCOMMAND SC_CLOSE); returns its exit code."""
        self.retarget()
        if how == "quit":
            self.driver.post(ids.WM_COMMAND, ids.IDM_QUIT, 0)
        elif how == "close":
            self.driver.post(ids.WM_CLOSE)
        elif how == "sysclose":
            self.driver.post(ids.WM_SYSCOMMAND, ids.SC_CLOSE, 0)
        else:
            raise ValueError(how)
        return self.program.wait(timeout=timeout)

    def stable_capture(self, path_stem, tries=20):
        """Captures the driver's target until two captures in a row agree, so that it is fully painted."""
        previous = None
        for attempt in range(tries):
            bmp = "%s-%d.bmp" % (path_stem, attempt)
            self.driver.capture(bmp)
            image = Image.read_bmp(bmp)
            os.remove(bmp)
            if previous is not None and previous.rows == image.rows:
                return image
            previous = image
            time.sleep(0.15)
        return previous

    def capture(self, name, method="window"):
        """Captures the main window into the run folder; returns (Image, png_path)."""
        bmp = os.path.join(self.program.cwd, name + ".bmp")
        self.driver.capture(bmp, method)
        image = Image.read_bmp(bmp)
        return image, image.write_png(os.path.join(self.program.cwd, name + ".png"))


class SystemTestCase(unittest.TestCase):
    """One driver per test class on the environment of the CTest fixture; session() starts Harmolab."""

    env = None
    driver = None

    @classmethod
    def setUpClass(cls):
        cls.env = test_environment()
        cls.driver = Driver(cls.env)

    @classmethod
    def tearDownClass(cls):
        if cls.driver is not None:
            cls.driver.close()

    def session(self, args=(), **kwargs):
        kwargs.setdefault("name", "%s-%s" % (self.id().rsplit(".", 1)[-1], "_".join(str(a) for a in args) or "all"))
        return Session(self.env, self.driver, args=args, **kwargs)


class PaintedScreen(SystemTestCase):
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
        _, tb_top, _, tb_bottom = self.driver.child_rect(ids.IDC_TOOLBAR)
        return cl - wl, ct - wt + (tb_bottom - tb_top), cr - wl, cb - wt

    def picture(self, s, name, settle=True):
        """The visible picture, once painted (two equal captures in a row unless settle is False)."""
        s.retarget()
        place = self.picture_place()
        bmp = os.path.join(s.program.cwd, name + ".bmp")
        previous = None
        for _ in range(20):
            self.driver.capture(bmp)
            image = Image.read_bmp(bmp).crop(*place)
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
        _, tb_top, _, tb_bottom = self.driver.child_rect(ids.IDC_TOOLBAR)
        caption = self.driver.metric("SM_CYCAPTION")
        menu_band = (height - client_height - caption) - self.driver.metric("SM_CYFRAME")
        return left + x, top + caption + menu_band + (tb_bottom - tb_top) + y

    def press_at(self, s, box, seconds, while_held=None):
        """Holds the left button for some seconds on the middle of a box (inclusive left, right, top,
        bottom in picture coordinates) with the cursor there, since the program asks for the cursor;
        returns the seconds between the press and the release as the program got them, and the result
        of while_held, called while the button is down."""
        x, y = (box[0] + box[1]) // 2, (box[2] + box[3]) // 2
        self.pointer.move(*self.screen_point(s, x, y))
        time.sleep(0.15)
        # Sent rather than posted, so that each is handled when the driver answers.
        started = time.monotonic()
        self.driver.send(ids.WM_LBUTTONDOWN, ids.MK_LBUTTON, (y << 16) | x)
        held = None
        if while_held:
            time.sleep(min(0.3, seconds))
            held = while_held()
        time.sleep(max(0.0, seconds - (time.monotonic() - started)))
        s.retarget()
        self.driver.send(ids.WM_LBUTTONUP, 0, (y << 16) | x)
        return time.monotonic() - started, held

    def drag(self, s, start, stops):
        """Presses at start (picture coordinates), moves the pointer through the stops with the button
        down, and releases at the last."""
        for i, (x, y) in enumerate([start] + list(stops)):
            self.pointer.move(*self.screen_point(s, x, y))
            time.sleep(0.1)
            s.retarget()
            self.driver.send(ids.WM_MOUSEMOVE if i else ids.WM_LBUTTONDOWN, ids.MK_LBUTTON, (y << 16) | x)
        self.driver.send(ids.WM_LBUTTONUP, 0, (y << 16) | x)
