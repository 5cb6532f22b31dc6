#!/usr/bin/env python3
"""The live capture against what can go wrong around it: a tool switch that arrives while the power is
on (the capture stops and restarts in one handler, and the stop's buffer notifications arrive after the
restart), and capture notifications posted by someone else with values that are no buffer of ours."""

import re
import time
import unittest

import harness as h
from harness import sink_playing, tone_file

TUNER_LINE = re.compile(r"^i=(-?\d+) j=(-?\d+) dfi=(-?\d+) dfj=(-?\d+)$")
NO_CENTS = -100
LISTEN_SECONDS = 4.0
# Strange lParam values a stray WM_USER may carry: none names a capture buffer.
STRAY_VALUES = [0, 1, 0x12345678, 0x7FFFFFF0]


class CaptureFaults(h.SystemTestCase):
    def listen(self, s):
        """Tuner readings over a few seconds from now."""
        since = len(s.program.debug_lines())
        time.sleep(LISTEN_SECONDS)
        return [int(m.group(3)) for m in map(TUNER_LINE.match, s.program.debug_lines()[since:]) if m]

    def assert_reading_a4(self, readings, what):
        # At 44100 Hz about 43 buffers a second arrive; a burst is analysed once, so expect fewer.
        self.assertGreater(len(readings), 20, "%s: too few tuner readings: %r" % (what, readings))
        with_cents = [c for c in readings if c != NO_CENTS]
        self.assertGreater(len(with_cents), 0.8 * len(readings),
                           "%s: readings without cents (half-empty frames): %r" % (what, readings))

    def test_switches_with_the_power_on_and_stray_notifications_keep_the_capture(self):
        with self.session(ini=h.make_ini([("TARGET", "NOTE", "0")])) as s, \
                sink_playing(self.env, tone_file(s, 440, seconds=40)):
            s.command(h.IDM_POWER)
            time.sleep(1.0)
            # The switch messages straight away, without the power-off the menu commands do first.
            for message in (h.WM_APP_GO_TUNER, h.WM_APP_GO_SPECTRUM, h.WM_APP_GO_TUNER):
                s.retarget()
                self.driver.send(message, 0, 0)
                time.sleep(0.5)
            self.assert_reading_a4(self.listen(s), "after switches with the power on")
            for value in STRAY_VALUES:
                self.driver.post(h.WM_APP_CAPTURE_DATA, 0, value)
            time.sleep(0.5)
            self.assertTrue(s.program.running(), "the program ended on a stray notification")
            self.assert_reading_a4(self.listen(s), "after stray notifications")
            self.assertEqual(s.quit(), 0)

if __name__ == "__main__":
    unittest.main(verbosity=2)
