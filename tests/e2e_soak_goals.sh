#!/usr/bin/env bash
# scripts/soak.sh judges its goals and fails where one is missed: figures that
# meet every goal pass; growth beyond each stated limit, a show that failed, a
# spread of peaks over 1% and a session too short to judge each fail, naming
# the goal (judged again from written figures with --judge). A player whose
# --stats line changed shape fails the soak at the first sample instead of
# reading as no growth (a stand-in player and show, on the soak's own Xvfb).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
soak=$root/scripts/soak.sh
note() { echo "e2e_soak_goals: $*"; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0

# A session sampled at 0 s, 2 min and 30 min, and two shows: $2 is the resident
# memory (KiB) at the end, $3 the descriptors at the end, $4 and $5 the second
# show's peak and status.
figures() {
  mkdir -p "$tmp/$1"
  printf 'seconds\trss_kb\tfds\tinotify_watches\tgl_programs\tgl_shaders\tgl_textures\treloads\theap_kb\n' >"$tmp/$1/soak.tsv"
  printf '0\t100000\t9\t1\t9\t16\t20\t0\t50000\n120\t143244\t9\t1\t9\t16\t20\t12\t50000\n' >>"$tmp/$1/soak.tsv"
  printf '1800\t%s\t%s\t1\t9\t16\t20\t180\t50000\n' "$2" "$3" >>"$tmp/$1/soak.tsv"
  printf 'run\tpeak_rss_kb\tseconds\tstatus\n1\t142660\t131\t0\n2\t%s\t131\t%s\n' "$4" "$5" >"$tmp/$1/shows.tsv"
}
judged() {  # case, expected status, text the verdict must hold
  local status=0
  bash "$soak" --judge "$tmp/$1" >/dev/null 2>"$tmp/verdict.txt" || status=$?
  if [ "$status" -ne "$2" ] || ! grep -qF "$3" "$tmp/verdict.txt"; then
    note "$1: expected status $2 and '$3', got $status: $(tr '\n' ' ' <"$tmp/verdict.txt")"; fail=1
  fi
}
figures met 145196 9 143428 0        # +1952 KiB, within 2 MB; peaks 0.54% apart
judged met 0 "every goal met"
figures memory 145197 9 143428 0     # +1953 KiB: 2 MB
judged memory 1 "resident memory grew by 1953 KiB"
figures descriptors 144852 10 143428 0
judged descriptors 1 "open descriptors grew from 9 to 10"
figures spread 144852 9 144100 0     # 1.01%
judged spread 1 "peaks spread from 142660 to 144100 KiB"
figures crashed 144852 9 143428 139
judged crashed 1 "show 2 ended with status 139"
figures short 144852 9 143428 0
sed -i '3,$d' "$tmp/short/soak.tsv"
judged short 1 "no sample after its first two minutes"

# A --stats line of another shape.
if command -v Xvfb >/dev/null && command -v gnuplot >/dev/null && command -v ffmpeg >/dev/null; then
  stand=$tmp/build
  mkdir -p "$stand/data"
  echo "void main() {}" >"$stand/data/default.frag"
  ffmpeg -loglevel error -f lavfi -i color=red:s=8x8 -frames:v 1 "$stand/data/a.png"
  cat >"$stand/lattice-bloom-dev" <<'STAND_IN'
#!/bin/sh
while :; do echo "lattice-bloom-dev: stats clock=1.000 reloads=0 progs=9 shaders=16 tex=20 heap-kib=5000"; sleep 1; done
STAND_IN
  printf '#!/bin/sh\nexit 0\n' >"$stand/lattice-bloom"
  chmod +x "$stand/lattice-bloom-dev" "$stand/lattice-bloom"
  status=0
  LB_BUILD_DIR=$stand timeout 120 bash "$soak" --minutes 0 --every 1 --shows 1 --out "$tmp/out" \
    >/dev/null 2>"$tmp/err.txt" || status=$?
  if [ "$status" -ne 1 ] || ! grep -q "cannot read the player's --stats line" "$tmp/err.txt"; then
    note "a --stats line of another shape: status $status, $(tail -2 "$tmp/err.txt" | tr '\n' ' ')"; fail=1
  fi
else
  echo "e2e_soak_goals: SKIP (the --stats line): Xvfb, gnuplot or ffmpeg is missing"
fi
[ $fail -eq 0 ] && note "ok"
exit $fail
