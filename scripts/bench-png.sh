#!/usr/bin/env bash
# Exports the same stretch of the show twice with lattice-bloom-render, as PNG
# files and as a video, and prints both times and their ratio (the PNG
# sequence is meant to take at most 1.3 times the video's). Defaults: 120
# frames of BouncingCubes (from 25 s, 60 fps) at 1920x1080.
#   scripts/bench-png.sh [FRAMES] [WxH]
# LB_BUILD_DIR picks the build folder (default build/); a display is needed,
# else Xvfb is used.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_BUILD_DIR:-$root/build}
frames=${1:-120}
size=${2:-1920x1080}
from=25
to=$(awk -v f="$frames" -v s="$from" 'BEGIN { printf "%.6f", s + f / 60 }')
render=$build/lattice-bloom-render
[ -x "$render" ] || { echo "bench-png: $render is missing: build it first" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Wall seconds of one export with arguments "$@".
timed() {
  local t0 t1
  t0=$(date +%s.%N)
  if [ -n "${DISPLAY:-}" ]; then "$render" --fps 60 --from $from --to "$to" --size "$size" "$@" >"$tmp/log" 2>&1
  else xvfb-run -a -s "-screen 0 ${size}x24" "$render" --fps 60 --from $from --to "$to" --size "$size" "$@" >"$tmp/log" 2>&1; fi
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", b - a }'
}

video=$(timed --video "$tmp/clip.mp4")
grep "drawing" "$tmp/log" | sed 's/^/  video: /'
png=$(timed --out "$tmp/frames/")
grep "drawing" "$tmp/log" | sed 's/^/  png:   /' || true
bytes=$(du -sb "$tmp/frames" | cut -f1)
echo "bench-png: $frames frames at $size from ${from} s on $(nproc) cores:"
echo "bench-png:   video $video s, PNG sequence $png s ($((bytes / frames / 1024)) KiB a frame)"
awk -v p="$png" -v v="$video" 'BEGIN { printf "bench-png:   PNG / video = %.2f (goal: 1.3 or less)\n", p / v }'
