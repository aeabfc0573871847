#!/usr/bin/env bash
# Cross-builds the libraries the Windows programs link (SDL2, SDL2_mixer, GLEW,
# libpng, libjpeg-turbo, and FreeType for the renderer's contact sheet), statically, from Debian's
# own source packages at pinned versions (nothing is fetched from anywhere but
# Debian's archive), into a prefix outside the clone:
#
#   ${LB_CACHE_DIR:-$HOME/.cache/lattice-bloom}/windows-KEY/{include,lib}
#
# KEY is made from the versions below and the recipe's revision, so a prefix is
# reused as long as both stay the same. Its .complete file is written last: a
# prefix without it (a broken or interrupted run) is built again from scratch.
# Prints the prefix on standard output (everything else goes to standard error).
# About 10 minutes on two cores when cold, SDL2 most of it; instant when warm.
#
#   scripts/windows-deps.sh            build what is missing, print the prefix
#   LB_JOBS=N scripts/windows-deps.sh  build with N jobs (default 2)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/debian-source.sh"
source "$root/scripts/lib/sdl2-mixer-options.sh"

# Debian 12's point-release versions: a security update's source package may
# be missing from the archive later, these stay.
sources=(
  libsdl2=2.26.5+dfsg-1
  libsdl2-mixer=2.6.2+dfsg-2
  glew=2.2.0-4
  libpng1.6=1.6.39-2+deb12u5
  libjpeg-turbo=1:2.1.5-2
  freetype=2.12.1+dfsg-5+deb12u4
)
# Raised whenever the build options below change what lands in the prefix.
recipe=2

cache=${LB_CACHE_DIR:-$HOME/.cache/lattice-bloom}
key=$(printf '%s\n' "${sources[@]}" "recipe=$recipe" | sha256sum | cut -c1-12)
prefix=$cache/windows-$key
if [ -f "$prefix/.complete" ]; then
  echo "windows-deps: reusing $prefix" >&2
  echo "$prefix"
  exit 0
fi

# The cross compilers, nasm for libjpeg-turbo's SIMD code (the Linux build has
# it, and its decoder must give the same pixels), zlib prebuilt for MinGW.
bash "$root/scripts/setup.sh" windows >&2

jobs=${LB_JOBS:-2}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
stage=$prefix
work=$(mktemp -d "${TMPDIR:-/tmp}/lb-windows-deps.XXXXXX")
trap 'rm -rf "$work"' EXIT
rm -rf "$stage"
mkdir -p "$stage" "$cache/sources"
mingw_sysroot=/usr/x86_64-w64-mingw32

# cross_cmake NAME SOURCE-FOLDER [CMAKE OPTIONS...]: configure, build, install.
cross_cmake() {
  local name=$1 src=$2
  shift 2
  local started=$SECONDS
  echo "windows-deps: building $name" >&2
  cmake -S "$src" -B "$work/$name" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DLB_WINDOWS_DEPS="$stage" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$stage" -DCMAKE_PREFIX_PATH="$stage" \
    -DBUILD_SHARED_LIBS=OFF "$@" >"$work/$name.log" 2>&1 &&
    cmake --build "$work/$name" -j"$jobs" >>"$work/$name.log" 2>&1 &&
    cmake --install "$work/$name" >>"$work/$name.log" 2>&1 || {
    tail -40 "$work/$name.log" >&2
    echo "windows-deps: $name failed (log above)" >&2
    exit 1
  }
  echo "windows-deps: $name done in $((SECONDS - started)) s" >&2
}

src() { debian_source "$1" "$cache/sources"; }
# Refresh the package lists once here rather than in each subshell below.
for spec in "${sources[@]}"; do
  upstream=${spec#*=}; upstream=${upstream#*:}; upstream=${upstream%-*}
  [ -d "$cache/sources/${spec%%=*}-$upstream" ] || { debian_enable_sources; break; }
done
sdl=$(src "${sources[0]}")
mixer=$(src "${sources[1]}")
glew=$(src "${sources[2]}")
png=$(src "${sources[3]}")
jpeg=$(src "${sources[4]}")
freetype=$(src "${sources[5]}")

zlib=(-DZLIB_LIBRARY="$mingw_sysroot/lib/libz.a" -DZLIB_INCLUDE_DIR="$mingw_sysroot/include")

cross_cmake libjpeg-turbo "$jpeg" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON \
  -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm
cross_cmake libpng "$png" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF "${zlib[@]}"
# FreeType's gzip module on MinGW's zlib: its bundled copy would define zlib's
# functions a second time beside the one libpng links.
cross_cmake freetype "$freetype" -DFT_REQUIRE_ZLIB=ON "${zlib[@]}" -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
cross_cmake glew "$glew/build/cmake" -DBUILD_UTILS=OFF
cross_cmake SDL2 "$sdl" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
# SDL2_mixer with the decoders every build shares (scripts/lib/sdl2-mixer-options.sh).
cross_cmake SDL2_mixer "$mixer" "${sdl2_mixer_options[@]}"

printf '%s\n' "${sources[@]}" "recipe=$recipe" >"$prefix/.complete"
echo "windows-deps: libraries in $prefix" >&2
echo "$prefix"
