#!/usr/bin/env bash
# Runs the benchmarks on this machine and writes docs/benchmarks.md (tables) and
# docs/benchmarks.png (frame time per scene), which the README links.
# Usage: scripts/bench.sh [--quick]   (--quick: fewer frames and repetitions)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_BUILD_DIR:-$root/build}
frames=60; reps=3; bigmb=60
if [ "${1:-}" = "--quick" ]; then frames=10; reps=1; bigmb=50; fi

bash "$root/scripts/build.sh" >/dev/null
command -v gnuplot >/dev/null || { echo "bench: installing gnuplot for the plot"; apt-get install -y -q gnuplot-nox >/dev/null; }
bench="$build/bench/lb_bench"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cd "$build"
# One X server for every GL measurement, started before the clocks run.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$out"' EXIT
export DISPLAY=$display
sleep 1
xv() { "$@"; }

echo "bench: start-up" >&2
begin=$(date +%s.%N)
xv "$bench" startup >"$out/startup.tsv"
first=$(awk -F'\t' '/^first_frame_realtime/ {print $2}' "$out/startup.tsv")
printf 'process start to first frame\t%.1f\n' "$(awk -v a="$begin" -v b="$first" 'BEGIN {print (b - a) * 1000}')" >>"$out/startup.tsv"
xv "$bench" startup-split >"$out/split.tsv"

echo "bench: OBJ reading" >&2
"$bench" make-obj "$out/large.obj" "$bigmb"
taskset -c 0 "$bench" obj --reps "$reps" data/*.obj "$out/large.obj" >"$out/obj.tsv"

echo "bench: image decoding" >&2
"$bench" images --reps $((reps * 5)) data/*.jpg data/*.png >"$out/images.tsv"

echo "bench: frame times" >&2
xv "$bench" frames --size 1280x720 --frames "$frames" >"$out/frames720.tsv"
xv "$bench" frames --size 1920x1080 --frames "$frames" >"$out/frames1080.tsv"

table() {  # TSV with a "# title" first line -> markdown table
  awk -F'\t' 'NR==1 {next} NR==2 {h=$0; gsub(/\t/," | ",h); print "| " h " |"; s="|"; for(i=1;i<=NF;i++) s=s" --- |"; print s; next}
              /^first_frame_realtime/ {next} {r=$0; gsub(/\t/," | ",r); print "| " r " |"}' "$1"
}

docs="$root/docs"
mkdir -p "$docs"
{
  echo "# Benchmarks"
  echo
  echo "Measured by \`scripts/bench.sh\` on $(nproc) cores ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')),"
  echo "$(glxinfo -B 2>/dev/null | grep -m1 'OpenGL renderer' || echo 'Mesa llvmpipe under Xvfb'), on $(date -u +%Y-%m-%d)."
  echo
  echo "## Start-up"
  echo
  table "$out/startup.tsv"
  echo
  echo "Loading by kind of asset (each loaded again in a fresh process, in the show's order):"
  echo
  table "$out/split.tsv"
  echo
  echo "## Frame time at 1280x720 (glFinish per frame; show_cpu_ms is the CPU time of Demo::show itself)"
  echo
  table "$out/frames720.tsv"
  echo
  echo "## Frame time at 1920x1080"
  echo
  table "$out/frames1080.tsv"
  echo
  echo "## OBJ reading (one core, best of $reps, each loader in a fresh process; peak_MiB is the growth of the peak resident set)"
  echo
  table "$out/obj.tsv"
  echo
  echo "## Image decoding (best of $((reps * 5)); bare = libpng's simplified API to RGBA / tjDecompress2)"
  echo
  table "$out/images.tsv"
  echo
  echo "![Frame time per scene](benchmarks.png)"
} >"$docs/benchmarks.md"

paste <(tail -n +3 "$out/frames720.tsv" | cut -f1,2) <(tail -n +3 "$out/frames1080.tsv" | cut -f2) >"$out/plot.tsv"
gnuplot <<GP
set terminal pngcairo size 1000,500 font "DejaVu Sans,10"
set output "$docs/benchmarks.png"
set title "Lattice Bloom: median frame time per scene (llvmpipe, $(nproc) cores)"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.8 border -1
set ylabel "ms per frame"
set xtics rotate by -30
set key top left
set datafile separator "\t"
set arrow from graph 0, first 16.7 to graph 1, first 16.7 nohead dt 2 lc rgb "#aa0000"
set label "60 fps" at graph 0.01, first 17.8 tc rgb "#aa0000"
plot "$out/plot.tsv" using 2:xtic(1) title "1280x720" lc rgb "#3b7dd8", '' using 3 title "1920x1080" lc rgb "#e0a030"
GP
echo "bench: wrote $docs/benchmarks.md and $docs/benchmarks.png" >&2
