#!/usr/bin/env python3
"""The modeless dialogs answer the dialog keys: Esc cancels and closes each of them, as it would in any
dialog, because the message loop gives their messages to the dialog first."""

import time
import unittest

import harness as h
from test_commands import ABOUT, CONFIG, GUITAR_TUNING, PLAY_VOLUME, SINE_WAVE, dialog_windows

WM_KEYDOWN, WM_KEYUP, VK_ESCAPE = 0x0100, 0x0101, 0x1B

# (command, dialog title)
DIALOGS = [(CONFIG, "Config"), (PLAY_VOLUME, "Play volume"), (ABOUT, "About"), (SINE_WAVE, "正弦波の作成"),
           (GUITAR_TUNING, "Guitar")]


class DialogKeys(h.SystemTestCase):
    def test_escape_closes_every_dialog(self):
        with self.session() as s:
            for command, title in DIALOGS:
                with self.subTest(title):
                    s.retarget()
                    self.driver.post(h.WM_COMMAND, command, 0)
                    time.sleep(0.5)
                    dialogs = dialog_windows(s, title)
                    self.assertEqual(len(dialogs), 1, "the dialog did not open")
                    # Posted as the keyboard's messages are, to the dialog that has the focus.
                    self.driver.target(dialogs[0][0])
                    self.driver.post(WM_KEYDOWN, VK_ESCAPE, 0x00010001)
                    self.driver.post(WM_KEYUP, VK_ESCAPE, 0xC0010001)
                    time.sleep(0.5)
                    self.assertEqual(dialog_windows(s, title), [], "Esc left the dialog open")
            self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
