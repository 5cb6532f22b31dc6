#!/usr/bin/env python3
"""Metronome timing where the musician hears it: runs Harmolab.exe under Wine with the system tests'
null sink, records the sink's monitor (parecord --latency-msec=20), finds every click onset to the
sample and compares it with the beat grid of the stream's own sample clock.

For each tempo and each of the four kinds (bars of 2 to 6 beats with the accent on a varying beat) it
prints: clicks heard, the largest interval error and the count of intervals more than one sample off,
missing and doubled clicks, drift at the end of the run, whether every accent fell on its beat, the
CPU time of Harmolab.exe at 120 bpm and, at 120 bpm, whether holding the GUI thread for 500 ms
halfway through moved a click. The first interval of a run is left out: the sound server moves the
first samples of a new stream while it starts it, for any program (paplay shows the same). The program
runs with the system test's larger server-side buffer (PULSE_LATENCY_MSEC), without which a starved
Wine feeding thread on a loaded machine makes the sink play gaps that no program could prevent.

    HARMOLAB_SYSTEM_STATE=build/native/system bench/metronome_timing.py [--seconds 60]
        [--windows-dir build/windows] [--tempos 30,120,217,300] [--kinds 0,1,2,3]

The environment (Xvfb, PulseAudio, Wine prefix) is the system tests'; it is started when it is not up
and stopped again afterwards. Python standard library only.
"""

import argparse
import glob
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "system"))

import harness as h  # noqa: E402
from harness import (DEFAULT_CLICK_TONES, RATE, SERVER_LATENCY, MonitorRecording, classify_click,  # noqa: E402
                     click_onsets, click_tone)

POWER = h.IDM_POWER
KIND_NAMES = ["Normal", "Conductor", "Ball", "Signal"]
BLOCK_MS = 500


def beat_frame(k, tempo):
    """The beat grid: round(k x 44100 x 60 / tempo), halves up."""
    return (2 * k * RATE * 60 + tempo) // (2 * tempo)


def bar_of(tempo_index, kind):
    """(beats per bar 2..6, accented beat 1-based) for one run: every length and several accents occur."""
    length = 2 + (tempo_index * 4 + kind) % 5
    return length, 1 + (tempo_index + kind) % length


def pid_in(cwd, name="Harmolab.exe"):
    for d in glob.glob("/proc/[0-9]*"):
        try:
            if open(d + "/comm").read().strip() == name[:15] and os.path.realpath(os.readlink(d + "/cwd")) == cwd:
                return int(d[len("/proc/"):])
        except OSError:
            pass
    return None


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / float(os.sysconf("SC_CLK_TCK"))


def analyse(samples, tempo, length, accent, start, end, block_at=None):
    onsets = [o for o in click_onsets(samples) if start * RATE <= o < end * RATE]
    kinds = [classify_click(click_tone(samples, o), DEFAULT_CLICK_TONES) for o in onsets]
    beat = beat_frame(1, tempo)
    result = {"clicks": len(onsets), "missing": 0, "doubled": 0, "max_err": 0, "off": 0, "drift_ms": 0.0,
              "accents": "-", "block": "-"}
    if len(onsets) < 3:
        return result
    # Beat numbers from the onsets themselves, so that a missing or doubled click is counted once.
    numbers = [0]
    for a, b in zip(onsets, onsets[1:]):
        n = int(round((b - a) / float(beat)))
        if n == 0:
            result["doubled"] += 1
        result["missing"] += max(n - 1, 0)
        numbers.append(numbers[-1] + n)
    errors = []
    for i in range(2, len(onsets)):
        if numbers[i] - numbers[i - 1] != 1:
            continue
        exact = beat_frame(numbers[i], tempo) - beat_frame(numbers[i - 1], tempo)
        errors.append((onsets[i], onsets[i] - onsets[i - 1] - exact))
    result["max_err"] = max(abs(e) for _, e in errors) if errors else 0
    result["off"] = sum(1 for _, e in errors if abs(e) > 1)
    first, last = 1, len(onsets) - 1
    grid = beat_frame(numbers[last], tempo) - beat_frame(numbers[first], tempo)
    result["drift_ms"] = (onsets[last] - onsets[first] - grid) * 1000.0 / RATE
    wrong = [i for i, k in enumerate(kinds) if (k == "accent") != (numbers[i] % length == accent - 1)]
    result["accents"] = "all right" if not wrong else "%d wrong" % len(wrong)
    if block_at is not None:
        near = [e for at, e in errors if abs(at / float(RATE) - block_at) < 1.5]
        result["block"] = "no change" if near and max(abs(e) for e in near) <= 1 else \
            "max %d samples" % max([abs(e) for e in near] or [0])
    return result


def run(env, driver, tempo, tempo_index, kind, seconds, server_env):
    length, accent = bar_of(tempo_index, kind)
    ini = h.make_ini([("METRONOME", "KIND", str(kind)), ("DOWNBEAT", str(length), str(accent))])
    args = ["2", str(tempo), str(length - 1)]
    session = h.Session(env, driver, args=args, ini=ini, name="bench-%d-%d" % (tempo, kind))
    session.program.extra_env = server_env
    cpu, block_at = None, None
    with session as s:
        path = os.path.join(s.program.cwd, "monitor.raw")
        pid = pid_in(os.path.realpath(s.program.cwd))
        with MonitorRecording(env, path) as recording:
            s.command(POWER)
            on = recording.seconds()
            c0, t0 = cpu_seconds(pid) if pid else 0, time.time()
            if tempo == 120:
                time.sleep(seconds / 2.0)
                block_at = recording.seconds()
                s.driver.block(BLOCK_MS)
                time.sleep(seconds / 2.0 - BLOCK_MS / 1000.0)
            else:
                time.sleep(seconds)
            if pid and tempo == 120:
                cpu = 100.0 * (cpu_seconds(pid) - c0) / (time.time() - t0)
            s.command(POWER)
            off = recording.seconds()
            time.sleep(1.0)
            samples = recording.stop()
        s.quit()
    result = analyse(samples, tempo, length, accent, max(on - 1.0, 0), off + 0.5, block_at)
    result.update(tempo=tempo, kind=KIND_NAMES[kind], bar="%d/%d" % (accent, length),
                  cpu="%.1f %%" % cpu if cpu is not None else "-")
    return result


COLUMNS = [("tempo", "bpm"), ("kind", "kind"), ("bar", "accent/bar"), ("clicks", "clicks"),
           ("max_err", "max interval error (samples)"), ("off", "intervals > 1 sample off"),
           ("missing", "missing"), ("doubled", "doubled"), ("drift_ms", "drift (ms)"), ("accents", "accents"),
           ("cpu", "CPU"), ("block", "GUI held 500 ms")]


def table(rows):
    lines = ["| " + " | ".join(title for _, title in COLUMNS) + " |",
             "|" + "|".join("---" for _ in COLUMNS) + "|"]
    for r in rows:
        cells = [("%.3f" % r[key]) if key == "drift_ms" else str(r[key]) for key, _ in COLUMNS]
        lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--seconds", type=float, default=60.0)
    parser.add_argument("--windows-dir", default=None)
    parser.add_argument("--tempos", default="30,120,217,300")
    parser.add_argument("--kinds", default="0,1,2,3")
    # A program that opens the device for each click (as before this design) loses its short streams
    # when the server buffers that much: measure such a build with --no-server-buffer.
    parser.add_argument("--no-server-buffer", action="store_true")
    opts = parser.parse_args()
    state_dir = os.environ.get("HARMOLAB_SYSTEM_STATE") or os.path.join(h.SOURCE_DIR, "build", "native", "system")
    env = h.Environment(state_dir, opts.windows_dir)
    started = False
    try:
        env.load()
    except h.HarnessError:
        env.up()
        started = True
    env.require_build()
    driver = h.Driver(env)
    rows = []
    try:
        for ti, tempo in enumerate(int(t) for t in opts.tempos.split(",")):
            for kind in (int(k) for k in opts.kinds.split(",")):
                # Thirty beats at least at the slowest tempo.
                seconds = max(opts.seconds, 61.0) if tempo == 30 else opts.seconds
                rows.append(run(env, driver, tempo, ti, kind, seconds, {} if opts.no_server_buffer else SERVER_LATENCY))
                print(rows[-1], file=sys.stderr)
    finally:
        driver.close()
        if started:
            env.down()
    print(table(rows))


if __name__ == "__main__":
    main()
