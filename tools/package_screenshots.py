#!/usr/bin/env python3
"""Makes the README's pictures for Windows users: the installer's first page, dialogs with visual styles
(Wine's own theme) at 100 %, and the main window at 150 % (LogPixels 144), each in a fresh Wine prefix on
a private X server.

  python3 tools/package_screenshots.py OUT_DIR [STATE_DIR]

Needs the Windows build with its packages (cmake --build --preset windows)."""

import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tests", "system"))
import harness as h  # noqa: E402 (the system-test harness drives the program)
from harness.package import FreshEnvironment, packages, session_at  # noqa: E402

DIALOGS = [("package-config.png", h.IDM_CONFIG), ("package-tone.png", h.IDM_SINE_WAVE),
           ("package-tuning.png", h.IDM_GUITAR_TUNING)]


def dialog_of(driver, known):
    deadline = time.monotonic() + h.DEFAULT_TIMEOUT
    while time.monotonic() < deadline:
        boxes = [w[0] for w in driver.desktop() if w[1] == "#32770" and w[0] not in known]
        if boxes:
            return boxes[0]
        time.sleep(0.2)
    raise h.HarnessError("no dialog appeared")


def capture(driver, hwnd, out):
    driver.target(hwnd)
    time.sleep(0.5)
    bmp = out[:-4] + ".bmp"
    driver.capture(bmp, "screen")
    h.bmp_to_png(bmp, out)
    os.remove(bmp)
    print(out)


def installed(env, driver, setup):
    """Installs silently and returns a session of the installed program started from its own folder."""
    env.wine(setup, "/S")
    folder = env.unix_path(env.wine("cmd", "/c", "echo", "%LOCALAPPDATA%")[1].strip() + "\\Programs\\Harmolab")
    ini = os.path.join(folder, "Harmolab.ini")
    with open(ini, "wb") as f:
        f.write(h.make_ini([("TUNER", "KIND", "1"), ("TARGET", "NOTE", "49"), ("INST", "STATUS", "1")]))
    return session_at(env, driver, os.path.join(folder, "Harmolab.exe"), folder, name="shots")


def at_100_percent(state, out_dir, setup):
    env = FreshEnvironment(state, dpi=96)
    env.up()
    try:
        with h.Driver(env) as driver:
            started = env.wine_started(setup)
            try:
                capture(driver, dialog_of(driver, set()), os.path.join(out_dir, "package-installer.png"))
            finally:
                h.end_process(started)
            with installed(env, driver, setup) as s:
                for name, command in DIALOGS:
                    s.retarget()
                    known = {w[0] for w in driver.desktop() if w[1] == "#32770"}
                    driver.post(h.WM_COMMAND, command, 0)
                    capture(driver, dialog_of(driver, known), os.path.join(out_dir, name))
                s.retarget()
                s.quit()
    finally:
        env.down()


def at_150_percent(state, out_dir, setup):
    env = FreshEnvironment(state)
    env.up()
    try:
        with h.Driver(env) as driver, installed(env, driver, setup) as s:
            time.sleep(1.0)
            capture(driver, s.window["hwnd"], os.path.join(out_dir, "package-150.png"))
            s.retarget()
            s.quit()
    finally:
        env.down()


def main(argv):
    out_dir = os.path.abspath(argv[0])
    state = os.path.abspath(argv[1]) if len(argv) > 1 else tempfile.mkdtemp(prefix="harmolab-shots-")
    _, setup = packages(h.Environment(state))
    os.makedirs(out_dir, exist_ok=True)
    at_100_percent(os.path.join(state, "100"), out_dir, setup)
    at_150_percent(os.path.join(state, "150"), out_dir, setup)
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.stderr.write(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1:]))
