#!/usr/bin/env bash
# End-to-end checks of lattice-bloom-render: bad arguments are refused with a
# message, a frame at t = 0 (no scene active) is black, a missing data set or a
# catalogue without a required key is named in the message and fails, and a
# missing mesh of fixed path is named as a warning.
set -u
build=${1:?usage: e2e_render.sh BUILD_DIR}
render="$build/lattice-bloom-render"
fail=0
note() { echo "e2e_render: $*"; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Runs the renderer (or a copy) in folder DIR with the given arguments;
# expects a non-zero status and a stderr line matching PATTERN.
expect_refusal() {
  local dir=$1 pattern=$2
  shift 2
  (cd "$dir" && "$@") >"$tmp/out.txt" 2>"$tmp/err.txt"
  local status=$?
  if [ $status -eq 0 ] || ! grep -q -- "$pattern" "$tmp/err.txt"; then
    note "'${*:2}': expected a failure mentioning '$pattern', got status $status: $(cat "$tmp/err.txt")"
    fail=1
  fi
}

# 1. Bad arguments.
expect_refusal "$tmp" "usage:" "$render"
expect_refusal "$tmp" "no --out" "$render" --at 1
expect_refusal "$tmp" "not 'soon'" "$render" --at soon --out "$tmp/a.png"
expect_refusal "$tmp" "--size" "$render" --at 1 --out "$tmp/a.png" --size 12by5
expect_refusal "$tmp" "unknown argument '--bogus'" "$render" --at 1 --out "$tmp/a.png" --bogus
expect_refusal "$tmp" "%d or name a folder" "$render" --at 1 --at 2 --out "$tmp/a.png"

# 2. No data set, neither in the working directory nor beside the program.
mkdir "$tmp/nodata"
cp "$render" "$tmp/nodata/lattice-bloom-render"
expect_refusal "$tmp/nodata" "cannot find the data set" ./lattice-bloom-render --at 1 --out "$tmp/n.png"
[ -e "$tmp/n.png" ] && { note "a PNG was written without a data set"; fail=1; }

if [ -z "${DISPLAY:-}" ]; then
  note "no DISPLAY: run the test command, which starts Xvfb"
  exit 1
fi
if [ ! -f "$build/data/config.txt" ]; then
  note "no data set in $build/data: build it first"
  exit 1
fi

# 3. A catalogue lacking a required key: the key is named and the run fails.
mkdir -p "$tmp/nokey/data"
for f in "$build"/data/*; do ln -s "$f" "$tmp/nokey/data/"; done
rm "$tmp/nokey/data/config.txt"
grep -v '^Shader gloom ' "$build/data/config.txt" >"$tmp/nokey/data/config.txt"
rm "$tmp/nokey/data/tunnel.obj"
expect_refusal "$tmp/nokey" '"Shader gloom"' "$render" --at 1 --out "$tmp/k.png" --size 64x36
# ... and a mesh opened by fixed path that is missing is named as a warning.
grep -q "warning: data/tunnel.obj is missing" "$tmp/err.txt" ||
  { note "no warning about the missing data/tunnel.obj: $(cat "$tmp/err.txt")"; fail=1; }

# 4. No display to open a GL context on: named, and no file written.
expect_refusal "$build" "cannot start SDL video" env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 \
  "$render" --at 1 --out "$tmp/nodisplay.png" --size 64x36
[ -e "$tmp/nodisplay.png" ] && { note "a PNG was written without a GL context"; fail=1; }

# 5. t = 0 lies outside every scene's open interval: the frame is black.
if ! (cd "$tmp" && "$render" --at 0 --out black.png --size 64x36 >"$tmp/out.txt" 2>"$tmp/err.txt"); then
  note "render at t = 0 failed: $(cat "$tmp/err.txt")"
  fail=1
else
  bytes=$(ffmpeg -v error -i "$tmp/black.png" -f rawvideo -pix_fmt rgb24 - | wc -c)
  lit=$(ffmpeg -v error -i "$tmp/black.png" -f rawvideo -pix_fmt rgb24 - | tr -d '\000' | wc -c)
  if [ "$bytes" -ne $((64 * 36 * 3)) ] || [ "$lit" -ne 0 ]; then
    note "t = 0: expected 64x36 black pixels, got $bytes bytes with $lit non-zero"
    fail=1
  fi
fi

# 6. Several times into a folder: one PNG each, in the order given.
if ! (cd "$tmp" && "$render" --at 2 --at 0 --out shots/ --size 64x36 >"$tmp/out.txt" 2>"$tmp/err.txt"); then
  note "render into a folder failed: $(cat "$tmp/err.txt")"
  fail=1
else
  lit0=$(ffmpeg -v error -i "$tmp/shots/frame-0000.png" -f rawvideo -pix_fmt rgb24 - | tr -d '\000' | wc -c)
  lit1=$(ffmpeg -v error -i "$tmp/shots/frame-0001.png" -f rawvideo -pix_fmt rgb24 - | tr -d '\000' | wc -c)
  if [ "$lit0" -eq 0 ] || [ "$lit1" -ne 0 ]; then
    note "folder output: expected a lit title frame then a black one, got $lit0 and $lit1 lit bytes"
    fail=1
  fi
fi

exit $fail
