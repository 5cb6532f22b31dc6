#!/usr/bin/env python3
"""The toolbar's buttons, images and tooltips, and the menu items each launch mode grays."""

import unittest

import harmolab as h

# (command, image at a start without settings, i.e. in the spectrum analyser, tooltip)
TOOLBAR = [
    (40003, 0, "電源"),
    (40008, 2, "一時停止"),
    (40009, 5, "スペクトラム解析へ"),
    (40010, 6, "チューナへ"),
    (40011, 8, "メトロノームへ"),
    (40037, 10, "サイン波の作成"),
    (40014, 12, "音階モード/周波数モード"),
    (40019, 14, "Help"),
]

TBSTATE_ENABLED = 0x04
SINGLE_TOOL_GRAYED = [40034, 40021, 40029, 40030, 40033, 40032]

# (launch arguments, items grayed at start, items that must stay available)
GRAYED_AT_START = [
    ([], [40083, 40034, 40045], [40003, 40009, 40010, 40021, 40029, 40030, 40032, 40033, 40036, 40046, 40037]),
    (["0"], [40010] + SINGLE_TOOL_GRAYED, [40009, 40003]),
    (["1"], [40009] + SINGLE_TOOL_GRAYED, [40010, 40003]),
    (["2"], [40009, 40010] + SINGLE_TOOL_GRAYED, [40003, 40050]),
]


class MenuToolbar(h.SystemTestCase):
    def test_toolbar_buttons_at_start(self):
        with self.session() as s:
            self.assertEqual(self.driver.toolbar_count(), len(TOOLBAR))
            for index, (command, image, _) in enumerate(TOOLBAR):
                with self.subTest(command=command):
                    button = self.driver.toolbar_button(index)
                    self.assertEqual((button["command"], button["image"]), (command, image))
                    self.assertTrue(button["state"] & TBSTATE_ENABLED, "button disabled")
            left, top, right, bottom = self.driver.child_rect(40034)
            self.assertEqual((left, top), (0, 0), "toolbar not at the top of the client area")
            self.assertEqual(s.quit(), 0)

    def test_tooltips(self):
        with self.session() as s:
            for command, _, text in TOOLBAR:
                with self.subTest(command=command):
                    # As the toolbar's tooltip control shows it, and as the window answers the request.
                    self.assertEqual(self.driver.tooltip(command, "control"), text)
                    self.assertEqual(self.driver.tooltip(command, "notify"), text)
            self.assertEqual(s.quit(), 0)

    def test_items_grayed_by_launch_mode(self):
        for args, grayed, available in GRAYED_AT_START:
            with self.subTest(args=args), self.session(args) as s:
                states = {c: self.driver.menu(c) for c in grayed + available}
                missing = [c for c, st in states.items() if not st["exists"]]
                self.assertEqual(missing, [], "menu items missing")
                self.assertEqual([c for c in grayed if not states[c]["grayed"]], [], "should be grayed")
                self.assertEqual([c for c in available if states[c]["grayed"] or states[c]["disabled"]], [],
                                 "should be available")
                self.assertEqual(s.quit(), 0)

    def test_play_volume_item_is_disabled_not_grayed(self):
        with self.session() as s:
            item = self.driver.menu(400)
            self.assertEqual((item["exists"], item["disabled"], item["grayed"]), (1, 1, 0), item)
            self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
