#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, ASan + UBSan) and runs each for a given
# time on its committed corpus, then once over its regression inputs and the
# real-world files of its format. Any finding fails the run; the crashing input is
# left in fuzz/findings/ to be committed as a regression case once fixed.
# Usage: scripts/fuzz.sh [SECONDS_PER_HARNESS] [HARNESS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_ASAN_BUILD_DIR:-$root/build-asan}
seconds=${1:-20}
shift || true
bash "$root/scripts/setup.sh" test >/dev/null
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DLB_FUZZ=ON -DLB_BUILD_TESTS=OFF -DLB_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzzers
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  harnesses=($(cd "$build/fuzz" && ls fuzz_* | grep -v '\.' ))
fi
mkdir -p "$root/fuzz/findings"
# Public test files from other projects (PngSuite, JPEG and TGA samples, OBJ
# models), one folder per format: beside the clone in CI, else $LB_REALWORLD_DIR.
realworld="$root/../shared/realworld"
[ -d "$realworld" ] || realworld=${LB_REALWORLD_DIR:-}
status=0
for h in "${harnesses[@]}"; do
  name=${h#fuzz_}
  corpus="$root/fuzz/corpus/$name"
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus/." "$work/"
  echo "fuzz: $h for ${seconds}s"
  extra=()
  export ASAN_OPTIONS=detect_leaks=1
  # A loaded hierarchy lives until the process ends, as in the show, so its
  # nodes are not freed and leak checking would only report that.
  [ "$name" = hierarchy ] && { extra+=(-detect_leaks=0); export ASAN_OPTIONS=detect_leaks=0; }
  if ! "$build/fuzz/$h" "${extra[@]}" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
      -artifact_prefix="$root/fuzz/findings/$name-" -print_final_stats=1 "$work" 2>"$work.log"; then
    echo "fuzz: $h found a problem:"; tail -40 "$work.log"; status=1
  else
    grep -E "stat::number_of_executed_units|cov:" "$work.log" | tail -2
  fi
  # Regression inputs: every committed finding must still pass.
  for f in "$root"/fuzz/regressions/"$name"-*; do
    [ -e "$f" ] || continue
    "$build/fuzz/$h" "${extra[@]}" "$f" >/dev/null 2>&1 || { echo "fuzz: regression $f fails again"; status=1; }
  done
  # Every real-world file of the format, run once under the sanitizers.
  if [ -n "$realworld" ] && [ -d "$realworld/$name" ]; then
    files=("$realworld/$name"/*)
    if "$build/fuzz/$h" "${extra[@]}" -rss_limit_mb=2048 -timeout=10 "${files[@]}" >"$work.log" 2>&1; then
      echo "fuzz: $h read ${#files[@]} real-world files, no report"
    else
      echo "fuzz: $h fails on a real-world file:"; tail -40 "$work.log"; status=1
    fi
  fi
  rm -rf "$work" "$work.log"
done
exit $status
