#!/usr/bin/env bash
# The Windows release's director's player under Wine, as a maker uses it (run
# by scripts/check-windows.sh, which made the Wine prefix): on a copy of the
# release, lattice-bloom-dev.exe plays Sinkhole on an X server of the window's
# size; a flat-red postprocessing.frag saved into its data/ must be on screen
# within 2 s, without a restart; a broken one then must leave the red picture
# in place, with the compile error printed and shown in the overlay (F1, whose
# capture is kept as OUT/wine-dev-broken-shader.png); Escape must end it with
# status 0.
#   tests/windows/dev_reload.sh RELEASE_FOLDER LINUX_BUILD_DIR OUT_DIR
set -u
folder=${1:?usage: dev_reload.sh RELEASE_FOLDER LINUX_BUILD_DIR OUT_DIR}
build=${2:?usage: dev_reload.sh RELEASE_FOLDER LINUX_BUILD_DIR OUT_DIR}
out=${3:?usage: dev_reload.sh RELEASE_FOLDER LINUX_BUILD_DIR OUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../x11/show_window.sh"
source "$here/../x11/player_reload.sh"
source "$here/../../scripts/lib/wine-x.sh"
grab_png=$build/tests/grab_png
match=$build/tests/frame_match
note() { echo "check-windows: director's player: $*"; }
fail=0
size=320x180
tmp=$(mktemp -d)
pid=""
private_x_pid=""
trap end_private_session EXIT

private_x "$size" "$tmp/x" || exit 1
# Wine's desktop process stays on the X server it started with: ended here,
# the prefix starts again on this one (and, ended at the exit, on the
# caller's for the steps after).
wineserver -k 2>/dev/null
wineserver -w
mkdir -p "$tmp/app" "$out"
cp "$folder/lattice-bloom-dev.exe" "$tmp/app/"
cp -r "$folder/data" "$tmp/app/data"
(cd "$tmp/app" && exec wine ./lattice-bloom-dev.exe --clean --at 50 --size "$size" >"$tmp/dev.out" 2>"$tmp/dev.err") &
pid=$!
win=$(find_window_titled "Lattice Bloom (director)" "$pid")
if [ -z "$win" ] || ! wait_until_lit "$tmp/first.png" "$pid"; then
  note "no picture: $(tail -3 "$tmp/dev.err" | tr '\n' ' ')"
  exit 1
fi

frag=$tmp/app/data/postprocessing.frag
flat_png ff0000 "$size" "$tmp/red.png"
if seen=$(save_until_seen "$frag" "$(flat_frag 1 0 0)" "$tmp/red.png" "$tmp" 2); then
  note "a flat-red shader saved into data/ is on screen $seen s later"
else
  note "a flat-red shader saved into data/ did not show within 2 s"
  fail=1
fi

broken_frag >"$frag"
sleep 1.5
if ! kill -0 "$pid" 2>/dev/null; then
  note "a broken shader ended the player: $(tail -3 "$tmp/dev.err" | tr '\n' ' ')"
  exit 1
fi
if screen_is "$tmp/red.png" "$tmp/kept.png" >/dev/null; then
  note "a broken shader keeps the last good picture"
else
  note "a broken shader changed the picture"
  fail=1
fi
if grep -q "postprocessing.frag: does not compile" "$tmp/dev.err"; then
  note "the compile error is printed: $(grep -m1 "does not compile" "$tmp/dev.err")"
else
  note "no compile error printed: $(tail -3 "$tmp/dev.err" | tr '\n' ' ')"
  fail=1
fi
# With the overlay shown, the picture holds the error (and is no longer all red).
xdotool windowfocus "$win" 2>/dev/null
xdotool key --clearmodifiers F1
sleep 1
"$grab_png" "$out/wine-dev-broken-shader.png" >/dev/null
if screen_is "$tmp/red.png" "$tmp/overlay.png" >/dev/null; then
  note "F1 showed no overlay over the kept picture"
  fail=1
fi

if press_escape_until_exit "$pid" "$win"; then
  status=0
  wait "$pid" || status=$?
  pid=""
  if [ "$status" -eq 0 ]; then note "Escape: status 0"; else note "Escape: status $status"; fail=1; fi
else
  note "Escape did not end the player"
  fail=1
fi
exit $fail
