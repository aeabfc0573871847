#!/usr/bin/env bash
# Frame time of the whole show against the demo clock: runs `lb_bench timeline`
# (one frame every STEP seconds, glFinish after each, each followed by the
# reference full-screen pass) and plots it with the scene boundaries marked, to
# docs/benchmarks-timeline.png (or OUT.png).
# Usage: scripts/bench-timeline.sh [--size WxH] [--step S] [--out OUT.png] [--tsv FILE [--load TEXT]]
#   --tsv FILE plots an earlier run's output instead of running the show again;
#   --load TEXT is that run's load average, for the title.
# Needs a display (bench.sh starts Xvfb); LB_BUILD_DIR picks the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/output-file.sh"
build=${LB_BUILD_DIR:-$root/build}
case $build in /*) ;; *) build=$root/$build ;; esac
size=1280x720; step=0.1; out=$root/docs/benchmarks-timeline.png; tsv=; load=
while [ $# -gt 0 ]; do
  case $1 in
    --size) size=$2; shift 2 ;;
    --step) step=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --tsv) tsv=$2; shift 2 ;;
    --load) load=$2; shift 2 ;;
    -h|--help) sed -n 2,10p "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench-timeline: unknown argument '$1'" >&2; exit 2 ;;
  esac
done
command -v gnuplot >/dev/null || { echo "bench-timeline: gnuplot is missing for the plot: run scripts/setup.sh" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"; remove_partial_outputs "$out"' EXIT
if [ -z "$tsv" ]; then
  tsv=$work/timeline.tsv
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  (cd "$build" && "$build/lb_bench" timeline --size "$size" --step "$step") >"$tsv"
fi
[ -n "$load" ] || load="not recorded"
# The scenes' spans and the samples, split out of the two sections.
awk '/^# scenes/ {s=1; next} /^# / {s=0} s && $1 != "scene"' "$tsv" >"$work/scenes.tsv"
awk '/^# timeline/ {s=1; next} /^# / {s=0} s && $1 != "t"' "$tsv" >"$work/samples.tsv"
{
  echo 'set terminal pngcairo size 1400,640 font "DejaVu Sans,10"'
  echo "set output \"$(partial_output "$out")\""
  echo 'set datafile separator "\t"'
  echo 'set multiplot layout 2,1 title "Lattice Bloom: frame time over the show ('"$size"', llvmpipe, '"$(nproc)"' cores, load '"$load"')"'
  echo 'set xrange [0:130]'
  echo 'set grid ytics'
  echo 'set key top center horizontal'
  # Scene boundaries and names on both panels.
  awk -F'\t' '{ printf "set arrow from %s, graph 0 to %s, graph 1 nohead dt 3 lc rgb \"#888888\"\n", $2, $2;
                printf "set label \"%s\" at %s, graph 0.95 rotate by 90 right font \",8\" tc rgb \"#555555\"\n", $1, ($2 + $3) / 2 }' \
    "$work/scenes.tsv"
  echo 'set ylabel "ms per frame"'
  echo 'set arrow from graph 0, first 16.7 to graph 1, first 16.7 nohead dt 2 lc rgb "#aa0000"'
  echo 'set arrow from graph 0, first 33.3 to graph 1, first 33.3 nohead dt 2 lc rgb "#e08000"'
  echo "plot \"$work/samples.tsv\" using 1:2 with lines lc rgb \"#3b7dd8\" title \"wall\", \\"
  echo "     '' using 1:(\$3 / 2) with lines lc rgb \"#9cc3f0\" title \"process CPU / 2\""
  echo 'unset arrow'
  awk -F'\t' '{ printf "set arrow from %s, graph 0 to %s, graph 1 nohead dt 3 lc rgb \"#888888\"\n", $2, $2 }' "$work/scenes.tsv"
  echo 'set xlabel "demo clock (s)"'
  echo 'set ylabel "units (one-texel full-screen passes)"'
  echo 'unset label'
  echo "plot \"$work/samples.tsv\" using 1:4 with lines lc rgb \"#3b7dd8\" title \"wall / reference pass\", \\"
  echo "     '' using 1:5 with lines lc rgb \"#e0a030\" title \"process CPU / reference pass's\""
  echo 'unset multiplot'
} >"$work/plot.gp"
gnuplot "$work/plot.gp"
commit_output "$out"
echo "bench-timeline: wrote $out" >&2
