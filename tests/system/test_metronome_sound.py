#!/usr/bin/env python3
"""The metronome's clicks as the sound card gets them: the tempo, the accented beat of the bar, power off,
pause and resume, and click files of the settings in another format. Metronome-only mode "2 120 3" ticks
at 120 beats per minute in bars of four; the recording of the null sink's monitor is searched for clicks,
and each click is told by its tone: the accent's sound and the beat's sound differ in pitch."""

import os
import re
import shutil
import subprocess
import time
import unittest

import harmolab as h
from test_sound_out import RATE, MonitorRecording, windows_path

POWER, PAUSE = h.IDM_POWER, h.IDM_PAUSE
ARGS = ["2", "120", "3"]
BEAT_SECONDS = 0.5
RATE_TOLERANCE = 0.03  # relative, on the beats per second
LOUD = 2000  # a sample this loud belongs to a click
QUIET_BETWEEN = 0.1  # seconds of quiet that separate two clicks
TONE_WINDOW = 0.012  # seconds after a click's onset in which its tone is counted
# The program's default sounds (tools/make_click_sounds.cpp): the accent's tone and the beat's tone.
DEFAULT_TONES = {"accent": 1600.0, "beat": 1000.0}
# Sounds of our own for the settings: slot 0 (METRO/SOUND1) is the accented beat's sound.
OWN_TONES = {"accent": 2000.0, "beat": 700.0}
# Sound that reaches the sink after a command was sent: the sink and Wine hold some in their buffers.
LATE_SOUND = 0.5
RECORD_SECONDS = 8.0


def click_onsets(samples):
    """Sample indexes where a click starts: a loud sample after QUIET_BETWEEN of quiet."""
    onsets, last = [], None
    gap = int(QUIET_BETWEEN * RATE)
    for i, v in enumerate(samples):
        if v > LOUD or v < -LOUD:
            if last is None or i - last > gap:
                onsets.append(i)
            last = i
    return onsets


def click_tone(samples, onset):
    """The frequency of the upward zero crossings in the TONE_WINDOW after an onset (Hz), or None."""
    end = min(len(samples), onset + int(TONE_WINDOW * RATE))
    crossings = [i - 1 + samples[i - 1] / float(samples[i - 1] - samples[i])
                 for i in range(onset + 1, end) if samples[i - 1] < 0 <= samples[i]]
    if len(crossings) < 3:
        return None
    return RATE * (len(crossings) - 1) / (crossings[-1] - crossings[0])


def classify(tone, tones):
    if tone is None:
        return "?"
    return min(tones, key=lambda name: abs(tones[name] - tone))


def fit_beat(onsets):
    """(seconds per beat by least squares over the click numbers, largest deviation from the line in s)."""
    n = len(onsets)
    times = [t / float(RATE) for t in onsets]
    mean_x, mean_y = (n - 1) / 2.0, sum(times) / n
    slope = (sum((x - mean_x) * (y - mean_y) for x, y in enumerate(times))
             / sum((x - mean_x) ** 2 for x in range(n)))
    worst = max(abs(y - (mean_y + slope * (x - mean_x))) for x, y in enumerate(times))
    return slope, worst


def describe(onsets, kinds):
    if len(onsets) < 2:
        return "%d clicks" % len(onsets)
    gaps = [(b - a) * 1000.0 / RATE for a, b in zip(onsets, onsets[1:])]
    mean = sum(gaps) / len(gaps)
    spread = (sum((g - mean) ** 2 for g in gaps) / len(gaps)) ** 0.5
    return "%d clicks, intervals %.1f ms mean, %.1f ms standard deviation, %.1f..%.1f ms; %s" % (
        len(onsets), mean, spread, min(gaps), max(gaps), "".join(k[0] for k in kinds))


class MetronomeSound(h.SystemTestCase):
    def start(self, ini, files=()):
        """A session of metronome-only mode with the given settings and files made in its folder by
        files [(name, maker)], maker(path) writing the file; the settings may name them as {name}."""
        session = self.session(ARGS)
        folder = session.program.cwd
        paths = {}
        for name, maker in files:
            paths[name] = os.path.join(folder, name)
            maker(paths[name])
        entries = []
        for sec, key, value in ini:
            for name, path in paths.items():
                value = value.replace("{%s}" % name, windows_path(path))
            entries.append((sec, key, value))
        with open(session.program.ini_path, "wb") as f:
            f.write(h.make_ini(entries))
        return session

    def clicks_of(self, samples, start, end, tones):
        """Onsets (sample indexes) and kinds of the clicks between two recording times (seconds)."""
        onsets = [o for o in click_onsets(samples) if start * RATE <= o < end * RATE]
        return onsets, [classify(click_tone(samples, o), tones) for o in onsets]

    def assert_tempo_and_accents(self, onsets, kinds, label):
        self.assertGreaterEqual(len(onsets), 8, "%s: too few clicks: %s" % (label, describe(onsets, kinds)))
        gaps = [(b - a) / float(RATE) for a, b in zip(onsets, onsets[1:])]
        self.assertLess(max(gaps), 1.5 * BEAT_SECONDS, "%s: a click is missing: %s" % (label, describe(onsets, kinds)))
        seconds, worst = fit_beat(onsets)
        self.assertAlmostEqual(1.0 / seconds, 1.0 / BEAT_SECONDS, delta=RATE_TOLERANCE / BEAT_SECONDS,
                               msg="%s: %.4f beats per second; %s" % (label, 1.0 / seconds, describe(onsets, kinds)))
        self.assertNotIn("?", kinds, "%s: a click without a tone: %s" % (label, describe(onsets, kinds)))
        accents = [i for i, k in enumerate(kinds) if k == "accent"]
        self.assertTrue(accents, "%s: no accented click: %s" % (label, describe(onsets, kinds)))
        self.assertEqual(accents, list(range(accents[0] % 4, len(kinds), 4)),
                         "%s: the accent is not every fourth beat: %s" % (label, describe(onsets, kinds)))
        return seconds, worst

    def test_clicks_keep_the_tempo_and_accent_the_first_beat_for_each_timing_type(self):
        # (METRO/TYPE, what the Config dialog calls it)
        for move_type, name in ((2, "Type3"), (1, "Type2"), (0, "Type1")):
            with self.subTest(type=name):
                with self.start([("DOWNBEAT", "4", "1"), ("METRO", "TYPE", str(move_type))]) as s:
                    raw = os.path.join(s.program.cwd, "type%d.raw" % move_type)
                    with MonitorRecording(self.env, raw) as recording:
                        s.command(POWER)
                        time.sleep(RECORD_SECONDS)
                        s.command(POWER)
                        off = recording.seconds()
                        time.sleep(1.5)
                        samples = recording.stop()
                    onsets, kinds = self.clicks_of(samples, 0, off + LATE_SOUND, DEFAULT_TONES)
                    print("%s, default sounds: %s" % (name, describe(onsets, kinds)))
                    seconds, worst = self.assert_tempo_and_accents(onsets, kinds, name)
                    print("  %.2f ms per beat (%.4f beats per second), furthest click %.1f ms off the line"
                          % (seconds * 1000, 1 / seconds, worst * 1000))
                    self.assertEqual(kinds[0], "accent", "the first click of the bar: %s" % describe(onsets, kinds))
                    late = self.clicks_of(samples, off + LATE_SOUND, len(samples) / float(RATE), DEFAULT_TONES)[0]
                    self.assertEqual(late, [], "clicks after power off at %.2f s: %s"
                                     % (off, ["%.2f" % (o / float(RATE)) for o in late]))
                    self.assertEqual(s.quit(), 0)

    def test_pause_silences_the_clicks_and_resume_goes_on_in_time(self):
        with self.start([("DOWNBEAT", "4", "1"), ("METRO", "TYPE", "2")]) as s:
            with MonitorRecording(self.env, os.path.join(s.program.cwd, "pause.raw")) as recording:
                s.command(POWER)
                time.sleep(3.0)
                s.command(PAUSE)
                paused = recording.seconds()
                time.sleep(2.0)
                s.command(PAUSE)
                resumed = recording.seconds()
                time.sleep(5.0)
                s.command(POWER)
                off = recording.seconds()
                samples = recording.stop()
            before = self.clicks_of(samples, 0, paused + LATE_SOUND, DEFAULT_TONES)
            during = self.clicks_of(samples, paused + LATE_SOUND, resumed, DEFAULT_TONES)
            after = self.clicks_of(samples, resumed, off + LATE_SOUND, DEFAULT_TONES)
            print("pause at %.2f s, resume at %.2f s, off at %.2f s" % (paused, resumed, off))
            print("  before: %s\n  during: %s\n  after: %s" % (describe(*before), describe(*during), describe(*after)))
            self.assertGreaterEqual(len(before[0]), 5, "before the pause: %s" % describe(*before))
            self.assertEqual(during[0], [], "clicks during the pause: %s" % describe(*during))
            self.assertTrue(after[0], "no click after resuming")
            self.assertLess(after[0][0] / float(RATE) - resumed, 1.0, "the first click after resuming came late")
            # The paused time doesn't count: the beats after it neither rush nor drag.
            self.assert_tempo_and_accents(*after, label="after resuming")
            self.assertEqual(s.quit(), 0)

    def test_type_three_reports_each_beat_and_quitting_while_it_ticks_exits_cleanly(self):
        with self.start([("DOWNBEAT", "4", "1"), ("METRO", "TYPE", "2")]) as s:
            s.command(POWER)
            time.sleep(2.2)
            self.assertEqual(s.quit(), 0)
            lines = s.program.debug_lines()
        # "now  lag" in milliseconds since the start, for every beat after the first step's sleep.
        beats = [tuple(int(v) for v in line.split("  ")) for line in lines if re.fullmatch(r"-?\d+  -?\d+", line)]
        print("beat lines %r; then %r" % (beats, lines[lines.index("Destroy 1"):] if "Destroy 1" in lines else lines))
        self.assertGreaterEqual(len(beats), 4, "the worker reported too few beats: %r" % lines)
        for k, (now, lag) in enumerate(beats):
            self.assertAlmostEqual(now - lag, k * BEAT_SECONDS * 1000, delta=1, msg="beat %d is due at %d ms: %r"
                                   % (k, now - lag, beats))
            self.assertLess(abs(lag), 50, "beat %d of %r" % (k, beats))
        self.assertEqual([line for line in lines if line.startswith("Destroy")][:4],
                         ["Destroy 1", "Destroy 2", "Destroy 3", "Destroy 4"])

    def test_click_files_of_the_settings_play_whatever_their_format(self):
        sox = shutil.which("sox")
        if not sox:
            self.skipTest("sox is needed to make the click files")

        def tone_file(hz, rate, channels, bits):
            def make(path):
                subprocess.run([sox, "-n", "-r", str(rate), "-c", str(channels), "-b", str(bits), path,
                                "synth", "0.03", "sine", str(hz), "fade", "0", "0.03", "0.005", "vol", "0.8"],
                               check=True)
            return make

        files = [("accent.wav", tone_file(OWN_TONES["accent"], 44100, 2, 16)),
                 # 8-bit mono at 22050 Hz: converted to the clicks' format when loaded, rather than silent
                 ("beat.wav", tone_file(OWN_TONES["beat"], 22050, 1, 8))]
        ini = [("DOWNBEAT", "4", "2"), ("METRO", "TYPE", "2"),
               ("METRO", "SOUND1", "{accent.wav}"), ("METRO", "SOUND2", "{beat.wav}")]
        with self.start(ini, files) as s:
            with MonitorRecording(self.env, os.path.join(s.program.cwd, "files.raw")) as recording:
                s.command(POWER)
                time.sleep(5.0)
                s.command(POWER)
                off = recording.seconds()
                samples = recording.stop()
            onsets, kinds = self.clicks_of(samples, 0, off + LATE_SOUND, OWN_TONES)
            print("own sounds, accent on the second beat: %s" % describe(onsets, kinds))
            self.assert_tempo_and_accents(onsets, kinds, "own sounds")
            self.assertEqual(kinds[:2], ["beat", "accent"], "the bar's first two clicks: %s" % describe(onsets, kinds))
            self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
