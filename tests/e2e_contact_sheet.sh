#!/usr/bin/env bash
# End-to-end checks of scripts/contact-sheet.sh's screen shapes: --aspect and
# --height choose the frame size (the sheet's size follows from it), and a
# malformed shape or height is refused with exit status 2 before anything is
# rendered. Frames are small (180 lines) to keep it quick.
set -u
build=$(cd "${1:?usage: e2e_contact_sheet.sh BUILD_DIR}" && pwd)
script=$(cd "$(dirname "$0")/.." && pwd)/scripts/contact-sheet.sh
fail=0
note() { echo "e2e_contact_sheet: $*"; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if [ ! -f "$build/data/config.txt" ]; then
  note "no data set in $build/data: build it first"
  exit 1
fi
if ! command -v ffprobe >/dev/null 2>&1; then
  note "no ffprobe to read the sheet's size (ffmpeg package)"
  exit 1
fi

# Sheet size for frames of W x H, worked out by hand from the layout: tiles of
# 3/10 of the frame, 12-pixel labels (the least), 2-pixel gaps, five columns
# and two rows.
#   4:3 at 180 lines: 240x180 frames, 72x54 tiles: 5 * 74 + 2 = 372 by 2 * 68 + 2 = 138
#   21:9 at 180 lines: 420x180 frames, 126x54 tiles: 5 * 128 + 2 = 642 by 138
check() {
  local aspect=$1 expected=$2 out="$tmp/sheet-${1/:/x}.png"
  if ! bash "$script" --aspect "$aspect" --height 180 "$build" "$out" >"$tmp/out.txt" 2>&1; then
    note "--aspect $aspect failed: $(cat "$tmp/out.txt")"
    fail=1
    return
  fi
  local dims
  dims=$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 "$out")
  [ "$dims" = "$expected" ] || { note "--aspect $aspect: expected a sheet of $expected, got $dims"; fail=1; }
}
check 4:3 372,138
check 21:9 642,138

# Refused arguments: exit status 2, a message naming the problem, no sheet.
refuse() {
  local what=$1
  shift
  bash "$script" "$@" "$build" "$tmp/refused.png" >"$tmp/out.txt" 2>&1
  local rc=$?
  [ $rc -eq 2 ] || { note "$what: expected exit status 2, got $rc"; fail=1; }
  grep -q "contact-sheet: " "$tmp/out.txt" || { note "$what: no message: $(cat "$tmp/out.txt")"; fail=1; }
  [ ! -e "$tmp/refused.png" ] || { note "$what: a sheet was written"; fail=1; }
}
refuse "--aspect 4x3" --aspect 4x3
refuse "--aspect 0:3" --aspect 0:3
refuse "--height 20" --height 20
refuse "--aspect without a value" --aspect
refuse "an unknown option" --tiles 3

exit $fail
