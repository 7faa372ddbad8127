#!/usr/bin/env bash
# The installed launcher (packaging/launcher.sh.in as the build makes it) on a fake
# installation and a fake home: the first start lays the user's copy, later starts keep the
# user's store, a newer installed version replaces the copy's programs and nothing else.
#
#   launcher_test.sh LAUNCHER DEMO_STORE VERSION [PROGRAM...]
#
# The fake programs are scripts that answer --version and otherwise print where they ran
# and their arguments. The real PROGRAMs are asked --version without a display, as the
# launcher asks them.
set -uo pipefail

launcher=$1
demo=$2
version=$3
shift 3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# make_program FOLDER NAME VERSION BUILD: a fake program; BUILD tells two builds apart.
make_program() {
  cat >"$1/$2" <<EOF
#!/bin/sh
# build $4
if [ "\${1:-}" = --version ]; then echo "$2 $3"; exit 0; fi
printf '%s\n' "\$(readlink -f "\$0")" "\$@"
EOF
  chmod 755 "$1/$2"
}

# install_fake PREFIX VERSION BUILD PROGRAM...: the package's layout under PREFIX, the
# launcher in bin/ under every program's name, as the package lays it.
install_fake() {
  local prefix=$1 v=$2 build=$3
  shift 3
  rm -rf "$prefix"
  mkdir -p "$prefix/bin" "$prefix/lib/wordloom" "$prefix/share/wordloom"
  cp "$launcher" "$prefix/bin/wordloom"
  chmod 755 "$prefix/bin/wordloom"
  cp -R "$demo" "$prefix/share/wordloom/store"
  for program in "$@"; do
    make_program "$prefix/lib/wordloom" "$program" "$v" "$build"
    [ "$program" = wordloom ] || ln -s wordloom "$prefix/bin/$program"
  done
}

# A listing of a folder's files with their contents' sums, to compare two states.
snapshot() {
  (cd "$1" && find . -path ./.wordloom-launcher.lock -prune -o -print0 | sort -z |
    while IFS= read -r -d '' f; do
      if [ -f "$f" ]; then echo "$f $(md5sum <"$f")"; else echo "$f"; fi
    done)
}

same_file() { cmp -s "$1" "$2"; }

usr=$work/usr
export HOME=$work/home
unset XDG_DATA_HOME
copy=$HOME/.local/share/wordloom

# --- First start: the copy is laid, and the program runs from it with the arguments.
install_fake "$usr" 1.0 a wordloom wordloom-generate
installed_before=$(snapshot "$usr")
out=$("$usr/bin/wordloom" "two words" --flag 2>&1) || fail "first start failed: $out"
[ "$out" = "$(printf '%s\n%s\n%s' "$copy/wordloom" "two words" --flag)" ] ||
  fail "first start did not run the copy with the arguments: $out"
for program in wordloom wordloom-generate; do
  same_file "$usr/lib/wordloom/$program" "$copy/$program" || fail "first start: $program not copied"
done
diff -r "$demo" "$copy" -x wordloom -x wordloom-generate -x .wordloom-launcher.lock >/dev/null ||
  fail "first start: the copy's store is not the demo store"
[ -z "$(find "$copy" -name '.laying*' -o -name '.*.new')" ] || fail "first start left scratch files"
[ "$installed_before" = "$(snapshot "$usr")" ] || fail "first start changed the installed files"

# --- A tool by its own name: the copy's tool, the same store by default, --dir passed on.
out=$("$usr/bin/wordloom-generate" --dir "/some where" 游记.txt 2>&1) || fail "tool start failed: $out"
[ "$out" = "$(printf '%s\n%s\n%s\n%s' "$copy/wordloom-generate" --dir "/some where" 游记.txt)" ] ||
  fail "the tool did not run from the copy with its arguments: $out"

# --- Later starts keep the user's store, also over a rebuild of the same version.
printf 'changed\r\n' >"$copy/juzi.ini"
rm "$copy/模版/旅游攻略.txt"
printf 'mine' >"$copy/模版/我的.txt"
kept=$(snapshot "$copy")
install_fake "$usr" 1.0 b wordloom wordloom-generate
"$usr/bin/wordloom" >/dev/null 2>&1 || fail "second start failed"
[ "$kept" = "$(snapshot "$copy")" ] || fail "a second start of the same version changed the copy"

# --- A newer version replaces the programs (a new tool joins), not the store. A program
# running from the copy keeps its file: the new one is renamed into place, not written over.
ln "$copy/wordloom" "$work/running"
running_before=$(md5sum <"$work/running")
install_fake "$usr" 1.0.1 c wordloom wordloom-generate wordloom-check
out=$("$usr/bin/wordloom-check" 2>&1) || fail "start after the upgrade failed: $out"
[ "$out" = "$copy/wordloom-check" ] || fail "the new tool did not run from the copy: $out"
for program in wordloom wordloom-generate wordloom-check; do
  same_file "$usr/lib/wordloom/$program" "$copy/$program" || fail "upgrade: $program not replaced"
done
store_after=$(snapshot "$copy" | grep -v -e '^\./wordloom' -e '^\.$')
store_kept=$(echo "$kept" | grep -v -e '^\./wordloom' -e '^\.$')
[ "$store_kept" = "$store_after" ] || fail "the upgrade changed the user's store"
[ "$running_before" = "$(md5sum <"$work/running")" ] || fail "the upgrade wrote over a running program"
[ -z "$(find "$copy" -name '.*.new')" ] || fail "the upgrade left scratch files"

# --- An older installed version leaves the copy's programs alone.
install_fake "$usr" 1.0 d wordloom wordloom-generate
"$usr/bin/wordloom" >/dev/null 2>&1 || fail "start after a downgrade failed"
grep -q '^# build c' "$copy/wordloom" || fail "an older installed version replaced the copy's programs"

# --- Versions compare by their numbers: 1.10 is newer than 1.9.
rm -rf "$copy"
install_fake "$usr" 1.9 e wordloom
"$usr/bin/wordloom" >/dev/null 2>&1 || fail "start of 1.9 failed"
install_fake "$usr" 1.10 f wordloom
"$usr/bin/wordloom" >/dev/null 2>&1 || fail "start of 1.10 failed"
grep -q '^# build f' "$copy/wordloom" || fail "1.10 was not taken as newer than 1.9"

# --- A copy whose program does not answer --version (cut off, damaged) is mended; a tool
# the user removed from the copy is put back; neither touches the store.
install_fake "$usr" 1.10 g wordloom wordloom-generate
printf '#!/bin/sh\nexit 1\n' >"$copy/wordloom"
before=$(snapshot "$copy" | grep -v '^\./wordloom')
"$usr/bin/wordloom" >/dev/null 2>&1 || fail "start over a damaged copy failed"
grep -q '^# build g' "$copy/wordloom" || fail "a copy that does not answer --version was not mended"
rm "$copy/wordloom-generate"
"$usr/bin/wordloom" >/dev/null 2>&1 || fail "start without the copy's tool failed"
same_file "$usr/lib/wordloom/wordloom-generate" "$copy/wordloom-generate" ||
  fail "a tool missing from the copy was not put back"
[ "$before" = "$(snapshot "$copy" | grep -v '^\./wordloom')" ] || fail "mending changed the store"

# --- Any part of a store in the folder is the user's: nothing is laid beside it.
rm -rf "$copy"
mkdir -p "$copy/模版"
printf 'mine' >"$copy/模版/我的.txt"
"$usr/bin/wordloom" >/dev/null 2>&1 || fail "start over a partial store failed"
[ ! -e "$copy/juzi.ini" ] && [ ! -e "$copy/模版/旅游攻略.txt" ] ||
  fail "the demo store was laid over a partial store"

# --- XDG_DATA_HOME places the copy; a relative one is ignored, as the XDG rule says.
XDG_DATA_HOME=$work/xdg "$usr/bin/wordloom" >/dev/null 2>&1 || fail "start with XDG_DATA_HOME failed"
[ -f "$work/xdg/wordloom/juzi.ini" ] || fail "XDG_DATA_HOME was not used"
rm -rf "$HOME"
(cd "$work" && XDG_DATA_HOME=relative "$usr/bin/wordloom" >/dev/null 2>&1) ||
  fail "start with a relative XDG_DATA_HOME failed"
[ ! -e "$work/relative" ] && [ -f "$copy/juzi.ini" ] || fail "a relative XDG_DATA_HOME was used"

# --- Starts at the same moment lay one store between them.
rm -rf "$HOME"
for i in 1 2 3 4; do "$usr/bin/wordloom" >/dev/null 2>&1 & done
wait
diff -r "$demo" "$copy" -x 'wordloom*' -x .wordloom-launcher.lock >/dev/null ||
  fail "starts at the same moment did not lay exactly the demo store"

# --- The real programs answer --version with their name and the version, with no display.
for program in "$@"; do
  name=${program##*/}
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version 2>&1)
  [ "$out" = "$name $version" ] || fail "$name --version said: $out"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures failures" >&2
  exit 1
fi
echo "launcher: all checks passed"
