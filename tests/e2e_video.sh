#!/usr/bin/env bash
# End-to-end checks of lattice-bloom-render's sequences, video and contact
# sheet: frame counts and names, frames identical to single renders of the same
# clock value, the summary line on a non-terminal, a two-second video checked
# with ffprobe, ffmpeg missing or failing, every scene under --check-gl, and the
# contact sheet's size. Frames are small (320x180 or less) to keep it quick.
set -u
build=$(cd "${1:?usage: e2e_video.sh BUILD_DIR}" && pwd)
render="$build/lattice-bloom-render"
fail=0
note() { echo "e2e_video: $*"; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if [ -z "${DISPLAY:-}" ]; then
  note "no DISPLAY: run the test command, which starts Xvfb"
  exit 1
fi
if [ ! -f "$build/data/config.txt" ]; then
  note "no data set in $build/data: build it first"
  exit 1
fi
have_ffmpeg=1
command -v ffmpeg >/dev/null 2>&1 && command -v ffprobe >/dev/null 2>&1 || have_ffmpeg=0

# Runs the renderer in $tmp; on failure notes the arguments and stderr.
run() {
  if ! (cd "$tmp" && "$render" "$@") >"$tmp/out.txt" 2>"$tmp/err.txt"; then
    note "'$*' failed: $(cat "$tmp/err.txt")"
    fail=1
    return 1
  fi
}

# Decoded RGB bytes of a PNG: an independent reading of what was written.
# Without ffmpeg the files themselves are compared (the encoder is deterministic).
pixels() {
  if [ $have_ffmpeg -eq 1 ]; then ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgb24 -; else cat "$1"; fi
}

# 1. A sequence whose span times rate is not whole: 0.37 s at 10 fps is 3.7,
#    so 4 frames, at 44 + k / 10 (Sinkhole, which keeps no state between frames).
if run --fps 10 --from 44 --to 44.37 --size 160x90 --out seq/; then
  count=$(ls "$tmp/seq" | wc -l)
  if [ "$count" -ne 4 ] || [ ! -f "$tmp/seq/frame_00003.png" ]; then
    note "44 s to 44.37 s at 10 fps: expected frame_00000.png to frame_00003.png, got: $(ls "$tmp/seq" | tr '\n' ' ')"
    fail=1
  fi
  # Not a terminal: one summary line, no bar.
  if [ "$(wc -l <"$tmp/err.txt")" -ne 1 ] || ! grep -q "4 frames in .* s (.* fps)" "$tmp/err.txt" ||
    grep -q $'\r' "$tmp/err.txt"; then
    note "expected one summary line on a non-terminal stderr, got: $(cat -A "$tmp/err.txt")"
    fail=1
  fi
  # Frames 1 and 3 equal single renders at the same clock values, bit for bit
  # (the times computed here by awk, in double precision, printed exactly).
  for k in 1 3; do
    t=$(awk -v k=$k 'BEGIN { printf "%.17g", 44 + k / 10 }')
    if run --at "$t" --size 160x90 --out "single$k.png"; then
      if ! cmp -s <(pixels "$tmp/seq/frame_0000$k.png") <(pixels "$tmp/single$k.png"); then
        note "frame $k of the sequence differs from a single render at t = $t"
        fail=1
      fi
    fi
  done
  # ...and the comparison is not vacuous: a tenth of a second apart, the frames differ.
  if cmp -s <(pixels "$tmp/seq/frame_00001.png") <(pixels "$tmp/seq/frame_00002.png"); then
    note "frames 1 and 2 of the Sinkhole sequence are identical; the scene should move"
    fail=1
  fi
fi
# 0.33 s at 10 fps is 3.3: 3 frames (rounded, not raised); RobotRunning this time.
if run --fps 10 --from 110 --to 110.33 --size 160x90 --out seq2/; then
  count=$(ls "$tmp/seq2" | wc -l)
  [ "$count" -eq 3 ] || { note "110 s to 110.33 s at 10 fps: expected 3 frames, got $count"; fail=1; }
  t=$(awk 'BEGIN { printf "%.17g", 110 + 2 / 10 }')
  if run --at "$t" --size 160x90 --out single.png &&
    ! cmp -s <(pixels "$tmp/seq2/frame_00002.png") <(pixels "$tmp/single.png"); then
    note "frame 2 of the RobotRunning sequence differs from a single render at t = $t"
    fail=1
  fi
fi

# 2. Without ffmpeg on PATH, --video is refused before anything is rendered.
if (cd "$tmp" && env PATH=/nonexistent "$render" --fps 30 --from 50 --to 51 --size 64x36 --video nf.mp4) \
  >"$tmp/out.txt" 2>"$tmp/err.txt"; then
  note "--video without ffmpeg on PATH succeeded"
  fail=1
elif ! grep -q "ffmpeg.*not on PATH" "$tmp/err.txt" || [ -e "$tmp/nf.mp4" ]; then
  note "--video without ffmpeg: expected a message naming ffmpeg and no file, got: $(cat "$tmp/err.txt")"
  fail=1
fi
# An odd size cannot be 4:2:0 H.264.
if (cd "$tmp" && "$render" --fps 30 --from 50 --to 51 --size 65x36 --video odd.mp4) >/dev/null 2>"$tmp/err.txt" ||
  ! grep -q "even width and height" "$tmp/err.txt"; then
  note "--video at 65x36: expected a refusal naming the even size, got: $(cat "$tmp/err.txt")"
  fail=1
fi

# 3. Two seconds at 30 fps from 50 s: 60 H.264 frames and AAC audio of the same length.
if [ $have_ffmpeg -eq 0 ]; then
  echo "e2e_video: SKIP video checks: ffmpeg or ffprobe is not installed"
else
  if run --fps 30 --from 50 --to 52 --size 320x180 --video clip.mp4; then
    probe() { ffprobe -v error -select_streams "$1" -show_entries "$2" -of default=nw=1:nk=1 "$tmp/clip.mp4"; }
    vcodec=$(probe v:0 stream=codec_name)
    frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
      -of default=nw=1:nk=1 "$tmp/clip.mp4")
    size=$(probe v:0 stream=width,height | tr '\n' x)
    pixfmt=$(probe v:0 stream=pix_fmt)
    rate=$(probe v:0 stream=avg_frame_rate)
    acodec=$(probe a:0 stream=codec_name)
    aduration=$(probe a:0 stream=duration)
    if [ "$vcodec" != h264 ] || [ "$frames" != 60 ] || [ "$size" != 320x180x ] || [ "$pixfmt" != yuv420p ] ||
      [ "$rate" != 30/1 ] || [ "$acodec" != aac ]; then
      note "clip.mp4: expected h264 320x180 yuv420p 30/1 with 60 frames and aac audio, got" \
        "$vcodec $size $pixfmt $rate with $frames frames and '$acodec' audio"
      fail=1
    fi
    # AAC comes in frames of 1024 samples, so the audio may run a few hundredths over.
    if ! awk -v d="$aduration" 'BEGIN { exit !(d >= 1.95 && d <= 2.06) }'; then
      note "clip.mp4: expected about 2 s of audio, got '$aduration'"
      fail=1
    fi
    # The audio is the music from 50 s: the same loudness as that stretch of the file.
    level() { ffmpeg -v info -nostats "$@" -af volumedetect -f null - 2>&1 | sed -n 's/.*mean_volume: \(.*\) dB/\1/p'; }
    clip_level=$(level -i "$tmp/clip.mp4" -vn)
    music_level=$(level -ss 50 -t 2 -i "$build/data/music.mp3")
    if ! awk -v a="$clip_level" -v b="$music_level" 'BEGIN { d = a - b; exit !(a != "" && d < 1.5 && d > -1.5) }'; then
      note "clip.mp4: audio level $clip_level dB, but the music from 50 s to 52 s is at $music_level dB"
      fail=1
    fi
  fi
  # The frames piped to the encoder, read back while the next frame is drawn and
  # written from the encoder's own thread, are byte for byte the frames of the
  # same sequence written as PNG (decoded by ffmpeg). A stand-in ffmpeg keeps
  # the raw stream: the comparison is lossless (and leaves an empty file as its
  # output, its last argument, which the renderer then moves into place). Two
  # seconds across the cut from Sinkhole to Greetings, whose camera shake draws
  # a random number per frame.
  mkdir -p "$tmp/keeper"
  printf '#!/bin/sh\ncat >"$LB_E2E_RAW"\nfor output; do :; done\n: >"$output"\n' >"$tmp/keeper/ffmpeg"
  chmod +x "$tmp/keeper/ffmpeg"
  if (cd "$tmp" && env PATH="$tmp/keeper:$PATH" LB_E2E_RAW="$tmp/piped.rgb" "$render" --fps 30 --from 60.5 \
    --to 62.5 --size 320x180 --video piped.mp4) >"$tmp/out.txt" 2>"$tmp/err.txt" &&
    run --fps 30 --from 60.5 --to 62.5 --size 320x180 --out pngs/; then
    ffmpeg -v error -i "$tmp/pngs/frame_%05d.png" -f rawvideo -pix_fmt rgb24 - >"$tmp/pngs.rgb"
    bytes=$(stat -c %s "$tmp/piped.rgb")
    if [ "$bytes" -ne $((60 * 320 * 180 * 3)) ]; then
      note "piped export: expected 60 frames of 320x180 RGB ($((60 * 320 * 180 * 3)) bytes), got $bytes"
      fail=1
    elif ! cmp -s "$tmp/piped.rgb" "$tmp/pngs.rgb"; then
      note "piped export differs from the PNG sequence: $(cmp "$tmp/piped.rgb" "$tmp/pngs.rgb" 2>&1 | head -1)" \
        "(frame $(($(cmp "$tmp/piped.rgb" "$tmp/pngs.rgb" | awk '{print $5}' | tr -d ,) / (320 * 180 * 3))))"
      fail=1
    fi
  else
    note "piped export or its PNG sequence failed: $(cat "$tmp/err.txt")"
    fail=1
  fi
  # An unknown preset is refused before anything is rendered.
  if (cd "$tmp" && "$render" --fps 30 --from 50 --to 51 --size 64x36 --video p.mp4 --preset quick) \
    >/dev/null 2>"$tmp/err.txt" || ! grep -q "preset.*'quick'" "$tmp/err.txt" || [ -e "$tmp/p.mp4" ]; then
    note "--preset quick: expected a refusal naming it and no file, got: $(cat "$tmp/err.txt")"
    fail=1
  fi
  # ffmpeg failing (its output folder does not exist): its exit status is reported.
  if (cd "$tmp" && "$render" --fps 10 --from 50 --to 50.5 --size 64x36 --video no/such/folder/x.mp4) \
    >"$tmp/out.txt" 2>"$tmp/err.txt"; then
    note "a video into a missing folder succeeded"
    fail=1
  elif ! grep -q "ffmpeg failed (exit status [1-9]" "$tmp/err.txt"; then
    note "a video into a missing folder: expected ffmpeg's exit status in the message, got: $(cat "$tmp/err.txt")"
    fail=1
  fi
fi

# 4. Every scene near its start, middle and end, and a moment after the last
#    scene, under --check-gl with a debug context: no GL error anywhere.
bounds=(0 4.817 21.067 33.9 42.067 61.692 91.017 98.0 102.476 121.639 128.0)
args=()
for i in $(seq 0 9); do
  for f in 0.05 0.5 0.95; do
    args+=(--at "$(awk -v a="${bounds[$i]}" -v b="${bounds[$((i + 1))]}" -v f=$f 'BEGIN { printf "%.3f", a + f * (b - a) }')")
  done
done
args+=(--at 129)
if run --check-gl --size 320x180 "${args[@]}" --out checked/; then
  if grep -q "GL error" "$tmp/err.txt"; then
    note "--check-gl passed but reported: $(cat "$tmp/err.txt")"
    fail=1
  fi
  [ "$(ls "$tmp/checked" | wc -l)" -eq 31 ] || { note "--check-gl: expected 31 frames"; fail=1; }
fi

# 5. Contact sheet at 320x180 frames: tiles of 96x54 with 12-pixel labels and
#    2-pixel gaps, so 5 * (96 + 2) + 2 = 492 by 2 * (54 + 12 + 2) + 2 = 138.
if run --contact-sheet sheet.png --size 320x180; then
  if [ $have_ffmpeg -eq 1 ]; then
    dims=$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 "$tmp/sheet.png")
    [ "$dims" = "492,138" ] || { note "contact sheet: expected 492x138, got $dims"; fail=1; }
  fi
  grep -q "10 frames in" "$tmp/err.txt" || { note "contact sheet: no summary line: $(cat "$tmp/err.txt")"; fail=1; }
fi

exit $fail
