#!/usr/bin/env bash
# scripts/web-deps.sh must not mark its library cache complete when a compile
# fails: zlib's files are compiled one by one, and a file left out would make an
# archive that links until the day something needs it. Runs a scratch copy of
# the script with stand-ins for the Debian source package (a few empty zlib
# files) and for emcc (which fails on crc32.c) and emar; the script must stop
# at zlib with a non-zero status, leave no libz.a and no completed prefix.
# Needs nothing of the web tool chain, and fetches nothing.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
note() { echo "e2e_web_deps: $*"; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/repo/scripts/lib" "$tmp/bin" "$tmp/cache"
cp "$root/scripts/web-deps.sh" "$tmp/repo/scripts/"
cat >"$tmp/repo/scripts/lib/debian-source.sh" <<'STAND_IN'
debian_source() {  # PACKAGE=VERSION DIR: a folder of zlib's file names, each one a line of C
  local folder="$2/${1%%=*}"
  mkdir -p "$folder"
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
    uncompr zutil; do echo "int $f;" >"$folder/$f.c"; done
  touch "$folder/zlib.h" "$folder/zconf.h"
  echo "$folder"
}
STAND_IN
cat >"$tmp/bin/emcc" <<'STAND_IN'
#!/bin/sh
[ "$1" = --version ] && { echo "emcc (Emscripten gcc/clang-like replacement) 3.1.6 ()"; exit 0; }
for a; do [ "$a" = crc32.c ] && { echo "crc32.c: error: the stand-in fails here" >&2; exit 1; }; done
while [ $# -gt 0 ]; do [ "$1" = -o ] && touch "$2"; shift; done
STAND_IN
printf '#!/bin/sh\nshift; out=$1; shift; cat "$@" >"$out"\n' >"$tmp/bin/emar"
chmod +x "$tmp/bin/emcc" "$tmp/bin/emar"

status=0
(cd "$tmp/repo" && PATH="$tmp/bin:$PATH" LB_CACHE_DIR="$tmp/cache" bash scripts/web-deps.sh) \
  >"$tmp/out.txt" 2>"$tmp/err.txt" || status=$?
fail=0
[ "$status" -ne 0 ] || { note "a failed compile ended with status 0"; fail=1; }
grep -q "web-deps: zlib failed" "$tmp/err.txt" ||
  { note "the failure was not reported at zlib: $(grep 'web-deps:' "$tmp/err.txt" | tail -2 | tr '\n' ' ')"; fail=1; }
for left in lib/libz.a .complete; do
  if ls "$tmp"/cache/web-*/"$left" >/dev/null 2>&1; then note "$left was left in the prefix"; fail=1; fi
done
[ $fail -eq 0 ] && note "ok"
exit $fail
