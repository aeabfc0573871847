#!/usr/bin/env bash
# A long session with the director's player, checked for leaks (by hand, not in
# CI; about 55 minutes with the defaults):
#  1. lattice-bloom-dev at 320x180 on a virtual screen loops the whole show on
#     a copy of the data set for --minutes, while every 10 s one shader and one
#     image of the copy are rewritten in place (the shader alternately broken
#     and good, the image alternately its negative and itself), so that each
#     rewrite is a reload. Every --every seconds it samples the player's
#     resident memory, open file descriptors and inotify watches (from /proc)
#     and the live GL programs, shaders and textures (the player's own
#     --stats lines).
#  2. The show itself, played through --shows times in a row on the same
#     virtual screen, with its peak resident memory each time (GNU time).
# Writes soak.tsv, shows.tsv, soak.png and soak.md to --out (default
# build/soak) and prints a summary with the figures the goals are judged by:
# resident memory after the first two minutes grows by less than 2 MB;
# descriptors, watches, programs and textures do not grow; the shows' peaks
# agree within 1% and every show ends with status 0. Exits with status 1,
# naming each goal missed, when one is (and when a session too short to judge
# or a --stats line it cannot read leaves nothing to judge by). With --docs,
# soak.md becomes the "Long session" section at the end of docs/benchmarks.md
# (scripts/bench.sh keeps it) and the plot docs/benchmarks-soak.png.
#
# Usage: scripts/soak.sh [--minutes N] [--every SECONDS] [--shows N] [--out DIR] [--docs]
#        scripts/soak.sh --judge DIR   judges an earlier run's soak.tsv and shows.tsv again
#   LB_BUILD_DIR picks the build folder (default build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/output-file.sh"
build=${LB_BUILD_DIR:-$root/build}
minutes=30; every=30; shows=10; out=$build/soak; docs=""; judge_only=""
while [ $# -gt 0 ]; do
  case $1 in
    --minutes) minutes=$2; shift 2 ;;
    --every) every=$2; shift 2 ;;
    --shows) shows=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --docs) docs=$root/docs; shift ;;
    --judge) judge_only=$2; shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "soak: unknown argument '$1' (see --help)" >&2; exit 2 ;;
  esac
done

# Prints one line per goal missed by the session in $1 (soak.tsv) and the shows
# in $2 (shows.tsv); prints nothing when every goal is met. Resident memory may
# grow by less than 2 MB (1953 KiB) from the first sample at 2 minutes or later
# to the last; descriptors, inotify watches, GL programs and GL textures may not
# grow at all; the shows' peaks may spread by at most 1% of the lowest, and each
# show must end with status 0.
judge() {
  awk -F'\t' 'NR > 1 && $1 >= 120 && !b { b = 1; r0 = $2; f0 = $3; w0 = $4; p0 = $5; t0 = $7 }
    NR > 1 { r = $2; f = $3; w = $4; p = $5; t = $7 }
    END {
      if (!b) { print "the session has no sample after its first two minutes to judge growth from"; exit }
      if (r - r0 >= 1953) printf "resident memory grew by %d KiB after the first two minutes (the limit: 2 MB)\n", r - r0
      if (f > f0) printf "open descriptors grew from %d to %d\n", f0, f
      if (w > w0) printf "inotify watches grew from %d to %d\n", w0, w
      if (p > p0) printf "live GL programs grew from %d to %d\n", p0, p
      if (t > t0) printf "live GL textures grew from %d to %d\n", t0, t
    }' "$1"
  awk -F'\t' 'NR > 1 { n++; if (!lo || $2 < lo) lo = $2; if ($2 > hi) hi = $2
      if ($4 != 0) printf "show %d ended with status %d\n", $1, $4 }
    END { if (n && (lo <= 0 || (hi - lo) * 100 > lo)) printf "the shows'"'"' peaks spread from %d to %d KiB, more than 1%%\n", lo, hi }' "$2"
}
# Prints the goals missed and fails when there are any.
enforce_goals() {
  local missed
  missed=$(judge "$1" "$2")
  [ -z "$missed" ] && { echo "soak: every goal met" >&2; return 0; }
  sed 's/^/soak: goal missed: /' <<<"$missed" >&2
  return 1
}
if [ -n "$judge_only" ]; then
  enforce_goals "$judge_only/soak.tsv" "$judge_only/shows.tsv"
  exit
fi

dev=$build/lattice-bloom-dev
show=$build/lattice-bloom
for program in "$dev" "$show"; do
  [ -x "$program" ] || { echo "soak: $program is missing: build first (scripts/build.sh)" >&2; exit 1; }
done
command -v gnuplot >/dev/null || { echo "soak: gnuplot is missing (scripts/setup.sh test installs it)" >&2; exit 1; }
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d)
xvfb=""; player=""
cleanup() {
  [ -n "$player" ] && kill "$player" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
  remove_partial_outputs "$out/soak.png" "$out/soak.md" "$root/docs/benchmarks.md" "$root/docs/benchmarks-soak.png"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# One virtual screen of exactly the player's size, so that the show, which
# takes the whole screen, also plays at 320x180.
Xvfb -displayfd 3 -screen 0 320x180x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.err" &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "soak: Xvfb did not start: $(cat "$work/xvfb.err")" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")" SDL_AUDIODRIVER=dummy

# The copy of the data set, and the two versions of the files rewritten.
cp -r "$build/data" "$work/data"
# default.frag serves most programs, so each rewrite rebuilds several.
shader=data/default.frag
image=data/$(cd "$work/data" && find . -maxdepth 1 -name '*.png' -printf '%f\n' | sort | head -1)
[ -f "$work/$shader" ] && [ -f "$work/$image" ] || { echo "soak: no $shader or no PNG in $build/data" >&2; exit 1; }
cp "$work/$shader" "$work/shader.good"
{ cat "$work/shader.good"; echo "this line is not GLSL;"; } >"$work/shader.broken"
cp "$work/$image" "$work/image.good"
ffmpeg -loglevel error -y -i "$work/image.good" -vf negate "$work/image.negative.png"
echo "soak: $minutes minutes of the player on a copy of the data set, rewriting $shader and $image every 10 s" >&2

(cd "$work" && exec "$dev" --size 320x180 --loop 0:130 --stats 5 >"$work/player.out" 2>"$work/player.err") &
player=$!

# Rewrites every 10 s in the background of the sampling: in place, as an
# editor saving the file does, so that the player sees a finished write.
(
  n=0
  while sleep 10; do
    if [ $((n % 2)) -eq 0 ]; then
      cat "$work/shader.broken" >"$work/$shader"; cat "$work/image.negative.png" >"$work/$image"
    else
      cat "$work/shader.good" >"$work/$shader"; cat "$work/image.good" >"$work/$image"
    fi
    n=$((n + 1))
  done
) &
rewriter=$!
trap 'kill $rewriter 2>/dev/null || true; cleanup' EXIT

# rss_kb fds watches, read from /proc; the inotify watches are the "inotify wd:"
# lines of the descriptors' fdinfo.
proc_sample() {
  local pid=$1 rss fds watches
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
  fds=$(ls "/proc/$pid/fd" | wc -l)
  watches=$(cat "/proc/$pid/fdinfo/"* 2>/dev/null | grep -c '^inotify wd:' || true)
  echo "$rss $fds $watches"
}
# The player's last --stats line as "programs shaders textures reloads heap":
# heap is what the allocator has handed out, which tells a leak (it grows)
# from memory kept for reuse (the resident size grows, it does not). A line of
# another shape fails, rather than reading as no growth.
gl_sample() {
  local line fields
  line=$(grep ' stats ' "$work/player.out" | tail -1)
  fields=$(sed -n -E 's/.* reloads=([0-9]+) programs=([0-9]+) shaders=([0-9]+) textures=([0-9]+)( .*)? heap-kib=([0-9]+)$/\2 \3 \4 \1 \6/p' <<<"$line")
  if [ -z "$fields" ]; then
    echo "soak: cannot read the player's --stats line: '$line'" >&2
    return 1
  fi
  echo "$fields"
}

# The session's clock starts with the player's first frame (its first --stats line).
for _ in $(seq 600); do grep -q ' stats ' "$work/player.out" 2>/dev/null && break; sleep 0.1; done
grep -q ' stats ' "$work/player.out" || { echo "soak: the player did not start: $(tail -3 "$work/player.err")" >&2; exit 1; }

tsv=$out/soak.tsv
printf 'seconds\trss_kb\tfds\tinotify_watches\tgl_programs\tgl_shaders\tgl_textures\treloads\theap_kb\n' >"$tsv"
start=$(date +%s)
end=$((start + minutes * 60))
next=$start
while :; do
  now=$(date +%s)
  if ! kill -0 "$player" 2>/dev/null; then
    cp "$work/player.err" "$work/player.out" "$out/"
    echo "soak: the player ended early (its output is in $out): $(tail -3 "$work/player.err")" >&2
    exit 1
  fi
  if [ "$now" -ge "$next" ]; then
    read -r rss fds watches < <(proc_sample "$player") || true
    gl=$(gl_sample) || exit 1
    read -r programs shaders textures reloads heap <<<"$gl"
    printf '%d\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' $((now - start)) "$rss" "$fds" "$watches" \
      "${programs:-}" "${shaders:-}" "${textures:-}" "${reloads:-}" "${heap:-}" >>"$tsv"
    next=$((next + every))
  fi
  [ "$now" -ge "$end" ] && break
  sleep 1
done
kill "$rewriter" 2>/dev/null || true
kill "$player"; wait "$player" 2>/dev/null || true; player=""
cp "$work/player.err" "$out/player.err"

# 2. The show, played through again and again; GNU time's %M is the peak
# resident set in KiB. Mesa's on-disk shader cache is shared by every GL
# program on the machine and written behind the scenes, so whether a run
# compiles a shader or loads it differs from run to run, and compiling costs
# memory: with the cache, the same show peaked anywhere within 2 MB (1.5%).
# Without it every run compiles the same shaders and the peaks compare.
shows_tsv=$out/shows.tsv
printf 'run\tpeak_rss_kb\tseconds\tstatus\n' >"$shows_tsv"
for i in $(seq "$shows"); do
  status=0
  (cd "$build" && MESA_SHADER_CACHE_DISABLE=true /usr/bin/time -f '%M %e' -o "$work/time.txt" "$show" \
    >"$work/show.out" 2>"$work/show.err") || status=$?
  read -r peak seconds <"$work/time.txt" || { peak=0; seconds=0; }
  printf '%d\t%s\t%s\t%d\n' "$i" "$peak" "$seconds" "$status" >>"$shows_tsv"
  echo "soak: show $i of $shows: peak $peak KiB in $seconds s, status $status" >&2
done

# Memory above, the counts below, over the session; the dotted line is the
# end of the first two minutes (the first pass through the show, in which the
# driver compiles what each scene needs).
gnuplot <<EOF
set terminal pngcairo size 1000,640 font "DejaVu Sans,10"
set output "$(partial_output "$out/soak.png")"
set datafile separator "\t"
set multiplot layout 2,1 title "lattice-bloom-dev looping the show at 320x180, a shader and an image rewritten every 10 s"
set grid
set key bottom right
set xrange [0:*]
set arrow from 2, graph 0 to 2, graph 1 nohead dt 3 lc rgb "#888888"
set ylabel "resident memory (MiB)"
plot "$tsv" every ::1 using (\$1/60):(\$2/1024) with linespoints lw 2 lc rgb "#7a1fa2" title "resident memory"
set xlabel "minutes"
set ylabel "count"
set yrange [0:*]
set offsets 0, 0, graph 0.15, 0
set key top right horizontal
plot "$tsv" every ::1 using (\$1/60):3 with linespoints pt 7 lc rgb "#3b7dd8" title "open descriptors", \
     "" every ::1 using (\$1/60):4 with linespoints pt 5 lc rgb "#e0a030" title "inotify watches", \
     "" every ::1 using (\$1/60):5 with linespoints pt 9 dt 2 lc rgb "#2a9d4b" title "GL programs", \
     "" every ::1 using (\$1/60):7 with linespoints pt 11 lc rgb "#c0392b" title "GL textures"
unset multiplot
EOF
commit_output "$out/soak.png"

# The figures the goals are judged by.
summary=$(
  awk -F'\t' 'NR > 1 && $1 >= 120 && !b { b = 1; r0 = $2; f0 = $3; w0 = $4; p0 = $5; t0 = $7; h0 = $9 }
    NR > 1 { r = $2; f = $3; w = $4; p = $5; t = $7; n = $8; h = $9
             if ($2 > rmax) rmax = $2; if ($3 > fmax) fmax = $3; if ($4 > wmax) wmax = $4
             if ($5 > pmax) pmax = $5; if ($7 > tmax) tmax = $7; if ($9 > hmax) hmax = $9 }
    END {
      printf "| resident memory (KiB) | %d | %d | %+d | %d |\n", r0, r, r - r0, rmax
      printf "| allocator heap in use (KiB) | %d | %d | %+d | %d |\n", h0, h, h - h0, hmax
      printf "| open descriptors | %d | %d | %+d | %d |\n", f0, f, f - f0, fmax
      printf "| inotify watches | %d | %d | %+d | %d |\n", w0, w, w - w0, wmax
      printf "| live GL programs | %d | %d | %+d | %d |\n", p0, p, p - p0, pmax
      printf "| live GL textures | %d | %d | %+d | %d |\n", t0, t, t - t0, tmax
      printf "\n%d reloads (a shader and an image every 10 s).\n", n
    }' "$tsv"
)
peaks=$(awk -F'\t' 'NR > 1 { n++; if (!lo || $2 < lo) lo = $2; if ($2 > hi) hi = $2; list = list (list ? ", " : "") $2 }
  END { if (n) printf "%d shows in a row, peak resident memory (KiB): %s; from %d to %d, a spread of %.2f%%.\n", n, list, lo, hi, (hi - lo) * 100 / lo }' \
  "$shows_tsv")
{
  echo "## Long session"
  echo
  echo "\`scripts/soak.sh --minutes $minutes --every $every --shows $shows\` ($(date -u +%Y-%m-%d), llvmpipe, $(nproc) cores):"
  echo "the director's player at 320x180 looping the whole show on a copy of the data set for $minutes"
  echo "minutes while one shader (alternately broken and good) and one image (alternately its negative)"
  echo "are rewritten every 10 s, sampled every $every s; then the show itself played $shows times in a row."
  echo "Goals: from the second minute on, resident memory grows by less than 2 MB and the counts do not grow;"
  echo "the shows' peaks agree within 1%."
  echo
  echo "| from 2 min on | at 2 min | at the end | change | highest |"
  echo "| --- | --- | --- | --- | --- |"
  echo "$summary"
  echo
  echo "$peaks"
  echo
  echo "![Memory and descriptors over the session](benchmarks-soak.png)"
} >"$(partial_output "$out/soak.md")"
commit_output "$out/soak.md"
cat "$out/soak.md"
if [ -n "$docs" ]; then
  cp "$out/soak.png" "$(partial_output "$docs/benchmarks-soak.png")"
  commit_output "$docs/benchmarks-soak.png"
  # Everything before the section, without its trailing blank lines, then the
  # section, then the sections after it (the web page's figures).
  { sed '/^## Long session/,$d' "$docs/benchmarks.md" | awk 'NF { while (blank--) print ""; blank = 0; print; next } { blank++ }'
    echo; cat "$out/soak.md"
    awk 'after && /^## / { print ""; keep = 1 } /^## Long session/ { after = 1 } keep' "$docs/benchmarks.md"
  } >"$(partial_output "$docs/benchmarks.md")"
  commit_output "$docs/benchmarks.md"
  echo "soak: wrote the Long session section of $docs/benchmarks.md and $docs/benchmarks-soak.png" >&2
fi
echo "soak: wrote $tsv, $shows_tsv, $out/soak.png and $out/soak.md" >&2
enforce_goals "$tsv" "$shows_tsv"
