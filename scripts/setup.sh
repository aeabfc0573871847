#!/usr/bin/env bash
# Installs every Debian package that building, testing, generating the data set,
# benchmarking and fuzzing Lattice Bloom need. Safe to run again: packages that are
# already installed are skipped, and the package lists are refreshed at most once.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libsdl2-dev libsdl2-mixer-dev libglew-dev libpng-dev libturbojpeg0-dev libjpeg-dev
  libfreetype-dev fonts-dejavu-core libmp3lame-dev
  libgtest-dev libgmock-dev libglm-dev libcli11-dev graphviz
  xvfb xauth xdotool x11-utils openbox libxfixes-dev libgl1-mesa-dri
  ffmpeg gnuplot-nox
  clang libclang-rt-14-dev
  libbenchmark-dev libtinyobjloader-dev libassimp-dev
  libimgui-dev libcli11-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages already installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
