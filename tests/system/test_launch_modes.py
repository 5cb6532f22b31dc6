#!/usr/bin/env python3
"""The first command-line argument picks the launch mode, which names the main window's class and title."""

import unittest

import harmolab as h

ALL_CLASSES = [h.CLASS_ALL_TOOLS, h.CLASS_SPECTRUM, h.CLASS_TUNER, h.CLASS_METRONOME]

# (arguments, class and title of the main window)
CASES = [
    ([], h.CLASS_ALL_TOOLS),
    (["0"], h.CLASS_SPECTRUM),
    (["1"], h.CLASS_TUNER),
    (["2"], h.CLASS_METRONOME),
    (["3"], h.CLASS_ALL_TOOLS),
    (["-5"], h.CLASS_ALL_TOOLS),
    (["abc"], h.CLASS_SPECTRUM),
    (["1", "120", "3"], h.CLASS_TUNER),
    (["2", "400", "6"], h.CLASS_METRONOME),
]


class LaunchModes(h.SystemTestCase):
    def test_class_and_title_follow_the_first_argument(self):
        for args, expected in CASES:
            with self.subTest(args=args):
                # Wait for any of the four classes, so a wrong mode fails at once and says which it chose.
                with self.session(args, cls=ALL_CLASSES) as s:
                    self.assertEqual(self.driver.class_name(), expected)
                    self.assertEqual(self.driver.title(), expected)
                    others = [c for c in ALL_CLASSES if c != expected and self.driver.find(c)]
                    self.assertEqual(others, [], "windows of other launch modes")
                    self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
