#!/usr/bin/env python3
"""Ten minutes of the live program under Wine with a sine sweep and noise played into the null sink:
every few seconds the tool and the size change and a dialog opens and closes. At the end the program
holds as many GDI objects and windows as one minute in, and about as much memory. Runs only when
HARMOLAB_SOAK=1 (it takes eleven minutes); otherwise it is skipped."""

import os
import subprocess
import time
import unittest

import harness as h
from harness.resources import gui_resources, program_pid, resident_kib
from test_commands import DIALOGS, dialog_windows
from test_spectrum_live import SinkPlayer

POWER, SPECTRUM, TUNER, METRONOME, HALF_SIZE, NORMAL_SIZE = 40003, 40009, 40010, 40011, 40005, 40006
SOAK_SECONDS = float(os.environ.get("HARMOLAB_SOAK_SECONDS", "600"))
BASELINE_SECONDS = 60
STEP_SECONDS = 3
GDI_SLACK, WINDOW_SLACK, MEMORY_SLACK_KIB = 4, 1, 1024
SWEEP_SECONDS, SWEEP_REPEATS = 20, 32

# One step of the cycle: tool commands switch the power off, so it is switched on again after each.
STEPS = [[SPECTRUM, POWER], [NORMAL_SIZE], [TUNER, POWER], [HALF_SIZE], [METRONOME, POWER], [NORMAL_SIZE],
         [HALF_SIZE]]


@unittest.skipUnless(os.environ.get("HARMOLAB_SOAK") == "1", "the soak runs only with HARMOLAB_SOAK=1")
class Soak(h.SystemTestCase):
    def sweep(self, s):
        path = os.path.join(s.program.cwd, "sweep-and-noise.wav")
        subprocess.run(["sox", "-n", "-r", "44100", "-c", "1", "-b", "16", path, "synth", str(SWEEP_SECONDS),
                        "sine", "100-2000", "whitenoise", "mix", "vol", "0.4", "repeat", str(SWEEP_REPEATS)],
                       check=True, timeout=120)
        return path

    def open_and_close(self, s, dialog):
        command, title, _, close_button, _ = dialog
        s.retarget()
        self.driver.post(h.WM_COMMAND, command, 0)
        time.sleep(0.4)
        for window in dialog_windows(s, title):
            self.driver.target(window[0])
            self.driver.send(h.WM_COMMAND, close_button, 0)

    def settle(self, s):
        """The state every measurement is taken in: spectrum analyser, power on, half size, no dialog."""
        s.retarget()
        s.command(SPECTRUM)
        s.command(POWER)
        s.command(HALF_SIZE)
        time.sleep(2.0)
        s.retarget()
        gdi, windows = gui_resources(self.driver)
        return {"gdi": gdi, "windows": windows, "rss_kib": resident_kib(program_pid(s.program))}

    def test_ten_minutes_stay_flat(self):
        with self.session(name="soak") as s, SinkPlayer(self.env, self.sweep(s)) as player:
            started = time.monotonic()
            baseline, step, trend = None, 0, []
            pid = program_pid(s.program)
            while time.monotonic() - started < SOAK_SECONDS:
                minute = int((time.monotonic() - started) // 60)
                if len(trend) <= minute:
                    trend.append(resident_kib(pid))
                if baseline is None and time.monotonic() - started >= BASELINE_SECONDS:
                    baseline = self.settle(s)
                    print("\none minute in: %r" % baseline, flush=True)
                for command in STEPS[step % len(STEPS)]:
                    s.retarget()
                    s.command(command)
                self.open_and_close(s, DIALOGS[step % len(DIALOGS)])
                step += 1
                player.check_running()
                time.sleep(STEP_SECONDS)
            end = self.settle(s)
            print("after %.0f s and %d steps: %r" % (time.monotonic() - started, step, end), flush=True)
            print("resident KiB at each minute, whatever the state: %r" % trend, flush=True)
            self.assertIsNotNone(baseline)
            self.assertLessEqual(end["gdi"] - baseline["gdi"], GDI_SLACK, (baseline, end))
            self.assertLessEqual(end["windows"] - baseline["windows"], WINDOW_SLACK, (baseline, end))
            self.assertLessEqual(end["rss_kib"] - baseline["rss_kib"], MEMORY_SLACK_KIB, (baseline, end))
            self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
