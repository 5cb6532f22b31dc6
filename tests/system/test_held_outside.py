#!/usr/bin/env python3
"""A painted button held with the real pointer and released outside the main window lets go: the
tuner's step button and the metronome's tempo button stop stepping, and a weight drag released outside
does not change the tempo when the pointer later merely passes over the weight."""

import time
import unittest

import harness as h
from harness import PaintedScreen
from test_metronome_screen import BOXES as METRONOME_BOXES, METRONOME, NORMAL_SIZE, ini_with
from test_tuner_screen import BOXES as TUNER_BOXES, KNOWN as TUNER_KNOWN, REPEAT_SECONDS

TUNER = h.IDM_TUNER

OUTSIDE = (1000, 740)  # on the desktop, right of and below the main window
HOLD_SECONDS = 0.4
AFTER_RELEASE_SECONDS = 1.5

# (label, ini, tool command, box (normal size), key written at exit, value before, step)
HOLDS = [
    ("tuner up by one", h.make_ini(TUNER_KNOWN), TUNER, TUNER_BOXES["up 1"][0], ("TARGET", "NOTE"), 49, 1),
    ("metronome tempo down", ini_with(0), METRONOME, METRONOME_BOXES["tempo down"][0], ("METRONOME", "SPEED"), 120,
     -1),
]
# A weight drag released outside, then the pointer passing over the weight: (press, hover points)
WEIGHT = ((321, 240), [(321, 250), (321, 300), (321, 200)])


def middle(box):
    x0, x1, y0, y1 = box
    return (x0 + x1) // 2, (y0 + y1) // 2


class HeldOutside(PaintedScreen):
    def start(self, s, command):
        s.command(command)
        s.command(NORMAL_SIZE)
        time.sleep(0.3)

    def press_and_leave(self, s, point):
        self.pointer.move(*self.screen_point(s, *point))
        time.sleep(0.2)
        self.pointer.button(True)
        time.sleep(HOLD_SECONDS)
        self.pointer.move(*OUTSIDE)
        time.sleep(0.1)
        self.pointer.button(False)

    def test_held_button_released_outside_stops(self):
        most = int((HOLD_SECONDS + 0.4) / REPEAT_SECONDS) + 2
        for label, ini, command, box, key, before, step in HOLDS:
            with self.subTest(label), self.session(ini=ini, name="held-" + label.replace(" ", "-")) as s:
                self.start(s, command)
                self.press_and_leave(s, middle(box))
                time.sleep(AFTER_RELEASE_SECONDS)
                self.assertEqual(s.quit(), 0)
                steps = (int(h.ini_values(s.program.read_ini())[key]) - before) // step
                self.assertTrue(1 <= steps <= most, "%s: %d steps after a release outside, expected 1..%d"
                                % (key, steps, most))

    def test_weight_drag_released_outside_ends(self):
        press, hovers = WEIGHT
        with self.session(ini=ini_with(0), name="weight-released-outside") as s:
            self.start(s, METRONOME)
            self.press_and_leave(s, press)
            for point in hovers:
                self.pointer.move(*self.screen_point(s, *point))
                time.sleep(0.2)
            self.assertEqual(s.quit(), 0)
            self.assertEqual(h.ini_values(s.program.read_ini())[("METRONOME", "SPEED")], "120")


if __name__ == "__main__":
    unittest.main(verbosity=2)
