#!/usr/bin/env bash
# Save to picture: how long the director's player takes from an editor's save
# of a shader to the new picture on screen. Ten saves of postprocessing.frag,
# alternately flat red and flat blue, each written in place as an editor
# saves; each is timed from the write to the first screen capture showing its
# colour (captures follow each other every few milliseconds, which bounds the
# error). Prints every figure and the median, for Linux (llvmpipe on Xvfb) and,
# given the Windows release's folder (unpacked zip), under Wine too. Figures
# only: nothing here passes or fails on time.
#   bench/save-to-picture.sh [--wine RELEASE_FOLDER] [BUILD_DIR]   (default build/)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
wine_folder=""
if [ "${1:-}" = "--wine" ]; then
  wine_folder=${2:?usage: bench/save-to-picture.sh [--wine RELEASE_FOLDER] [BUILD_DIR]}
  shift 2
fi
build=$(cd "${1:-$root/build}" && pwd)
source "$root/tests/x11/show_window.sh"
source "$root/tests/x11/player_reload.sh"
source "$root/scripts/lib/wine-x.sh"
grab_png=$build/tests/grab_png
match=$build/tests/frame_match
size=320x180
saves=10
tmp=$(mktemp -d)
pid=""
private_x_pid=""
trap end_private_session EXIT
export SDL_AUDIODRIVER=dummy LB_NO_ERROR_BOX=1
private_x "$size" "$tmp/x" || exit 1
flat_png ff0000 "$size" "$tmp/red.png"
flat_png 0000ff "$size" "$tmp/blue.png"

# Times $saves saves in the player started by the command line after $1 (the
# system's name) from $tmp/app, which holds data/; prints the figures.
time_saves() {
  local system=$1 figures=() seen
  shift
  (cd "$tmp/app" && exec "$@" --clean --at 50 --size "$size" >"$tmp/dev.out" 2>"$tmp/dev.err") &
  pid=$!
  if ! wait_until_lit "$tmp/first.png" "$pid"; then
    echo "save-to-picture: $system: the player showed nothing: $(tail -3 "$tmp/dev.err" | tr '\n' ' ')"
    return 1
  fi
  for ((i = 0; i < saves; i++)); do
    if ((i % 2 == 0)); then colour=(1 0 0) picture=$tmp/red.png; else colour=(0 0 1) picture=$tmp/blue.png; fi
    seen=$(save_until_seen "$tmp/app/data/postprocessing.frag" "$(flat_frag "${colour[@]}")" "$picture" "$tmp" 5) ||
      seen="never"
    figures+=("$seen")
    sleep 0.3
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  pid=""
  printf '%s\n' "${figures[@]}" | grep -v never | sort -n |
    awk -v s="$system" -v all="${figures[*]}" '{ v[NR] = $1 } END {
      m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "save-to-picture: %s: median %.0f ms of %d saves (each, s: %s)\n", s, m * 1000, NR, all }'
}

rm -rf "$tmp/app" && mkdir -p "$tmp/app" && cp -r "$build/data" "$tmp/app/data"
time_saves "Linux, $(glxinfo -B 2>/dev/null | sed -n "s/.*OpenGL renderer string: //p" | grep . || echo "Mesa on Xvfb")" "$build/lattice-bloom-dev"

if [ -n "$wine_folder" ]; then
  rm -rf "$tmp/app" && mkdir -p "$tmp/app" && cp -r "$wine_folder/data" "$tmp/app/data"
  cp "$wine_folder/lattice-bloom-dev.exe" "$tmp/app/"
  fresh_wine_prefix "$tmp/wine"
  time_saves "Windows build under $(wine --version)" wine ./lattice-bloom-dev.exe
fi
