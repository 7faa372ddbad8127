#!/usr/bin/env bash
# Fails when a C++ file differs from the repository's .clang-format (clang-format -i FILE
# mends it).
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' |
  xargs -0 -r sh -c 'for f; do [ -f "$f" ] && printf "%s\0" "$f"; done' sh |
  xargs -0 -r clang-format --dry-run -Werror
