#!/usr/bin/env bash
# The show's options for those who present it, run as an organiser runs them,
# each watch on an X server of its own:
# - every wrong value exits 2 with one line naming it, before any window, and
#   shows it in a message box where boxes are on;
# - --mute opens no audio device (SDL's disk driver writes a file when one is
#   opened), and the show still ends by itself at 130 s;
# - --windowed --size 800x450 is an 800x450 window showing the lit show, with
#   the cursor shown, and Escape ends it with status 0;
# - --size 640x360 full screen on a 1280x720 screen shows the renderer's
#   640x360 frame scaled up (compared at 32x18), and --size 640x480 the same
#   frame between black bars;
# - --loop plays past 130 s and shows the opening again, where the same start
#   without it ends;
# - with two monitors (Xorg's dummy driver; Xvfb gives SDL one display),
#   --display 1 plays full screen on the second at its size, lit, and
#   --display 1 --windowed puts the window inside it.
# The hidden --start-at option starts the clock late, so that the end of the
# show comes within seconds. With a second argument, the captures are kept in
# that folder.
set -u
build=${1:?usage: e2e_show_options.sh BUILD_DIR [KEEP_DIR]}
build=$(cd "$build" && pwd)
keep=${2:-}
[ -n "$keep" ] && mkdir -p "$keep"
show="$build/lattice-bloom"
render="$build/lattice-bloom-render"
match="$build/tests/frame_match"
cursor_hidden="$build/tests/cursor_hidden"
grab_png="$build/tests/grab_png"
source "$(dirname "$0")/x11/show_window.sh"

min_lit=0.2   # share of lit pixels in a frame of the show (its background is a lit dark blue)
max_mad=6.0   # mean difference (of 255) under which a 32x18 capture is a rendered frame

fail=0
note() { echo "e2e_show_options: $*"; }
tmp=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

for tool in "$show" "$render" "$match" "$cursor_hidden" "$grab_png" "$build/tests/send_close"; do
  [ -x "$tool" ] || { note "$tool is missing: build it first"; exit 1; }
done
for tool in Xvfb xdotool xwininfo ffmpeg; do
  command -v "$tool" >/dev/null || { note "$tool is not installed (scripts/setup.sh installs it)"; exit 1; }
done

# Starts an X server of its own (Xvfb with screen $2, or Xorg with config $2
# when $1 is "xorg") on a free display number and sets DISPLAY, or fails
# after 10 s.
start_x_server() {
  local fdfile="$tmp/display.$RANDOM"
  if [ "$1" = xorg ]; then
    Xorg -displayfd 3 -config "$2" -noreset -nolisten tcp -logfile "$tmp/xorg.log" 3>"$fdfile" >/dev/null 2>&1 &
  else
    Xvfb -displayfd 3 -screen 0 "$2" -nolisten tcp -br 3>"$fdfile" >/dev/null 2>"$tmp/xvfb.err" &
  fi
  pids+=($!)
  for _ in $(seq 1 100); do
    if [ -s "$fdfile" ]; then
      export DISPLAY=":$(head -n 1 "$fdfile")"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Starts the show with options "$@" in the build folder (its data set there),
# silent; its pid in $pid.
start_show() {
  (cd "$build" && SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11 exec "$show" "$@" >"$tmp/show.out" 2>"$tmp/show.err") &
  pid=$!
  pids+=("$pid")
}

# Escape until the show ends; status 0 expected. $1 names the case.
end_show() {
  if ! press_escape_until_exit "$pid" "$2"; then
    note "$1: the show did not end within 30 s of pressing Escape"
    fail=1
    kill "$pid" 2>/dev/null
  fi
  wait "$pid"
  local status=$?
  if [ $status -ne 0 ]; then
    note "$1: Escape: expected status 0, got $status: $(tail -3 "$tmp/show.err")"
    fail=1
  fi
}

# "WxH+X+Y" of window $1 on the screen.
geometry() {
  xwininfo -id "$1" 2>/dev/null | awk -F: '/Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
    /Width/ { w = $2 } /Height/ { h = $2 } END { printf "%dx%d+%d+%d", w, h, x, y }'
}

# Grabs the screen region "WxH+X+Y" ($2) into $1, scaled to $3 ("WxH") when given.
grab() {
  local size=${2%%+*} offset=${2#*+} scale=${3:+,scale=${3/x/:}:flags=area}
  "$grab_png" "$tmp/screen.png" >/dev/null || return 1
  ffmpeg -nostdin -loglevel error -y -i "$tmp/screen.png" \
    -vf "crop=${size/x/:}:${offset%%+*}:${offset#*+}$scale" "$1"
}

lit_share() { "$match" "$1" | sed -n 's/^lit=\([0-9.]*\).*/\1/p'; }
above() { awk -v a="${1:-0}" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# Waits up to 60 s for region $1 to show a lit frame, captured into $2; the
# moment it was seen (seconds since the epoch) in $lit_at.
wait_until_lit() {
  local deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ] && kill -0 "$pid" 2>/dev/null; do
    if grab "$2" "$1" && above "$(lit_share "$2")" "$min_lit"; then
      lit_at=$(date +%s.%N)
      return 0
    fi
    sleep 0.1
  done
  return 1
}

keep_file() { [ -n "$keep" ] && cp "$1" "$keep/$2"; }

# 1. Wrong values: status 2 and one line on standard error naming the option,
#    on a screen of 1280x720 (so that --display 7 and a full-screen size larger
#    than the screen are wrong too).
start_x_server xvfb 1280x720x24 || { note "cannot start Xvfb: $(cat "$tmp/xvfb.err")"; exit 1; }
for args in "--size 0x0" "--size banana" "--size 800x" "--vsync maybe" "--display 7" "--display one" \
  "--size 1920x1080" "--windowed --size 100000x2"; do
  # shellcheck disable=SC2086
  (cd "$build" && SDL_AUDIODRIVER=dummy timeout 60 "$show" $args >"$tmp/out.txt" 2>"$tmp/err.txt")
  status=$?
  option=${args##*--}
  option="--${option%% *}"
  if [ $status -ne 2 ] || [ "$(wc -l <"$tmp/err.txt")" -ne 1 ] || ! grep -q -- "$option" "$tmp/err.txt"; then
    note "'$args': expected status 2 and one line naming $option, got $status: $(cat "$tmp/err.txt")"
    fail=1
  fi
done

# 1b. With message boxes on (a shortcut's options are wrong where nobody reads
#     standard error), the wrong value is shown in a box; closing it ends the
#     show with status 2.
(cd "$build" && exec env -u LB_NO_ERROR_BOX SDL_AUDIODRIVER=dummy timeout 60 "$show" --size banana \
  >"$tmp/out.txt" 2>"$tmp/err.txt") &
pid=$!
pids+=("$pid")
box=$(find_window_titled "Lattice Bloom cannot start" "$pid")
if [ -z "$box" ]; then
  note "--size banana: no message box appeared"
  fail=1
elif ! request_close_until_exit "$pid" "$box" "$build/tests/send_close"; then
  note "--size banana: the message box did not close on a close request"
  fail=1
fi
kill "$pid" 2>/dev/null
wait "$pid"
status=$?
if [ $status -ne 2 ] || ! grep -q -- "--size" "$tmp/err.txt"; then
  note "--size banana with a box: expected status 2 and the message, got $status: $(cat "$tmp/err.txt")"
  fail=1
fi

# 2. --mute: SDL's disk audio driver writes every opened device's sound to a
#    file; with --mute none may appear, without it one must (so the check can
#    see a device at all). Both runs start at 128 s and end by themselves.
for mute in yes no; do
  rm -f "$tmp/audio.raw"
  opt=""
  [ $mute = yes ] && opt="--mute"
  # shellcheck disable=SC2086
  (cd "$build" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$tmp/audio.raw" SDL_DISKAUDIODELAY=1 \
    timeout 120 "$show" $opt --start-at 128 >"$tmp/out.txt" 2>"$tmp/err.txt")
  status=$?
  if [ $status -ne 0 ]; then
    note "${opt:-no option} from 128 s: expected the show to end by itself with status 0, got $status: $(tail -3 "$tmp/err.txt")"
    fail=1
  fi
  if [ $mute = yes ] && [ -e "$tmp/audio.raw" ]; then
    note "--mute: an audio device was opened (SDL's disk driver wrote $(stat -c %s "$tmp/audio.raw") bytes)"
    fail=1
  elif [ $mute = no ] && [ ! -e "$tmp/audio.raw" ]; then
    note "without --mute no audio device was opened either: the --mute check sees nothing"
    fail=1
  fi
done

# 3. --windowed --size 800x450: the window, lit, the cursor shown, Escape.
start_show --windowed --size 800x450
win=$(find_show_window "$pid")
if [ -z "$win" ]; then
  note "--windowed: the window never appeared: $(tail -3 "$tmp/show.err")"
  fail=1
else
  where=$(geometry "$win")
  if [ "${where%%+*}" != 800x450 ]; then
    note "--windowed --size 800x450: the window is $where"
    fail=1
  fi
  if ! wait_until_lit "$where" "$tmp/windowed.png"; then
    note "--windowed: the window did not light up within 60 s"
    fail=1
  fi
  keep_file "$tmp/windowed.png" windowed-800x450.png
  if "$cursor_hidden" >"$tmp/cursor.txt"; then
    note "--windowed: the mouse cursor is hidden over the window"
    fail=1
  fi
  end_show "--windowed" "$win"
fi

# 4. Full screen drawn at a smaller size and scaled: the capture, reduced to
#    32x18, is the renderer's frame at that size reduced alike, at a clock
#    value near the one estimated from the moment the screen lit up. The
#    opening's title starts at 1 s; the search runs 1 s before to 3 s after.
#    With 640x480 (4:3) the frame fills the middle 960x720 and the bars stay
#    black.
scaled_case() {
  local size=$1 region=$2 reduced=$3 start=2
  start_show --size "$size" --start-at $start
  win=$(find_show_window "$pid")
  if [ -z "$win" ] || ! wait_until_lit "$region" "$tmp/first.png" "$reduced"; then
    note "--size $size: no lit picture within 60 s: $(tail -3 "$tmp/show.err")"
    fail=1
    kill "$pid" 2>/dev/null
    return
  fi
  sleep 1
  local at
  at=$(date +%s.%N)
  grab "$tmp/scaled.png" "$region" "$reduced"
  grab "$tmp/full.png" 1280x720+0+0
  keep_file "$tmp/full.png" "fullscreen-$size.png"
  if [ "$size" = 640x480 ]; then
    for bar in 160x720+0+0 160x720+1120+0; do
      grab "$tmp/bar.png" "$bar"
      if above "$(lit_share "$tmp/bar.png")" 0.001; then
        note "--size 640x480: the bar $bar is not black"
        fail=1
      fi
    done
  fi
  end_show "--size $size" "$win"
  local t args=()
  t=$(awk -v s="$start" -v lit="$lit_at" -v at="$at" 'BEGIN { printf "%.3f", s + at - lit }')
  while read -r v; do args+=(--at "$v"); done < <(awk -v t="$t" 'BEGIN { for (k = -10; k <= 30; k++) printf "%.3f\n", t + k / 10 }')
  rm -rf "$tmp/cand" && mkdir -p "$tmp/cand"
  if ! "$render" "${args[@]}" --size "$size" --out "$tmp/cand/%d.png" >"$tmp/render.log" 2>&1; then
    note "the renderer failed: $(tail -3 "$tmp/render.log")"
    fail=1
    return
  fi
  local files=() k
  for ((k = 0; k < ${#args[@]} / 2; k++)); do
    ffmpeg -nostdin -loglevel error -y -i "$tmp/cand/$k.png" -vf "scale=${reduced/x/:}:flags=area" "$tmp/cand/r$k.png"
    files+=("$tmp/cand/r$k.png")
  done
  local result mad best
  result=$("$match" "$tmp/scaled.png" "${files[@]}")
  mad=$(sed -n 's/.* mad=\([0-9.]*\).*/\1/p' <<<"$result")
  best=$(sed -n 's/.* best=\([0-9]*\).*/\1/p' <<<"$result")
  note "--size $size: captured near t = $t s: $result"
  if ! above "$max_mad" "${mad:-999}"; then
    note "--size $size: the scaled screen is not the renderer's $size frame (closest differs by $mad)"
    fail=1
  fi
  [ -n "$best" ] && keep_file "$tmp/cand/$best.png" "render-$size.png"
}
scaled_case 640x360 1280x720+0+0 32x18
scaled_case 640x480 960x720+160+0 32x24

# 5. --loop from 127 s: past 130 s the opening plays again (compared with the
#    renderer's frames of its first 12 s at 320x180), where the same start
#    without --loop ends by itself.
start_x_server xvfb 320x180x24 || { note "cannot start a 320x180 Xvfb"; exit 1; }
(cd "$build" && SDL_AUDIODRIVER=dummy timeout 60 "$show" --start-at 127 >/dev/null 2>"$tmp/err.txt")
status=$?
[ $status -eq 0 ] || { note "from 127 s without --loop: expected the show to end by itself, got $status"; fail=1; }
start_show --loop --start-at 127
win=$(find_show_window "$pid")
if [ -z "$win" ]; then
  note "--loop: the window never appeared: $(tail -3 "$tmp/show.err")"
  fail=1
elif ! wait_until_lit 320x180+0+0 "$tmp/loop-end.png"; then
  note "--loop: the show did not light up within 60 s: $(tail -3 "$tmp/show.err")"
  fail=1
else
  # Lit at 127 s or a little later: 8 s on is some 5 s into the second run.
  sleep 8
  if ! kill -0 "$pid" 2>/dev/null; then
    note "--loop: the show ended instead of starting again"
    fail=1
  else
    grab "$tmp/loop.png" 320x180+0+0
    keep_file "$tmp/loop.png" loop-opening.png
    end_show --loop "$win"
    args=()
    for k in $(seq 0 48); do args+=(--at "$(awk -v k="$k" 'BEGIN { print k / 4 }')"); done
    rm -rf "$tmp/cand" && mkdir -p "$tmp/cand"
    "$render" "${args[@]}" --size 320x180 --out "$tmp/cand/%d.png" >"$tmp/render.log" 2>&1
    files=()
    for k in $(seq 0 48); do files+=("$tmp/cand/$k.png"); done
    result=$("$match" "$tmp/loop.png" "${files[@]}")
    mad=$(sed -n 's/.* mad=\([0-9.]*\).*/\1/p' <<<"$result")
    note "--loop: captured after the restart: $result"
    if ! above "$max_mad" "${mad:-999}"; then
      note "--loop: the screen after 130 s is not the opening (closest frame differs by $mad)"
      fail=1
    fi
  fi
fi

# 6. Two monitors: Xorg with the dummy driver, its two outputs side by side.
if ! command -v Xorg >/dev/null || ! command -v xrandr >/dev/null; then
  note "Xorg or xrandr is missing (scripts/setup.sh installs them)"
  fail=1
else
  cat >"$tmp/xorg.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2304 768
  EndSubSection
EndSection
CONF
  if ! start_x_server xorg "$tmp/xorg.conf"; then
    note "Xorg with the dummy driver did not start: $(tail -5 "$tmp/xorg.log")"
    fail=1
  else
    # The second output gets a mode and goes right of the first; retried
    # while the new server settles.
    for _ in $(seq 1 20); do
      xrandr --addmode DUMMY1 1024x768 2>/dev/null
      xrandr --output DUMMY0 --mode 1280x720 --pos 0x0 --output DUMMY1 --mode 1024x768 --pos 1280x0 2>/dev/null
      xrandr --listmonitors 2>/dev/null | grep -q "^Monitors: 2" && break
      sleep 0.5
    done
    xrandr --listmonitors >"$tmp/monitors.txt" 2>&1
    grep -q "^Monitors: 2" "$tmp/monitors.txt" || note "xrandr did not make two monitors: $(tr '\n' ' ' <"$tmp/monitors.txt")"
    for windowed in no yes; do
      opts=(--display 1)
      [ $windowed = yes ] && opts+=(--windowed --size 640x360)
      start_show "${opts[@]}"
      win=$(find_show_window "$pid")
      if [ -z "$win" ]; then
        note "${opts[*]}: the window never appeared: $(tail -3 "$tmp/show.err")"
        fail=1
        continue
      fi
      where=$(geometry "$win")
      if [ $windowed = no ] && [ "$where" != 1024x768+1280+0 ]; then
        note "--display 1: the window is $where, not the second monitor's 1024x768+1280+0"
        fail=1
      fi
      read -r w h x y < <(tr 'x+' '  ' <<<"$where")
      if [ $windowed = yes ] && { [ "$w" != 640 ] || [ "$h" != 360 ] || [ "$x" -lt 1280 ] || [ $((x + w)) -gt 2304 ] ||
        [ "$y" -lt 0 ] || [ $((y + h)) -gt 768 ]; }; then
        note "--display 1 --windowed: the window is $where, not a 640x360 one inside 1024x768+1280+0"
        fail=1
      fi
      if ! wait_until_lit "$where" "$tmp/second.png"; then
        note "${opts[*]}: the second monitor did not light up within 60 s"
        fail=1
      fi
      grab "$tmp/both.png" 2304x768+0+0
      keep_file "$tmp/both.png" "two-monitors-windowed-$windowed.png"
      end_show "${opts[*]}" "$win"
    done
  fi
fi

[ $fail -eq 0 ] && note "ok"
exit $fail
