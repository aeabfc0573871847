#!/usr/bin/env bash
# Regenerates docs/contact-sheet.png, the picture of the show in the README:
# one frame from the middle of each of the ten scenes, labelled, rendered at
# 1280x720 and scaled into 384x216 tiles by lattice-bloom-render.
#   scripts/contact-sheet.sh [BUILD_DIR] [OUTPUT.png]
#   (defaults: $LB_BUILD_DIR or build/, and docs/contact-sheet.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${LB_BUILD_DIR:-$root/build}}
out=${2:-$root/docs/contact-sheet.png}
render="$build/lattice-bloom-render"
if [ ! -x "$render" ]; then
  echo "contact-sheet: no $render; build first (scripts/build.sh or cmake --build $build)" >&2
  exit 1
fi
mkdir -p "$(dirname "$out")"
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} xvfb-run -a -s "-screen 0 1280x720x24" \
  "$render" --contact-sheet "$out"
