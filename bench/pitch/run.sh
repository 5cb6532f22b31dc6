#!/usr/bin/env bash
# The tuner's accuracy table: renders the instrument corpus once (a few minutes, kept in
# CORPUS_DIR, default /tmp/harmolab-pitch-corpus; SOUNDFONT picks another General MIDI font than
# TimGM6mb) and scores it with harmolab_pitch_score.
# usage: bench/pitch/run.sh [--errors]   (after building the native preset's harmolab_pitch_score)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
corpus=${CORPUS_DIR:-/tmp/harmolab-pitch-corpus}
score=${PITCH_SCORE:-$root/build/native/bench/harmolab_pitch_score}
if [ ! -f "$corpus/manifest.tsv" ]; then
    python3 "$here/make_corpus.py" "$corpus" ${SOUNDFONT:+"$SOUNDFONT"}
fi
"$score" "$@" "$corpus"
