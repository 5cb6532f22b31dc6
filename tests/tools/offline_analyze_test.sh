#!/usr/bin/env bash
# The offline analysis command on a 440 Hz recording: note 49 on every buffer from the eighth on;
# with --a4 442 a 442 Hz tone is A4 at 0 cents.
set -euo pipefail
analyze=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
sox -n -r 44100 -c 2 -b 16 "$dir/a440.wav" synth 2 sine 440 vol 0.5
"$analyze" --mode note "$dir/a440.wav" > "$dir/out.csv"
rows=$(tail -n +2 "$dir/out.csv" | wc -l)
[ "$rows" -eq 86 ] || { echo "expected 86 buffers, got $rows"; exit 1; }
bad=$(tail -n +9 "$dir/out.csv" | awk -F, '$2 != 49 || $3 != "A3" || $4 != 440' | wc -l)
[ "$bad" -eq 0 ] || { echo "buffers from the eighth on not all A4:"; tail -n +9 "$dir/out.csv" | head; exit 1; }
"$analyze" --mode tuner --target 49 "$dir/a440.wav" | tail -n 1 | grep -q ',49,A4,440,' || { echo "tuner row wrong"; exit 1; }
sox -n -r 44100 -c 1 -b 16 "$dir/a442.wav" synth 1 sine 442 vol 0.5
"$analyze" --mode tuner --a4 442 "$dir/a442.wav" | tail -n 1 | grep -q ',49,A4,442,0$' || { echo "A4 = 442 Hz row wrong"; exit 1; }
if "$analyze" --mode tuner --a4 460 "$dir/a442.wav" >/dev/null 2>&1; then echo "A4 = 460 Hz accepted"; exit 1; fi
if "$analyze" --mode note /nonexistent.wav 2>/dev/null; then echo "missing file accepted"; exit 1; fi
echo "offline analysis: 86 buffers, A4 from the eighth on"
