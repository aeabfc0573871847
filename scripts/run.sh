#!/usr/bin/env bash
# Builds Lattice Bloom and plays the show (full screen; Escape ends it).
# Without a display, it plays on a virtual one (Xvfb) with silent audio.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh"
cd "$build"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display; playing on a virtual 1280x720 screen without sound"
  SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} exec xvfb-run -a -s "-screen 0 1280x720x24" ./lattice-bloom
fi
exec ./lattice-bloom
