#!/usr/bin/env python3
"""Quit, the close box and the system menu's Close each run the destruction sequence exactly once."""

import os
import time
import unittest

import harness as h
from test_wave_view import CLASS as WAVE_VIEW_CLASS, WAVE_VIEW, WaveView, make_sox_wave

DESTROY_STEPS = ["Destroy 1", "Destroy 2", "Destroy 3", "Destroy 4"]
# Steps 5 and 6 bracket re-opening the output device to restore its volume; 6 needs the device to open.
VOLUME_STEPS = ["Destroy 5", "Destroy 6"]

# (how the window is closed, launch arguments)
CASES = [("quit", []), ("close", []), ("sysclose", []), ("quit", ["1"]), ("close", ["2", "100", "3"])]

CRASH_SIGNS = ("Unhandled exception", "page fault", "wine: Call from")


class Shutdown(h.SystemTestCase):
    def test_quit_while_workers_run(self):
        """Every worker is stopped and joined before what it uses is freed: with the metronome beating and
        Wave View open at the quit, the program ends cleanly with the whole destruction sequence."""
        with self.session(["2", "200", "4"]) as s:
            s.command(h.IDM_POWER)
            WaveView.choose(self, s, WAVE_VIEW, make_sox_wave(os.path.join(s.program.cwd, "w.wav")))
            self.driver.wait_window(WAVE_VIEW_CLASS, timeout=10)
            time.sleep(1.0)
            self.assertEqual(s.quit(), 0)
            lines = [line for line in s.program.debug_lines() if line.startswith("Destroy")]
            self.assertEqual(lines[:len(DESTROY_STEPS)], DESTROY_STEPS)
            crashes = [sign for sign in CRASH_SIGNS if sign in s.program.stderr_text()]
            self.assertEqual(crashes, [], "Wine reported a crash; see %s" % s.program.cwd)

    def test_each_way_out_destroys_once_and_exits_with_zero(self):
        sound = self.driver.sound()
        self.assertGreater(sound["outputs"], 0, "the test environment offers no output device: %r" % sound)
        self.assertEqual(sound["output_open"], 0, "the test environment's output device does not open: %r" % sound)
        for how, args in CASES:
            with self.subTest(how=how, args=args), self.session(args) as s:
                code = s.quit(how)
                # Each trace line ends in CR LF.
                lines = [t for t in s.program.debug_strings() if t.startswith("Destroy")]
                self.assertEqual(lines, [line + "\r\n" for line in DESTROY_STEPS + VOLUME_STEPS],
                                 "debugger output of %s: %r" % (s.program.cwd, s.program.debug_strings()))
                self.assertEqual(code, 0)
                self.assertEqual(self.driver.find(s.classes[0]), 0, "main window still exists")


if __name__ == "__main__":
    unittest.main(verbosity=2)
