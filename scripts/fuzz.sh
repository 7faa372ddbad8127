#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (in build-fuzz/) and runs them one after
# another.
#
#   scripts/fuzz.sh [--save] [SECONDS] [TARGET...]
#
# SECONDS is the time per target (default 60); the targets default to all of them. Each
# target starts from its corpus, fuzz/corpus/TARGET; what it finds goes to a scratch copy,
# build-fuzz/work/TARGET/corpus, unless --save is given: then the inputs that add coverage
# are merged into fuzz/corpus/TARGET at the end. A failing input is kept in
# build-fuzz/work/TARGET/failures/ and the target is started again until its time is up;
# the distinct failures are listed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(text codec ini lines generator)
seconds=60
save=0
targets=()
for arg in "$@"; do
  case "$arg" in
    --save) save=1 ;;
    -h | --help)
      sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *[!0-9]* | '')
      if [[ " ${all_targets[*]} " != *" $arg "* ]]; then
        echo "unknown target: $arg (targets: ${all_targets[*]})" >&2
        exit 2
      fi
      targets+=("$arg")
      ;;
    *) seconds=$arg ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

scripts/install-deps.sh --fuzz

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DWORDLOOM_BUILD_FUZZ=ON \
  -DWORDLOOM_BUILD_GUI=OFF -DWORDLOOM_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}"

# The INI target writes files at every run: a memory file system keeps that cheap. A run
# that fails leaves its scratch folder behind, so all of them go into one that is removed.
scratch_parent=/tmp
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  scratch_parent=/dev/shm
fi
TMPDIR=$(mktemp -d "$scratch_parent/wordloom-fuzz.XXXXXX")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT

summary=()
for target in "${targets[@]}"; do
  fuzzer="build-fuzz/fuzz/fuzz_$target"
  work="build-fuzz/work/$target"
  mkdir -p "$work/corpus" "$work/failures"
  # Only the corpus files themselves: failures kept beside them stay out.
  find "fuzz/corpus/$target" -maxdepth 1 -type f -exec cp -n -t "$work/corpus" {} +
  : >"$work/fuzz.log"

  echo "== $target: $seconds s"
  runs=0
  restarts=0
  start=$(date +%s)
  while :; do
    left=$((seconds - ($(date +%s) - start)))
    [ "$left" -gt 0 ] || break
    status=0
    "$fuzzer" -max_total_time="$left" -max_len=4096 -timeout=25 -print_final_stats=1 \
      -artifact_prefix="$work/failures/" "$work/corpus" >"$work/last.log" 2>&1 || status=$?
    cat "$work/last.log" >>"$work/fuzz.log"
    done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/last.log" | tail -n 1)
    runs=$((runs + ${done_runs:-0}))
    [ "$status" -ne 0 ] || break
    if ! grep -q 'INITED' "$work/last.log"; then
      echo "   $target failed on its own corpus; see $work/last.log" >&2
      break
    fi
    restarts=$((restarts + 1))
  done
  elapsed=$(($(date +%s) - start))

  # One line per distinct failure: what the input makes the target report.
  failures=()
  for input in "$work"/failures/*; do
    [ -f "$input" ] || continue
    what=$("$fuzzer" "$input" 2>&1 | grep -m1 -E 'fuzz check failed|ERROR: |runtime error' || true)
    failures+=("${what:-(no message)}	$input")
  done
  if [ ${#failures[@]} -eq 0 ]; then
    line="$target: $runs runs in $elapsed s, nothing found"
  else
    line="$target: $runs runs in $elapsed s, ${#failures[@]} failing inputs ($restarts restarts)"
    while IFS=$'\t' read -r count what example; do
      line+=$'\n'"    ${count}x $what  e.g. $example"
    done < <(printf '%s\n' "${failures[@]}" |
      awk -F'\t' '{n[$1]++; e[$1]=$2} END {for (w in n) print n[w] "\t" w "\t" e[w]}')
  fi
  echo "$line"
  summary+=("$line")

  if [ "$save" -eq 1 ]; then
    "$fuzzer" -merge=1 -max_len=4096 "fuzz/corpus/$target" "$work/corpus" >>"$work/fuzz.log" 2>&1
    echo "   merged new coverage into fuzz/corpus/$target"
  fi
done

echo
echo "== summary (logs and failing inputs in build-fuzz/work/TARGET/)"
printf '%s\n' "${summary[@]}"
