#!/usr/bin/env bash
# Unpacks Debian's source package of Dear ImGui, the very version the Linux
# build links (libimgui-dev), into the library cache outside the clone and
# prints its folder; the Windows build compiles the director's player's copy
# from it (tools/dev/CMakeLists.txt, LB_IMGUI_SOURCE). A few seconds the first
# time, instant when the folder is there; kept apart from scripts/windows-deps.sh
# so that adding it left that prefix's key alone.
#
#   scripts/imgui-source.sh            unpack if missing, print the folder
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/debian-source.sh"
# Debian 12's version, as libimgui-dev 1.86+ds-1+b1 was built from.
version=1.86+ds-1
cache=${LB_CACHE_DIR:-$HOME/.cache/lattice-bloom}
debian_source "imgui=$version" "$cache/sources"
