#!/usr/bin/env bash
# End-to-end checks of the director's player under the test X server, on a copy
# of the data set: its command line; paused, the picture holds still (screenshots
# taken by ffmpeg from the X server, outside the program) and a frame step moves
# it; F12 with the overlay hidden writes exactly the renderer's frame; a shader
# edit shows within a second without a restart, a broken one keeps the last good
# picture and prints the compile log; Page Down goes to the next scene; the
# bar, bookmark and beat keys land on the music's grid; Escape and a
# window-manager close request end it with status 0.
set -u
build=${1:?usage: e2e_dev.sh BUILD_DIR}
dev="$build/lattice-bloom-dev"
render="$build/lattice-bloom-render"
send_close="$build/tests/send_close"
source "$(dirname "$0")/x11/show_window.sh"
fail=0
note() { echo "e2e_dev: $*"; }
size=320x180
title='^Lattice Bloom \(director\)$'

tmp=$(mktemp -d)
pid=""
trap 'rm -rf "$tmp"; [ -n "$pid" ] && kill "$pid" 2>/dev/null' EXIT
cp -r "$build/data" "$tmp/data"

# 1. The command line: --help, and a bad argument named with status 2.
"$dev" --help >"$tmp/help.txt" 2>&1 || { note "--help: status $?"; fail=1; }
grep -q -- "--watch-content" "$tmp/help.txt" || { note "--help does not list the options"; fail=1; }
bad() {  # expected option name, arguments...
  local name=$1; shift
  "$dev" "$@" >"$tmp/bad.out" 2>"$tmp/bad.err"; local s=$?
  if [ $s -ne 2 ] || ! grep -q -- "$name" "$tmp/bad.err"; then
    note "$*: expected status 2 naming $name, got $s: $(head -2 "$tmp/bad.err")"; fail=1
  fi
}
bad --size --size 0x100
bad --size --size wide
bad --loop --loop 9:3
bad --at --at 131
bad --at --at 5 --scene Sinkhole
bad "--at 'b70'" --at b70
bad "--loop 'b33.5'" --loop b33.5:b34
bad --bogus --bogus

if [ -z "${DISPLAY:-}" ]; then note "no DISPLAY: run the test command, which starts Xvfb"; exit 1; fi

# The window's picture as raw RGB, grabbed from the X server; $1 output file.
grab() {
  local x y
  eval "$(xdotool getwindowgeometry --shell "$win" 2>/dev/null | grep -E '^(X|Y)=')"
  ffmpeg -loglevel error -y -f x11grab -draw_mouse 0 -video_size "$size" -i "$DISPLAY+${X:-0},${Y:-0}" -frames:v 1 \
    -f rawvideo -pix_fmt rgb24 "$1" 2>>"$tmp/ffmpeg.err"
}
# A PNG as raw RGB; $1 PNG, $2 output file.
raw() { ffmpeg -loglevel error -y -i "$1" -f rawvideo -pix_fmt rgb24 "$2"; }
key() { xdotool windowfocus "$win" 2>/dev/null; xdotool key --clearmodifiers "$@" 2>/dev/null; }
# PSNR in dB of raw frame $1 against raw frame $2 (same size): higher is closer.
psnr() {
  ffmpeg -loglevel info -f rawvideo -pix_fmt rgb24 -video_size "$size" -i "$1" \
    -f rawvideo -pix_fmt rgb24 -video_size "$size" -i "$2" -lavfi psnr -f null - 2>&1 |
    sed -n 's/.*average:\([0-9.inf]*\).*/\1/p' | sed 's/inf/999/'
}

(cd "$tmp" && SDL_AUDIODRIVER=dummy exec "$dev" --at 50 --clean --size "$size" >"$tmp/dev.out" 2>"$tmp/dev.err") &
pid=$!
win=$(find_show_window "$pid" "$title")
if [ -z "$win" ]; then
  note "the player's window never appeared: $(tail -3 "$tmp/dev.err" | tr '\n' ' ')"
  exit 1
fi
sleep 1

# 2. Paused, the picture holds still; one frame step moves it.
key space
sleep 0.5
grab "$tmp/a.rgb"; sleep 1; grab "$tmp/b.rgb"
cmp -s "$tmp/a.rgb" "$tmp/b.rgb" || { note "paused, two screenshots a second apart differ"; fail=1; }
key period
sleep 0.5
grab "$tmp/c.rgb"
cmp -s "$tmp/b.rgb" "$tmp/c.rgb" && { note "'.' did not change the picture"; fail=1; }

# 3. F12 with the overlay hidden: the renderer's frame at the same clock value, bit for bit.
key F12
for _ in $(seq 1 50); do grep -q "screenshot" "$tmp/dev.out" && break; sleep 0.1; done
line=$(grep "screenshot" "$tmp/dev.out" | head -1)
t=$(printf '%s' "$line" | sed -n 's/.*t = \([0-9.e+-]*\) s.*/\1/p')
shot=$(printf '%s' "$line" | sed -n 's/.* -> \(.*\)$/\1/p')
if [ -z "$t" ] || [ ! -f "$shot" ]; then note "F12 wrote no screenshot: $line"; fail=1; else
  (cd "$tmp" && "$render" --at "$t" --size "$size" --out "$tmp/ref.png" >/dev/null 2>"$tmp/render.err") ||
    { note "renderer failed: $(tail -2 "$tmp/render.err")"; fail=1; }
  raw "$shot" "$tmp/shot.rgb"; raw "$tmp/ref.png" "$tmp/ref.rgb"
  cmp -s "$tmp/shot.rgb" "$tmp/ref.rgb" || { note "F12 at t = $t differs from lattice-bloom-render --at $t"; fail=1; }
  cmp -s "$tmp/shot.rgb" "$tmp/c.rgb" || { note "F12 differs from the window's own picture"; fail=1; }
fi

# 4. Hot reload: Sinkhole composites through "postprocessing"; a flat magenta
#    version of it must fill the window within a second, without a restart.
frag="$tmp/data/postprocessing.frag"
cp "$frag" "$tmp/postprocessing.orig"
ffmpeg -loglevel error -f lavfi -i "color=c=0xFF00FF:s=$size,format=rgb24" -frames:v 1 -f rawvideo -pix_fmt rgb24 "$tmp/magenta.rgb"
printf '#version 410 core\nlayout(location = 0) out vec4 colour;\nvoid main() { colour = vec4(1.0, 0.0, 1.0, 1.0); }\n' >"$tmp/flat.frag"
written=$(date +%s.%N)
cp "$tmp/flat.frag" "$frag"
seen=""
for _ in $(seq 1 30); do
  started=$(date +%s.%N)
  grab "$tmp/d.rgb"
  if cmp -s "$tmp/d.rgb" "$tmp/magenta.rgb"; then seen=$(awk -v a="$written" -v b="$started" 'BEGIN {print b - a}'); break; fi
done
if [ -z "$seen" ]; then note "a flat-colour shader never showed"; fail=1
elif awk -v s="$seen" 'BEGIN {exit !(s > 1.0)}'; then note "the flat-colour shader took ${seen} s to show"; fail=1
else note "flat-colour shader on screen ${seen} s after the write"; fi

# 5. A syntax error: the player keeps running and the last good picture, and
#    prints the compile log.
printf '#version 410 core\nlayout(location = 0) out vec4 colour;\nvoid main() { colour = ; }\n' >"$frag"
sleep 1.5
if ! kill -0 "$pid" 2>/dev/null; then note "a broken shader ended the player"; fail=1; pid=""; fi
grab "$tmp/e.rgb"
cmp -s "$tmp/e.rgb" "$tmp/magenta.rgb" || { note "a broken shader changed the picture"; fail=1; }
grep -q "postprocessing.frag: does not compile" "$tmp/dev.err" || { note "no compile log on stderr"; fail=1; }
# Restored, the picture is again the one before the edits, bit for bit.
cp "$tmp/postprocessing.orig" "$frag"
back=""
for _ in $(seq 1 30); do grab "$tmp/f.rgb"; cmp -s "$tmp/f.rgb" "$tmp/c.rgb" && { back=1; break; }; done
[ -n "$back" ] || { note "with the original shader back, the picture did not return"; fail=1; }

# 6. Page Down: the next scene (Greetings, whose camera shakes with fresh
#    random numbers, so compared by closeness, not bit for bit).
(cd "$tmp" && "$render" --at 61.693 --at 50 --size "$size" --out "$tmp/scene%d.png" >/dev/null 2>&1)
raw "$tmp/scene0.png" "$tmp/greetings.rgb"; raw "$tmp/scene1.png" "$tmp/sinkhole.rgb"
key Next
sleep 0.7
grab "$tmp/g.rgb"
toGreetings=$(psnr "$tmp/g.rgb" "$tmp/greetings.rgb"); toSinkhole=$(psnr "$tmp/g.rgb" "$tmp/sinkhole.rgb")
if ! awk -v g="${toGreetings:-0}" -v s="${toSinkhole:-0}" 'BEGIN {exit !(g > s + 3)}'; then
  note "after Page Down the picture is not Greetings (PSNR $toGreetings dB to it, $toSinkhole dB to Sinkhole)"; fail=1
fi

# 6b. The music's grid, still paused: Shift+Up is the next bar's downbeat (bar 34
#     at 61.692 + 4 * 29.325 / 60 s), 5 is the fifth scene's start just inside
#     its cut, Down the beat before that cut (the 16th of 8.167 s from 33.9 s).
shot_time() {  # presses F12 and prints the clock of the n-th screenshot ($1)
  key F12
  for _ in $(seq 1 50); do [ "$(grep -c screenshot "$tmp/dev.out")" -ge "$1" ] && break; sleep 0.1; done
  grep "screenshot" "$tmp/dev.out" | sed -n "$1"'s/.*t = \([0-9.e+-]*\) s.*/\1/p'
}
shots=$(grep -c screenshot "$tmp/dev.out")
expect_time() {  # keys, expected clock
  local keys=$1 want=$2 got
  key $keys
  shots=$((shots + 1))
  got=$(shot_time "$shots")
  awk -v g="${got:-x}" -v w="$want" 'BEGIN {d = g - w; exit !(g != "x" && d < 1e-9 && d > -1e-9)}' ||
    { note "after $keys the clock is ${got:-unknown}, not $want"; fail=1; }
}
expect_time shift+Up 63.647
expect_time 5 42.068
expect_time Down 41.5565625

# 7. Escape: status 0.
if ! press_escape_until_exit "$pid" "$win"; then note "Escape did not end the player"; fail=1; kill "$pid"; fi
wait "$pid"; s=$?; pid=""
[ $s -eq 0 ] || { note "Escape: status $s; $(tail -3 "$tmp/dev.err")"; fail=1; }

# 8. A close request from the window manager ends it too, with status 0.
if [ -x "$send_close" ]; then
  (cd "$tmp" && SDL_AUDIODRIVER=dummy exec "$dev" --scene RobotIntro --size "$size" >/dev/null 2>"$tmp/dev2.err") &
  pid=$!
  win=$(find_show_window "$pid" "$title")
  if [ -z "$win" ]; then note "second window never appeared"; fail=1; else
    sleep 1
    for _ in $(seq 1 20); do "$send_close" "$win" 2>/dev/null; sleep 0.5; kill -0 "$pid" 2>/dev/null || break; done
    if kill -0 "$pid" 2>/dev/null; then note "a close request did not end the player"; fail=1; kill "$pid"; fi
    wait "$pid"; s=$?; pid=""
    [ $s -eq 0 ] || { note "close request: status $s"; fail=1; }
  fi
fi

[ $fail -eq 0 ] && note "ok"
exit $fail
