"""Sound in and out of the test sound server: WAV files made by sox, playing them into the null sink,
recording the sink's monitor with parecord, and measuring what was recorded."""

import array
import contextlib
import os
import shutil
import signal
import struct
import subprocess
import time

from .environment import SINK_NAME, HarnessError
from .program import end_process

RATE = 44100
LOUD = 2000  # sample value that counts as sound (tones are made with amplitude 16000)
MIN_STRETCH_PERIODS = 20  # shorter stretches between dropouts are left out of the frequency
RECORD_START_TIMEOUT = 20.0
# parecord's default record fragments are about two seconds long, and what is still in a fragment
# when it is stopped is lost; 20 ms fragments lose at most that.
RECORD_LATENCY_MS = 20
# A sine this loud (half of full scale) gives its key a level near 80, far above the detectors'
# threshold of 31; the file is longer than any phase that plays it.
TONE_VOLUME = 0.5
TONE_SECONDS = 40
# How long a phase may wait for what it expects: sound reaches the program's capture through
# Wine and PulseAudio in well under a second, but a loaded machine may be slow to start paplay.
SETTLE_TIMEOUT = 15.0


def make_tone_wav(path, hz, seconds, channels=1, volume=TONE_VOLUME, rate=RATE):
    """A 16-bit sine WAV made by sox."""
    if shutil.which("sox") is None:
        raise HarnessError("sox is missing: run scripts/setup first")
    subprocess.run(["sox", "-n", "-r", str(rate), "-c", str(channels), "-b", "16", path, "synth", str(seconds),
                    "sine", str(hz), "vol", str(volume)], check=True, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    return path


class SinkPlayer:
    """Plays a file into the environment's null sink with paplay until stopped (only that process)."""

    def __init__(self, env, path):
        self.env, self.path, self.proc = env, path, None

    def __enter__(self):
        self.proc = subprocess.Popen(["paplay", self.path], env=self.env.env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        return self

    def check_running(self):
        if self.proc.poll() is not None:
            raise HarnessError("paplay %s ended early (exit %s): %s"
                               % (self.path, self.proc.returncode, self.proc.stderr.read().decode(errors="replace")))

    def __exit__(self, *exc):
        end_process(self.proc)
        self.proc.stderr.close()


def sink_playing(env, path):
    """A SinkPlayer for path, or nothing (silence) when path is None."""
    return SinkPlayer(env, path) if path else contextlib.nullcontext()


def tone_file(s, hz, seconds=TONE_SECONDS, channels=1):
    """A tone WAV in the run folder of session s (made once per run folder)."""
    path = os.path.join(s.program.cwd, "sine-%g-hz-%gs-%dch.wav" % (hz, seconds, channels))
    if not os.path.exists(path):
        make_tone_wav(path, hz, seconds, channels)
    return path


def poll(probe, timeout=SETTLE_TIMEOUT, interval=0.15):
    """Calls probe() until it returns a true value or timeout passes; returns the last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(interval)


class MonitorRecording:
    """parecord of the null sink's monitor as raw 16-bit mono 44100 Hz into path (only that process)."""

    def __init__(self, env, path):
        self.env, self.path, self.proc, self.stopped = env, path, None, False

    def __enter__(self):
        if os.path.exists(self.path):
            os.remove(self.path)
        self.proc = subprocess.Popen(
            ["parecord", "--raw", "--format=s16le", "--rate=%d" % RATE, "--channels=1",
             "--latency-msec=%d" % RECORD_LATENCY_MS, "--device=%s.monitor" % SINK_NAME, self.path],
            env=self.env.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        # parecord takes a moment to connect; sound made before its first samples would be lost.
        if not poll(lambda: self.proc.poll() is not None or self.seconds() >= 0.2, RECORD_START_TIMEOUT, 0.05):
            self.stop()
            raise HarnessError("parecord delivered nothing within %.0f s" % RECORD_START_TIMEOUT)
        if self.proc.poll() is not None:
            raise HarnessError("parecord ended at once: %s" % self.proc.stderr.read().decode(errors="replace"))
        return self

    def samples(self):
        data = b""
        if os.path.exists(self.path):
            with open(self.path, "rb") as f:
                data = f.read()
        out = array.array("h")
        out.frombytes(data[:len(data) // 2 * 2])
        return out

    def seconds(self):
        return (os.path.getsize(self.path) // 2 if os.path.exists(self.path) else 0) / float(RATE)

    def stop(self):
        if self.stopped:
            return self.samples()
        self.stopped = True
        # parecord writes out what it holds when interrupted, not when terminated.
        end_process(self.proc, signal.SIGINT)
        self.proc.stderr.close()
        return self.samples()

    def __exit__(self, *exc):
        self.stop()


# Metronome clicks in a recording (the sound test, the package test and the timing benchmark).
CLICK_SILENT = 16  # a sample no louder than this is silence; a click's first sample is already louder
CLICK_QUIET_BETWEEN = 0.05  # seconds of silence that separate two clicks
CLICK_TONE_WINDOW = 0.012  # seconds after a click's onset in which its tone is counted
# The program's default sounds (tools/make_click_sounds.cpp): the accent's tone and the beat's tone.
DEFAULT_CLICK_TONES = {"accent": 1600.0, "beat": 1000.0}
# Wine feeds the sound server from a thread of its own; on a loaded machine that thread can starve and
# the sink plays a gap no program could prevent. A larger server-side buffer for the program's stream
# (the PulseAudio client's own setting) absorbs such stalls.
SERVER_LATENCY = {"PULSE_LATENCY_MSEC": "200"}


def click_onsets(samples, silent=CLICK_SILENT, quiet_between=CLICK_QUIET_BETWEEN):
    """Sample indexes where a click starts: the first sample above silence after quiet_between of it."""
    onsets, last = [], None
    gap = int(quiet_between * RATE)
    for i, v in enumerate(samples):
        if v > silent or v < -silent:
            if last is None or i - last > gap:
                onsets.append(i)
            last = i
    return onsets


def click_tone(samples, onset):
    """The frequency of the upward zero crossings in the CLICK_TONE_WINDOW after an onset (Hz), or None."""
    end = min(len(samples), onset + int(CLICK_TONE_WINDOW * RATE))
    crossings = [i - 1 + samples[i - 1] / float(samples[i - 1] - samples[i])
                 for i in range(onset + 1, end) if samples[i - 1] < 0 <= samples[i]]
    if len(crossings) < 3:
        return None
    return RATE * (len(crossings) - 1) / (crossings[-1] - crossings[0])


def classify_click(tone, tones):
    """The name in tones {name: Hz} nearest to a click's tone, or "?" without one."""
    return "?" if tone is None else min(tones, key=lambda name: abs(tones[name] - tone))


def loud_span(samples, start=0):
    """(first, last) index of a sample louder than LOUD from start on, or None."""
    first = next((i for i in range(start, len(samples)) if abs(samples[i]) > LOUD), None)
    if first is None:
        return None
    last = next(i for i in range(len(samples) - 1, first - 1, -1) if abs(samples[i]) > LOUD)
    return first, last


def ended_tone(samples, quiet_seconds=0.3):
    """True when the recording holds sound followed by quiet_seconds of quiet."""
    span = loud_span(samples)
    return span is not None and len(samples) - span[1] > quiet_seconds * RATE


def measure_tone(samples):
    """Measures the sound of a recording: {"seconds": from the first to the last loud sample, "hz": the
    frequency of the upward zero crossings, "clean": seconds of sound without a dropout, "dropouts":
    crossing intervals that broke the rhythm}.

    A dropout of the sound server or a glitch shows as one interval off the period. The frequency is
    fitted (least squares) to each stretch between dropouts on its own and the stretches are combined
    by their lengths, so a dropout shifts no stretch's phase."""
    span = loud_span(samples)
    if span is None:
        return None
    first, last = span
    crossings = [i - 1 + samples[i - 1] / float(samples[i - 1] - samples[i])
                 for i in range(first + 1, last + 1) if samples[i - 1] < 0 <= samples[i]]
    intervals = [b - a for a, b in zip(crossings, crossings[1:])]
    if not intervals:
        return {"seconds": (last - first) / RATE, "hz": None, "clean": 0.0, "dropouts": 0}
    median = sorted(intervals)[len(intervals) // 2]
    good = [abs(v - median) < 0.5 for v in intervals]
    stretches, start = [], None
    for i, ok in enumerate(good + [False]):
        if ok and start is None:
            start = i
        elif not ok and start is not None:
            if i - start >= MIN_STRETCH_PERIODS:
                stretches.append(crossings[start:i + 1])
            start = None
    periods = count = 0.0
    for points in stretches:
        n = len(points)
        mean_x, mean_y = (n - 1) / 2.0, sum(points) / n
        slope = (sum((x - mean_x) * (y - mean_y) for x, y in enumerate(points))
                 / sum((x - mean_x) ** 2 for x in range(n)))
        periods += slope * (n - 1)
        count += n - 1
    return {"seconds": (last - first) / RATE, "hz": RATE * count / periods if count else None,
            "clean": periods / RATE, "dropouts": good.count(False)}


def describe(measured):
    if not measured:
        return "silence"
    return "%.3f s of sound, %s Hz over a clean %.2f s, %d dropouts" % (
        measured["seconds"], "?" if measured["hz"] is None else "%.4f" % measured["hz"], measured["clean"],
        measured["dropouts"])


def read_wave_header(data):
    """The fields of a canonical 44-byte WAV header."""
    riff, riff_size, wave, fmt, fmt_size, tag, channels, rate, byte_rate, align, bits, data_id, data_size = \
        struct.unpack_from("<4sI4s4sIHHIIHH4sI", data)
    return {"riff": riff, "riff_size": riff_size, "wave": wave, "fmt": fmt, "fmt_size": fmt_size, "tag": tag,
            "channels": channels, "rate": rate, "byte_rate": byte_rate, "align": align, "bits": bits,
            "data": data_id, "data_size": data_size}
