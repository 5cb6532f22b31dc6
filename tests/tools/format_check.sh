#!/usr/bin/env bash
# Fails when any tracked C++ file differs from the committed .clang-format style.
set -euo pipefail
cd "$1"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
