#!/usr/bin/env python3
"""The command layer: power, pause, tool switches and metronome-kind selection, downbeat marks, the single
and repeatable dialogs, the Config dialog's colour group, and a readable picture of the Config dialog."""

import os
import unittest

import harness as h
from test_window_size import expected_outer_size

POWER, PAUSE, SPECTRUM, TUNER, METRONOME = h.IDM_POWER, h.IDM_PAUSE, h.IDM_SPECTRUM, h.IDM_TUNER, h.IDM_METRONOME
KINDS = [h.IDM_KIND_NORMAL, h.IDM_KIND_CONDUCTOR, h.IDM_KIND_BALL, h.IDM_KIND_SIGNAL]
BALL = h.IDM_KIND_BALL
CONFIG, PLAY_VOLUME, ABOUT, SINE_WAVE, NOTE_MODE = h.IDM_CONFIG, h.IDM_PLAY_VOLUME, h.IDM_ABOUT, h.IDM_SINE_WAVE, h.IDM_NOTE_MODE
GUITAR_TUNING = h.IDM_GUITAR_TUNING
UKULELE_TUNING, SHAMISEN_TUNING = h.IDM_UKULELE_TUNING, h.IDM_SHAMISEN_TUNING
IDCANCEL = 2

WM_GETTEXTLENGTH = 0x000E  # the only question about an edit's text that needs no pointer
WM_CHAR = 0x0102
EM_SETSEL = 0x00B1

# Images of the power and pause buttons.
POWER_OFF, POWER_ON, PAUSE_RUNNING, PAUSE_PAUSED = 0, 1, 2, 3

# Downbeat items: popup n (2..6) holds items 1..n on consecutive ids from 40059.
DOWNBEAT_ITEMS = {}
_next = h.IDM_DOWNBEAT_FIRST
for _beats in range(2, 7):
    for _position in range(1, _beats + 1):
        DOWNBEAT_ITEMS[(_beats, _position)] = _next
        _next += 1
ALL_DOWNBEAT = sorted(DOWNBEAT_ITEMS.values())

# The sequencing itself is tested natively (tool_sequence_test); these check that the window sets the
# marks and button images it decides. Steps: (command, power checked, pause checked, power image, pause image)
POWER_STEPS = [
    (PAUSE, False, False, POWER_OFF, PAUSE_RUNNING),  # pause while off: power comes on running
    (POWER, True, False, POWER_ON, PAUSE_RUNNING),
    (PAUSE, True, True, POWER_ON, PAUSE_PAUSED),
    (PAUSE, True, False, POWER_ON, PAUSE_RUNNING),
    (PAUSE, True, True, POWER_ON, PAUSE_PAUSED),
    (POWER, False, False, POWER_OFF, PAUSE_RUNNING),  # power off clears the pause
]

# Commands that only switch the power off: (label, launch arguments, commands before power on, pause
# too, command, items checked afterwards among the tools and kinds, tool button images afterwards)
POWER_OFF_ONLY = [
    ("spectrum, paused", [], [], True, SPECTRUM, [SPECTRUM], [5, 6, 8]),
    # Metronome-only mode marks the kind chosen, not Normal.
    ("a kind in metronome-only mode", ["2"], [BALL], False, BALL, [BALL], [4, 6, 9]),
]

# All-tools mode moves between the tools by the switch messages and the tool commands: (message and its
# wParam, items checked afterwards, tool button images, picture size)
HALF_SPECTRUM, HALF_OTHER = (360, 240), (320, 240)
SWITCHES = [
    (h.WM_APP_GO_TUNER, 0, [TUNER], [4, 7, 8], HALF_OTHER),
    (h.WM_APP_GO_SPECTRUM, 0, [SPECTRUM], [5, 6, 8], HALF_SPECTRUM),
    (h.WM_APP_GO_METRONOME, 0, [KINDS[0]], [4, 6, 9], HALF_OTHER),
    (h.WM_APP_GO_TUNER, 0, [TUNER], [4, 7, 8], HALF_OTHER),
    (h.WM_COMMAND, SPECTRUM, [SPECTRUM], [5, 6, 8], HALF_SPECTRUM),
    (h.WM_COMMAND, BALL, [BALL], [4, 6, 9], HALF_OTHER),
    (h.WM_COMMAND, METRONOME, [BALL], [4, 6, 9], HALF_OTHER),
    (h.WM_COMMAND, TUNER, [TUNER], [4, 7, 8], HALF_OTHER),
]

# (downbeat command, items checked afterwards); every other downbeat item must be unchecked
DOWNBEAT_STEPS = [
    (DOWNBEAT_ITEMS[(3, 2)], [DOWNBEAT_ITEMS[(3, 2)]]),
    (DOWNBEAT_ITEMS[(3, 3)], [DOWNBEAT_ITEMS[(3, 3)]]),
    (DOWNBEAT_ITEMS[(2, 2)], [DOWNBEAT_ITEMS[(2, 2)], DOWNBEAT_ITEMS[(3, 3)]]),
    (DOWNBEAT_ITEMS[(6, 6)], [DOWNBEAT_ITEMS[(2, 2)], DOWNBEAT_ITEMS[(3, 3)], DOWNBEAT_ITEMS[(6, 6)]]),
    (DOWNBEAT_ITEMS[(2, 1)], [DOWNBEAT_ITEMS[(2, 1)], DOWNBEAT_ITEMS[(3, 3)], DOWNBEAT_ITEMS[(6, 6)]]),
]
# What the file written at exit holds after those steps
DOWNBEAT_SAVED = {"2": "1", "3": "3", "4": "0", "5": "0", "6": "6"}

# (command, dialog title, windows after the command is sent twice, button that closes one, toolbar
# image of the command while a dialog is open and after it closed, or None)
DIALOGS = [
    (ABOUT, "About", 2, h.IDOK, None),
    (CONFIG, "Config", 1, IDCANCEL, None),
    (PLAY_VOLUME, "Play volume", 1, h.IDOK, None),
    (SINE_WAVE, "正弦波の作成", 1, IDCANCEL, (11, 10)),
    (GUITAR_TUNING, "Guitar", 1, IDCANCEL, None),
]

# Note mode acts only in the spectrum analyser: (label, commands before, 40014 checked and its image
# after each of two presses)
NOTE_MODE_CASES = [
    ("spectrum", [], [(True, 13), (False, 12)]),
    ("metronome", [METRONOME], [(False, 12), (False, 12)]),
]

CONFIG_COLOUR_EDIT = h.IDC_CONFIG_PALETTE
CONFIG_RATE_EDIT = h.IDC_CONFIG_SAMPLING_HZ
CONFIG_A4_EDIT = h.IDC_CONFIG_A4
# A file with colour group 1 and rate 22050 to start from
CONFIG_START = [("PALLET", "NO", "1"), ("SAMPLING", "HZ", "22050")]
# Values typed into the Config dialog: (edit, text typed, button, key, value written at exit)
CONFIG_ENTRIES = [
    (CONFIG_COLOUR_EDIT, "5", h.IDOK, ("PALLET", "NO"), "2"),
    (CONFIG_COLOUR_EDIT, "0", IDCANCEL, ("PALLET", "NO"), "1"),
    (CONFIG_RATE_EDIT, "11025", h.IDOK, ("SAMPLING", "HZ"), "11025"),
    (CONFIG_A4_EDIT, "442", h.IDOK, ("TUNER", "A4"), "442"),
]

# The longest Japanese labels of the Config dialog, each of which must be drawn whole: (text, class)
CONFIG_LABELS = [("強拍のサウンドファイル", "Static"), ("指揮棒ライン消去？", "Static"), ("スペクトラム色設定", "Static"),
                 ("基準ピッチ A4 (Hz)", "Static"), ("消去しない", "Button"), ("キャンセル", "Button")]


def observe_tool(driver):
    checked = [c for c in [SPECTRUM, TUNER] + KINDS if driver.menu(c)["checked"]]
    images = [driver.toolbar_image(c) for c in (SPECTRUM, TUNER, METRONOME)]
    return {"checked": checked, "images": images, "class": driver.class_name(), "size": driver.window_size()}


def power_state(driver):
    """(power checked, pause checked, power image, pause image)"""
    return (bool(driver.menu(POWER)["checked"]), bool(driver.menu(PAUSE)["checked"]), driver.toolbar_image(POWER),
            driver.toolbar_image(PAUSE))


def dialog_windows(session, title):
    """The program's visible top-level windows with this title (the main window becomes the target).

    Filtered here rather than by the driver's title= filter, which gets titles with spaces double-escaped."""
    session.retarget()
    return [w for w in session.driver.windows() if w[3] == title and w[2]]


def em_count(text):
    """Width of a text in ems: full-width characters count one, the others a half."""
    return sum(1.0 if ord(c) > 0x2000 else 0.5 for c in text)


class Commands(h.SystemTestCase):
    def press(self, s, command):
        s.retarget()
        s.command(command)

    def test_power_and_pause_marks_and_buttons(self):
        with self.session() as s:
            for step, (command, *expected) in enumerate(POWER_STEPS):
                self.press(s, command)
                self.assertEqual(power_state(self.driver), tuple(expected), "after step %d" % step)
            self.assertEqual(s.quit(), 0)

    def test_commands_that_only_switch_power_off(self):
        for label, args, setup, pause, command, checked, images in POWER_OFF_ONLY:
            with self.subTest(label), self.session(args) as s:
                for c in setup:
                    self.press(s, c)
                before = observe_tool(self.driver)
                self.press(s, POWER)
                if pause:
                    self.press(s, PAUSE)
                self.assertTrue(self.driver.menu(POWER)["checked"], "power did not come on")
                self.press(s, command)
                self.assertEqual(power_state(self.driver), (False, False, POWER_OFF, PAUSE_RUNNING))
                after = observe_tool(self.driver)
                self.assertEqual((after["checked"], after["images"]), (checked, images))
                self.assertEqual(after, before, "the tool changed")
                self.assertEqual(s.quit(), 0)

    def test_tool_switches(self):
        with self.session() as s:
            for step, (message, wparam, checked, images, picture) in enumerate(SWITCHES):
                self.driver.send(message, wparam, 0)
                self.assertEqual(observe_tool(self.driver), {
                    "checked": checked, "images": images, "class": h.CLASS_ALL_TOOLS,
                    "size": expected_outer_size(self.driver, *picture)}, "after step %d" % step)
            escapes = [line for line in s.program.debug_lines() if line.startswith("escape Metronome")]
            self.assertEqual(len(escapes), 2, "leaving the metronome twice: %r" % s.program.debug_lines())
            self.assertEqual(s.quit(), 0)

    def test_downbeat_marks(self):
        with self.session() as s:
            self.assertEqual([c for c in ALL_DOWNBEAT if self.driver.menu(c)["checked"]], [], "at start")
            for command, checked in DOWNBEAT_STEPS:
                with self.subTest(command=command):
                    self.press(s, command)
                    self.assertEqual([c for c in ALL_DOWNBEAT if self.driver.menu(c)["checked"]], checked)
            self.assertEqual(s.quit(), 0)
            saved = h.ini_values(s.program.read_ini())
            self.assertEqual({n: saved.get(("DOWNBEAT", n)) for n in DOWNBEAT_SAVED}, DOWNBEAT_SAVED)

    def test_dialogs_opened_twice(self):
        for command, title, count, close_button, images in DIALOGS:
            with self.subTest(title), self.session() as s:
                self.press(s, command)
                self.press(s, command)
                windows = dialog_windows(s, title)
                self.assertEqual(len(windows), count, windows)
                if images:
                    self.assertEqual(self.driver.toolbar_image(command), images[0], "image while open")
                # Closing one with its button frees the command again.
                self.driver.target(windows[0][0])
                self.driver.send(h.WM_COMMAND, close_button, 0)
                self.assertEqual(len(dialog_windows(s, title)), count - 1, "a button did not close it")
                if images:
                    self.assertEqual(self.driver.toolbar_image(command), images[1], "image after closing")
                self.press(s, command)
                self.assertEqual(len(dialog_windows(s, title)), count, "not opened again after closing")
                self.assertEqual(s.quit(), 0)

    def test_tuning_dialogs_share_one_slot(self):
        with self.session() as s:
            self.press(s, SHAMISEN_TUNING)
            self.press(s, UKULELE_TUNING)
            self.assertEqual([w[3] for w in self.driver.windows() if w[1] == "#32770" and w[2]], ["三味線"])
            self.assertEqual(s.quit(), 0)

    def test_note_mode_only_in_the_spectrum_analyser(self):
        for label, setup, steps in NOTE_MODE_CASES:
            with self.subTest(label), self.session() as s:
                for command in setup:
                    self.press(s, command)
                for step, (checked, image) in enumerate(steps):
                    self.press(s, NOTE_MODE)
                    self.assertEqual((bool(self.driver.menu(NOTE_MODE)["checked"]),
                                      self.driver.toolbar_image(NOTE_MODE)), (checked, image), "press %d" % step)
                self.assertEqual(s.quit(), 0)

    def type_into(self, dialog, control_id, text):
        """Replaces an edit control's text by typed characters; returns its new text length."""
        self.driver.target(dialog)
        edit = [c for c in self.driver.children() if c[1] == control_id]
        self.assertEqual(len(edit), 1, "control %d of the dialog" % control_id)
        self.driver.target(edit[0][0])
        self.driver.send(EM_SETSEL, 0, -1)
        for ch in text:
            self.driver.send(WM_CHAR, ord(ch), 1)
        return self.driver.send(WM_GETTEXTLENGTH, 0, 0)

    def test_config_values_typed(self):
        ini = h.make_ini(CONFIG_START)
        for edit, typed, button, key, saved in CONFIG_ENTRIES:
            with self.subTest(edit=edit, typed=typed, button=button), self.session(ini=ini) as s:
                self.press(s, CONFIG)
                dialogs = dialog_windows(s, "Config")
                self.assertEqual(len(dialogs), 1)
                dialog = dialogs[0][0]
                self.assertEqual(self.type_into(dialog, edit, typed), len(typed), "typing failed")
                self.driver.target(dialog)
                self.driver.send(h.WM_COMMAND, button, 0)
                self.assertEqual(dialog_windows(s, "Config"), [], "the dialog stayed open")
                self.assertEqual(s.quit(), 0)
                written = h.ini_values(s.program.read_ini())
                self.assertEqual(written.get(key), saved)
                # Only the edited value changes.
                for sec, k, value in CONFIG_START:
                    if (sec, k) != key:
                        self.assertEqual(written.get((sec, k)), value, (sec, k))

    def test_colour_group_shows_at_once(self):
        """A new colour group chosen in Config recolours the shown spectrum picture without a tool switch."""
        with self.session(ini=h.make_ini([("PALLET", "NO", "0")])) as s:
            self.press(s, NOTE_MODE)  # the keyboard strip is drawn in the group's colours
            s.retarget()
            before = s.stable_capture(os.path.join(s.program.cwd, "group0"))
            self.press(s, CONFIG)
            dialog = dialog_windows(s, "Config")[0][0]
            self.assertEqual(self.type_into(dialog, CONFIG_COLOUR_EDIT, "1"), 1)
            self.driver.target(dialog)
            self.driver.send(h.WM_COMMAND, h.IDOK, 0)
            s.retarget()
            after = s.stable_capture(os.path.join(s.program.cwd, "group1"))
            self.assertGreater(after.difference(before, 8), 0.01, "the picture kept the old colours")
            self.assertEqual(s.quit(), 0)

    def test_config_dialog_picture(self):
        """Every Japanese label of the Config dialog is drawn whole."""
        with self.session() as s:
            self.press(s, CONFIG)
            dialogs = dialog_windows(s, "Config")
            self.assertEqual(len(dialogs), 1)
            dialog = dialogs[0][0]
            self.driver.target(dialog)
            origin = self.driver.rect()[:2]
            image = s.stable_capture(os.path.join(s.program.cwd, "config"))
            children = self.driver.children()
            # The edits show the settings they start from (the default colour group and rate).
            for control_id, length in ((CONFIG_COLOUR_EDIT, 1), (CONFIG_RATE_EDIT, 5)):
                self.driver.target([c for c in children if c[1] == control_id][0][0])
                self.assertEqual(self.driver.send(WM_GETTEXTLENGTH, 0, 0), length, "edit %d" % control_id)
            for text, cls in CONFIG_LABELS:
                with self.subTest(text):
                    matches = [c for c in children if c[4] == text and c[2] == cls]
                    self.assertTrue(matches, "no %s control with the text %s" % (cls, text))
                    self.driver.target(matches[0][0])
                    left, top, right, bottom = self.driver.rect()
                    box = (left - origin[0], top - origin[1], right - origin[0], bottom - origin[1])
                    if cls == "Button" and text != "キャンセル":
                        # Radio buttons: the text follows the round box.
                        box = (box[0] + (box[3] - box[1]), box[1], box[2], box[3])
                    else:
                        box = (box[0] + 2, box[1] + 2, box[2] - 2, box[3] - 2) if cls == "Button" else box
                    ink = image.ink_box(*box)
                    self.assertIsNotNone(ink, "nothing drawn for %s in %r" % (text, box))
                    height = ink[3] - ink[1]
                    # Drawn on one line (not wrapped out of sight), and not cut at the control's right edge.
                    self.assertGreaterEqual(ink[2] - ink[0], 0.7 * em_count(text) * height, "clipped or wrapped")
                    self.assertLess(ink[2], box[2], "%s touches the right edge of its control" % text)
            self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
