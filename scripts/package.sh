#!/usr/bin/env bash
# Builds a release build in build-package/ and from it the Debian package and the portable
# archive: build-package/wordloom_VERSION_ARCH.deb and
# build-package/wordloom-VERSION-linux-ARCH.tar.gz.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --package

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DWORDLOOM_BUILD_TESTS=OFF >/dev/null
cmake --build build-package

cd build-package
rm -f wordloom_*.deb wordloom-*.tar.gz
cpack -G DEB
cpack -G TGZ
ls -l wordloom_*.deb wordloom-*.tar.gz
