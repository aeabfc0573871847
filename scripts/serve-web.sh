#!/usr/bin/env bash
# Serves the web page for a look in a local browser, on 127.0.0.1 only:
#   scripts/serve-web.sh [FOLDER-OR-ZIP] [PORT]
# FOLDER is an unpacked lattice-bloom-VERSION-web folder; a .zip is unpacked
# into a temporary folder first. Without an argument: the zip in dist/
# (scripts/package-web.sh makes it). PORT defaults to 8088. Ctrl-C stops it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-}" in
  -h | --help) sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
esac
what=${1:-}
port=${2:-8088}
if [ -z "$what" ]; then
  what=$(ls "$root"/dist/lattice-bloom-*-web.zip 2>/dev/null | head -1)
  [ -n "$what" ] || { echo "serve-web: no dist/lattice-bloom-*-web.zip; run scripts/package-web.sh" >&2; exit 1; }
fi
if [ -f "$what" ]; then
  unpacked=$(mktemp -d)
  trap 'rm -rf "$unpacked"' EXIT
  unzip -q "$what" -d "$unpacked"
  what=$(ls -d "$unpacked"/*/ | head -1)
fi
[ -f "$what/index.html" ] || { echo "serve-web: $what holds no index.html" >&2; exit 1; }
echo "serve-web: http://127.0.0.1:$port/ (Ctrl-C stops)"
# The .wasm must be served as application/wasm for streaming compilation;
# Python's server knows that type.
/usr/bin/python3 -m http.server "$port" --bind 127.0.0.1 --directory "$what"
