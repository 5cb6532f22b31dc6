#!/usr/bin/env python3
"""The metronome screen: the four kinds at rest against reference pictures, and its painted controls
used with the real pointer position (the program reads the cursor, not the message): bar-length and
tempo buttons, and dragging the pendulum weight. The values the controls set are read back from the
settings file that all-tools mode writes at quit.

Reference pictures live in tests/system/reference/. To make them again from the program, run this
file with HARMOLAB_UPDATE_REFERENCE=1 and look at every written picture before committing it."""

import contextlib
import os
import time
import unittest

import harmolab as h
from harmolab import CHANNEL_TOLERANCE, MAX_DIFFERING, PaintedScreen, region


POWER, METRONOME, HALF_SIZE, NORMAL_SIZE = h.IDM_POWER, h.IDM_METRONOME, h.IDM_HALF_SIZE, h.IDM_NORMAL_SIZE
NORMAL, CONDUCTOR, BALL, SIGNAL = 0, 1, 2, 3
WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, MK_LBUTTON = 0x0201, 0x0202, 0x0200, 0x0001

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
    "bar down": ((76, 117, 11, 46), (38, 58, 6, 22)),
    "bar up": ((178, 219, 11, 46), (89, 109, 6, 22)),
    "tempo down": ((251, 292, 353, 388), (126, 145, 177, 193)),
    "tempo up": ((347, 388, 353, 388), (174, 193, 177, 193)),
    "top tempo down": ((371, 412, 11, 46), (186, 205, 6, 22)),
    "top tempo up": ((576, 617, 11, 46), (288, 308, 6, 22)),
}
# The bar-length digit's cell, where a change of the bar length shows.
BAR_DIGIT = ((135, 175, 0, 55), (67, 87, 0, 27))
SIZES = [("normal", 0), ("half", 1)]
REPEAT_SECONDS = 0.12  # one held step every sixth 20 ms tick

# (label, kind, button, seconds held, settings changed beforehand, values written at exit, pressed
# image shown while held). A value ("per", STEP) is a held tempo button's repetition: at least two
# steps of STEP from 120 and no more than the hold time allows.
CLICKS = [
    ("bar length up", NORMAL, "bar up", 0.4, {}, {("BEAT", "NO"): "4"}, True),
    ("bar length down", BALL, "bar down", 0.4, {}, {("BEAT", "NO"): "2"}, True),
    ("bar length up wraps to no grouping", SIGNAL, "bar up", 0.1, {("BEAT", "NO"): "5"}, {("BEAT", "NO"): "0"}, False),
    ("bar length down wraps to six", NORMAL, "bar down", 0.1, {("BEAT", "NO"): "0"}, {("BEAT", "NO"): "5"}, False),
    ("top-row tempo up steps on the press", BALL, "top tempo up", 0.01, {}, {("METRONOME", "SPEED"): ("at least", 121)},
     False),
    ("top-row tempo up held", SIGNAL, "top tempo up", 0.8, {}, {("METRONOME", "SPEED"): ("per", 1)}, True),
    ("top-row tempo down held", CONDUCTOR, "top tempo down", 0.8, {}, {("METRONOME", "SPEED"): ("per", -1)}, True),
    ("Normal tempo up held", NORMAL, "tempo up", 0.8, {}, {("METRONOME", "SPEED"): ("per", 1)}, True),
    ("Normal tempo down held", NORMAL, "tempo down", 0.8, {}, {("METRONOME", "SPEED"): ("per", -1)}, True),
    ("tempo down held to the bottom", NORMAL, "tempo down", 1.5, {("METRONOME", "SPEED"): "35"},
     {("METRONOME", "SPEED"): "30"}, True),
    ("tempo up held to the top", BALL, "top tempo up", 1.5, {("METRONOME", "SPEED"): "296"},
     {("METRONOME", "SPEED"): "300"}, True),
]

# (label, size, tempo, press (x, y), pointer stops on the way, tempo written at exit). The weight hangs
# at x 301..341 from y 129 + tempo - 30, 62 pixels tall, and moves by one beat per minute a pixel.
DRAGS = [
    ("down by 50", 0, 120, (321, 240), [(321, 255), (321, 270), (321, 290)], "170"),
    ("up past the slowest", 0, 60, (321, 180), [(321, 160), (321, 140)], "30"),
    ("down, then back up a little", 0, 120, (321, 240), [(321, 300), (321, 280)], "160"),
    ("down at half size", 1, 120, (160, 125), [(160, 135), (160, 150)], "145"),
]


def ini_with(kind, changes=None):
    values = dict(KNOWN)
    values[("METRONOME", "KIND")] = str(kind)
    values.update(changes or {})
    return h.make_ini([(sec, key, value) for (sec, key), value in values.items()])


class MetronomeScreen(PaintedScreen):
    @contextlib.contextmanager
    def metronome(self, kind, size, changes=None, name=None):
        """An all-tools session on the metronome screen of a kind, at a size, power off."""
        with self.session(ini=ini_with(kind, changes), name=name) as s:
            s.command(METRONOME)
            if size == 0:
                s.command(NORMAL_SIZE)
            yield s

    # --- the pointer

    def put_pointer(self, s, x, y):
        self.pointer.move(*self.screen_point(s, x, y))
        time.sleep(0.1)

    def press_at(self, s, box, seconds, while_held=None):
        """Holds the left button on the middle of a box; returns the seconds between the press and the
        release as the program got them, and while_held's result."""
        x0, x1, y0, y1 = box
        x, y = (x0 + x1) // 2, (y0 + y1) // 2
        self.put_pointer(s, x, y)
        # Sent rather than posted, so that each is handled when the driver answers.
        started = time.monotonic()
        self.driver.send(WM_LBUTTONDOWN, MK_LBUTTON, (y << 16) | x)
        pressed_at = time.monotonic()
        held = None
        if while_held:
            time.sleep(min(0.3, seconds))
            held = while_held()
        time.sleep(max(0.0, seconds - (time.monotonic() - pressed_at)))
        s.retarget()
        self.driver.send(WM_LBUTTONUP, 0, (y << 16) | x)
        return time.monotonic() - started, held

    def drag(self, s, start, stops):
        """Presses at start, moves the pointer through the stops with the button down, releases."""
        self.put_pointer(s, *start)
        self.driver.send(WM_LBUTTONDOWN, MK_LBUTTON, (start[1] << 16) | start[0])
        for x, y in stops:
            self.put_pointer(s, x, y)
            s.retarget()
            self.driver.send(WM_MOUSEMOVE, MK_LBUTTON, (y << 16) | x)
        x, y = stops[-1]
        self.driver.send(WM_LBUTTONUP, 0, (y << 16) | x)

    def written(self, s):
        self.assertEqual(s.quit(), 0)
        return h.ini_values(s.program.read_ini())

    def expect_written(self, written, expected, held_seconds):
        for key, value in expected.items():
            if isinstance(value, tuple) and value[0] == "per":
                step = value[1]
                tempo = int(written[key])
                count = (tempo - 120) // step
                # The top row steps once on the press as well, and the free-running tick counter
                # lets the first held step follow at once.
                most = int(held_seconds / REPEAT_SECONDS) + 3
                self.assertTrue(2 <= count <= most, "%s=%s after %.2f s held: %d steps, expected 2..%d"
                                % (key, written[key], held_seconds, count, most))
            elif isinstance(value, tuple):
                self.assertGreaterEqual(int(written[key]), value[1], key)
            else:
                self.assertEqual(written.get(key), value, key)

    # --- tests

    def test_kinds_at_rest_match_the_references(self):
        for label, kind, size, reference in PICTURES:
            with self.subTest(label):
                with self.metronome(kind, size, name="picture-" + label) as s:
                    self.compare(s, self.picture(s, "metronome"), reference)
                    self.assertEqual(s.quit(), 0)

    def test_controls_pressed_with_the_pointer(self):
        for size_name, size in SIZES:
            for label, kind, button, seconds, before, expected, pressed_image in CLICKS:
                box = BOXES[button][size]
                with self.subTest(size=size_name, control=label):
                    with self.metronome(kind, size, before, name="%s-%s" % (size_name, label)) as s:
                        rest = self.picture(s, "rest")
                        held_seconds, held = self.press_at(s, box, seconds,
                                                           lambda: self.picture(s, "held", settle=False))
                        released = self.picture(s, "released")
                        for name, image in (("rest", rest), ("held", held), ("released", released)):
                            if image is not None:
                                image.write_png(os.path.join(s.program.cwd, "picture-%s.png" % name))
                        if pressed_image:
                            self.assertGreater(region(held, box).difference(region(rest, box), CHANNEL_TOLERANCE),
                                               0.1, "no pressed image while held")
                            self.assertLessEqual(region(released, box).difference(region(rest, box),
                                                                                  CHANNEL_TOLERANCE),
                                                 MAX_DIFFERING, "the pressed image stays after the release")
                        if ("BEAT", "NO") in expected:
                            digit = BAR_DIGIT[size]
                            self.assertGreater(region(released, digit).difference(region(rest, digit),
                                                                                  CHANNEL_TOLERANCE),
                                               0.05, "the bar-length digit did not change")
                        self.expect_written(self.written(s), expected, held_seconds)

    def test_weight_drag_changes_the_tempo(self):
        for label, size, tempo, start, stops, expected in DRAGS:
            with self.subTest(label):
                with self.metronome(NORMAL, size, {("METRONOME", "SPEED"): str(tempo)}, name="drag-" + label) as s:
                    rest = self.picture(s, "rest")
                    self.drag(s, start, stops)
                    after = self.picture(s, "after")
                    after.write_png(os.path.join(s.program.cwd, "picture-after.png"))
                    # The weight moved, and so did the tempo readout.
                    self.assertGreater(after.difference(rest, CHANNEL_TOLERANCE), 0.002)
                    self.assertEqual(self.written(s).get(("METRONOME", "SPEED")), expected)

    def test_running_picture_changes_over_time(self):
        for label, kind, _, _ in PICTURES[:4]:
            with self.subTest(label):
                with self.metronome(kind, 0, name="running-" + label) as s:
                    rest = self.picture(s, "rest")
                    s.command(POWER)
                    frames = []
                    # Two seconds at 120 beats per minute: four beats, and many steps between them.
                    for i in range(10):
                        time.sleep(0.2)
                        frames.append(self.picture(s, "running-%d" % i, settle=False))
                    s.command(POWER)
                    for i, frame in enumerate(frames):
                        frame.write_png(os.path.join(s.program.cwd, "picture-running-%d.png" % i))
                    distinct = {b"".join(frame.rows) for frame in frames}
                    self.assertGreaterEqual(len(distinct), 3, "the running picture hardly changes")
                    self.assertTrue(all(frame.difference(rest, CHANNEL_TOLERANCE) > MAX_DIFFERING for frame in frames),
                                    "a running picture looks like the stopped one")
                    self.assertEqual(s.quit(), 0)

    def test_nothing_moves_while_running(self):
        with self.subTest("press while running"):
            with self.metronome(BALL, 0, name="running") as s:
                s.command(POWER)
                for button in ("bar up", "top tempo up", "tempo down"):
                    self.press_at(s, BOXES[button][0], 0.3)
                s.command(POWER)
                written = self.written(s)
                self.assertEqual(written.get(("BEAT", "NO")), "3")
                self.assertEqual(written.get(("METRONOME", "SPEED")), "120")
        with self.subTest("weight drag while running"):
            with self.metronome(NORMAL, 0, name="running-drag") as s:
                s.command(POWER)
                self.drag(s, (321, 240), [(321, 280)])
                s.command(POWER)
                self.assertEqual(self.written(s).get(("METRONOME", "SPEED")), "120")

    def test_normal_size_boxes_do_nothing_at_half_size(self):
        with self.metronome(SIGNAL, 1, name="half-ignores-normal") as s:
            rest = self.picture(s, "rest")
            for button in ("bar up", "top tempo up"):
                self.press_at(s, BOXES[button][0], 0.3)
            self.assertLessEqual(self.picture(s, "after").difference(rest, CHANNEL_TOLERANCE), MAX_DIFFERING)
            written = self.written(s)
            self.assertEqual(written.get(("BEAT", "NO")), "3")
            self.assertEqual(written.get(("METRONOME", "SPEED")), "120")


if __name__ == "__main__":
    unittest.main(verbosity=2)
