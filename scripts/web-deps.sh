#!/usr/bin/env bash
# Builds the libraries the web build links (SDL2, SDL2_mixer with its built-in
# MP3 decoder, zlib, libpng, libjpeg-turbo) for WebAssembly with Debian's
# emscripten, from Debian's own source packages, into a cache prefix outside the
# clone. Emscripten's built-in ports are not used: they download their sources.
#
#   scripts/web-deps.sh           builds the prefix when missing, prints its path
#   scripts/web-deps.sh --help
#
# The prefix is ${LB_CACHE_DIR:-$HOME/.cache/lattice-bloom}/web-KEY, KEY made
# from the pinned versions and the compiler's, so a change of either builds a
# new one. About 10 minutes on two cores, once.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--help" ] || [ "${1:-}" = "-h" ]; then
  sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
  exit 0
fi

# Debian 12's point-release versions (apt-cache showsrc), the same the Windows
# build pins.
sources=(
  libsdl2=2.26.5+dfsg-1
  libsdl2-mixer=2.6.2+dfsg-2
  zlib=1:1.2.13.dfsg-1
  libpng1.6=1.6.39-2+deb12u5
  libjpeg-turbo=1:2.1.5-2
)

command -v emcc >/dev/null || { echo "web-deps: emcc not found (scripts/setup.sh web installs emscripten)" >&2; exit 1; }
emcc_version=$(emcc --version 2>/dev/null | sed -n '1s/.*) \([0-9.]*\).*/\1/p')
key=$(printf '%s\n' "emcc=$emcc_version" "${sources[@]}" | sha256sum | cut -c1-12)
cache=${LB_CACHE_DIR:-$HOME/.cache/lattice-bloom}
prefix="$cache/web-$key"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

source scripts/lib/debian-source.sh
# Emscripten 3.1.6 runs its tools under node: this node does not search
# Debian's module folder, and its built-in fetch breaks the generated loader.
# Its Python is Debian's (whatever else comes first on PATH).
export NODE_PATH=/usr/share/nodejs NODE_OPTIONS=--no-experimental-fetch EMSDK_PYTHON=/usr/bin/python3
# The emulator emcmake sets hands node a flag node 20 rejects.
emulator=-DCMAKE_CROSSCOMPILING_EMULATOR=$(command -v node)
jobs=${LB_JOBS:-2}

work=$(mktemp -d "$cache/web-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
rm -rf "$prefix"
mkdir -p "$prefix/include" "$prefix/lib"
log="$work/log"
echo "web-deps: building into $prefix (log: $log)" >&2

step() { echo "web-deps: $*" >&2; }
fail() { echo "web-deps: $1 failed; the end of its log:" >&2; tail -40 "$log" >&2; exit 1; }
# Unpacked in this shell (not a subshell), so that the package lists are
# refreshed once for all five.
src() { debian_source "$1" "$work/src" >"$work/folder"; folder=$(<"$work/folder"); }

cmake_build() {  # NAME TARGET SOURCE-DIR CMAKE-ARGS...  (TARGET "all": everything)
  local name=$1 target=$2 dir=$3
  shift 3
  step "$name"
  emcmake cmake -S "$dir" -B "$work/build-$name" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" "$emulator" "$@" >>"$log" 2>&1 || fail "$name configure"
  cmake --build "$work/build-$name" --target "$target" -j"$jobs" >>"$log" 2>&1 || fail "$name build"
}

# zlib: its few C files, compiled directly (its build scripts want a shared
# library, which WebAssembly has no use for).
src "${sources[2]}"
z=$folder
step zlib
# Every command checks its own status: set -e does not reach into a subshell
# on the left of ||, and one file missing from the archive must fail the build.
(
  cd "$z" || exit 1
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees uncompr zutil; do
    emcc -O2 -c "$f.c" -o "$work/z-$f.o" || exit 1
  done
  emar rcs "$prefix/lib/libz.a" "$work"/z-*.o || exit 1
  cp zlib.h zconf.h "$prefix/include/"
) >>"$log" 2>&1 || fail zlib

src "${sources[3]}"
png=$folder
cmake_build libpng all "$png" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DPNG_HARDWARE_OPTIMIZATIONS=OFF -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
cmake --install "$work/build-libpng" >>"$log" 2>&1 || fail "libpng install"

# libjpeg-turbo: the static library alone; its install rules also want the
# command-line programs, so the headers are copied by hand.
src "${sources[4]}"
jpeg=$folder
cmake_build libjpeg-turbo jpeg-static "$jpeg" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
  -DWITH_TURBOJPEG=OFF
cp "$work/build-libjpeg-turbo/libjpeg.a" "$prefix/lib/"
cp "$jpeg"/{jpeglib.h,jmorecfg.h,jerror.h} "$work/build-libjpeg-turbo/jconfig.h" "$prefix/include/"

src "${sources[0]}"
sdl=$folder
cmake_build SDL2 all "$sdl" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF
cmake --install "$work/build-SDL2" >>"$log" 2>&1 || fail "SDL2 install"

# SDL2_mixer with the decoders every build shares (scripts/lib/sdl2-mixer-options.sh).
source scripts/lib/sdl2-mixer-options.sh
src "${sources[1]}"
mixer=$folder
cmake_build SDL2_mixer all "$mixer" -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_DEPS_SHARED=OFF "${sdl2_mixer_options[@]}" \
  -DSDL2_DIR="$prefix/lib/cmake/SDL2"
cmake --install "$work/build-SDL2_mixer" >>"$log" 2>&1 || fail "SDL2_mixer install"

printf '%s\n' "emcc=$emcc_version" "${sources[@]}" >"$prefix/.complete"
step "done"
echo "$prefix"
