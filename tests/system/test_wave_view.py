#!/usr/bin/env python3
"""The Wave View window: the main menu's item 40040 opens it on a chosen WAV file (made by sox) and
checks the item, the window draws the file's waveform, buttons and arrow keys step through the file,
and the item again or the window's close box closes it and clears the check mark."""

import os
import shutil
import time
import unittest

import harness as h
from test_sound_out import WAVE_PLAY, child_handles, choose_file, type_text, wait_for_window, windows_path
from test_spectrum_live import poll

WAVE_VIEW, TUNER = h.IDM_WAVE_VIEW, h.IDM_TUNER
CLASS = "WaveView"
WM_KEYDOWN, WM_KEYUP, VK_LEFT, VK_RIGHT, WM_GETTEXTLENGTH = 0x0100, 0x0101, 0x25, 0x27, 0x000E
# Buttons of the window, sent as the commands their clicks make.
DETAIL, GOTO = h.IDM_WAVE_VIEW_DETAIL, h.IDM_WAVE_VIEW_GOTO
JUMP_TITLE, JUMP_GO, JUMP_MINUTES, JUMP_SECONDS, JUMP_LIMIT = "GoTo", 1005, 1006, 1009, 1041
BACK_200, FORWARD_200 = h.IDC_WAVE_VIEW_BACK, h.IDC_WAVE_VIEW_FORWARD
WIDER, NARROWER, FIRST, LAST = h.IDC_WAVE_VIEW_WIDER, h.IDC_WAVE_VIEW_NARROWER, h.IDC_WAVE_VIEW_FIRST, h.IDC_WAVE_VIEW_LAST
RATE, HZ, SECONDS = 8000, 20, 3
# 200 frames at 8000 Hz are half a period of 20 Hz: the trace turns upside down. 5,000 frames are
# 12.5 periods: upside down as well.


def make_sox_wave(path, channels=1, seconds=SECONDS):
    return h.make_tone_wav(path, HZ, seconds, channels, volume=0.8, rate=RATE)


class ExeElsewhere:
    """The test environment, with Harmolab.exe (and Melodex.dll) run from a copy in another folder."""

    def __init__(self, env, folder):
        os.makedirs(folder, exist_ok=True)
        for name in ("Harmolab.exe", "Melodex.dll"):
            shutil.copy(os.path.join(os.path.dirname(env.exe), name), folder)
        self._env, self.exe = env, os.path.join(folder, "Harmolab.exe")

    def __getattr__(self, name):
        return getattr(self._env, name)


class WaveView(h.SystemTestCase):
    def open_view(self, s, wav):
        self.choose(s, WAVE_VIEW, wav)
        view = self.driver.wait_window(CLASS, timeout=10)["hwnd"]
        self.driver.target(view)
        return view

    def choose(self, s, command, wav):
        s.retarget()
        choose_file(self.driver, command, wav)

    def boxes(self):
        return [w for w in self.driver.desktop() if w[1] == "#32770"]

    def test_refused_with_a_reason_while_a_file_plays(self):
        with self.session() as s:
            self.choose(s, WAVE_PLAY, make_sox_wave(os.path.join(s.program.cwd, "long.wav"), seconds=30))
            self.assertTrue(poll(lambda: s.retarget() or self.driver.menu(WAVE_PLAY)["checked"], 5.0, 0.1))
            s.retarget()
            self.driver.post(h.WM_COMMAND, WAVE_VIEW, 0)
            boxes = poll(self.boxes, 5.0, 0.1)
            self.assertTrue(boxes, "Wave 閲覧 did nothing, silently, while WAVE 再生 played")
            self.assertIn("WAVE 再生中", " ".join(s.box_text(boxes[0][0])))
            self.driver.post(h.WM_COMMAND, h.IDOK, 0)
            self.assertFalse(self.driver.find(CLASS), "a view opened on the playing stream")
            self.assertEqual(s.quit(), 0)

    def test_chooser_keeps_the_current_folder(self):
        """A WAV chosen in another folder leaves the program's folder where it was: the tuner's images
        (found only there; the program runs from a copy elsewhere) still load at the next tool switch."""
        session = self.session(name="chooser-folder")
        session.program.env = ExeElsewhere(self.env, os.path.join(session.program.cwd, "bin"))
        os.makedirs(os.path.join(session.program.cwd, "elsewhere"), exist_ok=True)
        wav = make_sox_wave(os.path.join(session.program.cwd, "elsewhere", "sine20.wav"))
        with session as s:
            self.open_view(s, wav)
            self.driver.post(h.WM_CLOSE)
            self.assertTrue(poll(lambda: not self.driver.find(CLASS), 5.0, 0.1))
            s.retarget()
            self.driver.post(h.WM_COMMAND, TUNER, 0)
            time.sleep(1.5)
            self.assertEqual([s.box_text(b[0]) for b in self.boxes()], [], "a message box after the switch")
            self.assertEqual(s.quit(), 0)

    def checked(self, s):
        s.retarget()
        return bool(self.driver.menu(WAVE_VIEW)["checked"])

    def picture(self, s, view, name):
        """The view's client area as an Image, after its painting has settled."""
        self.driver.target(view)
        time.sleep(0.3)
        bmp = os.path.join(s.program.cwd, name + ".bmp")
        self.driver.capture(bmp)
        image = h.Image.read_bmp(bmp)
        # Only the client area: the caption's colours follow the activation, not the view.
        left, top, _, _ = self.driver.rect()
        c_left, c_top, c_right, c_bottom = self.driver.client()
        x, y = c_left - left, c_top - top
        return image.crop(x, y, x + c_right - c_left, y + c_bottom - c_top)

    def wave_area(self, image):
        """Dark pixels of the trace over the middle third of the width: (count above the middle, below)."""
        middle, counts = image.height // 2, [0, 0]
        for y in range(image.height - 4):
            for x in range(image.width // 3, 2 * image.width // 3):
                if abs(y - middle) > 10 and max(image.pixel(x, y)) < 80:
                    counts[y > middle] += 1
        return counts

    def step(self, view, command=None, key=None):
        self.driver.target(view)
        if command is not None:
            self.driver.send(h.WM_COMMAND, command, 0)
        else:
            self.driver.post(WM_KEYDOWN, key, 1)
            self.driver.post(WM_KEYUP, key, 0xC0000001)
            self.driver.send(0)  # WM_NULL: the posted keys are handled once this returns

    def test_open_step_and_close(self):
        with self.session() as s:
            wav = make_sox_wave(os.path.join(s.program.cwd, "sine20.wav"))
            view = self.open_view(s, wav)
            self.driver.target(view)
            self.assertEqual(self.driver.title(), "WaveView [%s]" % windows_path(wav))
            self.assertTrue(poll(lambda: self.checked(s), 5.0, 0.1), "40040 is not checked while the view is open")

            start = self.picture(s, view, "start")
            self.assertGreater(min(self.wave_area(start)), 20, "no trace above or below the centre line")

            # (case, how, the picture equals the start afterwards)
            cases = [
                (">", dict(command=FORWARD_200), False),
                ("<", dict(command=BACK_200), True),
                ("right arrow", dict(key=VK_RIGHT), False),
                ("left arrow", dict(key=VK_LEFT), True),
                (">|", dict(command=LAST), False),
                ("|<", dict(command=FIRST), True),
                ("W", dict(command=WIDER), False),
                ("d", dict(command=NARROWER), True),
            ]
            for n, (case, how, same) in enumerate(cases):
                self.step(view, **how)
                changed = start.difference(self.picture(s, view, "step%d" % n))
                self.assertEqual(not changed, same, "%s: the picture %s" % (case, changed or "did not change"))

            # The item again closes the view and clears its check mark.
            s.retarget()
            self.driver.send(h.WM_COMMAND, WAVE_VIEW, 0)
            self.assertTrue(poll(lambda: not self.driver.find(CLASS), 5.0, 0.1), "still open after 40040")
            self.assertFalse(self.checked(s), "40040 is still checked")
            # Open again, close with the close box; the item opens it once more after that.
            self.open_view(s, wav)
            self.driver.post(h.WM_CLOSE)
            self.assertTrue(poll(lambda: not self.driver.find(CLASS), 5.0, 0.1), "the close box left the view open")
            self.assertTrue(poll(lambda: not self.checked(s), 5.0, 0.1), "40040 is still checked after the close box")
            self.open_view(s, wav)
            self.assertTrue(poll(lambda: self.checked(s), 5.0, 0.1))
            self.assertEqual(s.quit(), 0)

    def jump_dialog(self, view):
        """Opens the time-jump dialog: its handle, the lengths of its two edit fields (another process
        cannot read an edit control's text, only its length) and the text of its limit line."""
        self.driver.target(view)
        self.driver.post(h.WM_COMMAND, GOTO, 0)
        dialog = wait_for_window(self.driver, JUMP_TITLE)
        controls = child_handles(self.driver, dialog)
        self.driver.target(dialog)
        limit = [c[4] for c in self.driver.children() if c[1] == JUMP_LIMIT][0]
        lengths = []
        for field in (JUMP_MINUTES, JUMP_SECONDS):
            self.driver.target(controls[(field, "Edit")])
            lengths.append(self.driver.send(WM_GETTEXTLENGTH))
        return dialog, controls, tuple(lengths), limit

    def test_detail_and_time_jump(self):
        with self.session() as s:
            wav = make_sox_wave(os.path.join(s.program.cwd, "sine20-15s.wav"), seconds=15)
            view = self.open_view(s, wav)
            start = self.picture(s, view, "start")
            self.driver.send(h.WM_COMMAND, DETAIL, 0)
            self.assertTrue(self.driver.menu(DETAIL)["checked"], "Detail is not checked")
            self.assertTrue(start.difference(self.picture(s, view, "detail")), "Detail did not change the picture")
            self.driver.send(h.WM_COMMAND, DETAIL, 0)
            self.assertFalse(self.driver.menu(DETAIL)["checked"])

            dialog, controls, lengths, limit = self.jump_dialog(view)
            self.assertEqual(limit, "MAX=0:0:15:0msec")
            self.assertEqual(lengths, (1, 1), "the fields open with 0 and 0")
            # (minutes, seconds typed, length of the seconds field when the dialog opens again: the
            # current time's seconds; a refused jump keeps them). The rules are the unit tests' business.
            for minutes, seconds, shown in [("0", "12", 2), ("0", "3", 1), ("x", "10", 1)]:
                with self.subTest(jump="%s:%s" % (minutes, seconds)):
                    type_text(self.driver, controls[(JUMP_MINUTES, "Edit")], minutes)
                    type_text(self.driver, controls[(JUMP_SECONDS, "Edit")], seconds)
                    self.driver.target(dialog)
                    self.driver.send(h.WM_COMMAND, JUMP_GO, 0)
                    self.driver.send(h.WM_COMMAND, h.IDOK, 0)
                    self.assertTrue(poll(lambda: not [w for w in self.driver.desktop() if w[3] == JUMP_TITLE],
                                         5.0, 0.1), "Quit left the dialog open")
                    dialog, controls, lengths, _ = self.jump_dialog(view)
                    self.assertEqual(lengths, (1, shown))
            self.driver.target(dialog)
            self.driver.send(h.WM_COMMAND, h.IDOK, 0)
            s.retarget()
            self.driver.send(h.WM_COMMAND, WAVE_VIEW, 0)
            self.assertTrue(poll(lambda: not self.driver.find(CLASS), 5.0, 0.1))
            self.assertEqual(s.quit(), 0)

    def test_held_right_arrow_repeats(self):
        with self.session() as s:
            wav = make_sox_wave(os.path.join(s.program.cwd, "sine20-60s.wav"), seconds=60)
            view = self.open_view(s, wav)
            # One press steps 5,000 frames (0.625 s); held for 4 s the tick timer repeats it every
            # 120 ms after 600 ms, which passes 10 s.
            self.driver.target(view)
            self.driver.post(WM_KEYDOWN, VK_RIGHT, 1)
            for _ in range(20):  # the keyboard's own repetition, which the view ignores
                time.sleep(0.2)
                self.driver.target(view)
                self.driver.post(WM_KEYDOWN, VK_RIGHT, 0x40000001)
            self.driver.post(WM_KEYUP, VK_RIGHT, 0xC0000001)
            dialog, _, lengths, _ = self.jump_dialog(view)
            self.assertEqual(lengths[1], 2, "holding the right arrow for 4 s did not pass 10 s")
            self.driver.target(dialog)
            self.driver.send(h.WM_COMMAND, h.IDOK, 0)
            # Released: the position stays.
            time.sleep(1.0)
            before = self.picture(s, view, "released")
            time.sleep(0.5)
            self.assertFalse(before.difference(self.picture(s, view, "released-later")), "still moving after release")
            self.assertEqual(s.quit(), 0)

    def test_stereo_file_draws_two_traces(self):
        with self.session() as s:
            wav = make_sox_wave(os.path.join(s.program.cwd, "sine20-stereo.wav"), channels=2)
            view = self.open_view(s, wav)
            image = self.picture(s, view, "stereo")
            # The olive band between the channels lies across the middle.
            olive = image.count_where(lambda r, g, b: abs(r - 180) < 30 and abs(g - 180) < 30 and b < 60)
            self.assertGreater(olive, 1000, "no olive band between the two channels")
            # Quitting with the view open ends the program cleanly.
            self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
