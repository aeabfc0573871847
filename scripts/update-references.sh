#!/usr/bin/env bash
# Regenerates the regression test's reference frames (tests/reference/*.png,
# 160x90, one per scene at the times listed in tests/reference/frames.txt) with
# lattice-bloom-render. Run it when a change to a scene or to the content is
# meant to change the pictures, look at the new images, and commit them.
#   scripts/update-references.sh [BUILD_DIR]   (default: $LB_BUILD_DIR or build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${LB_BUILD_DIR:-$root/build}}
render="$build/lattice-bloom-render"
manifest="$root/tests/reference/frames.txt"
if [ ! -x "$render" ]; then
  echo "update-references: no $render; build first (scripts/build.sh or cmake --build $build)" >&2
  exit 1
fi

times=()
files=()
while read -r scene seconds file; do
  case "$scene" in '' | '#'*) continue ;; esac
  if [ -z "${file:-}" ]; then
    echo "update-references: $manifest: the line for '$scene' needs a time and a file name" >&2
    exit 1
  fi
  times+=(--at "$seconds")
  files+=("$file")
done <"$manifest"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# One run in the manifest's order, as the test renders them.
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} xvfb-run -a -s "-screen 0 1280x720x24" \
  "$render" --size 160x90 "${times[@]}" --out "$tmp/frame%d.png" >/dev/null
for i in "${!files[@]}"; do
  cp "$tmp/frame$i.png" "$root/tests/reference/${files[$i]}"
  echo "update-references: tests/reference/${files[$i]} (t = ${times[$((2 * i + 1))]} s)"
done
