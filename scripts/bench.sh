#!/usr/bin/env bash
# Runs the benchmarks on this machine and writes docs/benchmarks.md (tables),
# docs/benchmarks.png (frame time per scene) and docs/benchmarks-timeline.png
# (frame time over the whole show, scripts/bench-timeline.sh), which the README links.
# Usage: scripts/bench.sh [--quick]   (--quick: fewer frames and repetitions)
# LB_BUILD_DIR picks the build folder (default build/). A folder that is already
# configured is built as it is (its build type is kept); otherwise
# scripts/build.sh sets it up.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/output-file.sh"
docs=$root/docs
build=${LB_BUILD_DIR:-$root/build}
case $build in /*) ;; *) build=$root/$build ;; esac
frames=60; reps=3; bigmb=60
if [ "${1:-}" = "--quick" ]; then frames=10; reps=1; bigmb=50; fi

if [ -f "$build/CMakeCache.txt" ]; then
  cmake --build "$build" -j"$(nproc)" >/dev/null
else
  LB_BUILD_DIR=$build bash "$root/scripts/build.sh" >/dev/null
fi
command -v gnuplot >/dev/null || { echo "bench: gnuplot is missing for the plot: run scripts/setup.sh" >&2; exit 1; }
bench="$build/lb_bench"
buildType=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cd "$build"
loadBefore=$(cut -d' ' -f1-3 /proc/loadavg)
# One X server for every GL measurement, started before the clocks run.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
# A run that stops early leaves the documents as they were.
trap 'kill $xvfb 2>/dev/null; rm -rf "$out"; remove_partial_outputs "$docs/benchmarks.md" "$docs/benchmarks.png"' EXIT
export DISPLAY=$display
sleep 1

echo "bench: start-up" >&2
# Three runs; the table shows the one with the median process start to first frame.
for i in 1 2 3; do
  begin=$(date +%s.%N)
  "$bench" startup >"$out/startup$i.tsv"
  first=$(awk -F'\t' '/^first_frame_realtime/ {print $2}' "$out/startup$i.tsv")
  printf 'process start to first frame\t%.1f\n' "$(awk -v a="$begin" -v b="$first" 'BEGIN {print (b - a) * 1000}')" >>"$out/startup$i.tsv"
done
median=$(for i in 1 2 3; do printf '%s %s\n' "$(awk -F'\t' '/^process start/ {print $2}' "$out/startup$i.tsv")" "$i"; done | sort -n | sed -n 2p | cut -d' ' -f2)
cp "$out/startup$median.tsv" "$out/startup.tsv"
"$bench" startup-split >"$out/split.tsv"

echo "bench: OBJ reading" >&2
"$bench" make-obj "$out/large.obj" "$bigmb"
taskset -c 0 "$bench" obj --reps "$reps" data/*.obj "$out/large.obj" >"$out/obj.tsv"

echo "bench: image decoding" >&2
"$bench" images --reps $((reps * 10)) data/*.jpg data/*.png >"$out/images.tsv"

echo "bench: post-processing passes" >&2
{ printf '# post\nprogram\tms_per_1280x720_pass\n'
  "$bench" post --passes 30 --size 1280x720 2>/dev/null | awk '{printf "%s\t%s\n", $1, $2}'; } >"$out/post.tsv"

echo "bench: frame times" >&2
"$bench" frames --size 1280x720 --frames "$frames" >"$out/frames720.tsv"
"$bench" frames --size 1920x1080 --frames "$frames" >"$out/frames1080.tsv"

echo "bench: frame time over the show" >&2
timelineStep=0.1
[ "${1:-}" = "--quick" ] && timelineStep=0.5
"$bench" timeline --size 1280x720 --step "$timelineStep" >"$out/timeline.tsv"
loadAfter=$(cut -d' ' -f1-3 /proc/loadavg)

table() {  # TSV with a "# title" first line -> markdown table
  awk -F'\t' 'NR==1 {next} NR==2 {h=$0; gsub(/\t/," | ",h); print "| " h " |"; s="|"; for(i=1;i<=NF;i++) s=s" --- |"; print s; next}
              /^first_frame_realtime/ {next} {r=$0; gsub(/\t/," | ",r); print "| " r " |"}' "$1"
}

# Throughput ratios on the large file: each of our two ways against the others.
ratios() {
  awk -F'\t' -v big="large.obj" '$1 == big {mbs[$3] = $5}
    END {
      for (l in mbs) if (l ~ /^lattice/) {
        printf "| %s | %.1f | %.1fx | %.1fx |\n", l, mbs[l], (mbs["tinyobjloader"] > 0 ? mbs[l] / mbs["tinyobjloader"] : 0),
               (mbs["assimp"] > 0 ? mbs[l] / mbs["assimp"] : 0)
      }
    }' "$out/obj.tsv" | sort
}

mkdir -p "$docs"
{
  echo "# Benchmarks"
  echo
  echo "Measured by \`scripts/bench.sh\` on $(nproc) cores ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')),"
  echo "$(glxinfo -B 2>/dev/null | grep -m1 'OpenGL renderer' || echo 'Mesa llvmpipe under Xvfb'), $buildType build, on $(date -u '+%Y-%m-%d %H:%M UTC')."
  echo "Load average (1, 5, 15 min) $loadBefore before and $loadAfter after the run: the machine was shared,"
  echo "so wall times are inflated by the other programs' load; the CPU time columns are much less so."
  echo
  echo "## Start-up"
  echo
  echo "Median of three runs, in a hidden 1280x720 window (the show also opens the audio device and the music stream)."
  echo
  table "$out/startup.tsv"
  echo
  echo "Loading by kind of asset (each loaded again in a fresh process, in the show's order):"
  echo
  table "$out/split.tsv"
  echo
  echo "## Frame time at 1280x720"
  echo
  echo "$frames frames spread over each scene, glFinish after each. median_ms and p95_ms are wall times;"
  echo "show_cpu_ms is the CPU time of Demo::show on the main thread (draw calls), process_cpu_ms the CPU"
  echo "time of all the process's threads per frame (llvmpipe shades on its own threads). On an idle"
  echo "2-core machine a frame takes at least process_cpu_ms / 2; 60 fps needs 16.7 ms."
  echo
  echo "units measure each scene against a reference pass timed between its frames in the same run: one"
  echo "full-screen quad reading one texel a pixel (RGBA8, nearest, blending on), unit_ms its median wall"
  echo "time and unit_cpu_ms its process CPU time. units = median_ms / unit_ms, cpu_units ="
  echo "process_cpu_ms / unit_cpu_ms; these ratios drift far less with other programs' load than the"
  echo "milliseconds do. On a quiet machine a unit is about 2.4 ms at 1280x720 and 5.4 ms at 1920x1080,"
  echo "so 60 fps at 1280x720 is about 7 units and 30 fps at 1920x1080 about 6.2."
  echo "fragments_per_pixel counts the fragments that passed the depth test in one frame (all its"
  echo "passes, GL_SAMPLES_PASSED) per window pixel: overdraw, plus one per full-screen pass."
  echo
  table "$out/frames720.tsv"
  echo
  echo "## Frame time at 1920x1080"
  echo
  table "$out/frames1080.tsv"
  echo
  if [ -s "$out/post.tsv" ]; then
    echo "## Post-processing programs alone (\`lb_bench post --passes 30\`, wall ms per full-screen pass)"
    echo
    table "$out/post.tsv"
    echo
  fi
  echo "## OBJ reading"
  echo
  echo "One core (taskset -c 0), best of $reps, each loader in a fresh process; peak_MiB is the growth of the"
  echo "peak resident set. lattice reads the file into a buffer and parses it (as Mesh3D loads a mesh);"
  echo "lattice-mapped parses the file mapped into memory (loadOBJFile). large.obj is \`lb_bench make-obj\`'s"
  echo "$bigmb MB grid."
  echo
  table "$out/obj.tsv"
  echo
  echo "Throughput on large.obj:"
  echo
  echo "| loader | MB/s | vs tinyobjloader | vs assimp |"
  echo "| --- | --- | --- | --- |"
  ratios
  echo
  echo "## Image decoding"
  echo
  echo "Best of $((reps * 10)); bare = libpng's simplified API to RGBA / tjDecompress2, each with a fresh output"
  echo "buffer like the engine's decoders; ratio = engine / bare."
  echo
  table "$out/images.tsv"
  echo
  echo "![Frame time per scene](benchmarks.png)"
  echo
  echo "## Frame time over the show"
  echo
  echo "\`lb_bench timeline --size 1280x720 --step $timelineStep\`: one frame every $timelineStep s of the clock,"
  echo "after one warm-up frame per scene; below, the same in units of the reference pass."
  echo
  echo "![Frame time over the show](benchmarks-timeline.png)"
  # The long-session figures come from scripts/soak.sh (by hand, about an
  # hour), which writes its section at the end; it is kept as it is.
  if grep -q '^## Long session' "$docs/benchmarks.md" 2>/dev/null; then
    echo
    sed -n '/^## Long session/,$p' "$docs/benchmarks.md"
  fi
} >"$(partial_output "$docs/benchmarks.md")"

paste <(tail -n +3 "$out/frames720.tsv" | cut -f1,2,6) <(tail -n +3 "$out/frames1080.tsv" | cut -f2,6) >"$out/plot.tsv"
gnuplot <<GP
set terminal pngcairo size 1100,520 font "DejaVu Sans,10"
set output "$(partial_output "$docs/benchmarks.png")"
set title "Lattice Bloom: median frame time per scene (llvmpipe, $(nproc) cores, load $loadBefore)"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.8 border -1
set ylabel "ms per frame"
set xtics rotate by -30
set key top left
set datafile separator "\t"
set arrow from graph 0, first 16.7 to graph 1, first 16.7 nohead dt 2 lc rgb "#aa0000"
set label "60 fps" at graph 0.01, first 17.8 tc rgb "#aa0000"
plot "$out/plot.tsv" using 2:xtic(1) title "wall, 1280x720" lc rgb "#3b7dd8", \
     '' using (\$3 / 2) title "process CPU / 2, 1280x720" lc rgb "#9cc3f0", \
     '' using 4 title "wall, 1920x1080" lc rgb "#e0a030", \
     '' using (\$5 / 2) title "process CPU / 2, 1920x1080" lc rgb "#f3d59a"
GP
commit_output "$docs/benchmarks.png"
LB_BUILD_DIR=$build bash "$root/scripts/bench-timeline.sh" --size 1280x720 --tsv "$out/timeline.tsv" \
  --load "$loadBefore" --out "$docs/benchmarks-timeline.png"
commit_output "$docs/benchmarks.md"
echo "bench: wrote $docs/benchmarks.md, $docs/benchmarks.png and $docs/benchmarks-timeline.png" >&2
