#!/usr/bin/env python3
"""The outer window size comes from the picture size table, the toolbar and the measured menu band."""

import unittest

import harness as h

HALF_SIZE, NORMAL_SIZE = h.IDM_HALF_SIZE, h.IDM_NORMAL_SIZE

# (arguments, size commands sent after the start, picture width and height)
CASES = [
    ([], [], 320, 240),  # all tools always start at half size, even in the spectrum analyser
    (["0"], [], 360, 240),
    (["1"], [], 320, 240),
    (["2", "120", "4"], [], 320, 240),
    ([], [NORMAL_SIZE], 640, 480),
    ([], [NORMAL_SIZE, HALF_SIZE], 360, 240),  # half size of the spectrum analyser
    (["1"], [NORMAL_SIZE], 640, 480),
    (["1"], [NORMAL_SIZE, HALF_SIZE], 320, 240),
]


def expected_outer_size(driver, picture_w, picture_h):
    """The size that the two sizing passes give for a picture of picture_w x picture_h.

    Pass one sets the height to picture + SM_CYMENU + caption + toolbar and measures the menu band
    as (window height - client height - caption) - SM_CYFRAME; pass two sets picture + menu band +
    caption + toolbar. Both passes use the same width, so the non-client height measured in pass one
    is the one the finished window shows."""
    width, height = driver.window_size()
    _, client_height = driver.client_size()
    caption = driver.metric("SM_CYCAPTION")
    frame = driver.metric("SM_CYFRAME")
    top, bottom = driver.child_rect(h.IDC_TOOLBAR)[1::2]
    toolbar = bottom - top
    menu_band = (height - client_height - caption) - frame
    return picture_w, picture_h + menu_band + caption + toolbar


class WindowSize(h.SystemTestCase):
    def test_outer_size_follows_the_two_pass_formula(self):
        for args, commands, picture_w, picture_h in CASES:
            with self.subTest(args=args, commands=commands), self.session(args) as s:
                corner = self.driver.rect()[:2]
                for command in commands:
                    s.command(command)
                self.assertEqual(self.driver.window_size(), expected_outer_size(self.driver, picture_w, picture_h),
                                 "window %r, client %r" % (self.driver.rect(), self.driver.client()))
                self.assertEqual(self.driver.rect()[:2], corner, "sizing moved the top-left corner")
                self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
