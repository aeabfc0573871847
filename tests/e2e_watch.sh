#!/usr/bin/env bash
# Watches the running show from outside, as a viewer sees it, twice: on a bare
# X server (no window manager, as on a kiosk or a machine started straight into
# the show) and on one with the openbox window manager. Each watch runs on an X
# server of its own, so that a window manager never reaches the shared server
# the other scripts use. In each watch:
# - the window covers the screen, has the keyboard focus and hides the cursor;
# - three screen captures in the first twenty seconds are the show: lit, and
#   matching the offline renderer's frame at the nearest clock value, searched
#   around the clock value estimated from the moment of capture;
# - two seconds captured at 30 frames per second hold more than one distinct
#   picture (the count, a lower bound of the frame rate a viewer gets, is
#   printed once in the title and once in the next scene);
# - a plain Escape key press, sent to whichever window has the focus as a
#   keyboard would, ends the show with status 0.
# With a second argument, every capture and its closest rendered frame are kept
# in that folder (MODE-N-capture.png, MODE-N-render.png); failed ones are kept
# in BUILD_DIR anyway.
set -u
build=${1:?usage: e2e_watch.sh BUILD_DIR [KEEP_DIR]}
build=$(cd "$build" && pwd)
keep=${2:-}
[ -n "$keep" ] && mkdir -p "$keep"
show="$build/lattice-bloom"
render="$build/lattice-bloom-render"
match="$build/tests/frame_match"
cursor_hidden="$build/tests/cursor_hidden"
grab_png="$build/tests/grab_png"
source "$(dirname "$0")/x11/show_window.sh"

# A small screen keeps the software renderer of a CI machine fast.
width=320
height=180
# Candidate frames: every 1/60 s from 1 s before to 2 s after the estimated
# clock value. The estimate lags the show's clock more often than it leads it:
# the origin is the first grab that shows a lit frame, some time after the
# clock started, and the first frames come slowly while the GL driver compiles
# on first use.
search_step=$(awk 'BEGIN { print 1 / 60 }')
steps_before=60
steps_after=120
# Mean absolute difference (levels of 255 per channel) under which a capture
# is the renderer's frame. While the cubes fly, frames 1/60 s apart differ by
# up to about 3 and the closest candidate (at most 1/120 s off) by under 2;
# frames a second apart differ by 4.5 or more, a black screen by 20 or more.
max_mad=3.0
min_lit=0.2  # share of lit pixels; the show's background is a lit dark blue

fail=0
note() { echo "e2e_watch: $*"; }
now() { date +%s.%N; }
tmp=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

for tool in "$show" "$render" "$match" "$cursor_hidden" "$grab_png"; do
  [ -x "$tool" ] || { note "$tool is missing: build it first"; exit 1; }
done
for tool in Xvfb openbox xdotool xwininfo xprop ffmpeg; do
  command -v "$tool" >/dev/null || { note "$tool is not installed (scripts/setup.sh installs it)"; exit 1; }
done

# Starts an X server of its own on a free display number (the server picks it
# and reports it once it accepts clients) and sets x_display to ":N", or to
# nothing if it does not start within 10 s.
start_x_server() {
  local fdfile="$tmp/display.$1"
  x_display=""
  Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp -br 3>"$fdfile" >/dev/null 2>"$tmp/xvfb.$1.err" &
  pids+=($!)
  for _ in $(seq 1 100); do
    if [ -s "$fdfile" ]; then
      x_display=":$(head -n 1 "$fdfile")"
      return
    fi
    sleep 0.1
  done
}

# Waits until openbox (process $1) has claimed the screen: it names its check
# window on the root. Fails if openbox ends first or after 10 s.
wait_for_window_manager() {
  for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

lit_share() { "$match" "$1" | sed -n 's/^lit=\([0-9.]*\).*/\1/p'; }

# Distinct pictures among two seconds of frames grabbed at 30 per second, and
# the clock values (estimated) the two seconds spanned: "COUNT (t = A-B s)".
distinct_frames() {
  local count end
  count=$(ffmpeg -nostdin -loglevel error -f x11grab -draw_mouse 0 -framerate 30 -video_size "${width}x${height}" \
    -i "$DISPLAY" -t 2 -f framemd5 - 2>/dev/null | awk -F', *' '!/^#/ { print $6 }' | sort -u | wc -l)
  end=$(now)
  awk -v n="$count" -v end="$end" -v origin="$origin" 'BEGIN { printf "%d (t = %.1f-%.1f s)", n, end - 2 - origin, end - origin }'
}

# Sleeps until the estimated clock value $1 (seconds since the first frame).
sleep_until_clock() {
  local wait
  wait=$(awk -v origin="$origin" -v t="$1" -v now="$(now)" 'BEGIN { w = origin + t - now; print (w > 0 ? w : 0) }')
  sleep "$wait"
}

# Captures the screen to $tmp/$1.png, records the clock value estimated from
# the moment of the grab in $tmp/$1.t and lists the capture for comparison.
captures=()
capture() {
  local at
  if ! at=$("$grab_png" "$tmp/$1.png"); then
    note "$1: the screen could not be captured"
    fail=1
    return
  fi
  awk -v at="$at" -v origin="$origin" 'BEGIN { printf "%.3f\n", at - origin }' >"$tmp/$1.t"
  captures+=("$1")
}

# One watch of the show on display $DISPLAY, named $1 in the messages.
watch_show() {
  local mode=$1 pid win geometry focus lit status
  if "$cursor_hidden" >/dev/null; then
    note "$mode: the server shows no cursor before the show starts, so hiding it cannot be checked"
  fi
  (cd "$build" && SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11 exec "$show" >"$tmp/$mode.out" 2>"$tmp/$mode.err") &
  pid=$!
  pids+=("$pid")
  win=$(find_show_window "$pid")
  if [ -z "$win" ]; then
    note "$mode: the show's window never appeared: $(tail -3 "$tmp/$mode.err" | tr '\n' ' ')"
    fail=1
    return
  fi

  # The clock starts with the first frame after loading, which lights the
  # screen: before it the window is black. Grabs follow each other within a
  # few tenths of a second, which bounds the error of the clock's origin.
  origin=""
  local deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ] && kill -0 "$pid" 2>/dev/null; do
    local at
    at=$("$grab_png" "$tmp/$mode-first.png") || at=""
    lit=$(lit_share "$tmp/$mode-first.png")
    if [ -n "$at" ] && awk -v l="${lit:-0}" -v m="$min_lit" 'BEGIN { exit !(l > m) }'; then
      origin=$at
      break
    fi
    sleep 0.05
  done
  if [ -z "$origin" ]; then
    note "$mode: the screen did not light up within 60 s of the window's appearance: $(tail -3 "$tmp/$mode.err" | tr '\n' ' ')"
    fail=1
  else
    local title_frames next_frames
    capture "$mode-1"
    title_frames=$(distinct_frames)
    sleep_until_clock 9
    capture "$mode-2"
    sleep_until_clock 14.5
    capture "$mode-3"
    next_frames=$(distinct_frames)
    note "$mode: distinct frames in 2 s captured at 30 fps: $title_frames in the title, $next_frames in the next scene"
    if [ "${title_frames%% *}" -le 1 ] || [ "${next_frames%% *}" -le 1 ]; then
      note "$mode: the picture does not animate"
      fail=1
    fi
  fi

  # Covers the screen: at the origin, the screen's size, mapped.
  geometry=$(xwininfo -id "$win" 2>/dev/null |
    awk -F: '/Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 } /Width/ { w = $2 }
             /Height/ { h = $2 } /Map State/ { m = $2 } END { gsub(/ /, "", m); printf "%dx%d+%d+%d %s", w, h, x, y, m }')
  if [ "$geometry" != "${width}x${height}+0+0 IsViewable" ]; then
    note "$mode: the window is $geometry, not the whole ${width}x${height} screen"
    fail=1
  fi
  focus=$(xdotool getwindowfocus 2>/dev/null)
  if [ "$focus" != "$win" ]; then
    note "$mode: the keyboard focus is on window '$focus', not the show's $win"
    fail=1
  fi
  # The pointer is in the middle of the screen, over the window.
  if ! "$cursor_hidden" >"$tmp/cursor.txt"; then
    note "$mode: the mouse cursor is visible over the show: $(cat "$tmp/cursor.txt")"
    fail=1
  fi

  # Escape, to whatever window has the keyboard, as a viewer would press it.
  for _ in $(seq 1 60); do
    xdotool key Escape 2>/dev/null
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || break
  done
  if kill -0 "$pid" 2>/dev/null; then
    note "$mode: the show did not end within 30 s of pressing Escape"
    fail=1
    kill "$pid"
  fi
  wait "$pid"
  status=$?
  if [ $status -ne 0 ]; then
    note "$mode: Escape: expected status 0, got $status; stderr: $(tail -5 "$tmp/$mode.err")"
    fail=1
  fi
}

start_x_server bare
bare_display=$x_display
[ -n "$bare_display" ] || { note "cannot start Xvfb: $(cat "$tmp/xvfb.bare.err")"; exit 1; }
export DISPLAY=$bare_display
watch_show bare

start_x_server wm
wm_display=$x_display
if [ -z "$wm_display" ]; then
  note "cannot start a second Xvfb: $(cat "$tmp/xvfb.wm.err")"
  fail=1
else
  export DISPLAY=$wm_display
  # Xvfb now and then resets a connection that comes right after another one,
  # and openbox gives up at once; it gets three tries.
  wm_up=0
  for _ in 1 2 3; do
    openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
    pids+=($!)
    if wait_for_window_manager "${pids[-1]}"; then
      wm_up=1
      break
    fi
    kill "${pids[-1]}" 2>/dev/null
  done
  if [ $wm_up -eq 1 ]; then
    watch_show openbox
  else
    note "openbox did not start: $(tail -3 "$tmp/openbox.log")"
    fail=1
  fi
fi

# The renderer's candidates for every capture, in one run (on the bare server,
# now idle), then the closest one for each capture.
if [ ${#captures[@]} -gt 0 ]; then
  args=()
  for c in "${captures[@]}"; do
    t=$(cat "$tmp/$c.t")
    while read -r value; do args+=(--at "$value"); done < <(awk -v t="$t" -v b="$steps_before" -v a="$steps_after" \
      -v s="$search_step" 'BEGIN { for (k = -b; k <= a; k++) printf "%.4f\n", t + k * s }')
  done
  mkdir -p "$tmp/candidates"
  if ! DISPLAY=$bare_display "$render" "${args[@]}" --size "${width}x${height}" \
    --out "$tmp/candidates/%d.png" >"$tmp/render.log" 2>&1; then
    note "the renderer failed: $(tail -3 "$tmp/render.log")"
    fail=1
  else
    per=$((steps_before + steps_after + 1))
    index=0
    for c in "${captures[@]}"; do
      files=()
      for ((k = 0; k < per; k++)); do files+=("$tmp/candidates/$((index * per + k)).png"); done
      result=$("$match" "$tmp/$c.png" "${files[@]}")
      best=$(sed -n 's/.* best=\([0-9]*\).*/\1/p' <<<"$result")
      mad=$(sed -n 's/.* mad=\([0-9.]*\).*/\1/p' <<<"$result")
      lit=$(sed -n 's/^lit=\([0-9.]*\).*/\1/p' <<<"$result")
      t=$(cat "$tmp/$c.t")
      at=$(awk -v t="$t" -v b="$best" -v n="$steps_before" -v s="$search_step" 'BEGIN { printf "%.3f", t + (b - n) * s }')
      note "$c: captured near t = $t s, closest frame t = $at s: $result"
      keep_here=$keep
      if ! awk -v l="${lit:-0}" -v m="$min_lit" 'BEGIN { exit !(l > m) }'; then
        note "$c: the capture is blank (lit share $lit)"
        fail=1
      fi
      if ! awk -v d="${mad:-999}" -v m="$max_mad" 'BEGIN { exit !(d < m) }'; then
        note "$c: no frame from 1 s before to 2 s after matches the capture (closest differs by $mad, more than $max_mad)"
        keep_here=${keep:-$build}
        note "capture and closest frame kept as $keep_here/e2e_watch-$c-*.png"
        fail=1
      fi
      if [ -n "$keep_here" ] && [ -n "$best" ]; then
        cp "$tmp/$c.png" "$keep_here/e2e_watch-$c-capture.png"
        cp "${files[$best]}" "$keep_here/e2e_watch-$c-render.png"
      fi
      index=$((index + 1))
    done
  fi
fi

[ $fail -eq 0 ] && note "ok"
exit $fail
