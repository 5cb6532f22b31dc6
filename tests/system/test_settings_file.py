#!/usr/bin/env python3
"""Harmolab.ini through the system's profile functions: all-tools mode writes every key at exit, checks
what it reads, and reads back what it wrote unchanged; a single-tool run never touches the file. The
rules for each key (ranges, defaults, write order) are the unit tests' business."""

import unittest

import harness as h

# Values put into a written file, and what the next run writes back: clamped, reset, kept, and text.
CHANGES = {("METRONOME", "SPEED"): ("500", "300"), ("GUITAR", "ST3"): ("12", "2"), ("TUNER", "A4"): ("432", "432"),
           ("SINE", "FILE"): ("C:\\tones\\a b.wav", "C:\\tones\\a b.wav")}

UNTOUCHED_FILE = (b"; hand-written\r\n[METRONOME]\r\nSPEED=500\r\n\r\n[GUITAR]\r\nST3=12\r\n"
                  b"[STRING2]\r\nNOTE1=45\r\n[SCREEN]\r\nSIZE=0")

UNICODE_PATH = "C:\\Klänge\\ü é ж 音 \U0001F3B5.wav"


class SettingsFile(h.SystemTestCase):
    def run_and_read(self, args=(), ini=None):
        with self.session(args, ini=ini) as s:
            self.assertEqual(s.quit(), 0)
            try:
                return s.program.read_ini()
            except FileNotFoundError:
                self.fail("no Harmolab.ini written in %s" % s.program.cwd)

    def test_written_checked_and_read_back_unchanged(self):
        fresh = h.parse_ini(self.run_and_read())
        entries = [(sec, key, CHANGES.get((sec, key), (value,))[0]) for sec, keys in fresh for key, value in keys]
        checked = self.run_and_read(ini=h.make_ini(entries))
        values = h.ini_values(checked)
        self.assertEqual({key: values.get(key) for key in CHANGES}, {key: v[1] for key, v in CHANGES.items()})
        self.assertEqual(self.run_and_read(ini=checked), checked, "a written file does not read back the same")

    def test_single_tool_runs_leave_the_file_alone(self):
        with self.subTest("an existing file"):
            self.assertEqual(self.run_and_read(["2", "120", "4"], ini=UNTOUCHED_FILE), UNTOUCHED_FILE)
        with self.subTest("no file"), self.session(["1"]) as s:
            self.assertEqual(s.quit(), 0)
            self.assertFalse(s.program.ini_exists(), "a single-tool run created Harmolab.ini")

    def test_new_file_keeps_text_outside_the_ansi_code_page(self):
        written = self.run_and_read()
        self.assertTrue(written.startswith(b"\xff\xfe"), "a new Harmolab.ini is not UTF-16LE with a byte-order mark")
        # Characters of no single ANSI code page survive a run in that file.
        text = written[2:].decode("utf-16-le")
        self.assertIn("INPUT1=\r\n", text)
        again = self.run_and_read(ini=b"\xff\xfe" + text.replace("INPUT1=\r\n", "INPUT1=%s\r\n" % UNICODE_PATH)
                                  .encode("utf-16-le"))
        self.assertEqual(h.ini_values(again).get(("KARAOKE", "INPUT1")), UNICODE_PATH)


if __name__ == "__main__":
    unittest.main(verbosity=2)
