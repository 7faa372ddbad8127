#!/usr/bin/env bash
# Installs what is missing, builds a release build and starts Wordloom. The first build lays
# the demo resource store beside the executable (build/); a store already there is kept.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DWORDLOOM_BUILD_TESTS=OFF >/dev/null
cmake --build build --target wordloom wordloom-generate wordloom-import wordloom-check

exec build/wordloom "$@"
