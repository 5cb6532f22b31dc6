#!/usr/bin/env python3
"""The vocal canceler dialog under Wine, for what the window adds to the canceler's own tests: its
Japanese labels, the mode chosen by its radio buttons and the settings file, Make turning WAV files made
here into an output (an instrumental track found and subtracted, with the search shown), Play and the
transport buttons, an output naming the Original refused with the Original intact, and a long run
ending cleanly, leaving no file, when the dialog is closed or the program quits in the middle of it."""

import array
import math
import os
import pathlib
import random
import time
import unittest
import wave

import harness as h
from test_sound_out import child_handles, type_text, wait_for_window, windows_path
from test_spectrum_live import poll

CANCELER = h.IDM_VOCAL_CANCEL_SIMPLE
TITLE = "Quellvox"
IDC_ORIGINAL, IDC_INST, IDC_OUTPUT = h.IDC_CANCELER_ORIGINAL, h.IDC_CANCELER_INST, h.IDC_CANCELER_OUTPUT
IDC_GET_VOCAL = h.IDC_CANCELER_GET_VOCAL
IDC_MAKE, IDC_RANGE = h.IDC_CANCELER_MAKE, h.IDC_CANCELER_RANGE
IDC_PLAY_ORIGINAL, IDC_PLAY_OUTPUT = h.IDC_CANCELER_PLAY_ORIGINAL, h.IDC_CANCELER_PLAY_OUTPUT
PBM_GETPOS = 0x0408
BM_CLICK = 0x00F5
WM_GETTEXTLENGTH = 0x000E
RUN_TIMEOUT = 60.0


def write_wave(path, rate, channels, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(array.array("h", samples).tobytes())


def read_samples(path):
    data = pathlib.Path(path).read_bytes()
    return list(array.array("h", data[44:44 + (len(data) - 44) // 2 * 2]))


def sine(hz, rate, n, amplitude):
    return int(round(amplitude * math.sin(2 * math.pi * hz * n / rate)))


class VocalCanceler(h.SystemTestCase):
    def open_dialog(self, s):
        s.command(CANCELER)
        dialog = wait_for_window(self.driver, TITLE)
        return dialog, child_handles(self.driver, dialog)

    def texts(self, dialog):
        self.driver.target(dialog)
        return {c[1]: c[4] for c in self.driver.children()}

    def make(self, dialog, controls, original, output, inst=None):
        type_text(self.driver, controls[(IDC_ORIGINAL, "Edit")], windows_path(original))
        if inst:
            type_text(self.driver, controls[(IDC_INST, "Edit")], windows_path(inst))
        type_text(self.driver, controls[(IDC_OUTPUT, "Edit")], windows_path(output))
        self.driver.target(dialog)
        self.driver.post(h.WM_COMMAND, IDC_MAKE, 0)
        # "RUN" while the worker runs, "Make" once it has ended.
        done = poll(lambda: self.texts(dialog)[IDC_MAKE] == "Make" and os.path.exists(output), RUN_TIMEOUT, 0.2)
        self.assertTrue(done, "Make did not end within %.0f s: %r" % (RUN_TIMEOUT, self.texts(dialog)))
        self.driver.target(controls[(h.IDC_CANCELER_WORK_PROGRESS, "msctls_progress32")])
        self.assertEqual(self.driver.send(PBM_GETPOS), 100, "work progress at the end")

    def test_dialog_opens_with_its_labels(self):
        with self.session() as s:
            dialog, controls = self.open_dialog(s)
            # Another process reads an edit's length, not its text: the default range "1000".
            self.driver.target(controls[(IDC_RANGE, "Edit")])
            self.assertEqual(self.driver.send(WM_GETTEXTLENGTH), 4)
            self.driver.target(dialog)
            labels = {c[4] for c in self.driver.children()}  # the static labels share one id
            for label in ("入力ファイル", "出力ファイル", "範囲", "再生位置", "Make", "PLAY"):
                self.assertIn(label, labels)
            self.driver.post(h.WM_COMMAND, h.IDOK, 0)
            self.assertTrue(poll(lambda: not [w for w in self.driver.desktop() if w[3] == TITLE], 10.0))
            self.assertEqual(s.quit(), 0)

    def test_transport_restarts_and_a_jump_past_the_end_stops(self):
        rate = 8000
        with self.session() as s:
            original = os.path.join(s.program.cwd, "long.wav")
            write_wave(original, rate, 2, [sine(300, rate, n // 2, 3000) for n in range(rate * 2 * 6)])
            dialog, controls = self.open_dialog(s)
            type_text(self.driver, controls[(IDC_ORIGINAL, "Edit")], windows_path(original))
            self.driver.target(dialog)
            self.driver.post(h.WM_COMMAND, IDC_PLAY_ORIGINAL, 0)
            self.assertTrue(poll(lambda: self.texts(dialog)[IDC_PLAY_ORIGINAL] == "STOP", 10.0), "Play did not start")
            # (button, still playing afterwards)
            for button, playing in ((h.IDC_CANCELER_RESTART, True), (h.IDC_CANCELER_FORWARD_3S, True),
                                    (h.IDC_CANCELER_BACK_10S, True), (h.IDC_CANCELER_FORWARD_10S, False)):
                self.driver.target(dialog)
                self.driver.send(h.WM_COMMAND, button, 0)
                self.assertEqual(self.texts(dialog)[IDC_PLAY_ORIGINAL], "STOP" if playing else "PLAY",
                                 "after button %d" % button)
            self.assertEqual(s.quit(), 0)

    def test_get_vocal_keeps_the_quieter_channel(self):
        with self.session() as s:
            original = os.path.join(s.program.cwd, "pair.wav")
            inst = os.path.join(s.program.cwd, "inst.wav")
            output = os.path.join(s.program.cwd, "vocal.wav")
            pairs = [(1000, -200), (5, 5), (-300, 40), (7, -7)] * 1000
            write_wave(original, 44100, 2, [x for p in pairs for x in p])
            write_wave(inst, 44100, 2, [0] * len(pairs) * 2)
            dialog, controls = self.open_dialog(s)
            self.driver.target(controls[(IDC_GET_VOCAL, "Button")])
            self.driver.post(BM_CLICK)
            self.make(dialog, controls, original, output, inst)
            self.assertEqual(read_samples(output), [-200, 0, 40, 0] * 1000, "the radio button chose Get Vocal")
            self.assertEqual(s.quit(), 0)

    def test_vocal_from_cd_subtracts_the_aligned_instrumental(self):
        rate, silence, intro, song, voice_from = 8000, 4000, 2000, 16000, 8000
        rng = random.Random(5)
        with self.session(ini=h.make_ini([("KARAOKE", "MAKEKIND", "1")])) as s:
            original = os.path.join(s.program.cwd, "cd.wav")
            inst = os.path.join(s.program.cwd, "backing.wav")
            output = os.path.join(s.program.cwd, "voice.wav")
            backing = [rng.randint(-8000, 8000) for _ in range((intro + song) * 2)]
            mix, voice = [0] * (silence * 2), []
            for n in range(song):
                v = sine(523, rate, n, 3000) if n >= voice_from else 0
                voice += [v, v]
                mix += [backing[(intro + n) * 2] + v, backing[(intro + n) * 2 + 1] + v]
            write_wave(original, rate, 2, mix)
            write_wave(inst, rate, 2, backing)
            dialog, controls = self.open_dialog(s)
            self.make(dialog, controls, original, output, inst)
            texts = self.texts(dialog)
            self.assertTrue(texts[1023].startswith("0sec 7999 "), "the search display reached the range's end: %r"
                            % texts[1023])
            self.assertEqual(texts[1024], "0sec ")
            # The Inst is found 2000 frames in; the voice lands where the Inst's sound did.
            out = read_samples(output)
            self.assertEqual(out[intro * 2:intro * 2 + len(voice)], voice, "Original minus aligned Inst is the voice")
            # Playing the output turns its button into STOP and back, with the position bar at the end.
            self.driver.target(dialog)
            self.driver.post(h.WM_COMMAND, IDC_PLAY_OUTPUT, 0)
            self.assertTrue(poll(lambda: self.texts(dialog)[IDC_PLAY_OUTPUT] == "STOP", 10.0), "Play did not start")
            self.assertTrue(poll(lambda: self.texts(dialog)[IDC_PLAY_OUTPUT] == "PLAY", 15.0), "play did not end")
            self.driver.target(controls[(h.IDC_CANCELER_PLAY_POSITION, "msctls_progress32")])
            self.assertEqual(self.driver.send(PBM_GETPOS), 100, "play position at the end")
            self.assertEqual(s.quit(), 0)

    def test_output_naming_the_original_is_refused(self):
        with self.session() as s:
            original = os.path.join(s.program.cwd, "song.wav")
            write_wave(original, 8000, 2, [sine(440, 8000, n // 2, 9000) for n in range(16000)])
            before = pathlib.Path(original).read_bytes()
            files_before = sorted(os.listdir(s.program.cwd))
            dialog, controls = self.open_dialog(s)
            type_text(self.driver, controls[(IDC_ORIGINAL, "Edit")], windows_path(original))
            # The same file spelt in capitals.
            type_text(self.driver, controls[(IDC_OUTPUT, "Edit")], windows_path(original).upper())
            self.driver.target(dialog)
            self.driver.post(h.WM_COMMAND, IDC_MAKE, 0)
            boxes = []
            self.assertTrue(poll(lambda: boxes.extend(w[0] for w in self.driver.desktop()
                                                      if w[1] == "#32770" and w[3] == "error") or boxes, 10.0),
                            "no message box")
            texts = s.box_text(boxes[0])
            self.driver.post(h.WM_COMMAND, h.IDOK, 0)
            self.assertIn("出力ファイルが入力ファイルと同じです。別の出力ファイルを指定してください。", texts)
            self.assertEqual(self.texts(dialog)[IDC_MAKE], "Make", "no run started")
            self.assertEqual(pathlib.Path(original).read_bytes(), before, "the Original is untouched")
            self.assertEqual(sorted(os.listdir(s.program.cwd)), files_before, "no file was made")
            self.assertEqual(s.quit(), 0)

    def test_a_run_ends_without_a_file_when_the_dialog_closes_or_the_program_quits(self):
        # The ignore flag searches 120 s of offsets: a run of many seconds.
        for close_dialog_first in (True, False):
            with self.session(ini=h.make_ini([("KARAOKE", "MAKEKIND", "1")])) as s:
                original = os.path.join(s.program.cwd, "cd.wav")
                inst = os.path.join(s.program.cwd, "backing.wav")
                output = os.path.join(s.program.cwd, "voice.wav")
                # Loud noise: sound from the first sample on.
                write_wave(original, 8000, 2, array.array("h", os.urandom(8000 * 4 * 130)))
                write_wave(inst, 8000, 2, array.array("h", os.urandom(8000 * 4 * 250)))
                dialog, controls = self.open_dialog(s)
                self.driver.target(controls[(h.IDC_CANCELER_IGNORE, "Button")])
                self.driver.post(BM_CLICK)
                type_text(self.driver, controls[(IDC_ORIGINAL, "Edit")], windows_path(original))
                type_text(self.driver, controls[(IDC_INST, "Edit")], windows_path(inst))
                type_text(self.driver, controls[(IDC_OUTPUT, "Edit")], windows_path(output))
                self.driver.target(dialog)
                self.driver.post(h.WM_COMMAND, IDC_MAKE, 0)
                self.assertTrue(poll(lambda: self.texts(dialog)[IDC_MAKE] == "RUN", 10.0), "Make did not start")
                time.sleep(1.0)
                self.assertEqual(self.texts(dialog)[IDC_MAKE], "RUN", "the run is still searching")
                if close_dialog_first:
                    self.driver.target(dialog)
                    self.driver.post(h.WM_COMMAND, h.IDOK, 0)
                    self.assertTrue(poll(lambda: not [w for w in self.driver.desktop() if w[3] == TITLE], 10.0),
                                    "the dialog did not close")
                self.assertEqual(s.quit(), 0, "close dialog first: %s" % close_dialog_first)
                self.assertEqual(sorted(os.listdir(s.program.cwd)).count("voice.wav"), 0)
                self.assertFalse([n for n in os.listdir(s.program.cwd) if n.endswith(".tmp")], "a temporary file is left")


if __name__ == "__main__":
    unittest.main(verbosity=2)
