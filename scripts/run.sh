#!/usr/bin/env bash
# Builds what the show needs (the show, the data set and its music, nothing
# else) and plays it (full screen; Escape or Alt-F4 ends it). Without a display,
# it plays on a virtual one (Xvfb) with silent audio.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh" run
# Tests and benchmarks off: their packages need not be installed to play.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=${LB_BUILD_TYPE:-RelWithDebInfo} \
  -DLB_BUILD_TESTS=OFF -DLB_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target lattice-bloom lb_data lb_music
cd "$build"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display; playing on a virtual 1280x720 screen without sound"
  SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} exec xvfb-run -a -s "-screen 0 1280x720x24" ./lattice-bloom
fi
exec ./lattice-bloom
