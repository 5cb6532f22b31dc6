#!/usr/bin/env python3
"""Renders the tuner's accuracy corpus of instrument notes: one 2 s note per WAV file (44,100 Hz,
16-bit), played by fluidsynth from a General MIDI SoundFont packaged in Debian, and a manifest that
names each file's family, its piano key (A0 = 1) and whether it is an open string.

usage: make_corpus.py OUT_DIR [SOUNDFONT]
The synthetic half of the corpus (sines, plucked strings, noise) is made by the scorer itself."""

import os
import shutil
import struct
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

SOUNDFONTS = ["/usr/share/sounds/sf2/TimGM6mb.sf2",
              "/usr/share/sounds/sf2/MuseScore_General.sf2",
              "/usr/share/sounds/sf2/MuseScore_General-Lossless.sf2"]
NOTE_SECONDS = 2.0
RATE = 44100

# Open strings as MIDI notes: guitar E2 A2 D3 G3 B3 E4, bass E1 A1 D2 G2, ukulele G4 C4 E4 A4.
GUITAR_OPEN = [40, 45, 50, 55, 59, 64]
BASS_OPEN = [28, 33, 38, 43]
UKULELE_OPEN = [67, 60, 64, 69]

# (family, General MIDI program (0-based), MIDI notes, open strings). General MIDI has no
# ukulele; its nylon-string guitar plays the ukulele's range, strings and all.
FAMILIES = [
    ("piano", 0, range(21, 109), []),
    ("nylon guitar", 24, range(40, 77), GUITAR_OPEN),
    ("steel guitar", 25, range(40, 77), GUITAR_OPEN),
    ("bass", 33, range(28, 56), BASS_OPEN),
    ("ukulele", 24, range(60, 82), UKULELE_OPEN),
    ("violin", 40, range(55, 94), []),
    ("flute", 73, range(60, 97), []),
    ("trumpet", 56, range(52, 85), []),
    ("trombone", 57, range(40, 72), []),
    ("choir", 52, range(48, 80), []),
    ("voice", 53, range(48, 80), []),
]


def variable_length(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def midi_file(program, note):
    """One track: program change, the note for NOTE_SECONDS at 120 bpm (480 ticks a beat), end."""
    ticks = int(NOTE_SECONDS * 2 * 480)
    events = (b"\x00\xC0" + bytes([program]) + b"\x00\x90" + bytes([note, 100]) +
              variable_length(ticks) + b"\x80" + bytes([note, 0]) + b"\x00\xFF\x2F\x00")
    header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480)
    return header + b"MTrk" + struct.pack(">I", len(events)) + events


def render(soundfont, midi_path, wav_path):
    """fluidsynth renders the note and its release tail in stereo; sox keeps the first 2 s in mono,
    peaking at -6 dBFS, the level of a microphone set up for tuning."""
    stereo = wav_path[:-4] + "-stereo.wav"
    subprocess.run(["fluidsynth", "-ni", "-q", "-R", "0", "-C", "0", "-g", "0.6", "-r", str(RATE),
                    "-O", "s16", "-T", "wav", "-F", stereo, soundfont, midi_path],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["sox", stereo, "-c", "1", "-b", "16", wav_path, "trim", "0", str(NOTE_SECONDS),
                    "norm", "-6"], check=True)
    os.remove(stereo)
    os.remove(midi_path)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    out = sys.argv[1]
    soundfont = sys.argv[2] if len(sys.argv) == 3 else next((f for f in SOUNDFONTS if os.path.exists(f)), None)
    if not soundfont or not os.path.exists(soundfont):
        sys.exit("no SoundFont found; install timgm6mb-soundfont (scripts/setup does)")
    for tool in ("fluidsynth", "sox"):
        if not shutil.which(tool):
            sys.exit("%s is missing; scripts/setup installs it" % tool)
    os.makedirs(out, exist_ok=True)
    jobs, rows = [], []
    for family, program, notes, open_strings in FAMILIES:
        for note in notes:
            name = "%s-%d.wav" % (family.replace(" ", "_"), note)
            midi_path = os.path.join(out, name[:-4] + ".mid")
            with open(midi_path, "wb") as f:
                f.write(midi_file(program, note))
            jobs.append((soundfont, midi_path, os.path.join(out, name)))
            rows.append("%s\t%s\t%d\t%d\n" % (family, name, note - 20, 1 if note in open_strings else 0))
    with ThreadPoolExecutor(max_workers=2) as pool:
        list(pool.map(lambda job: render(*job), jobs))
    with open(os.path.join(out, "manifest.tsv"), "w") as f:
        f.write("# family\tfile\tkey\topen_string\n")
        f.writelines(rows)
    print("%d notes rendered with %s into %s" % (len(rows), os.path.basename(soundfont), out))


if __name__ == "__main__":
    main()
