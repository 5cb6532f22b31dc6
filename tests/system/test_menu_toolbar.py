#!/usr/bin/env python3
"""The toolbar's buttons, images and tooltips, and what the first command-line argument (the launch
mode) decides: the main window's class and title, and the menu items it grays."""

import unittest

import harness as h

# (command, image at a start without settings, i.e. in the spectrum analyser, tooltip)
TOOLBAR = [
    (h.IDM_POWER, 0, "電源"),
    (h.IDM_PAUSE, 2, "一時停止"),
    (h.IDM_SPECTRUM, 5, "スペクトラム解析へ"),
    (h.IDM_TUNER, 6, "チューナへ"),
    (h.IDM_METRONOME, 8, "メトロノームへ"),
    (h.IDM_SINE_WAVE, 10, "サイン波の作成"),
    (h.IDM_NOTE_MODE, 12, "音階モード/周波数モード"),
    (h.IDM_HELP, 14, "Help"),
]

TBSTATE_ENABLED = 0x04
SINGLE_TOOL_GRAYED = [h.IDM_RHYTHM_BOX, h.IDM_CONFIG, h.IDM_GUITAR_TUNING, h.IDM_BASS_TUNING, h.IDM_UKULELE_TUNING,
                      h.IDM_SHAMISEN_TUNING]

ALL_CLASSES = [h.CLASS_ALL_TOOLS, h.CLASS_SPECTRUM, h.CLASS_TUNER, h.CLASS_METRONOME]

# (launch arguments, class and title of the main window, items grayed at start, items that must stay
# available)
LAUNCH_MODES = [
    ([], h.CLASS_ALL_TOOLS, [h.IDM_SOUND_TRACKING, h.IDM_RHYTHM_BOX, h.IDM_VOCAL_CANCEL_ADVANCED],
     [h.IDM_POWER, h.IDM_SPECTRUM, h.IDM_TUNER, h.IDM_CONFIG, h.IDM_GUITAR_TUNING, h.IDM_BASS_TUNING,
      h.IDM_SHAMISEN_TUNING, h.IDM_UKULELE_TUNING, h.IDM_WAVE_PLAY, h.IDM_VOCAL_CANCEL_SIMPLE, h.IDM_SINE_WAVE]),
    (["0"], h.CLASS_SPECTRUM, [h.IDM_TUNER] + SINGLE_TOOL_GRAYED, [h.IDM_SPECTRUM, h.IDM_POWER]),
    (["1", "120", "3"], h.CLASS_TUNER, [h.IDM_SPECTRUM] + SINGLE_TOOL_GRAYED, [h.IDM_TUNER, h.IDM_POWER]),
    (["2", "400", "6"], h.CLASS_METRONOME, [h.IDM_SPECTRUM, h.IDM_TUNER] + SINGLE_TOOL_GRAYED,
     [h.IDM_POWER, h.IDM_KIND_NORMAL]),
    (["3"], h.CLASS_ALL_TOOLS, [], []),
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
            left, top, right, bottom = self.driver.child_rect(h.IDC_TOOLBAR)
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

    def test_launch_mode_names_the_window_and_grays_items(self):
        for args, cls, grayed, available in LAUNCH_MODES:
            # Waits for any of the four classes, so a wrong mode fails at once and says which it chose.
            with self.subTest(args=args), self.session(args, cls=ALL_CLASSES) as s:
                self.assertEqual((self.driver.class_name(), self.driver.title()), (cls, cls))
                self.assertEqual([c for c in ALL_CLASSES if c != cls and self.driver.find(c)], [], "other windows")
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
