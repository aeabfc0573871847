#!/usr/bin/env bash
# Checks the party pack as an organiser receives it: builds it
# (scripts/package-party.sh, unless --no-package), unzips it, and checks that
# - it holds latticebloom.nfo, screenshot.png, one Windows and one Linux folder;
# - the .nfo is plain text with CRLF line ends, under 80 columns, and names
#   what organisers look for (group, length, OpenGL 4.1, Escape and Alt-F4,
#   every option, what was tested);
# - the Linux show plays with no option under Xvfb (full screen, lit), and
#   Escape ends it with status 0; the Windows show does the same under Wine;
# - a 2 s stretch of the capture video, made with the capture's settings, has
#   the streams a competition asks for (ffprobe): H.264 High at level 4.2 or
#   lower, yuv420p, 1920x1080, 60 fps, 120 frames; AAC stereo 48 kHz at
#   192 kbit/s or more; the index before the media (+faststart).
#   scripts/check-party.sh [--no-package]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_BUILD_DIR:-$root/build}
source "$root/tests/x11/show_window.sh"
source "$root/scripts/lib/wine-x.sh"
note() { echo "check-party: $*"; }
fail=0
tmp=$(mktemp -d)
pid=""
private_x_pid=""
trap end_private_session EXIT

[ "${1:-}" = "--no-package" ] || bash "$root/scripts/package-party.sh"
cmake --build "$build" --target frame_match >/dev/null
match=$build/tests/frame_match

# --- 1. What the zip holds -------------------------------------------------------
zip=$root/dist/quasarfern-latticebloom.zip
unzip -q "$zip" -d "$tmp/pack"
top=$(cd "$tmp/pack" && ls | LC_ALL=C sort | tr '\n' ' ')
note "$(basename "$zip") ($(du -h "$zip" | cut -f1)): $top"
linux=$(ls -d "$tmp"/pack/lattice-bloom-*-linux-x86_64 2>/dev/null || true)
windows=$(ls -d "$tmp"/pack/lattice-bloom-*-windows-x86_64 2>/dev/null || true)
if [ ! -f "$tmp/pack/latticebloom.nfo" ] || [ ! -f "$tmp/pack/screenshot.png" ] || [ -z "$linux" ] ||
  [ -z "$windows" ] || [ "$(echo "$top" | wc -w)" -ne 4 ]; then
  note "the pack should hold latticebloom.nfo, screenshot.png and the two release folders, not: $top"
  exit 1
fi

# --- 2. The organisers' notes ---------------------------------------------------------
nfo=$tmp/pack/latticebloom.nfo
if [ "$(grep -c $'\r$' "$nfo")" -ne "$(wc -l <"$nfo")" ]; then
  note "latticebloom.nfo: not every line ends in CRLF"
  fail=1
fi
long=$(tr -d '\r' <"$nfo" | awk 'length($0) >= 80 { print NR }' | tr '\n' ' ')
[ -z "$long" ] || { note "latticebloom.nfo: lines of 80 columns or more: $long"; fail=1; }
if LC_ALL=C grep -q '[^[:print:][:space:]]' "$nfo"; then
  note "latticebloom.nfo: not plain ASCII text"
  fail=1
fi
for word in "Lattice Bloom" "Quasar Fern" "2:10" "OpenGL 4.1" "Windows 10/11 64-bit" "glibc 2.34" Escape Alt-F4 \
  --windowed --size --display --vsync --loop --mute "no installation\|none: unpack" llvmpipe "Wine 8" \
  "$(basename "$linux")" "$(basename "$windows")"; do
  grep -q -- "$word" "$nfo" || { note "latticebloom.nfo does not mention $word"; fail=1; }
done

# --- 3. Both shows play with no option -----------------------------------------------
private_x 1280x720 "$tmp/x" || exit 1
export SDL_AUDIODRIVER=dummy LB_NO_ERROR_BOX=1

# Plays the show started by "$@" in folder $2 (named $1): its window covers the
# screen and lights up within 60 s, and Escape ends it with status 0.
play() {
  local name=$1 folder=$2 win status=0 lit=""
  shift 2
  (cd "$folder" && exec "$@" >"$tmp/show.out" 2>"$tmp/show.err") &
  pid=$!
  win=$(find_window_titled "Lattice Bloom" "$pid")
  if [ -z "$win" ]; then
    note "$name: no window: $(tail -3 "$tmp/show.err" | tr '\n' ' ')"
    fail=1
    kill "$pid" 2>/dev/null
    return
  fi
  for _ in $(seq 1 600); do
    "$build/tests/grab_png" "$tmp/$name.png" >/dev/null 2>&1 || true
    lit=$("$match" "$tmp/$name.png" 2>/dev/null | sed -n 's/^lit=\([0-9.]*\).*/\1/p')
    awk -v l="${lit:-0}" 'BEGIN { exit !(l > 0.2) }' && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if ! awk -v l="${lit:-0}" 'BEGIN { exit !(l > 0.2) }'; then
    note "$name: the screen did not light up (lit share ${lit:-none})"
    fail=1
  fi
  if ! press_escape_until_exit "$pid" "$win"; then
    note "$name: Escape did not end it"
    fail=1
    kill "$pid" 2>/dev/null
  fi
  wait "$pid" || status=$?
  pid=""
  if [ $status -ne 0 ]; then
    note "$name: status $status after Escape: $(tail -3 "$tmp/show.err" | tr '\n' ' ')"
    fail=1
  else
    note "$name: played full screen (lit share $lit), Escape, status 0"
  fi
}
play linux "$linux" ./lattice-bloom
fresh_wine_prefix "$tmp/wine"
play windows "$windows" wine ./lattice-bloom.exe

# The options on Windows: a wrong value is status 2 with its line, and
# --windowed --size 800x450 is a window of that size.
status=0
(cd "$windows" && wine ./lattice-bloom.exe --size banana >"$tmp/show.out" 2>"$tmp/show.err") || status=$?
if [ $status -ne 2 ] || ! grep -q -- "--size needs WIDTHxHEIGHT" "$tmp/show.err"; then
  note "windows --size banana: expected status 2 and its message, got $status: $(tail -2 "$tmp/show.err" | tr '\n' ' ')"
  fail=1
fi
(cd "$windows" && exec wine ./lattice-bloom.exe --windowed --size 800x450 >"$tmp/show.out" 2>"$tmp/show.err") &
pid=$!
win=$(find_window_titled "Lattice Bloom" "$pid")
size=""
[ -n "$win" ] && size=$(xwininfo -id "$win" | awk -F: '/Width/ { w = $2 } /Height/ { h = $2 } END { printf "%dx%d", w, h }')
if [ "$size" != 800x450 ]; then
  note "windows --windowed --size 800x450: the window is ${size:-missing}"
  fail=1
else
  note "windows --windowed --size 800x450: a window of 800x450"
fi
press_escape_until_exit "$pid" "$win" || kill "$pid" 2>/dev/null
wait "$pid" || true
pid=""

# --- 4. The capture video's streams, on a 2 s stretch made with its settings ---------
bash "$root/scripts/package-party.sh" --capture-sample 60 62 "$tmp/sample.mp4"
probe() { ffprobe -v error -select_streams "$1" -show_entries "stream=$2" -of default=nw=1 "$tmp/sample.mp4"; }
video=$(probe v:0 codec_name,profile,level,pix_fmt,width,height,r_frame_rate,nb_frames | tr '\n' ' ')
audio=$(probe a:0 codec_name,channels,sample_rate,bit_rate | tr '\n' ' ')
note "sample video: $video"
note "sample audio: $audio"
expect() { grep -q -- "$2" <<<"$1" || { note "the capture's streams lack $2"; fail=1; }; }
for want in codec_name=h264 profile=High pix_fmt=yuv420p width=1920 height=1080 r_frame_rate=60/1 nb_frames=120; do
  expect "$video" "$want"
done
level=$(sed -n 's/.*level=\([0-9]*\).*/\1/p' <<<"$video")
[ -n "$level" ] && [ "$level" -le 42 ] || { note "the capture's H.264 level is ${level:-unknown}, above 4.2"; fail=1; }
for want in codec_name=aac channels=2 sample_rate=48000; do expect "$audio" "$want"; done
rate=$(sed -n 's/.*bit_rate=\([0-9]*\).*/\1/p' <<<"$audio")
[ -n "$rate" ] && [ "$rate" -ge 192000 ] || { note "the capture's audio is ${rate:-?} bit/s, under 192 kbit/s"; fail=1; }
# +faststart: the top-level moov box comes before mdat.
order=$(python3 - "$tmp/sample.mp4" <<'PY'
import struct, sys
f = open(sys.argv[1], "rb")
names = []
while True:
    head = f.read(8)
    if len(head) < 8:
        break
    size, kind = struct.unpack(">I4s", head)
    if size == 1:
        size = struct.unpack(">Q", f.read(8))[0] - 8
    names.append(kind.decode("latin-1"))
    f.seek(size - 8, 1)
print(" ".join(names))
PY
)
if [[ "$order" != *moov*mdat* ]]; then
  note "the capture is not +faststart: its boxes are $order"
  fail=1
fi

[ $fail -eq 0 ] && note "ok"
exit $fail
