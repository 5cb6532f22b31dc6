#!/usr/bin/env python3
"""Harmolab.ini: written at exit in all-tools mode (every key, fixed order, checked values), never
touched by a single-tool run."""

import unittest

import harmolab as h

# Every key the program writes, in the order it writes them.
WRITE_ORDER = (
    [("SCREEN", "SIZE"), ("TUNER", "VOLUME"), ("TUNER", "KIND"), ("OSILO", "STATUS"), ("NOTE", "STATUS"),
     ("LOWFRQ", "STATUS"), ("METRONOME", "SPEED"), ("TARGET", "NOTE"), ("PLOT", "MODE"), ("LOWFRQ", "ZOOM"),
     ("FORS", "STATUS"), ("INST", "STATUS"), ("INST", "KIND"), ("INST", "STRING")]
    + [("GUITAR", "ST%d" % i) for i in range(1, 7)]
    + [("BASS", "ST%d" % i) for i in range(1, 5)]
    + [("UKULELE", "ST%d" % i) for i in range(1, 5)]
    + [("SHAMI", "ST%d" % i) for i in range(1, 4)]
    + [("STRING%d" % row, "NOTE%d" % col) for row in range(4) for col in range(6)]
    + [("BEAT", "NO"), ("METRO", "SOUND1"), ("METRO", "SOUND2"), ("PALLET", "NO"), ("METRO", "TYPE"),
       ("SINE", "HZ"), ("SINE", "TYPE"), ("SINE", "FILE"), ("SAMPLING", "HZ"), ("SAMPLING", "TIME"),
       ("SAMPLING", "STEREO"), ("KARAOKE", "INPUT1"), ("KARAOKE", "INPUT2"), ("KARAOKE", "OUTPUT"),
       ("KARAOKE", "MAKEKIND"), ("SINE", "VOL"), ("METRONOME", "KIND"), ("CONDUCTOR", "LINE")]
    + [("DOWNBEAT", str(n)) for n in range(2, 7)])

# Default key (pitch class, C = 0) of each shamisen string when the file has none: C, G, C, the
# letters of its open strings, so the tuning dialog's defaults agree with the targets.
SHAMISEN_DEFAULT_KEYS = [0, 7, 0]
DEFAULT_OPEN_STRINGS = [[20, 25, 30, 35, 39, 44], [8, 13, 18, 23, 0, 0], [47, 40, 44, 49, 0, 0],
                        [40, 47, 52, 0, 0, 0]]


def open_strings(table):
    return {("STRING%d" % r, "NOTE%d" % c): str(v) for r, row in enumerate(table) for c, v in enumerate(row)}


def keys(section, values, first=1):
    return {(section, "ST%d" % (i + first)): str(v) for i, v in enumerate(values)}


def merged(*parts):
    out = {}
    for part in parts:
        out.update(part)
    return out


# What a start without any settings file writes back.
DEFAULTS = merged(
    {("SCREEN", "SIZE"): "1", ("TUNER", "VOLUME"): "0", ("TUNER", "KIND"): "0", ("OSILO", "STATUS"): "OFF",
     ("NOTE", "STATUS"): "OFF", ("LOWFRQ", "STATUS"): "OFF", ("METRONOME", "SPEED"): "30",
     ("TARGET", "NOTE"): "0", ("PLOT", "MODE"): "0", ("LOWFRQ", "ZOOM"): "1", ("FORS", "STATUS"): "0",
     ("INST", "STATUS"): "0", ("INST", "KIND"): "0", ("INST", "STRING"): "0", ("BEAT", "NO"): "0",
     ("METRO", "SOUND1"): "", ("METRO", "SOUND2"): "", ("PALLET", "NO"): "0", ("METRO", "TYPE"): "0",
     ("SINE", "HZ"): "440", ("SINE", "TYPE"): "1", ("SINE", "FILE"): "", ("SAMPLING", "HZ"): "44100",
     ("SAMPLING", "TIME"): "0", ("SAMPLING", "STEREO"): "0", ("KARAOKE", "INPUT1"): "",
     ("KARAOKE", "INPUT2"): "", ("KARAOKE", "OUTPUT"): "", ("KARAOKE", "MAKEKIND"): "0", ("SINE", "VOL"): "0",
     ("METRONOME", "KIND"): "0", ("CONDUCTOR", "LINE"): "0"},
    {("DOWNBEAT", str(n)): "0" for n in range(2, 7)},
    keys("GUITAR", [4, 9, 2, 7, 11, 4]), keys("BASS", [7, 2, 9, 4]), keys("UKULELE", [7, 0, 4, 9]),
    keys("SHAMI", SHAMISEN_DEFAULT_KEYS), open_strings(DEFAULT_OPEN_STRINGS))


def seeded(changes):
    """A complete, valid settings file (the defaults) with some values replaced, as [(sec, key, value)];
    written in reverse order so that the file's layout differs from the writer's."""
    values = merged(DEFAULTS, changes)
    return h.make_ini([(sec, key, values[(sec, key)]) for sec, key in reversed(WRITE_ORDER)])


def shifted(row, col, delta):
    table = [list(r) for r in DEFAULT_OPEN_STRINGS]
    table[row][col] += delta
    return table


# (name, changes to a valid file, values expected in the file written at exit)
ROUND_TRIPS = [
    ("clamped and reset",
     merged({("METRONOME", "SPEED"): "500", ("OSILO", "STATUS"): "ON", ("NOTE", "STATUS"): "on",
             ("TUNER", "VOLUME"): "55", ("PALLET", "NO"): "2"},
            keys("GUITAR", [5, 9, 12, 7, 11, 4]),
            # bass off by 4 would be kept, but the ukulele's 5 resets all four rows
            open_strings([DEFAULT_OPEN_STRINGS[0], [12, 13, 18, 23, 0, 0], [47, 45, 44, 49, 0, 0],
                          DEFAULT_OPEN_STRINGS[3]])),
     merged({("METRONOME", "SPEED"): "300", ("OSILO", "STATUS"): "ON", ("NOTE", "STATUS"): "OFF",
             ("TUNER", "VOLUME"): "55", ("PALLET", "NO"): "2"},
            keys("GUITAR", [5, 9, 2, 7, 11, 4]), open_strings(DEFAULT_OPEN_STRINGS))),
    ("open strings within four kept",
     merged({("METRONOME", "SPEED"): "10"}, open_strings(shifted(1, 0, 4)), {("STRING3", "NOTE2"): "48"}),
     {("METRONOME", "SPEED"): "30", ("STRING1", "NOTE0"): "12", ("STRING3", "NOTE2"): "48"}),
    ("one open string off by five",
     open_strings(shifted(3, 1, -5)), open_strings(DEFAULT_OPEN_STRINGS)),
    ("per-string keys",
     merged(keys("GUITAR", [0] * 6), keys("SHAMI", [0, -1, 3]), keys("BASS", [12, 2, 9, 4])),
     merged(keys("GUITAR", [4, 9, 2, 7, 11, 4]), keys("SHAMI", [0, SHAMISEN_DEFAULT_KEYS[1], 3]),
            keys("BASS", [7, 2, 9, 4]))),
    ("sine and sampling ranges",
     {("SINE", "HZ"): "5", ("SINE", "TYPE"): "3", ("SAMPLING", "HZ"): "48000", ("SAMPLING", "TIME"): "700000",
      ("SAMPLING", "STEREO"): "1", ("BEAT", "NO"): "7", ("METRO", "TYPE"): "3", ("SINE", "FILE"): "tone.wav"},
     {("SINE", "HZ"): "440", ("SINE", "TYPE"): "1", ("SAMPLING", "HZ"): "44100", ("SAMPLING", "TIME"): "1000",
      ("SAMPLING", "STEREO"): "1", ("BEAT", "NO"): "0", ("METRO", "TYPE"): "0", ("SINE", "FILE"): "tone.wav"}),
]

UNTOUCHED_FILE = (b"; hand-written\r\n[METRONOME]\r\nSPEED=500\r\n\r\n[GUITAR]\r\nST3=12\r\n"
                  b"[STRING2]\r\nNOTE1=45\r\n[SCREEN]\r\nSIZE=0")


class SettingsFile(h.SystemTestCase):
    def run_and_read(self, args=(), ini=None):
        with self.session(args, ini=ini) as s:
            self.assertEqual(s.quit(), 0)
            try:
                return s.program.read_ini()
            except FileNotFoundError:
                self.fail("no Harmolab.ini written in %s" % s.program.cwd)

    def test_fresh_file_has_every_key_in_write_order(self):
        sections = h.parse_ini(self.run_and_read())
        # Keys of one section are grouped under its header, so the file shows each section where it was
        # first written and, inside it, the keys in the order they were written.
        expected_sections = []
        for sec, _ in WRITE_ORDER:
            if sec not in expected_sections:
                expected_sections.append(sec)
        self.assertEqual([sec for sec, _ in sections], expected_sections)
        for sec, written in sections:
            with self.subTest(section=sec):
                self.assertEqual([key for key, _ in written], [k for s_, k in WRITE_ORDER if s_ == sec])
        values = {(sec, key): value for sec, written in sections for key, value in written}
        wrong = {k: (values.get(k), v) for k, v in DEFAULTS.items() if values.get(k) != v}
        self.assertEqual(wrong, {}, "(written, expected) of the keys that differ")

    def test_values_are_checked_on_reading_and_written_back(self):
        for name, changes, expected in ROUND_TRIPS:
            with self.subTest(name):
                written = h.ini_values(self.run_and_read(ini=seeded(changes)))
                self.assertEqual(set(written), set(WRITE_ORDER), "keys written")
                wanted = merged(DEFAULTS, expected)
                wrong = {k: (written[k], wanted[k]) for k in wanted if written.get(k) != wanted[k]}
                self.assertEqual(wrong, {}, "(written, expected) of the keys that differ")

    def test_single_tool_runs_leave_the_file_untouched(self):
        for args in (["2"], ["2", "120", "4"], ["1"], ["0"]):
            with self.subTest(args=args):
                self.assertEqual(self.run_and_read(args, ini=UNTOUCHED_FILE), UNTOUCHED_FILE)

    def test_single_tool_runs_write_no_file(self):
        for args in (["1"], ["0"]):
            with self.subTest(args=args), self.session(args) as s:
                self.assertEqual(s.quit(), 0)
                self.assertFalse(s.program.ini_exists(), "a single-tool run created Harmolab.ini")


if __name__ == "__main__":
    unittest.main(verbosity=2)
