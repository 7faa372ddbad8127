#!/usr/bin/env bash
# Puts the Debian 12 packages Wordloom needs on this machine, only those that are missing,
# and the locales the collation tests use. Safe to run again; works as root or via sudo.
# With --fuzz, also what the fuzz targets need (scripts/fuzz.sh asks for it; the test run
# does not need clang); with --package, what making the packages needs (scripts/package.sh).
set -euo pipefail

packages=(
  g++ cmake ninja-build                 # compiler and build
  qt6-base-dev                          # windows, clipboard, network for the advertisement
  libgtest-dev libbenchmark-dev         # tests and benchmarks
  libcli11-dev                          # the command lines of the tools
  libuchardet-dev pkg-config            # recognising the encoding of imported text files
  nlohmann-json3-dev                    # wordloom-check --json, for scripts that read reports
  clang-format git                      # the format check of the test script
  fonts-noto-cjk                        # Chinese glyphs on screen
  fcitx5-frontend-qt6                   # typing Chinese with fcitx5 (Qt brings ibus's)
  xvfb xauth imagemagick xdotool        # GUI tests and screenshots on a virtual display
  locales                               # collation in the user's locale
)
fuzz_packages=(
  clang libclang-rt-14-dev              # libFuzzer and clang's sanitizer runtimes
)
package_packages=(
  dpkg-dev file                         # the Debian package's dependencies, read from the programs
)
for arg in "$@"; do
  case "$arg" in
    --fuzz) packages+=("${fuzz_packages[@]}") ;;
    --package) packages+=("${package_packages[@]}") ;;
  esac
done

if [ "$(id -u)" -eq 0 ]; then
  as_root() { "$@"; }
else
  as_root() { sudo "$@"; }
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The sorting tests compare in a real locale; generate the two we use when they are absent.
wanted_locales=(en_US.UTF-8 zh_CN.UTF-8)
need_gen=0
for l in "${wanted_locales[@]}"; do
  norm=$(echo "$l" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
  if ! locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "$norm"; then
    as_root sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    need_gen=1
  fi
done
if [ "$need_gen" -eq 1 ]; then
  as_root locale-gen >/dev/null
fi
