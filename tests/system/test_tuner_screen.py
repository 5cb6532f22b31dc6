#!/usr/bin/env python3
"""The tuner screen: its picture at normal and half size against reference pictures, and its painted
buttons pressed with the real pointer position (the program reads the cursor, not the message). What
each button does is the unit tests' business; here a few show that presses, held repetition and the
pressed images reach the window at both sizes.

Reference pictures live in tests/system/reference/. To make them again from the program, run this
file with HARMOLAB_UPDATE_REFERENCE=1 and look at every written picture before committing it."""

import os
import unittest

import harness as h
from harness import CHANNEL_TOLERANCE, MAX_DIFFERING, PaintedScreen, region


TUNER, HALF_SIZE, NORMAL_SIZE = h.IDM_TUNER, h.IDM_HALF_SIZE, h.IDM_NORMAL_SIZE

# A known tuner: target A4 (key 49), instrument panel on, guitar, its sixth string, flats.
KNOWN = [("TARGET", "NOTE", "49"), ("INST", "STATUS", "1"), ("INST", "KIND", "0"), ("INST", "STRING", "0"),
         ("FORS", "STATUS", "0")]


# (label, launch arguments, commands sent after the start, reference picture)
PICTURES = [
    ("tuner only, half size", ["1"], [], "tuner-half.png"),
    ("tuner only, back to half size", ["1"], [NORMAL_SIZE, HALF_SIZE], "tuner-half.png"),
    ("all tools, normal size", [], [TUNER, NORMAL_SIZE], "tuner-normal.png"),
]

# Button boxes in picture coordinates (inclusive: left, right, top, bottom) at normal and half size.
BOXES = {
    "string up": ((191, 249, 400, 419), (96, 124, 200, 209)),
    "config": ((251, 325, 421, 449), (126, 162, 211, 224)),
    "corner": ((1, 23, 1, 23), (1, 11, 1, 11)),
    "up 1": ((495, 536, 421, 456), (248, 267, 211, 227)),
}
SIZES = [("normal", 0), ("half", 1)]
REPEAT_SECONDS = 0.12  # one held step every sixth 20 ms tick

# (button, seconds held, values written at exit, pressed image shown). A value ("per", STEP) is a held
# button's repetition: at least two steps of STEP from 49, and no more than the hold time allows.
CLICKS = [
    ("string up", 0.4, {("INST", "STRING"): "1", ("TARGET", "NOTE"): "25"}, True),  # guitar's fifth string
    ("corner", 0.1, {("FORS", "STATUS"): "1"}, False),  # the smallest box: flats to sharps
    ("up 1", 0.8, {("TARGET", "NOTE"): ("per", 1)}, True),
]


def press_and_check(case, s, box, seconds, pressed_image):
    """case.press_at with pictures before, while and after; the pressed image must show only while held.
    Returns the pictures at rest and after the release, and the seconds held."""
    rest = case.picture(s, "rest")
    held_seconds, held = case.press_at(s, box, seconds, lambda: case.picture(s, "held", settle=False))
    released = case.picture(s, "released")
    for name, image in (("rest", rest), ("held", held), ("released", released)):
        image.write_png(os.path.join(s.program.cwd, "picture-%s.png" % name))
    if pressed_image:
        case.assertGreater(region(held, box).difference(region(rest, box), CHANNEL_TOLERANCE), 0.1,
                           "no pressed image while held")
        case.assertLessEqual(region(released, box).difference(region(rest, box), CHANNEL_TOLERANCE), MAX_DIFFERING,
                             "the pressed image stays after the release")
    return rest, released, held_seconds


def check_written(case, written, expected, start, held_seconds):
    """Values written at exit; ("per", STEP) is a held button's repetition from start: at least two steps
    and no more than the hold time allows (the free-running tick counter may add one at once)."""
    for key, value in expected.items():
        if isinstance(value, tuple):
            step = value[1]
            count, rest = divmod(int(written[key]) - start, step)
            most = int(held_seconds / REPEAT_SECONDS) + 3
            case.assertTrue(2 <= count <= most and rest == 0, "%s=%s after %.2f s held: expected 2..%d steps of %d"
                            % (key, written[key], held_seconds, most, step))
        else:
            case.assertEqual(written.get(key), value, key)


class TunerScreen(PaintedScreen):
    def test_pictures_match_the_references(self):
        for label, args, commands, reference in PICTURES:
            with self.subTest(label), self.session(args, ini=h.make_ini(KNOWN)) as s:
                for command in commands:
                    s.command(command)
                self.compare(s, self.picture(s, "tuner"), reference)
                self.assertEqual(s.quit(), 0)

    def test_buttons_pressed_with_the_pointer(self):
        for size_name, size in SIZES:
            for button, seconds, expected, pressed_image in CLICKS:
                with self.subTest(size=size_name, button=button), \
                        self.session(ini=h.make_ini(KNOWN), name="%s-%s" % (size_name, button)) as s:
                    s.command(TUNER)
                    if size == 0:
                        s.command(NORMAL_SIZE)
                    _, _, held_seconds = press_and_check(self, s, BOXES[button][size], seconds, pressed_image)
                    self.assertEqual(s.quit(), 0)
                    check_written(self, h.ini_values(s.program.read_ini()), expected, 49, held_seconds)

    def test_config_button_opens_the_tuning_dialog_once(self):
        with self.session(ini=h.make_ini(KNOWN)) as s:
            s.command(TUNER)
            for _ in range(2):
                self.press_at(s, BOXES["config"][1], 0.2)
                s.retarget()
                self.assertEqual([w[3] for w in self.driver.windows() if w[1] == "#32770" and w[2]], ["Guitar"])
            self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
