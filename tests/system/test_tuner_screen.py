#!/usr/bin/env python3
"""The tuner screen: its picture at normal and half size against reference pictures, and its painted
buttons pressed with the real pointer position (the program reads the cursor, not the message).

Reference pictures live in tests/system/reference/. To make them again from the program, run this
file with HARMOLAB_UPDATE_REFERENCE=1 and look at every written picture before committing it."""

import os
import time
import unittest

import harmolab as h
from harmolab import CHANNEL_TOLERANCE, MAX_DIFFERING, PaintedScreen, region


TUNER, HALF_SIZE, NORMAL_SIZE = h.IDM_TUNER, h.IDM_HALF_SIZE, h.IDM_NORMAL_SIZE
WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON = 0x0201, 0x0202, 0x0001

# A known tuner: target A4 (key 49), instrument panel on, guitar, its sixth string, flats.
KNOWN = [("TARGET", "NOTE", "49"), ("INST", "STATUS", "1"), ("INST", "KIND", "0"), ("INST", "STRING", "0"),
         ("FORS", "STATUS", "0")]


# (label, launch arguments, commands sent after the start, reference picture)
PICTURES = [
    ("tuner only, half size", ["1"], [], "tuner-half.png"),
    ("tuner only, normal size", ["1"], [NORMAL_SIZE], "tuner-normal.png"),
    ("tuner only, back to half size", ["1"], [NORMAL_SIZE, HALF_SIZE], "tuner-half.png"),
    ("all tools, half size", [], [TUNER], "tuner-half.png"),
    ("all tools, normal size", [], [TUNER, NORMAL_SIZE], "tuner-normal.png"),
]

# Button boxes in picture coordinates (inclusive: left, right, top, bottom) at normal and half size.
BOXES = {
    "string up": ((191, 249, 400, 419), (96, 124, 200, 209)),
    "string down": ((191, 249, 451, 472), (96, 124, 226, 235)),
    "panel": ((11, 69, 421, 449), (6, 34, 211, 224)),
    "instrument": ((71, 189, 421, 449), (36, 94, 211, 224)),
    "string": ((191, 249, 421, 449), (96, 124, 211, 224)),
    "config": ((251, 325, 421, 449), (126, 162, 211, 224)),
    "corner": ((1, 23, 1, 23), (1, 11, 1, 11)),
    "down 5": ((351, 392, 421, 456), (176, 195, 211, 227)),
    "down 1": ((399, 440, 421, 456), (200, 219, 211, 227)),
    "auto": ((447, 488, 421, 456), (224, 243, 211, 227)),
    "up 1": ((495, 536, 421, 456), (248, 267, 211, 227)),
    "up 5": ((543, 584, 421, 456), (272, 291, 211, 227)),
}
SIZES = [("normal", 0), ("half", 1)]

# Open-string keys of the default tunings: guitar strings 6..1, bass 4..1.
GUITAR = [20, 25, 30, 35, 39, 44]
BASS = [8, 13, 18, 23]
REPEAT_SECONDS = 0.12  # one held step every sixth 20 ms tick


# (label, button, seconds held, settings changed beforehand, values written at exit, pressed image shown)
# A value ("per", STEP) is a held button's repetition: at least two steps of STEP from 49, and no more
# than the hold time allows.
CLICKS = [
    ("string up", "string up", 0.4, {}, {("INST", "STRING"): "1", ("TARGET", "NOTE"): str(GUITAR[1])}, True),
    ("string down wraps", "string down", 0.4, {},
     {("INST", "STRING"): "5", ("TARGET", "NOTE"): str(GUITAR[5])}, True),
    ("string number steps", "string", 0.1, {}, {("INST", "STRING"): "1", ("TARGET", "NOTE"): str(GUITAR[1])}, False),
    ("instrument to bass", "instrument", 0.1, {},
     {("INST", "KIND"): "1", ("INST", "STRING"): "0", ("TARGET", "NOTE"): str(BASS[0])}, False),
    ("guitar first string to bass", "instrument", 0.1, {("INST", "STRING"): "5"},
     {("INST", "KIND"): "1", ("INST", "STRING"): "3", ("TARGET", "NOTE"): str(BASS[3])}, False),
    ("panel switch off", "panel", 0.1, {}, {("INST", "STATUS"): "0", ("TARGET", "NOTE"): "49"}, False),
    ("panel switch on takes the string", "panel", 0.1, {("INST", "STATUS"): "0"},
     {("INST", "STATUS"): "1", ("TARGET", "NOTE"): str(GUITAR[0])}, False),
    ("instrument ignored with the panel off", "instrument", 0.1, {("INST", "STATUS"): "0"},
     {("INST", "KIND"): "0", ("INST", "STATUS"): "0", ("TARGET", "NOTE"): "49"}, False),
    ("flat to sharp", "corner", 0.1, {}, {("FORS", "STATUS"): "1"}, False),
    ("automatic target", "auto", 0.4, {}, {("TARGET", "NOTE"): "0"}, True),
    ("up by one held", "up 1", 0.8, {}, {("TARGET", "NOTE"): ("per", 1)}, True),
    ("down by one held", "down 1", 0.8, {}, {("TARGET", "NOTE"): ("per", -1)}, True),
    ("down by five held to the bottom", "down 5", 2.0, {}, {("TARGET", "NOTE"): "1"}, True),
    ("up by five held to the top", "up 5", 2.0, {}, {("TARGET", "NOTE"): "88"}, True),
]


# ---------------------------------------------------------------------------------------------------
# Pictures


class TunerScreen(PaintedScreen):
    def test_pictures_match_the_references(self):
        for label, args, commands, reference in PICTURES:
            with self.subTest(label), self.session(args, ini=h.make_ini(KNOWN)) as s:
                for command in commands:
                    s.command(command)
                self.compare(s, self.picture(s, "tuner"), reference)
                self.assertEqual(s.quit(), 0)

    # --- pressing the painted buttons

    def press_at(self, s, box, seconds, while_held=None):
        """Holds the left button on the middle of a box for some seconds with the cursor there; returns
        the seconds between the press and the release as the program got them, and while_held's result."""
        x0, x1, y0, y1 = box
        x, y = (x0 + x1) // 2, (y0 + y1) // 2
        self.pointer.move(*self.screen_point(s, x, y))
        time.sleep(0.15)
        # Sent rather than posted, so that each is handled when the driver answers. The coordinates in
        # the messages don't matter: the program asks for the cursor.
        at = (y << 16) | x
        started = time.monotonic()
        self.driver.send(WM_LBUTTONDOWN, MK_LBUTTON, at)
        pressed_at = time.monotonic()
        held = None
        if while_held:
            time.sleep(min(0.3, seconds))
            held = while_held()
        time.sleep(max(0.0, seconds - (time.monotonic() - pressed_at)))
        s.retarget()
        self.driver.send(WM_LBUTTONUP, 0, at)
        return time.monotonic() - started, held

    def expect_written(self, written, expected, held_seconds):
        for key, value in expected.items():
            if isinstance(value, tuple):
                _, step = value
                target = int(written[key])
                count = (target - 49) // step
                most = int(held_seconds / REPEAT_SECONDS) + 2
                self.assertTrue(2 <= count <= most and (target - 49) % step == 0,
                                "%s=%s after %.2f s held: %d steps, expected 2..%d"
                                % (key, written[key], held_seconds, count, most))
            else:
                self.assertEqual(written.get(key), value, key)

    def test_buttons_pressed_with_the_pointer(self):
        for size_name, size in SIZES:
            for label, button, seconds, before, expected, pressed_image in CLICKS:
                box = BOXES[button][size]
                ini = h.make_ini([(sec, key, before.get((sec, key), value)) for sec, key, value in KNOWN])
                with self.subTest(size=size_name, button=label), \
                        self.session(ini=ini, name="%s-%s" % (size_name, label)) as s:
                    s.command(TUNER)
                    if size == 0:
                        s.command(NORMAL_SIZE)
                    rest = self.picture(s, "rest")
                    held_seconds, held = self.press_at(s, box, seconds,
                                                       lambda: self.picture(s, "held", settle=False))
                    released = self.picture(s, "released")
                    for name, image in (("rest", rest), ("held", held), ("released", released)):
                        image.write_png(os.path.join(s.program.cwd, "picture-%s.png" % name))
                    if pressed_image:
                        # The pressed image shows only while the button is held.
                        self.assertGreater(region(held, box).difference(region(rest, box), CHANNEL_TOLERANCE),
                                           0.1, "no pressed image while held")
                        self.assertLessEqual(region(released, box).difference(region(rest, box), CHANNEL_TOLERANCE),
                                             MAX_DIFFERING, "the pressed image stays after the release")
                    self.assertEqual(s.quit(), 0)
                    self.expect_written(h.ini_values(s.program.read_ini()), expected, held_seconds)

    def test_normal_size_boxes_do_nothing_at_half_size(self):
        with self.session(ini=h.make_ini(KNOWN)) as s:
            s.command(TUNER)
            rest = self.picture(s, "rest")
            for button in ("string up", "string down", "up 5"):
                with self.subTest(button):
                    self.press_at(s, BOXES[button][0], 0.3)
                    after = self.picture(s, "after")
                    self.assertLessEqual(after.difference(rest, CHANNEL_TOLERANCE), MAX_DIFFERING)
            # The same pointer on the half-size box does act.
            self.press_at(s, BOXES["string up"][1], 0.1)
            self.assertEqual(s.quit(), 0)
            written = h.ini_values(s.program.read_ini())
            expected = {(sec, key): value for sec, key, value in KNOWN}
            expected.update({("INST", "STRING"): "1", ("TARGET", "NOTE"): str(GUITAR[1])})
            self.assertEqual({key: written.get(key) for key in expected}, expected)

    def test_config_button_opens_the_tuning_dialog(self):
        for size_name, size in SIZES:
            with self.subTest(size=size_name), self.session(ini=h.make_ini(KNOWN)) as s:
                s.command(TUNER)
                if size == 0:
                    s.command(NORMAL_SIZE)
                self.press_at(s, BOXES["config"][size], 0.2)
                s.retarget()
                dialogs = [w for w in self.driver.windows() if w[1] == "#32770" and w[2]]
                self.assertEqual([w[3] for w in dialogs], ["Guitar"])
                # A second press while it is open opens nothing more.
                self.press_at(s, BOXES["config"][size], 0.2)
                s.retarget()
                self.assertEqual(len([w for w in self.driver.windows() if w[1] == "#32770" and w[2]]), 1)
                self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
