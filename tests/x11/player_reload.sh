# Shell functions for the scripts that time a shader save until the director's
# player shows it, on Linux or under Wine (sourced, not run): the check of the
# Windows release (tests/windows/dev_reload.sh) and the benchmark
# (bench/save-to-picture.sh). The screen is the player's window: a private X
# server of the window's size (scripts/lib/wine-x.sh), so that a capture of
# the whole screen is the window. The caller sets grab_png and match (the
# build's tests/grab_png and tests/frame_match).
#
# The shader edited is the data set's postprocessing.frag, through which
# Sinkhole (from 42 s to 61 s) composites every pixel: a flat version of it
# fills the window with one colour.

# A fragment shader that paints every pixel (R, G, B), each 0 or 1.
flat_frag() {
  printf '#version 410 core\nlayout(location = 0) out vec4 colour;\nvoid main() { colour = vec4(%s, %s, %s, 1.0); }\n' "$@"
}

# One that does not compile.
broken_frag() {
  printf '#version 410 core\nlayout(location = 0) out vec4 colour;\nvoid main() { colour = ; }\n'
}

# A PNG of the screen filled with colour $1 (RRGGBB) at size $2, into $3.
flat_png() {
  ffmpeg -loglevel error -y -f lavfi -i "color=c=0x$1:s=$2,format=rgb24" -frames:v 1 "$3"
}

# Whether the screen, captured now into $2, is picture $1 (PNG): prints the
# capture's time (seconds since the epoch) and succeeds when they match.
screen_is() {
  local at result
  at=$("$grab_png" "$2") || return 1
  result=$("$match" "$2" "$1")
  awk -v r="$result" 'BEGIN { match(r, /mad=[0-9.]+/); exit !(RSTART > 0 && substr(r, RSTART + 4, RLENGTH - 4) + 0 < 2.0) }' ||
    return 1
  printf '%s' "$at"
}

# Captures the screen into $1 until a fifth of it is lit (the player's first
# frame, which comes after loading); fails if process $2 ends first or after 60 s.
wait_until_lit() {
  local lit
  for _ in $(seq 1 600); do
    if "$grab_png" "$1" >/dev/null 2>&1; then
      lit=$("$match" "$1" | sed -n 's/^lit=\([0-9.]*\).*/\1/p')
      awk -v l="${lit:-0}" 'BEGIN { exit !(l > 0.2) }' && return 0
    fi
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Writes shader text $2 over file $1 in place, as an editor saves, then watches
# the screen (captures in folder $4) until it is picture $3: prints the
# seconds from the write to the first capture that shows it, or nothing after
# $5 seconds.
save_until_seen() {
  local frag=$1 text=$2 picture=$3 dir=$4 limit=$5 written at
  written=$(date +%s.%N)
  printf '%s' "$text" >"$frag"
  while awk -v w="$written" -v l="$limit" -v now="$(date +%s.%N)" 'BEGIN { exit !(now - w < l) }'; do
    if at=$(screen_is "$picture" "$dir/seen.png"); then
      awk -v w="$written" -v a="$at" 'BEGIN { printf "%.3f", a - w }'
      return 0
    fi
  done
  return 1
}
