#!/usr/bin/env bash
# End-to-end checks of the show binary under the X server the test command
# provides: Escape ends it with status 0; without a data set or without a
# display it says so and exits 1, and without a data set it also shows the
# message in a box (the test suite turns boxes off with LB_NO_ERROR_BOX, and
# turns them on again for that one case).
set -u
build=${1:?usage: e2e_show.sh BUILD_DIR}
show="$build/lattice-bloom"
source "$(dirname "$0")/x11/show_window.sh"
fail=0
note() { echo "e2e_show: $*"; }

# 1. No data set anywhere: a copy of the binary in an empty folder.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null' EXIT
cp "$show" "$tmp/lattice-bloom"
(cd "$tmp" && SDL_AUDIODRIVER=dummy ./lattice-bloom >"$tmp/out.txt" 2>"$tmp/err.txt")
status=$?
if [ $status -ne 1 ] || ! grep -q "cannot find the data set" "$tmp/err.txt"; then
  note "missing data set: expected status 1 and a message, got $status: $(cat "$tmp/err.txt")"
  fail=1
fi

# 1b. The same with message boxes on: a box titled "Lattice Bloom cannot start"
#     appears, the show waits for it, and a close request to the box ends the
#     show with status 1.
(cd "$tmp" && exec env -u LB_NO_ERROR_BOX SDL_AUDIODRIVER=dummy timeout 60 ./lattice-bloom \
  >"$tmp/out.txt" 2>"$tmp/err.txt") &
pid=$!
box=$(find_window_titled "Lattice Bloom cannot start" "$pid")
if [ -z "$box" ]; then
  note "missing data set: no message box appeared: $(cat "$tmp/err.txt")"
  fail=1
  kill "$pid" 2>/dev/null
elif ! request_close_until_exit "$pid" "$box" "$build/tests/send_close"; then
  note "missing data set: the message box did not close on a close request"
  fail=1
  kill "$pid" 2>/dev/null
fi
wait "$pid"
status=$?
pid=""
if [ $status -ne 1 ] || ! grep -q "cannot find the data set" "$tmp/err.txt"; then
  note "missing data set with a box: expected status 1 and a message, got $status: $(cat "$tmp/err.txt")"
  fail=1
fi

# 2. No display at all: a clear message and status 1, not a show played to nobody
#    on SDL's window-less fallback.
(cd "$build" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
  timeout 60 ./lattice-bloom >"$tmp/out.txt" 2>"$tmp/err.txt")
status=$?
if [ $status -ne 1 ] || ! grep -q "cannot open the display" "$tmp/err.txt"; then
  note "no display: expected status 1 and a message, got $status: $(tail -3 "$tmp/err.txt")"
  fail=1
fi

# 3. Escape ends the show with status 0.
if [ -z "${DISPLAY:-}" ]; then
  note "no DISPLAY: run the test command, which starts Xvfb"
  exit 1
fi
(cd "$build" && SDL_AUDIODRIVER=dummy exec ./lattice-bloom >"$tmp/show.out" 2>"$tmp/show.err") &
pid=$!
win=$(find_show_window "$pid")
if [ -z "$win" ]; then
  note "the show's window never appeared: $(tail -3 "$tmp/show.err" | tr '\n' ' ')"
  fail=1
else
  if ! press_escape_until_exit "$pid" "$win"; then
    note "the show did not end within 30 s of pressing Escape"
    fail=1
    kill "$pid"
  fi
  wait "$pid"
  status=$?
  pid=""
  if [ $status -ne 0 ]; then
    note "Escape: expected status 0, got $status; stderr: $(tail -5 "$tmp/show.err")"
    fail=1
  fi
fi

[ $fail -eq 0 ] && note "ok"
exit $fail
