#!/usr/bin/env python3
"""Times the whole Make of "Get vocal from CD" on an 8 s, 44,100 Hz stereo song through the vocal
canceler dialog under Wine, as the user waits for it: from pressing Make to the button reading
"Make" again with the output in place (the default 1,000 ms search range, 44,100 offsets).

Run inside the system-test environment, for example
  python3 tests/system/harness up build/native/system
  HARMOLAB_SYSTEM_STATE=build/native/system python3 bench/canceler_make_wine.py [OTHER/Harmolab.exe]
The optional argument times another build of the program (an older one, to compare)."""

import array
import math
import os
import random
import sys
import time
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tests", "system"))
import harness as h  # noqa: E402

RATE, SILENCE, INTRO, SONG = 44100, 22050, 11025, 8 * 44100  # frames


def write_wave(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(array.array("h", samples).tobytes())


def finished(path):
    """Whether the output's header has been written for its data (a placeholder says 0 bytes)."""
    try:
        with open(path, "rb") as f:
            header = f.read(44)
    except OSError:
        return False
    return len(header) == 44 and int.from_bytes(header[40:44], "little") > 0


def main(argv):
    env = h.test_environment()
    if argv:
        exe = os.path.abspath(argv[0])
        type(env).exe = property(lambda self: exe)
    driver = h.Driver(env)
    rng = random.Random(5)
    backing = [rng.randint(-8000, 8000) for _ in range((INTRO + SONG) * 2)]
    mix = [0] * (SILENCE * 2)
    for n in range(SONG):
        v = int(3000 * math.sin(2 * math.pi * 523 * n / RATE)) if n >= SONG // 2 else 0
        mix += [backing[(INTRO + n) * 2] + v, backing[(INTRO + n) * 2 + 1] + v]
    try:
        with h.Session(env, driver, ini=h.make_ini([("KARAOKE", "MAKEKIND", "1")]), name="canceler-make-timing") as s:
            paths = [os.path.join(s.program.cwd, n) for n in ("cd.wav", "backing.wav", "voice.wav")]
            write_wave(paths[0], mix)
            write_wave(paths[1], backing)
            s.command(h.IDM_VOCAL_CANCEL_SIMPLE)
            dialog = h.wait_for_window(driver, "Quellvox")
            controls = h.child_handles(driver, dialog)
            for cid, path in zip((h.IDC_CANCELER_ORIGINAL, h.IDC_CANCELER_INST, h.IDC_CANCELER_OUTPUT), paths):
                h.type_text(driver, controls[(cid, "Edit")], h.windows_path(path))
            driver.target(dialog)
            start = time.monotonic()
            driver.post(h.WM_COMMAND, h.IDC_CANCELER_MAKE, 0)
            while True:
                driver.target(dialog)
                make = {c[1]: c[4] for c in driver.children()}[h.IDC_CANCELER_MAKE]
                if make == "Make" and finished(paths[2]):
                    break
                if time.monotonic() - start > 1800:
                    raise h.HarnessError("Make did not end within 30 minutes")
                time.sleep(0.02)
            elapsed = time.monotonic() - start
            s.quit()
            worker = [line for line in s.program.debug_lines() if line.startswith("CancelerMake=")]
            print("%s: Make of Get vocal from CD on an 8 s song took %.2f s as seen through the dialog%s"
                  % (env.exe, elapsed, "; the worker's own trace: " + worker[0].strip() if worker else ""))
    finally:
        driver.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
