#!/usr/bin/env bash
# Runs one fuzz target over the seed corpus: run.sh FUZZER [SECONDS] [RUNS].
# FUZZ_SECONDS in the environment overrides SECONDS, for runs at length on demand, e.g.
#   FUZZ_SECONDS=3600 tests/fuzz/run.sh build/native/tests/fuzz/stream_wave_fuzz
# New inputs and any crash go to a work folder beside the fuzzer, never into the corpus.
set -euo pipefail
fuzzer=$1
seconds=${FUZZ_SECONDS:-${2:-15}}
runs=${3:--1}
[ -n "${FUZZ_SECONDS:-}" ] && runs=-1
corpus="$(cd "$(dirname "$0")" && pwd)/corpus"
work="$(dirname "$fuzzer")/work/$(basename "$fuzzer")"
mkdir -p "$work/corpus"
exec "$fuzzer" -max_total_time="$seconds" -runs="$runs" -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$corpus"
