#!/usr/bin/env bash
# Installs what is missing, builds the test build (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every suite, the windows on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# Every C++ file as the repository's .clang-format has it.
scripts/check-format.sh

# The core alone, without Qt, so the split between core and windows cannot rot.
cmake -S . -B build-core -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DWORDLOOM_BUILD_GUI=OFF -DWORDLOOM_BUILD_TESTS=OFF >/dev/null
cmake --build build-core --target wordloom_core wordloom_import

# The benchmarks are compiled (not run) so they cannot rot.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DWORDLOOM_SANITIZE=ON -DWORDLOOM_BUILD_BENCH=ON >/dev/null
cmake --build build-test

cd build-test
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2
