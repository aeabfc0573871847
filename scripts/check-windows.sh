#!/usr/bin/env bash
# Checks the Windows release under Wine on a private Xvfb, as a viewer's
# Windows machine would run it (run by CI):
#   - builds it (scripts/package-windows.sh --with-tests), unzips it into a
#     fresh folder and makes a fresh Wine prefix (never cached: some 700 MB);
#   - plays the show: 3 s after it lights the screen a capture must match the
#     Linux renderer's frame near that clock value (the live watch's bound);
#     Escape, a window-manager close request and Alt-F4 each end it with 0
#     within 5 s (each is pressed once the picture is up, when the show reads
#     its events; a show still running then fails the step);
#   - renders frames with the Windows renderer at three clock values in three
#     scenes, and a contact sheet, and compares them with the Linux renderer's
#     (the same llvmpipe);
#   - plays the show from a folder named outside ASCII (Zoë) and writes frames,
#     a contact sheet and a video into it; --out from drives (C:\x, C:/x, \x);
#   - the director's player (tests/windows/dev_reload.sh): a flat-red shader
#     saved into its data/ is on screen within 2 s, a broken one keeps the
#     picture and shows its error, Escape ends it with 0;
#   - runs the unit tests cross-built for Windows (readers, catalogue, OBJ,
#     images, hierarchy files, maths, random numbers, platform layer, the
#     watch of saved files and the real-world files) under Wine;
#   - starts the show without data/: a message box titled "Lattice Bloom cannot
#     start" must appear (it is captured), and the status must be non-zero;
#   - records the music as each build decodes and starts it (SDL's disk audio
#     driver) and reports the offset, which must stay within 5 ms;
#   - reports a frame time of a slow scene under Wine and on Linux;
#   - THIRD-PARTY-NOTICES.txt, with Windows line endings, holds the licence of
#     every library and run-time linked in (scripts/lib/notices.py).
# Needs the Linux build (scripts/build.sh; $LB_BUILD_DIR, default build/) for
# the Linux renderer and the X helpers, and the packages of
# `scripts/setup.sh windows`. Set LB_CHECK_WINDOWS_OUT to a folder to keep the
# pictures (live capture, error box, both renderers' frames).
#   scripts/check-windows.sh [--no-package]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_BUILD_DIR:-$root/build}
windows_build=${LB_WINDOWS_BUILD_DIR:-$root/build-windows}
source "$root/tests/x11/show_window.sh"
source "$root/scripts/lib/wine-x.sh"
note() { echo "check-windows: $*"; }
started=$SECONDS
fail=0
tmp=$(mktemp -d)
pid=""
private_x_pid=""
trap end_private_session EXIT
out=${LB_CHECK_WINDOWS_OUT:-$tmp/pictures}
mkdir -p "$out"

bash "$root/scripts/setup.sh" windows >/dev/null
if [ "${1:-}" != "--no-package" ]; then
  bash "$root/scripts/package-windows.sh" --with-tests
fi
cmake --build "$build" --target lattice-bloom-render frame_match grab_png send_close music_probe >/dev/null
render=$build/lattice-bloom-render
match=$build/tests/frame_match
grab_png=$build/tests/grab_png
send_close=$build/tests/send_close
probe=$build/tests/music_probe

# --- The release, a fresh Wine prefix, a private X server --------------------------
archive=$(ls "$root"/dist/lattice-bloom-*-windows-x86_64.zip)
mkdir -p "$tmp/unpacked"
unzip -q "$archive" -d "$tmp/unpacked"
folder=$(ls -d "$tmp"/unpacked/*/)
folder=${folder%/}
note "unzipped $(basename "$archive") ($(du -h "$archive" | cut -f1)): $(cd "$folder" && ls | tr '\n' ' ')"
# The licence of every library and run-time linked in, with Windows line endings.
python3 "$root/scripts/lib/notices.py" check windows "$folder/THIRD-PARTY-NOTICES.txt" \
  --built "$(bash "$root/scripts/windows-deps.sh")/.complete" --crlf || fail=1

private_x 1280x720 "$tmp/x" || exit 1

# No sound card here: SDL's dummy driver unless a step says otherwise.
export SDL_AUDIODRIVER=dummy LB_NO_ERROR_BOX=1
t0=$SECONDS
fresh_wine_prefix "$tmp/wine"
note "fresh Wine prefix made in $((SECONDS - t0)) s ($(wine --version))"

# Starts the show from its folder; sets pid and win.
start_show() {
  (cd "$folder" && exec wine ./lattice-bloom.exe >"$tmp/show.out" 2>"$tmp/show.err") &
  pid=$!
  win=$(find_window_titled "Lattice Bloom" "$pid")
}

# Waits for the show and checks that its status is $2 (step $1).
expect_status() {
  local status=0
  wait "$pid" || status=$?
  pid=""
  if [ "$status" -ne "$2" ]; then
    note "$1: expected status $2, got $status: $(tail -3 "$tmp/show.err" | tr '\n' ' ')"
    fail=1
  else
    note "$1: status $status"
  fi
}

# Waits until the show's first frame lights the screen (it then reads its
# events); sets origin to the capture's time, or "" after 30 s.
wait_until_lit() {
  origin=""
  for _ in $(seq 1 600); do
    at=$("$grab_png" "$tmp/first.png") || at=""
    lit=$("$match" "$tmp/first.png" | sed -n 's/^lit=\([0-9.]*\).*/\1/p')
    if [ -n "$at" ] && awk -v l="${lit:-0}" 'BEGIN { exit !(l > 0.2) }'; then origin=$at; return; fi
    kill -0 "$pid" 2>/dev/null || return
    sleep 0.05
  done
}

# Step $1: runs the command after it (a key or a close request for $win) every
# half second for 5 s, until the show ends; the show must then have ended with
# status 0. A show still running after 5 s fails the step and is stopped, so
# that it cannot end by itself at the end of the music and pass.
expect_ended_by() {
  local step=$1
  shift
  for _ in $(seq 1 10); do
    "$@" 2>/dev/null || true
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || break
  done
  if kill -0 "$pid" 2>/dev/null; then
    note "$step: the show still runs 5 s after it"
    fail=1
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
    return
  fi
  expect_status "$step" 0
}
press_key() {  # window, key
  xdotool windowfocus "$1" 2>/dev/null || true
  xdotool key --clearmodifiers "$2"
}

# --- 1. Playing: the picture 3 s in, then Escape, a close request, Alt-F4 ---------
start_show
if [ -z "$win" ]; then
  note "the show's window never appeared: $(tail -3 "$tmp/show.err" | tr '\n' ' ')"
  fail=1
else
  # The clock starts with the first frame, which lights the screen.
  wait_until_lit
  if [ -z "$origin" ]; then
    note "the screen did not light up: $(tail -3 "$tmp/show.err" | tr '\n' ' ')"
    fail=1
  else
    sleep "$(awk -v o="$origin" -v now="$(date +%s.%N)" 'BEGIN { w = o + 3 - now; print (w > 0 ? w : 0) }')"
    at=$("$grab_png" "$out/wine-live-1280x720.png")
    t=$(awk -v a="$at" -v o="$origin" 'BEGIN { printf "%.2f", a - o }')
    # The Linux renderer's frames from 1 s before to 2 s after the estimated
    # clock value, every 1/20 s (the live watch's window), once the show is over.
    mapfile -t candidate_times < <(awk -v t="$t" 'BEGIN { for (k = -20; k <= 40; k++) if (t + k / 20 >= 0) printf "%.3f\n", t + k / 20 }')
  fi
  expect_ended_by "Escape" press_key "$win" Escape
  if [ -n "$origin" ]; then
    at_args=()
    for c in "${candidate_times[@]}"; do at_args+=(--at "$c"); done
    mkdir -p "$tmp/candidates"
    "$render" "${at_args[@]}" --size 1280x720 --out "$tmp/candidates/%03d.png" >/dev/null
    result=$("$match" "$out/wine-live-1280x720.png" "$tmp"/candidates/*.png)
    mad=$(sed -n 's/.* mad=\([0-9.]*\).*/\1/p' <<<"$result")
    best=$(sed -n 's/.* best=\([0-9]*\).*/\1/p' <<<"$result")
    note "live capture at t = $t s: $result (best: the Linux frame at ${candidate_times[${best:-0}]} s)"
    if ! awk -v d="${mad:-999}" 'BEGIN { exit !(d < 3.0) }'; then
      note "the live picture under Wine matches no Linux frame near its clock value"
      fail=1
    fi
  fi
fi
start_show
[ -n "$win" ] && wait_until_lit
if [ -n "$win" ] && [ -n "$origin" ]; then
  expect_ended_by "close request" "$send_close" "$win"
else
  note "close request: no window or no picture"; fail=1; kill "$pid" 2>/dev/null || true; pid=""
fi
start_show
[ -n "$win" ] && wait_until_lit
if [ -n "$win" ] && [ -n "$origin" ]; then
  expect_ended_by "Alt-F4" press_key "$win" alt+F4
else
  note "Alt-F4: no window or no picture"; fail=1; kill "$pid" 2>/dev/null || true; pid=""
fi

# --- 2. The Windows renderer against the Linux renderer ----------------------------
# BouncingCubes, Sinkhole and RobotCave, at the regression test's clock values.
times=(26 50 95)
at_args=()
for t in "${times[@]}"; do at_args+=(--at "$t"); done
(cd "$folder" && wine ./lattice-bloom-render.exe "${at_args[@]}" --size 320x180 --out "$tmp/win%d.png" \
  >"$tmp/render.out" 2>&1) || { note "the Windows renderer failed: $(tail -3 "$tmp/render.out")"; fail=1; }
"$render" "${at_args[@]}" --size 320x180 --out "$tmp/linux%d.png" >/dev/null
for i in 0 1 2; do
  if [ ! -s "$tmp/win$i.png" ]; then note "no Windows frame at ${times[$i]} s"; fail=1; continue; fi
  result=$("$match" "$tmp/win$i.png" "$tmp/linux$i.png")
  note "renderer frame at ${times[$i]} s, Windows against Linux: $result"
  # The regression references' tolerance: no more than 1% of pixels beyond a
  # few levels; the same driver should give identical pixels (mad=0).
  if ! awk -v r="$result" 'BEGIN { match(r, /differing=[0-9.]+/); d = substr(r, RSTART + 10, RLENGTH - 10); exit !(d <= 0.01) }'; then
    fail=1
  fi
  cp "$tmp/win$i.png" "$out/windows-render-${times[$i]}s.png"
  cp "$tmp/linux$i.png" "$out/linux-render-${times[$i]}s.png"
done

# The contact sheet: with DejaVu Sans in the prefix's fonts folder (Wine has no
# TrueType fonts there), the Windows renderer's labels are the Linux build's.
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
(cd "$folder" && wine ./lattice-bloom-render.exe --contact-sheet "$tmp/win-sheet.png" --size 320x180 \
  >"$tmp/render.out" 2>&1) || { note "the Windows contact sheet failed: $(tail -3 "$tmp/render.out")"; fail=1; }
"$render" --contact-sheet "$tmp/linux-sheet.png" --size 320x180 >/dev/null
if [ -s "$tmp/win-sheet.png" ]; then
  result=$("$match" "$tmp/win-sheet.png" "$tmp/linux-sheet.png")
  note "contact sheet, Windows against Linux: $result"
  awk -v r="$result" 'BEGIN { match(r, /differing=[0-9.]+/); d = substr(r, RSTART + 10, RLENGTH - 10); exit !(d <= 0.01) }' ||
    fail=1
  cp "$tmp/win-sheet.png" "$out/windows-contact-sheet.png"
fi

# --- 2b. A folder outside ASCII, and output paths from drives ------------------------
# A copy of the release in a folder named as a user's often is (C:\Users\Zoë\):
# the show plays from it, and the renderer writes frames, a contact sheet and a
# video (through ffmpeg.exe's stand-in, found on PATH) into it. --out is given
# relative, from a drive with either separator and from the drive's root; each
# frame must be the Linux renderer's.
zoe=$tmp/wz/Zoë
mkdir -p "$zoe" "$tmp/wz/out" "$tmp/stand-in"
cp -r "$folder" "$zoe/"
zfolder=$zoe/$(basename "$folder")
cp "$windows_build/tests/windows/ffmpeg_stand_in.exe" "$tmp/stand-in/ffmpeg.exe"
wz=$(winepath -w "$tmp/wz")  # Z:\tmp\...\wz
wz_root=${wz#?:}             # \tmp\...\wz, from the current drive's root
(cd "$zfolder" && exec wine ./lattice-bloom.exe >"$tmp/show.out" 2>"$tmp/show.err") &
pid=$!
win=$(find_window_titled "Lattice Bloom" "$pid")
[ -n "$win" ] && wait_until_lit
if [ -n "$win" ] && [ -n "$origin" ]; then
  note "the show plays from $zfolder"
  expect_ended_by "Escape, playing from $zfolder" press_key "$win" Escape
else
  note "the show does not play from $zfolder: $(tail -3 "$tmp/show.err" | tr '\n' ' ')"; fail=1
  kill -9 "$pid" 2>/dev/null || true; pid=""
fi
"$render" --at 26 --size 320x180 --out "$tmp/linux26.png" >/dev/null
# Target as given to --out, then where the file must appear.
out_cases=(
  "frame.png" "$zfolder/frame.png"
  "$wz\\Zoë\\drive-backslash.png" "$zoe/drive-backslash.png"
  "${wz//\\//}/out/drive-slash.png" "$tmp/wz/out/drive-slash.png"
  "$wz_root\\out\\root.png" "$tmp/wz/out/root.png"
)
for ((i = 0; i < ${#out_cases[@]}; i += 2)); do
  given=${out_cases[i]} expected=${out_cases[i + 1]}
  (cd "$zfolder" && wine ./lattice-bloom-render.exe --at 26 --size 320x180 --out "$given" >"$tmp/render.out" 2>&1) ||
    { note "--out $given: the Windows renderer failed: $(tail -2 "$tmp/render.out" | tr '\n' ' ')"; fail=1; continue; }
  if [ ! -s "$expected" ]; then
    note "--out $given: no file at $expected: $(tail -2 "$tmp/render.out" | tr '\n' ' ')"; fail=1; continue
  fi
  result=$("$match" "$expected" "$tmp/linux26.png")
  note "--out $given -> $expected: $result"
  awk -v r="$result" 'BEGIN { match(r, /differing=[0-9.]+/); d = substr(r, RSTART + 10, RLENGTH - 10); exit !(d <= 0.01) }' ||
    fail=1
done
(cd "$zfolder" && wine ./lattice-bloom-render.exe --contact-sheet sheet.png --size 320x180 >"$tmp/render.out" 2>&1) &&
  [ -s "$zfolder/sheet.png" ] && note "contact sheet written into $zfolder" ||
  { note "contact sheet into $zfolder failed: $(tail -2 "$tmp/render.out" | tr '\n' ' ')"; fail=1; }
(cd "$zfolder" && WINEPATH=$(winepath -w "$tmp/stand-in") wine ./lattice-bloom-render.exe --fps 10 --from 26 --to 26.5 \
  --size 64x36 --video clip.mp4 >"$tmp/render.out" 2>&1) || true
# Five frames of 64x36 RGB, as the stand-in keeps them.
if [ "$(stat -c %s "$zfolder/clip.mp4" 2>/dev/null)" = $((5 * 64 * 36 * 3)) ]; then
  note "video written into $zfolder (through the stand-in)"
else
  note "video into $zfolder failed: $(tail -2 "$tmp/render.out" | tr '\n' ' ')"; fail=1
fi
cp "$zfolder/frame.png" "$out/windows-render-26s-from-Zoë.png" 2>/dev/null || true

# --- 2c. The director's player: live reloading ----------------------------------------
bash "$root/tests/windows/dev_reload.sh" "$folder" "$build" "$out" || fail=1

# --- 3. The unit tests, built for Windows ---------------------------------------------
cp "$windows_build/tests/windows/lb_tests_windows.exe" "$folder/"
realworld=${LB_REALWORLD_DIR:-$root/../shared/realworld}
t0=$SECONDS
# LB_REQUIRE_REALWORLD: a missing folder fails the real-world tests instead of
# skipping them.
if (cd "$folder" && LB_REQUIRE_REALWORLD=1 LB_REALWORLD_DIR=$realworld wine ./lb_tests_windows.exe \
  >"$tmp/tests.out" 2>&1); then
  note "unit tests under Wine: $(grep -E '^\[  PASSED  \]|tests ran' "$tmp/tests.out" | tr '\n' ' ')($((SECONDS - t0)) s)"
else
  note "unit tests under Wine failed:"
  grep -E '^\[  FAILED  \]|Failure|error' "$tmp/tests.out" | head -30
  fail=1
fi
rm -f "$folder/lb_tests_windows.exe"

# --- 4. No data/: a message box and a non-zero status ---------------------------------
mkdir -p "$tmp/nodata"
cp "$folder/lattice-bloom.exe" "$tmp/nodata/"
(cd "$tmp/nodata" && exec env -u LB_NO_ERROR_BOX wine ./lattice-bloom.exe >"$tmp/show.out" 2>"$tmp/show.err") &
pid=$!
box=$(find_window_titled "Lattice Bloom cannot start" "$pid")
if [ -z "$box" ]; then
  note "no data/: no message box appeared: $(tail -3 "$tmp/show.err" | tr '\n' ' ')"
  fail=1
  kill "$pid" 2>/dev/null || true
else
  sleep 1
  "$grab_png" "$out/wine-error-box.png" >/dev/null
  note "no data/: message box \"$(xdotool getwindowname "$box")\" captured"
  for _ in $(seq 1 60); do
    xdotool windowfocus "$box" 2>/dev/null || true
    xdotool key --clearmodifiers Return 2>/dev/null || true
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || break
  done
fi
expect_status "no data/" 1

# --- 5. The music as each build decodes and starts it ---------------------------------
cp "$windows_build/tests/windows/music_probe.exe" "$folder/"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$tmp/disk.raw
(cd "$folder" && "$probe" data/music.mp3 4 "$tmp/linux.raw") >/dev/null
(cd "$folder" && wine ./music_probe.exe data/music.mp3 4 "$tmp/plain.raw" --uncorrected) >/dev/null
started_as=$(cd "$folder" && wine ./music_probe.exe data/music.mp3 4 "$tmp/windows.raw")
export SDL_AUDIODRIVER=dummy
rm -f "$folder/music_probe.exe"
plain=$("$probe" --offset "$tmp/linux.raw" "$tmp/plain.raw")
corrected=$("$probe" --offset "$tmp/linux.raw" "$tmp/windows.raw")
note "music, Windows build against Linux: $plain with a plain start; $corrected as the show starts it ($started_as)"
if ! awk -v r="$corrected" 'BEGIN { match(r, /offset_ms=-?[0-9.]+/); v = substr(r, RSTART + 10, RLENGTH - 10); exit !(v <= 5 && v >= -5) }'; then
  note "picture and sound are more than 5 ms apart from the Linux build's"
  fail=1
fi

# --- 6. Frame time of a slow scene (BouncingCubes at 1280x720) ------------------------
# The renderer's own figure for 15 frames (drawing and reading back, without
# start-up and loading).
frame_ms() {
  "$@" --fps 30 --from 27 --to 27.5 --size 1280x720 --out "$tmp/frames/" 2>&1 |
    sed -n 's/.*frames in \([0-9.]*\) s.*/\1/p' | awk '{ printf "%.1f", $1 * 1000 / 15 }'
}
linux_ms=$(frame_ms "$render")
windows_ms=$(cd "$folder" && frame_ms wine ./lattice-bloom-render.exe)
note "BouncingCubes at 1280x720 rendered offline on llvmpipe: ${windows_ms:-?} ms a frame under Wine, ${linux_ms:-?} ms on Linux"

note "done in $((SECONDS - started)) s"
if [ $fail -eq 0 ]; then note "ok"; else note "FAILED"; fi
exit $fail
