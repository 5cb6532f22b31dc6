#!/usr/bin/env python3
"""The metronome screen: the four kinds at rest against reference pictures, the running pictures, and
its painted controls used with the real pointer position (the program reads the cursor, not the
message): a few buttons and the weight drag show that presses, held repetition and drags reach the
window at both sizes; what each control does is the unit tests' business. The values the controls
set are read back from the settings file that all-tools mode writes at quit.

Reference pictures live in tests/system/reference/. To make them again from the program, run this
file with HARMOLAB_UPDATE_REFERENCE=1 and look at every written picture before committing it."""

import contextlib
import os
import time
import unittest

import harness as h
from harness import CHANNEL_TOLERANCE, MAX_DIFFERING, PaintedScreen, region
from test_tuner_screen import check_written, press_and_check


POWER, METRONOME, NORMAL_SIZE = h.IDM_POWER, h.IDM_METRONOME, h.IDM_NORMAL_SIZE
NORMAL, CONDUCTOR, BALL, SIGNAL = 0, 1, 2, 3

# A known metronome: 120 beats per minute, bars of four (bar-length index 3), Normal kind.
KNOWN = {("METRONOME", "SPEED"): "120", ("BEAT", "NO"): "3", ("METRONOME", "KIND"): "0",
         ("CONDUCTOR", "LINE"): "0"}

# (label, kind, size, reference picture): every kind at rest at normal size, and the half size the
# screen opens at.
PICTURES = [
    ("Normal", NORMAL, 0, "metronome-normal.png"),
    ("Conductor", CONDUCTOR, 0, "metronome-conductor.png"),
    ("Ball", BALL, 0, "metronome-ball.png"),
    ("Signal", SIGNAL, 0, "metronome-signal.png"),
    ("Normal at half size", NORMAL, 1, "metronome-normal-half.png"),
]

# Control boxes in picture coordinates (inclusive: left, right, top, bottom) at normal and half size.
BOXES = {
    "bar up": ((178, 219, 11, 46), (89, 109, 6, 22)),
    "tempo down": ((251, 292, 353, 388), (126, 145, 177, 193)),  # the Normal kind's own pair
}
# The bar-length digit's cell, where a change of the bar length shows.
BAR_DIGIT = ((135, 175, 0, 55), (67, 87, 0, 27))
SIZES = [("normal", 0), ("half", 1)]

# (kind, button, seconds held, values written at exit, pressed image shown while held); ("per", STEP)
# is a held tempo button's repetition from 120. Every kind's boxes are the pointer unit tests' business.
CLICKS = [
    (NORMAL, "bar up", 0.4, {("BEAT", "NO"): "4"}, True),
    (NORMAL, "tempo down", 0.8, {("METRONOME", "SPEED"): ("per", -1)}, True),
]

# (label, size, press (x, y), pointer stops on the way, tempo written at exit), from 120. The weight
# hangs at x 301..341 from y 129 + tempo - 30, 62 pixels tall, and moves a pixel per beat per minute.
DRAGS = [
    ("down, then back up a little", 0, (321, 240), [(321, 300), (321, 280)], "160"),
    ("down at half size", 1, (160, 125), [(160, 135), (160, 150)], "145"),
]


def ini_with(kind, changes=None):
    values = dict(KNOWN)
    values[("METRONOME", "KIND")] = str(kind)
    values.update(changes or {})
    return h.make_ini([(sec, key, value) for (sec, key), value in values.items()])


class MetronomeScreen(PaintedScreen):
    @contextlib.contextmanager
    def metronome(self, kind, size, name=None):
        """An all-tools session on the metronome screen of a kind, at a size, power off."""
        with self.session(ini=ini_with(kind), name=name) as s:
            s.command(METRONOME)
            if size == 0:
                s.command(NORMAL_SIZE)
            yield s

    def written(self, s):
        self.assertEqual(s.quit(), 0)
        return h.ini_values(s.program.read_ini())

    def test_kinds_at_rest_match_the_references(self):
        for label, kind, size, reference in PICTURES:
            with self.subTest(label):
                with self.metronome(kind, size, name="picture-" + label) as s:
                    self.compare(s, self.picture(s, "metronome"), reference)
                    self.assertEqual(s.quit(), 0)

    def test_controls_pressed_with_the_pointer(self):
        for size_name, size in SIZES:
            for kind, button, seconds, expected, pressed_image in CLICKS:
                with self.subTest(size=size_name, control=button), \
                        self.metronome(kind, size, name="%s-%s" % (size_name, button)) as s:
                    rest, released, held_seconds = press_and_check(self, s, BOXES[button][size], seconds,
                                                                   pressed_image)
                    if ("BEAT", "NO") in expected:
                        digit = BAR_DIGIT[size]
                        self.assertGreater(region(released, digit).difference(region(rest, digit), CHANNEL_TOLERANCE),
                                           0.05, "the bar-length digit did not change")
                    check_written(self, self.written(s), expected, 120, held_seconds)

    def test_weight_drag_changes_the_tempo(self):
        for label, size, start, stops, expected in DRAGS:
            with self.subTest(label), self.metronome(NORMAL, size, name="drag-" + label) as s:
                rest = self.picture(s, "rest")
                self.drag(s, start, stops)
                after = self.picture(s, "after")
                after.write_png(os.path.join(s.program.cwd, "picture-after.png"))
                # The weight moved, and so did the tempo readout.
                self.assertGreater(after.difference(rest, CHANNEL_TOLERANCE), 0.002)
                self.assertEqual(self.written(s).get(("METRONOME", "SPEED")), expected)

    def test_running_picture_changes_over_time(self):
        # How each kind moves is the beat engine's unit tests' business; this is the repaint's wiring.
        with self.metronome(NORMAL, 0, name="running") as s:
            rest = self.picture(s, "rest")
            s.command(POWER)
            # Two seconds at 120 beats per minute: four beats, and many steps between them.
            frames = []
            for i in range(10):
                time.sleep(0.2)
                frames.append(self.picture(s, "running-%d" % i, settle=False))
            s.command(POWER)
            for i, frame in enumerate(frames):
                frame.write_png(os.path.join(s.program.cwd, "picture-running-%d.png" % i))
            self.assertGreaterEqual(len({b"".join(frame.rows) for frame in frames}), 3, "the picture hardly changes")
            self.assertTrue(all(frame.difference(rest, CHANNEL_TOLERANCE) > MAX_DIFFERING for frame in frames),
                            "a running picture looks like the stopped one")
            self.assertEqual(s.quit(), 0)

if __name__ == "__main__":
    unittest.main(verbosity=2)
