#!/usr/bin/env bash
# Builds the one library the Linux release carries in a build of its own:
# SDL2_mixer, from Debian's source package at the version Debian 12 ships, with
# only the decoders the show uses (scripts/lib/sdl2-mixer-options.sh: WAV and
# the built-in dr_mp3, as in the Windows and web builds). Debian's own build
# brings every codec and, through them, GPL, Sleepycat and LGPL libraries and
# the clients of jack, D-Bus and systemd into the release folder; this one
# needs nothing but SDL2 and the C library. Shared, under the same soname as
# Debian's, against the system's SDL2, into a prefix outside the clone:
#
#   ${LB_CACHE_DIR:-$HOME/.cache/lattice-bloom}/linux-KEY/{include,lib}
#
# KEY is made from the version and the recipe's revision; the prefix's
# .complete file (written last, listing the source packages) marks a finished
# build, and a prefix without it is built again. Prints the prefix on standard
# output, everything else on standard error. Under a minute when cold.
#
#   scripts/linux-deps.sh           build what is missing, print the prefix
#   scripts/linux-deps.sh --help
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-}" in
  -h | --help) sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  "") ;;
  *) echo "usage: scripts/linux-deps.sh [--help]" >&2; exit 2 ;;
esac
source "$root/scripts/lib/debian-source.sh"
source "$root/scripts/lib/sdl2-mixer-options.sh"

sources=(libsdl2-mixer=2.6.2+dfsg-2)
# Raised whenever the build options change what lands in the prefix.
recipe=1

cache=${LB_CACHE_DIR:-$HOME/.cache/lattice-bloom}
key=$(printf '%s\n' "${sources[@]}" "recipe=$recipe" | sha256sum | cut -c1-12)
prefix=$cache/linux-$key
if [ -f "$prefix/.complete" ]; then
  echo "linux-deps: reusing $prefix" >&2
  echo "$prefix"
  exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/lb-linux-deps.XXXXXX")
trap 'rm -rf "$work"' EXIT
rm -rf "$prefix"
mixer=$(debian_source "${sources[0]}" "$cache/sources")
echo "linux-deps: building SDL2_mixer into $prefix" >&2
{
  cmake -S "$mixer" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=ON \
    "${sdl2_mixer_options[@]}" &&
    cmake --build "$work/build" -j"${LB_JOBS:-2}" &&
    cmake --install "$work/build"
} >"$work/log" 2>&1 || {
  tail -40 "$work/log" >&2
  echo "linux-deps: SDL2_mixer failed (log above)" >&2
  exit 1
}
printf '%s\n' "${sources[@]}" "recipe=$recipe" >"$prefix/.complete"
echo "linux-deps: done" >&2
echo "$prefix"
