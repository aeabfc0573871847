#!/usr/bin/env bash
# Builds everything and runs every test under a virtual X server with Mesa's
# software renderer, so GL tests always have a 4.1 core context.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# Every test talks to the X server started below: a Wayland session inherited
# from the caller must not lead SDL elsewhere.
export SDL_VIDEODRIVER=x11
unset WAYLAND_DISPLAY
xvfb-run -a -s "-screen 0 1280x720x24" \
  ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
