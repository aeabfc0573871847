#!/usr/bin/env bash
# Builds the show as a web page and packs it:
#   dist/lattice-bloom-VERSION-web.zip   one folder: index.html, lattice-bloom.js,
#       .wasm and .data (the data set), LICENSE, THIRD-PARTY-NOTICES.txt and
#       screenshot.png; it plays from any static web server
#       (scripts/serve-web.sh serves it here)
#   dist/lattice-bloom-VERSION-web.html  the same page as one self-contained
#       file (script, WebAssembly, data set and linked files inside): it plays
#       opened straight from disk, with no server (what competitions ask for)
# The libraries come from scripts/web-deps.sh (built once into a cache); the data
# set and the screenshot from the native build in build/ (or $LB_BUILD_DIR),
# built here as far as they need; the WebAssembly in build-web/ (or
# $LB_WEB_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_BUILD_DIR:-$root/build}
web_build=${LB_WEB_BUILD_DIR:-$root/build-web}
dist=$root/dist
case "${1:-}" in
  -h | --help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  "") ;;
  *) echo "usage: scripts/package-web.sh [--help]" >&2; exit 2 ;;
esac
jobs=${LB_JOBS:-$(nproc)}

bash "$root/scripts/setup.sh" web >/dev/null
prefix=$(bash "$root/scripts/web-deps.sh")

# The data set, the music and the renderer for the screenshot, from the native
# build (configured as scripts/build.sh does where it is not yet).
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs" --target lb_data lb_music lattice-bloom-render >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# Emscripten 3.1.6 runs its tools under node: this node does not search
# Debian's module folder, and its built-in fetch breaks the generated loader.
# Its Python is Debian's (whatever else comes first on PATH).
export NODE_PATH=/usr/share/nodejs NODE_OPTIONS=--no-experimental-fetch EMSDK_PYTHON=/usr/bin/python3
emcmake cmake -S "$root/web" -B "$web_build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" \
  -DLB_WEB_DEPS="$prefix" -DLB_DATA_DIR="$build/data" >/dev/null
cmake --build "$web_build" -j"$jobs"

name=lattice-bloom-$version-web
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp "$root/web/index.html" "$root/LICENSE" "$stage/$name/"
cp "$web_build"/lattice-bloom.{js,wasm,data} "$stage/$name/"
# The licences of what the WebAssembly is built from; the title card links it.
python3 "$root/scripts/lib/notices.py" write web "$stage/$name/THIRD-PARTY-NOTICES.txt" --built "$prefix/.complete"
render=("$build/lattice-bloom-render" --at 50 --size 1280x720 --out "$stage/$name/screenshot.png")
if [ -n "${DISPLAY:-}" ]; then "${render[@]}" >/dev/null
else xvfb-run -a -s "-screen 0 1280x720x24" "${render[@]}" >/dev/null; fi

mkdir -p "$dist"
rm -f "$dist"/lattice-bloom-*-web.zip "$dist"/lattice-bloom-*-web.html
(cd "$stage" && TZ=UTC zip -q -r -X "$dist/$name.zip" "$name")
echo "package-web: $dist/$name.zip ($(du -h "$dist/$name.zip" | cut -f1))"
/usr/bin/python3 "$root/scripts/lib/web_single.py" "$stage/$name" "$dist/$name.html"
echo "package-web: $dist/$name.html ($(du -h "$dist/$name.html" | cut -f1))"
