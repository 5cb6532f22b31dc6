#!/usr/bin/env python3
"""What the program sends to the sound card and writes as sound: the test-tone dialog's Play, the tuner's
reference tone, the dialog's stored WAV file, and WAVE analysis playback heard by the program's own
spectrum analyser. Sound is recorded from the null sink's monitor with parecord."""

import array
import math
import os
import pathlib
import time
import unittest

import harness as h
# The dialog and sound helpers are imported from here by other test files too.
from harness import (RATE, MonitorRecording, Pointer, child_handles, describe, ended_tone,  # noqa: F401
                      make_tone_wav, matches_reference, measure_tone, poll, read_wave_header, type_text,
                      wait_for_window, windows_path)
from test_spectrum_live import NORMAL_SIZE, POWER, STATUS_A3, TOOLBAR_ID, SpectrumView, plain_status

TONE_DIALOG, WAVE_PLAY = h.IDM_SINE_WAVE, h.IDM_WAVE_PLAY
TONE_TITLE = "正弦波の作成"
OPEN_TITLE = "解析WAVEファイルオープン！"
IDC_HZ, IDC_FILE, IDC_MAKE_FILE = h.IDC_TONE_HZ, h.IDC_TONE_FILE, h.IDC_TONE_MAKE_FILE
IDC_SECONDS, IDC_PLAY, IDC_MILLISECONDS = h.IDC_TONE_SECONDS, h.IDC_TONE_PLAY, h.IDC_TONE_MILLISECONDS
OPEN_FILE_NAME = 1148  # the file-name field of the Open dialog (an Edit inside a combo box)

# The synthesis steps the phase by 6.28 / period instead of 2 pi / period, so a tone sounds at
# 6.28 / (2 pi) of its nominal frequency: 999.49 Hz for 1000 Hz, 439.78 Hz for 440 Hz.
SOUNDING = 6.28 / (2 * math.pi)
FREQUENCY_TOLERANCE = 0.001  # relative

TUNER_ARGS = ["1"]
TUNER_A4 = [("TARGET", "NOTE", "49")]
# A point inside the reference tone's box (x 101..279, y 351..369 in the program's pointer coordinates at
# normal size: x from the window's left edge, y from the top of the picture below the toolbar).
TARGET_POINT = (190, 360)
REFERENCE_TONE_SECONDS = 1.0
# Wine takes the cursor from X once its own copy is 100 ms old.
POINTER_SETTLE_SECONDS = 0.3
# How long after the WAVE check mark clears the analyser may still hear the file.
LATE_SOUND = 3.0


def choose_file(driver, command, wav):
    """Posts a command that opens the WAV chooser and picks wav in it."""
    driver.post(h.WM_COMMAND, command, 0)
    chooser = wait_for_window(driver, OPEN_TITLE)
    type_text(driver, child_handles(driver, chooser)[(OPEN_FILE_NAME, "Edit")], windows_path(wav))
    driver.target(chooser)
    driver.post(h.WM_COMMAND, h.IDOK, 0)


class SoundOut(h.PaintedScreen):
    def open_tone_dialog(self, s):
        s.command(TONE_DIALOG)
        dialog = wait_for_window(self.driver, TONE_TITLE)
        return dialog, child_handles(self.driver, dialog)

    def play_button_text(self, dialog):
        self.driver.target(dialog)
        return [c[4] for c in self.driver.children() if c[1] == IDC_PLAY][0]

    def test_tone_dialog_play_sounds_999_5_hz(self):
        ini = [("SINE", "HZ", "1000"), ("SINE", "TYPE", "1"), ("SINE", "VOL", "16000"), ("SAMPLING", "TIME", "2500")]
        expected_hz = 1000 * SOUNDING
        with self.session(TUNER_ARGS, ini=h.make_ini(ini)) as s:
            dialog, _ = self.open_tone_dialog(s)
            with MonitorRecording(self.env, os.path.join(s.program.cwd, "tone-dialog.raw")) as recording:
                self.driver.target(dialog)
                self.driver.send(h.WM_COMMAND, IDC_PLAY, 0)
                self.assertEqual(self.play_button_text(dialog), "STOP", "the play button while the tone plays")
                ended = poll(lambda: self.play_button_text(dialog) == "PLAY", 15.0, 0.1)
                poll(lambda: ended_tone(recording.samples()), 5.0, 0.1)
                measured = measure_tone(recording.stop())
            self.assertTrue(ended, "the play button did not read PLAY again after the tone")
            self.assertIsNotNone(measured, "the recording of Play is silent")
            self.assertGreaterEqual(measured["clean"], 1.0, describe(measured))
            # 0.2 Hz lies below the 0.5 Hz between the 6.28-step synthesis and one with 2 pi.
            self.assertAlmostEqual(measured["hz"], expected_hz, delta=0.2, msg=describe(measured))
            self.assertAlmostEqual(measured["seconds"], 2.5, delta=0.1, msg=describe(measured))
            self.assertEqual(s.quit(), 0)

    def test_target_box_click_plays_reference_tone(self):
        # The program reads the cursor itself (GetCursorPos) on the button press: the X pointer of the
        # environment's display is moved, Wine follows it.
        pointer = Pointer(self.env.env["DISPLAY"])
        expected_hz = 440 * SOUNDING
        try:
            with self.session(TUNER_ARGS, ini=h.make_ini(TUNER_A4)) as s:
                s.command(NORMAL_SIZE)
                left, top, _, _ = self.driver.rect()
                c_left, c_top, _, _ = self.driver.client()
                t_top, t_bottom = self.driver.child_rect(TOOLBAR_ID)[1::2]
                picture_top = c_top - top + (t_bottom - t_top)  # in window coordinates
                x, y = TARGET_POINT
                raw = os.path.join(s.program.cwd, "click.raw")
                with MonitorRecording(self.env, raw) as recording:
                    pointer.move(left + x, top + picture_top + y)
                    time.sleep(POINTER_SETTLE_SECONDS)
                    s.retarget()
                    # The message's own position is the same place, in client coordinates.
                    self.driver.click(x - (c_left - left), picture_top + y - (c_top - top))
                    poll(lambda: ended_tone(recording.samples()), 10.0, 0.1)
                    measured = measure_tone(recording.stop())
                self.assertIsNotNone(measured, "no reference tone recorded; %s" % raw)
                self.assertAlmostEqual(measured["seconds"], REFERENCE_TONE_SECONDS, delta=0.1, msg=describe(measured))
                self.assertGreaterEqual(measured["clean"], 0.5, describe(measured))
                self.assertAlmostEqual(measured["hz"], expected_hz, delta=expected_hz * FREQUENCY_TOLERANCE,
                                       msg=describe(measured))
                self.assertEqual(s.quit(), 0)
        finally:
            # Out of the way of the next program, which opens at the desktop's top-left corner.
            width, height = (int(v) for v in h.DESKTOP_SIZE.split("x"))
            pointer.move(width - 1, height - 1)
            pointer.close()

    def test_make_file_stores_whole_header(self):
        # 1000 Hz for 1015 ms: a byte count that ends in half a sample, cut to 89522 bytes.
        hz, seconds, ms, n = 1000, 1, 15, 89522
        with self.session(TUNER_ARGS, ini=h.make_ini([("SINE", "TYPE", "1"), ("SAMPLING", "TIME", "1000")])) as s:
            dialog, controls = self.open_tone_dialog(s)
            path = os.path.join(s.program.cwd, "made.wav")
            for cid, text in ((IDC_HZ, hz), (IDC_SECONDS, seconds), (IDC_MILLISECONDS, ms),
                              (IDC_FILE, windows_path(path))):
                type_text(self.driver, controls[(cid, "Edit")], str(text))
            self.driver.target(dialog)
            # The handler waits in its message box, so the command is posted.
            self.driver.post(h.WM_COMMAND, IDC_MAKE_FILE, 0)
            box = wait_for_window(self.driver, "OK")
            texts = s.box_text(box)
            self.driver.post(h.WM_COMMAND, h.IDOK, 0)
            self.driver.gone(10)
            self.assertIn(windows_path(path) + "を作成しました。", texts, "message box %r" % texts)
            # The header and the samples are the unit tests' business; here the typed fields reach them.
            data = pathlib.Path(path).read_bytes()
            self.assertEqual(len(data), n + 44)
            measured = measure_tone(array.array("h", data[44:44 + n]))
            self.assertAlmostEqual(measured["hz"], hz * SOUNDING, delta=0.01, msg=describe(measured))
            s.retarget()
            self.assertEqual(s.quit(), 0)

    def test_wave_analysis_playback_heard_by_the_analyser(self):
        with self.session(["0"], ini=h.make_ini([("PLOT", "MODE", "1")])) as s:
            s.command(NORMAL_SIZE)
            s.command(POWER)
            view = SpectrumView(self.driver)
            # 44100 Hz stereo 16-bit: the format of the metronome sounds as well, so the sine keeps its
            # pitch whichever of the two formats the device is opened in.
            wav = make_tone_wav(os.path.join(s.program.cwd, "a440-2s.wav"), 440, 2, channels=2)
            image, png = s.capture("before")
            self.assertTrue(plain_status(view.status(image)), "something is detected before playing; %s" % png)

            # The recording also keeps the sink's latency short: with only Wine's streams on it, the
            # null sink buffers about 1.7 s, the program hears its own playback that late, and the
            # rest is dropped when it closes the device after the last buffer returns.
            with MonitorRecording(self.env, os.path.join(s.program.cwd, "wave-play.raw")) as recording:
                choose_file(self.driver, WAVE_PLAY, wav)
                self.driver.gone(10)
                started = time.monotonic()
                s.retarget()

                seen = {"checked": None, "a3": None, "cleared": None}
                last = {}

                def observe():
                    now = time.monotonic() - started
                    checked = self.driver.menu(WAVE_PLAY)["checked"]
                    if checked and seen["checked"] is None:
                        seen["checked"] = now
                    if not checked and seen["checked"] is not None and seen["cleared"] is None:
                        seen["cleared"] = now
                    if seen["a3"] is None:
                        last["image"] = s.capture("playing")[0]
                        if matches_reference(view.status(last["image"]), STATUS_A3):
                            seen["a3"] = now
                    if seen["cleared"] is None:
                        return False
                    return seen["a3"] is not None or now > seen["cleared"] + LATE_SOUND

                poll(observe, 20.0, 0.05)
                poll(lambda: ended_tone(recording.samples()), 5.0, 0.1)
                measured = measure_tone(recording.stop())
            self.assertIsNotNone(seen["checked"], "the WAVE item was never checked while the file played")
            if seen["a3"] is None:
                self.compare(s, view.status(last["image"]), STATUS_A3)
            self.assertIsNotNone(seen["cleared"], "the WAVE check mark did not clear within 20 s")
            self.assertGreaterEqual(seen["cleared"], 1.5, "the check mark cleared before the file could play out")
            self.assertIsNotNone(measured, "nothing was played into the sink")
            self.assertAlmostEqual(measured["seconds"], 2.0, delta=0.1, msg=describe(measured))
            self.assertAlmostEqual(measured["hz"], 440, delta=440 * FREQUENCY_TOLERANCE, msg=describe(measured))
            self.assertTrue(poll(lambda: plain_status(view.status(s.capture("after")[0])), 10.0),
                            "the analyser still detects a note after the file played out")
            self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
