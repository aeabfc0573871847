#!/usr/bin/env bash
# Regenerates docs/contact-sheet.png, the picture of the show in the README:
# one frame from the middle of each of the ten scenes, labelled, rendered at
# 1280x720 and scaled into tiles of 3/10 of the frame by lattice-bloom-render.
#   scripts/contact-sheet.sh [--aspect W:H] [--height PIXELS] [BUILD_DIR] [OUTPUT.png]
#   (defaults: 16:9, 720, $LB_BUILD_DIR or build/, and docs/contact-sheet.png)
# --aspect renders the frames in another screen shape, e.g. 4:3 for the
# 640x480 and 1024x768 of party rules, 16:10 for laptops, 21:9 for wide
# screens; --height sets the frames' height (the width follows the aspect).
#   scripts/contact-sheet.sh --aspect 4:3 --height 480 build docs/contact-sheet-4x3.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() { sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; }
value() {
  if [ $# -lt 2 ] || [ -z "$2" ]; then
    echo "contact-sheet: $1 needs a value" >&2
    usage >&2
    exit 2
  fi
}
aspect=16:9
height=720
positional=()
while [ $# -gt 0 ]; do
  case "$1" in
    --aspect) value "$@"; aspect=$2; shift 2 ;;
    --aspect=*) aspect=${1#*=}; shift ;;
    --height) value "$@"; height=$2; shift 2 ;;
    --height=*) height=${1#*=}; shift ;;
    -h | --help) usage; exit 0 ;;
    -*) echo "contact-sheet: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) positional+=("$1"); shift ;;
  esac
done
if ! [[ "$aspect" =~ ^([1-9][0-9]*):([1-9][0-9]*)$ ]]; then
  echo "contact-sheet: --aspect wants W:H with positive whole numbers, e.g. 4:3 (got '$aspect')" >&2
  exit 2
fi
aw=${BASH_REMATCH[1]}
ah=${BASH_REMATCH[2]}
if ! [[ "$height" =~ ^[1-9][0-9]*$ ]] || [ "$height" -lt 90 ] || [ "$height" -gt 4320 ]; then
  echo "contact-sheet: --height wants a whole number of pixels from 90 to 4320 (got '$height')" >&2
  exit 2
fi
# Width to the nearest even pixel, as video sizes are.
width=$(((2 * height * aw + ah) / (2 * ah) / 2 * 2))
if [ "$width" -lt 2 ] || [ "$width" -gt 16384 ]; then
  echo "contact-sheet: $aspect at $height lines gives a width of $width pixels; choose another height" >&2
  exit 2
fi

build=${positional[0]:-${LB_BUILD_DIR:-$root/build}}
out=${positional[1]:-$root/docs/contact-sheet.png}
render="$build/lattice-bloom-render"
if [ ! -x "$render" ]; then
  echo "contact-sheet: no $render; build first (scripts/build.sh or cmake --build $build)" >&2
  exit 1
fi
mkdir -p "$(dirname "$out")"
# The virtual screen must hold the hidden window.
screen_w=$((width > 1280 ? width : 1280))
screen_h=$((height > 720 ? height : 720))
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} xvfb-run -a -s "-screen 0 ${screen_w}x${screen_h}x24" \
  "$render" --size "${width}x${height}" --contact-sheet "$out"
