#!/usr/bin/env bash
# Builds the show and lattice-bloom-render with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, the same tree as the fuzz harnesses) and
# renders several frames of every scene with them; any sanitizer report fails.
# Needs the data set of the normal build (scripts/build.sh makes it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_ASAN_BUILD_DIR:-$root/build-asan}
data_build=${LB_BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh" test >/dev/null
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DLB_FUZZ=ON -DLB_BUILD_TESTS=OFF -DLB_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target lattice-bloom lattice-bloom-render
[ -f "$data_build/data/config.txt" ] || { echo "sanitize: no data set in $data_build/data: run scripts/build.sh" >&2; exit 1; }

# The GL driver is not instrumented and keeps allocations for the life of the
# process, as the show does with its own objects: leak reports would be noise.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
times=()
for t in 0.5 2.4 4.7 5 13 21 21.5 27 33.8 34 38 42 42.5 52 61.6 62 76 91 91.5 95 97.9 98.5 100 102.4 103 110 121.5 122 125.5 127.9; do
  times+=(--at "$t")
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cd "$data_build"
export SDL_VIDEODRIVER=x11  # the Xvfb below, whatever session the caller has
unset WAYLAND_DISPLAY
if xvfb-run -a -s "-screen 0 1280x720x24" "$build/lattice-bloom-render" --size 320x180 "${times[@]}" --out "$out" \
    >"$out/log.txt" 2>&1; then
  if grep -qE "ERROR: AddressSanitizer|runtime error:" "$out/log.txt"; then
    echo "sanitize: sanitizer report:"; cat "$out/log.txt"; exit 1
  fi
  echo "sanitize: $((${#times[@]} / 2)) frame times across all ten scenes rendered with ASan and UBSan, no report"
else
  echo "sanitize: the sanitizer render failed:"; tail -60 "$out/log.txt"; exit 1
fi
