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
# The source version of the installed libimgui-dev (scripts/setup.sh installs
# it for the Linux build; 1.86+ds-1 on Debian 12), so that both systems build
# the same code and the zip's notices (scripts/lib/notices.py) name it.
version=$(dpkg-query -W -f '${source:Version}' libimgui-dev 2>/dev/null || true)
if [ -z "$version" ]; then
  echo "imgui-source: libimgui-dev is not installed (scripts/setup.sh installs it)" >&2
  exit 1
fi
cache=${LB_CACHE_DIR:-$HOME/.cache/lattice-bloom}
debian_source "imgui=$version" "$cache/sources"
