#!/usr/bin/env bash
# The show under conditions a viewer's machine may bring: a window-close request
# or Alt-F4 (either ends the show like Escape), no usable audio device, and a
# data set with a missing or corrupt image, mesh or shader. It either runs on or
# stops with a clear message; it never crashes.
set -u
build=$(cd "${1:?usage: e2e_robustness.sh BUILD_DIR}" && pwd)
show="$build/lattice-bloom"
send_close="$build/tests/send_close"
source "$(dirname "$0")/x11/show_window.sh"
fail=0
note() { echo "e2e_robustness: $*"; }
tmp=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT

# Starts the show in folder $1 with audio driver $2; sets pid and win.
start_show() {
  (cd "$1" && SDL_AUDIODRIVER="$2" exec "$show" >"$tmp/out.txt" 2>"$tmp/err.txt") &
  pid=$!
  started_at=$SECONDS
  win=$(find_show_window "$pid")
}

# Says why no window was found, and stops a show that is still running so that
# it cannot take the next step's key presses.
no_window() {
  local state="it exited"
  if kill -0 "$pid" 2>/dev/null; then
    state="still running after $((SECONDS - started_at)) s"
    kill -9 "$pid" 2>/dev/null
  fi
  wait "$pid" 2>/dev/null; local s=$?; pid=""
  note "$1: window never appeared ($state, status $s): $(tail -3 "$tmp/err.txt" | tr '\n' ' ')"
  fail=1
}

# Presses Escape and returns the show's exit status (124 if it did not end).
escape_and_wait() {
  if ! press_escape_until_exit "$pid" "$win"; then kill -9 "$pid"; wait "$pid" 2>/dev/null; pid=""; return 124; fi
  wait "$pid"; local s=$?; pid=""; return $s
}

# 1. A close request from the window system ends the show at once, status 0.
start_show "$build" dummy
if [ -z "$win" ]; then no_window "close request"; else
  sleep 1
  if ! request_close_until_exit "$pid" "$win" "$send_close"; then
    note "a close request did not end the show"; fail=1; kill -9 "$pid"; wait "$pid" 2>/dev/null; pid=""
  else
    wait "$pid"; s=$?; pid=""
    [ $s -eq 0 ] || { note "close request: status $s"; fail=1; }
  fi
fi

# 2. Alt-F4 ends the show where no window manager takes the key (as here).
start_show "$build" dummy
if [ -z "$win" ]; then no_window "Alt-F4"; else
  sleep 1
  for _ in $(seq 1 60); do
    xdotool windowfocus "$win" 2>/dev/null
    xdotool key --clearmodifiers alt+F4 2>/dev/null
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || break
  done
  if kill -0 "$pid" 2>/dev/null; then
    note "Alt-F4 did not end the show"; fail=1; kill -9 "$pid"; wait "$pid" 2>/dev/null; pid=""
  else
    wait "$pid"; s=$?; pid=""
    [ $s -eq 0 ] || { note "Alt-F4: status $s"; fail=1; }
  fi
fi

# 3. No usable audio device: the show runs silently.
start_show "$build" no-such-audio-driver
if [ -z "$win" ]; then no_window "no audio device"; else
  sleep 1
  escape_and_wait; s=$?
  [ $s -eq 0 ] || { note "no audio device: status $s"; fail=1; }
  grep -q "playing without sound" "$tmp/err.txt" || { note "no audio device: not said on stderr"; fail=1; }
fi

# 4. Damaged data sets: each run either plays on (Escape gives 0) or stops with
#    a message on stderr and a non-zero status; a signal is a failure.
damage() {  # name, command run inside the copied data folder
  rm -rf "$tmp/set"; mkdir -p "$tmp/set"; cp -r "$build/data" "$tmp/set/data"
  (cd "$tmp/set/data" && eval "$2")
  start_show "$tmp/set" dummy
  if [ -n "$win" ]; then
    sleep 1
    escape_and_wait; s=$?
  else
    wait "$pid"; s=$?; pid=""
  fi
  if [ $s -ge 124 ]; then
    note "$1: crashed or hung (status $s): $(tail -3 "$tmp/err.txt")"; fail=1
  elif [ $s -ne 0 ] && [ ! -s "$tmp/err.txt" ]; then
    note "$1: stopped with status $s and no message"; fail=1
  else
    note "$1: status $s $(head -c 200 "$tmp/err.txt" | tr '\n' ' ')"
  fi
}
png=$(cd "$build/data" && ls *.png | head -n 1)
jpg=$(cd "$build/data" && ls *.jpg | head -n 1)
frag=$(cd "$build/data" && ls *.frag *.fs *.glsl 2>/dev/null | head -n 1)
damage "truncated PNG" "head -c 100 '$png' > x && mv x '$png'"
damage "garbage JPEG" "head -c 3000 /dev/urandom > '$jpg'"
damage "missing image" "rm -f '$png'"
damage "garbage mesh" "printf 'v 1 2\nf 1 2 999\nf x y z\n' > cube.obj"
damage "missing mesh" "rm -f tunnel.obj"
[ -n "$frag" ] && damage "broken shader" "printf 'not glsl at all\n' > '$frag'"
[ -n "$frag" ] && damage "missing shader" "rm -f '$frag'"

[ $fail -eq 0 ] && note "ok"
exit $fail
