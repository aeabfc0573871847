#!/usr/bin/env bash
# Builds what a demo party's organisers are handed:
#   dist/quasarfern-latticebloom.zip  the Windows and the Linux release folders
#       exactly as their own archives unpack, screenshot.png, and the
#       organisers' notes latticebloom.nfo (plain text, CRLF, under 80 columns)
#   dist/quasarfern-latticebloom-1080p60.mp4  with --capture: the capture video,
#       kept beside the zip, not in it (H.264 High, yuv420p, 1920x1080 at 60
#       fps, AAC stereo 48 kHz 192 kbit/s, +faststart, the whole 130 s frame
#       by exact frame). Rendering 7800 frames at 1080p takes hours on software
#       rendering, so it is a step of its own, never part of CI.
#   scripts/package-party.sh [--capture]
#   scripts/package-party.sh --capture-sample FROM TO FILE
#       only a stretch of the capture, with the same settings (the pack check
#       looks at its streams)
# The releases come from scripts/package.sh and scripts/package-windows.sh
# (their libraries cached outside the clone); a display is needed for the
# screenshots and the capture, else Xvfb is used.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist=$root/dist
build=${LB_RELEASE_BUILD_DIR:-$root/build-release}
pack=quasarfern-latticebloom
note() { echo "package-party: $*"; }
usage() {
  echo "usage: scripts/package-party.sh [--capture] | --capture-sample FROM TO FILE" >&2
  exit 2
}

# The capture video's settings, one place for the full capture and its sample.
capture() {
  local from=$1 to=$2 out=$3 render=("$build/lattice-bloom-render" --fps 60 --size 1920x1080
    --from "$1" --to "$2" --video "$3")
  local t0=$SECONDS
  if [ -n "${DISPLAY:-}" ]; then "${render[@]}"
  else xvfb-run -a -s "-screen 0 1920x1080x24" "${render[@]}"; fi
  note "$out: $from-$to s rendered in $((SECONDS - t0)) s"
}

make_pack() {
  bash "$root/scripts/package.sh" --no-deb
  bash "$root/scripts/package-windows.sh"
  local linux windows stage
  linux=$(ls "$dist"/lattice-bloom-*-linux-x86_64.tar.gz)
  windows=$(ls "$dist"/lattice-bloom-*-windows-x86_64.zip)
  stage=$(mktemp -d)
  trap 'rm -rf "$stage"' RETURN
  tar -C "$stage" -xzf "$linux"
  (cd "$stage" && unzip -q "$windows")
  local linux_name windows_name
  linux_name=$(basename "$linux" .tar.gz)
  windows_name=$(basename "$windows" .zip)
  cp "$stage/$linux_name/screenshot.png" "$stage/screenshot.png"
  sed "s|@LINUX@|$linux_name|g; s|@WINDOWS@|$windows_name|g; s/\r*\$/\r/" "$root/packaging/latticebloom.nfo" \
    >"$stage/latticebloom.nfo"
  rm -f "$dist/$pack.zip"
  # Sorted entries and no extra attributes (-X), symbolic links kept as links
  # (-y, as the Linux tarball holds them), Unix permissions kept (the Linux
  # programs stay executable when unzip unpacks them).
  (cd "$stage" && find latticebloom.nfo screenshot.png "$windows_name" "$linux_name" -print | LC_ALL=C sort |
    zip -q -X -y -9 "$dist/$pack.zip" -@)
  note "$dist/$pack.zip ($(du -h "$dist/$pack.zip" | cut -f1))"
}

case "${1:-}" in
  "") make_pack ;;
  --capture)
    [ $# -eq 1 ] || usage
    make_pack
    capture 0 130 "$dist/$pack-1080p60.mp4"
    ;;
  --capture-sample)
    [ $# -eq 4 ] || usage
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DLB_BUILD_TESTS=OFF -DLB_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build" -j"$(nproc)" --target lattice-bloom-render lb_data lb_music
    capture "$2" "$3" "$4"
    ;;
  *) usage ;;
esac
