#!/usr/bin/env bash
# End-to-end checks that lattice-bloom-render never destroys a good file: a
# video, a PNG sequence and a contact sheet that cannot be finished (a file-size
# limit stands in for a full disk; an encoder that gives up half-way; a Ctrl-C
# or SIGTERM in the middle of a video export) leave the file already at the
# target byte for byte as it was, leave no temporary behind, and end with a
# non-zero status and a message naming the target. A finished export replaces
# the target and leaves nothing else, flushed to the disk before the rename.
set -u
build=$(cd "${1:?usage: e2e_outputs.sh BUILD_DIR}" && pwd)
render="$build/lattice-bloom-render"
fail=0
note() { echo "e2e_outputs: $*"; }
tmp=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill -KILL -- "-$pid" 2>/dev/null; rm -rf "$tmp"' EXIT

if [ -z "${DISPLAY:-}" ]; then note "no DISPLAY: run the test command, which starts Xvfb"; exit 1; fi
if ! command -v ffmpeg >/dev/null 2>&1; then echo "e2e_outputs: SKIP: ffmpeg is not installed"; exit 0; fi
out=$tmp/out
mkdir -p "$out" "$tmp/good"

# Runs the renderer in $out with a file-size limit of $1 KiB ("" for none);
# sets $status, stderr in $tmp/err.txt.
render_in_out() {
  local limit=$1; shift
  status=0
  (cd "$out" && { [ -z "$limit" ] || ulimit -f "$limit"; } && exec "$render" "$@") >"$tmp/out.txt" 2>"$tmp/err.txt" ||
    status=$?
}
# Temporaries the renderer left in $out (hidden files).
leftovers() { (cd "$out" && ls -A | grep '^\.' || true); }
# Checks one failed run: $1 what was tried, $2 the target (relative to $out),
# $3 the expected exit status ("" for any non-zero); the target must be
# identical to the good copy of the same name in $tmp/good.
expect_kept() {
  local what=$1 target=$2 want=${3:-}
  if [ "$status" -eq 0 ] || { [ -n "$want" ] && [ "$status" -ne "$want" ]; }; then
    note "$what: expected status ${want:-non-zero}, got $status: $(tail -2 "$tmp/err.txt")"; fail=1
  fi
  if ! cmp -s "$out/$target" "$tmp/good/$(basename "$target")"; then
    note "$what: $target was changed"; fail=1
  fi
  if ! grep -qF "$out/$target was left unchanged" "$tmp/err.txt"; then
    note "$what: no message saying $out/$target was left unchanged: $(tail -2 "$tmp/err.txt")"; fail=1
  fi
  [ -z "$(leftovers)" ] || { note "$what: temporaries left behind: $(leftovers)"; fail=1; }
}

# 1. Finished exports replace what was there and leave nothing else; they are
#    last week's good files for the failures below.
printf 'not a video' >"$out/show.mp4"
render_in_out "" --fps 10 --from 50 --to 50.5 --size 64x36 --video show.mp4
if [ "$status" -ne 0 ] || ! ffprobe -v error -show_entries format=duration "$out/show.mp4" >/dev/null 2>&1; then
  note "a video over an older file: status $status, $(tail -2 "$tmp/err.txt")"; fail=1
fi
render_in_out "" --fps 10 --from 44 --to 44.3 --size 320x180 --out seq/
render_in_out "" --size 160x90 --contact-sheet sheet.png
[ "$status" -eq 0 ] || { note "contact sheet: status $status, $(tail -2 "$tmp/err.txt")"; fail=1; }
[ -z "$(leftovers)" ] || { note "finished exports left temporaries: $(leftovers)"; fail=1; }
cp "$out/show.mp4" "$out/sheet.png" "$out"/seq/frame_*.png "$tmp/good/"
[ "$(ls "$out/seq" | wc -l)" -eq 3 ] || { note "expected 3 frames in seq/, got $(ls "$out/seq")"; fail=1; }

# 2. A file-size limit of 24 KiB, below what a second of 320x180 video or a
#    320x180 frame needs (and above the good video, which must stay whole).
render_in_out 24 --fps 30 --from 50 --to 52 --size 320x180 --video show.mp4
expect_kept "--video past a file-size limit" show.mp4
render_in_out 24 --fps 10 --from 60 --to 60.3 --size 320x180 --out seq/
expect_kept "a PNG sequence past a file-size limit" seq/frame_00000.png
for k in 1 2; do
  cmp -s "$out/seq/frame_0000$k.png" "$tmp/good/frame_0000$k.png" || { note "frame $k of the sequence was changed"; fail=1; }
done
[ -z "$(cd "$out/seq" && ls -A | grep '^\.')" ] || { note "the PNG sequence left a temporary in seq/"; fail=1; }
render_in_out 24 --size 320x180 --contact-sheet sheet.png
expect_kept "--contact-sheet past a file-size limit" sheet.png

# 3. An encoder that gives up half-way, after writing part of a file.
mkdir -p "$tmp/quitter"
cat >"$tmp/quitter/ffmpeg" <<'EOF'
#!/bin/sh
for output; do :; done
head -c 300000 >/dev/null
printf 'half a video' >"$output"
exit 1
EOF
chmod +x "$tmp/quitter/ffmpeg"
PATH="$tmp/quitter:$PATH" render_in_out "" --fps 30 --from 50 --to 52 --size 320x180 --video show.mp4
expect_kept "--video with an encoder that quits" show.mp4

# 4. Signals in the middle of a video export. With job control on, the export
#    gets a process group of its own, as on a terminal, where Ctrl-C reaches
#    the renderer and ffmpeg together; SIGTERM goes to the renderer alone,
#    which must stop ffmpeg itself. Each waits until ffmpeg has begun writing.
interrupt() {  # signal, kill's target: "group" or "renderer"
  local signal=$1 target=$2
  set -m
  (cd "$out" && exec "$render" --fps 30 --from 40 --to 70 --size 320x180 --video show.mp4) >"$tmp/out.txt" 2>"$tmp/err.txt" &
  pid=$!
  set +m
  for _ in $(seq 600); do
    [ -n "$(ls -A "$out" | grep '^\.show\.partial-.*\.mp4$')" ] && [ -s "$out/$(ls -A "$out" | grep '^\.show\.partial-' | head -1)" ] && break
    sleep 0.1
  done
  sleep 0.5
  if [ "$target" = group ]; then kill "-$signal" -- "-$pid"; else kill "-$signal" "$pid"; fi
  status=0
  wait "$pid" || status=$?
  sleep 0.2
  if pgrep -f -- "show\.partial-" >/dev/null; then
    note "$signal: ffmpeg still runs after the renderer ended"; fail=1
    kill -KILL -- "-$pid" 2>/dev/null
  fi
  pid=""
}
interrupt INT group
expect_kept "Ctrl-C in a video export" show.mp4 130
grep -q "interrupted by SIGINT" "$tmp/err.txt" || { note "Ctrl-C: the message does not say so: $(tail -2 "$tmp/err.txt")"; fail=1; }
interrupt TERM renderer
expect_kept "SIGTERM in a video export" show.mp4 143
grep -q "interrupted by SIGTERM" "$tmp/err.txt" || { note "SIGTERM: the message does not say so: $(tail -2 "$tmp/err.txt")"; fail=1; }

# 5. A finished PNG reaches the disk before its name replaces the old file, and
#    the folder's new entry after the rename; otherwise a power cut soon after
#    can leave an empty file where a good one stood. strace (with -y naming
#    each descriptor's file) records the order of the calls.
if command -v strace >/dev/null 2>&1; then
  printf 'old' >"$out/synced.png"
  (cd "$out" && exec strace -f -y -qq -e trace=fsync,fdatasync,rename,renameat,renameat2 -o "$tmp/trace.txt" \
    "$render" --at 26 --size 64x36 --out synced.png) >"$tmp/out.txt" 2>"$tmp/err.txt"
  # Line numbers of the file's flush, the rename onto synced.png and the folder's flush.
  flushed=$(grep -n -E "^[0-9]+ +f(data)?sync\([0-9]+<$out/\.synced\.partial-[^>]*>\) = 0" "$tmp/trace.txt" | head -1 | cut -d: -f1)
  renamed=$(grep -n -E "rename(at2?)?\(.*synced\.png\".* = 0" "$tmp/trace.txt" | head -1 | cut -d: -f1)
  folder=$(grep -n -E "^[0-9]+ +f(data)?sync\([0-9]+<$out>\) = 0" "$tmp/trace.txt" | tail -1 | cut -d: -f1)
  if [ -z "$renamed" ]; then
    note "flushing: the PNG was never renamed into place: $(tail -2 "$tmp/err.txt")"; fail=1
  elif [ -z "$flushed" ] || [ "$flushed" -gt "$renamed" ]; then
    note "flushing: the temporary was not flushed to disk before the rename"; fail=1
  elif [ -z "$folder" ] || [ "$folder" -lt "$renamed" ]; then
    note "flushing: the folder was not flushed after the rename"; fail=1
  fi
  [ $fail -eq 0 ] || head -20 "$tmp/trace.txt"
else
  echo "e2e_outputs: SKIP (flushing): strace is not installed"
fi

exit $fail
