#!/usr/bin/env python3
"""The metronome's clicks as the sound card gets them: every beat on its frame, the accented beat of the
bar, pause and resume, power off, and click files of the settings in another format. Metronome-only
mode "2 120 3" ticks at 120 beats per minute in bars of four; the recording of the null sink's monitor
is searched for click onsets to the sample, and each click is told by its tone. The one-sample figure is
the benchmark's (bench/metronome_timing.py); this test allows half a millisecond so that a loaded
machine can't make it fail. The grid's exactness under every kind of wake is the unit tests' business."""

import os
import shutil
import subprocess
import time
import unittest

import harness as h
from harness import (RATE, SERVER_LATENCY, MonitorRecording, classify_click, click_onsets, click_tone,
                     wait_for_window, windows_path)

POWER, PAUSE = h.IDM_POWER, h.IDM_PAUSE
BEAT_FRAMES = RATE * 60 // 120
INTERVAL_TOLERANCE = RATE // 2000  # frames: half a millisecond
MIN_BEATS = 22  # twenty intervals after the first
# The sound server moves a new stream's first samples while it starts it, so intervals and tones count
# from the second click on.
FIRST_COUNTED_CLICK = 1
# A recording with a gap the sound server played (see SERVER_LATENCY) is taken again, a few times at most.
ATTEMPTS = 3
# Sounds of our own for the settings, each in a format other than the clicks' own: (tone, rate, channels,
# bits). Slot 0 (METRO/SOUND1) is the accented beat's sound.
OWN_SOUNDS = {"accent": (2000.0, 48000, 2, 16), "beat": (700.0, 22050, 1, 8)}
OWN_TONES = {name: sound[0] for name, sound in OWN_SOUNDS.items()}
LATE_SOUND = 0.5  # seconds of sound that reach the sink after a command: the sink and Wine buffer some


def describe(onsets, kinds):
    gaps = [b - a for a, b in zip(onsets, onsets[1:])] or [0]
    return "%d clicks, intervals %d..%d frames; %s" % (len(onsets), min(gaps), max(gaps), "".join(k[0] for k in kinds))


def off_beat(onsets):
    """(click number, frames since the click before) for every interval further than the tolerance from a beat."""
    return [(k, onsets[k] - onsets[k - 1]) for k in range(FIRST_COUNTED_CLICK + 1, len(onsets))
            if abs(onsets[k] - onsets[k - 1] - BEAT_FRAMES) > INTERVAL_TOLERANCE]


class MetronomeSound(h.SystemTestCase):
    def clicks_of(self, samples, start, end):
        """Onsets (sample indexes) and kinds of the clicks between two recording times (seconds)."""
        onsets = [o for o in click_onsets(samples) if start * RATE <= o < end * RATE]
        return onsets, [classify_click(click_tone(samples, o), OWN_TONES) for o in onsets]

    def assert_beats_and_accents(self, onsets, kinds, label, min_beats, accented=None):
        """Every interval on the beat and the accent on every fourth click (on clicks accented + 4 n when
        given, the first click being number 0), from the first counted click on."""
        first, text = FIRST_COUNTED_CLICK, "%s: %s" % (label, describe(onsets, kinds))
        self.assertGreaterEqual(len(onsets), min_beats, "too few clicks; " + text)
        self.assertEqual(off_beat(onsets), [], "intervals off the beat (click, frames); " + text)
        self.assertNotIn("?", kinds[first:], "a click without a tone; " + text)
        accents = [i for i in range(first, len(kinds)) if kinds[i] == "accent"]
        self.assertTrue(accents, "no accented click; " + text)
        phase = accents[0] % 4 if accented is None else accented
        self.assertEqual(accents, [i for i in range(first, len(kinds)) if i % 4 == phase], "accents; " + text)

    def test_beats_on_their_frames_with_the_accent_through_pause_and_power_off(self):
        sox = shutil.which("sox")
        if not sox:
            self.skipTest("sox is needed to make the click files")
        # Type2 (METRO/TYPE 1) once ran 1 % slow; the accent is on the bar's second beat.
        ini = [("DOWNBEAT", "4", "2"), ("METRO", "TYPE", "1")]
        s = self.session(["2", "120", "3"])  # launched when entered, after its files are made
        s.program.extra_env = SERVER_LATENCY
        for slot, (name, (hz, rate, channels, bits)) in enumerate(OWN_SOUNDS.items()):
            path = os.path.join(s.program.cwd, name + ".wav")
            subprocess.run([sox, "-n", "-r", str(rate), "-c", str(channels), "-b", str(bits), path, "synth", "0.03",
                            "sine", str(hz), "fade", "0", "0.03", "0.005", "vol", "0.8"], check=True)
            ini.append(("METRO", "SOUND%d" % (slot + 1), windows_path(path)))
        with open(s.program.ini_path, "wb") as f:
            f.write(h.make_ini(ini))
        with s:
            for attempt in range(ATTEMPTS):
                with MonitorRecording(self.env, os.path.join(s.program.cwd, "run%d.raw" % attempt)) as recording:
                    marks = []
                    for command, seconds in ((POWER, 11.5), (PAUSE, 1.5), (PAUSE, 5.0), (POWER, 1.0)):
                        s.command(command)
                        marks.append(recording.seconds())
                        time.sleep(seconds)
                    samples = recording.stop()
                paused, resumed, off = marks[1:]
                before = self.clicks_of(samples, 0, paused + LATE_SOUND)
                during = self.clicks_of(samples, paused + LATE_SOUND, resumed)
                after = self.clicks_of(samples, resumed, off + LATE_SOUND)
                late = self.clicks_of(samples, off + LATE_SOUND, len(samples) / float(RATE))
                print("attempt %d: before %s; after %s" % (attempt + 1, describe(*before), describe(*after)))
                if not off_beat(before[0]) and not off_beat(after[0]):
                    break
            # The first click is the bar's first beat; the accent falls on the second.
            self.assert_beats_and_accents(*before, label="before the pause", min_beats=MIN_BEATS, accented=1)
            self.assertEqual(during[0], [], "clicks during the pause: %s" % describe(*during))
            # Stream time stood still: the beats after the pause are as exact as before it.
            self.assert_beats_and_accents(*after, label="after resuming", min_beats=8)
            self.assertLess(after[0][0] / float(RATE) - resumed, 1.0, "the first click after resuming came late")
            self.assertEqual(late[0], [], "clicks after power off at %.2f s" % off)
            self.assertEqual(s.quit(), 0)

    def test_a_tone_is_refused_while_the_metronome_holds_the_device_and_plays_once_it_stops(self):
        tone = [("SINE", "HZ", "1000"), ("SINE", "TYPE", "1"), ("SINE", "VOL", "16000"), ("SAMPLING", "TIME", "500")]
        with self.session([], ini=h.make_ini(tone)) as s:
            s.driver.send(h.WM_APP_GO_METRONOME)
            s.command(POWER)
            s.command(h.IDM_SINE_WAVE)
            dialog = wait_for_window(self.driver, "正弦波の作成")

            def play():
                self.driver.target(dialog)
                self.driver.send(h.WM_COMMAND, h.IDC_TONE_PLAY, 0)
                text = [c[4] for c in self.driver.children() if c[1] == h.IDC_TONE_PLAY][0]
                s.retarget()
                return text

            self.assertNotEqual(play(), "STOP", "a tone started while the metronome ran")
            s.command(POWER)
            self.assertEqual(play(), "STOP", "no tone once the metronome stopped")
            self.assertEqual(s.quit(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
