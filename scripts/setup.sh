#!/usr/bin/env bash
# Installs the Debian packages Lattice Bloom needs, for one purpose:
#   scripts/setup.sh run    building the show and its data set, and playing it
#                           (on a virtual screen too, where there is no display)
#   scripts/setup.sh test   everything: the tests, benchmarks, fuzzers, the video
#                           export and the release package as well
#   scripts/setup.sh windows  the cross build for Windows and its check under Wine
#                           (MinGW-w64, nasm, Wine, zip; GoogleTest's sources)
#   scripts/setup.sh web    the web build and its check: emscripten, headless
#                           Chromium and what drives it (with everything of test)
#   scripts/setup.sh all    test, windows and web together (the default)
# Safe to run again: packages that are already installed are skipped, and the
# package lists are refreshed at most once.
set -euo pipefail
purpose=${1:-all}

# The show, the content generator (FreeType, DejaVu, LAME for the music), the
# headers every tool's configuration asks for (CLI11, Dear ImGui) and a virtual
# screen with Mesa's software renderer for playing without a display.
run_packages=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-mixer-dev libglew-dev libpng-dev libturbojpeg0-dev libjpeg-dev
  libfreetype-dev fonts-dejavu-core libmp3lame-dev
  libcli11-dev libimgui-dev
  xvfb xauth libgl1-mesa-dri
)
# Everything else: tests, end-to-end scripts, benchmarks, fuzzers, video export,
# a two-monitor X server (Xorg's dummy driver, xrandr), the documentation's
# diagram, the manual pages and the checkers of the Debian package, menu entry,
# metadata and icon.
test_packages=(
  git ccache
  libgtest-dev libgmock-dev libglm-dev
  xdotool x11-utils openbox libxfixes-dev
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  ffmpeg gnuplot-nox graphviz
  clang libclang-rt-14-dev
  libbenchmark-dev libtinyobjloader-dev libassimp-dev
  help2man lintian desktop-file-utils appstream imagemagick librsvg2-bin
  glslang-tools strace procps
)

# The Windows release: the -posix MinGW-w64 compilers (std::thread), zlib built
# for MinGW, nasm for libjpeg-turbo's SIMD code, dpkg-dev for apt-get source,
# Wine to run the programs and tests, zip, and the rest of the check's tools.
windows_packages=(
  cmake ninja-build pkg-config dpkg-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev nasm googletest
  wine wine64 zip unzip
  xvfb xauth openbox xdotool x11-utils ffmpeg imagemagick
)
# The web build: the compiler, the libraries' source packages (dpkg-dev unpacks
# them), the zip it ships as, and a headless browser with a DevTools client
# for checking it (ffmpeg, from test, compares its pictures).
web_packages=(
  emscripten nodejs dpkg-dev zip unzip
  chromium firefox-esr python3-websocket iproute2
)

case "$purpose" in
  windows) packages=("${windows_packages[@]}") ;;
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  web) packages=("${run_packages[@]}" "${test_packages[@]}" "${web_packages[@]}") ;;
  all) packages=("${run_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}" "${web_packages[@]}") ;;
  *) echo "usage: scripts/setup.sh [run|test|windows|web|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages for '$purpose' already installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
