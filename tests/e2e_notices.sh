#!/usr/bin/env bash
# The releases' notices (scripts/lib/notices.py, packaging/third-party.txt):
#  - each library the Linux release carries from Debian takes its copyright
#    file from the package that really holds that library on this machine;
#  - on a small list of its own: a written file passes the check, and the
#    check fails on a library in lib/ without an entry, on a missing credit
#    line, on a missing section, on a source package built without an entry,
#    and on a Windows file that lost its CRLF line endings.
# Reads only installed files: no source package is fetched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
notices=$root/scripts/lib/notices.py
fail=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
note() { echo "e2e_notices: $*"; }
expect() {  # STATUS WHAT COMMAND...: COMMAND must exit with STATUS
  local want=$1 what=$2 s=0
  shift 2
  "$@" >"$tmp/out" 2>&1 || s=$?
  if [ "$s" -ne "$want" ]; then note "$what: status $s, expected $want: $(cat "$tmp/out")"; fail=1; fi
}

# 1. Debian's copyright files for the Linux libraries: the owners of the files.
while IFS='|' read -r name kinds libraries source; do
  read -r how package _ <<<"$source"
  [[ " $kinds " == *" linux "* ]] && [ "$how" = doc ] && [ "${libraries// /}" != - ] || continue
  for lib in $libraries; do
    owner=$(dpkg -S "/usr/lib/x86_64-linux-gnu/$lib" 2>/dev/null | cut -d: -f1 | head -n 1)
    [ "$owner" = "$package" ] || { note "$lib (${name% }): Debian's package is '$owner', the list names $package"; fail=1; }
  done
done < <(grep -vE '^(#|$|credit )' "$root/packaging/third-party.txt")

# 2. A list of three components and a credit.
export LB_THIRD_PARTY_LIST=$tmp/list.txt
cat >"$LB_THIRD_PARTY_LIST" <<'EOF'
libjpeg-turbo | linux windows | libjpeg.so.62 | doc libjpeg62-turbo
musl | web | - | file /usr/share/emscripten/system/lib/libc/musl/COPYRIGHT
DejaVu | linux windows web | - | doc fonts-dejavu-core
credit libjpeg-turbo | This software is based in part on the work of the Independent JPEG Group.
EOF
mkdir "$tmp/lib"
touch "$tmp/lib/libjpeg.so.62"
python3 "$notices" write linux "$tmp/linux.txt"
python3 "$notices" write windows "$tmp/windows.txt" --crlf
expect 0 "a written Linux file" python3 "$notices" check linux "$tmp/linux.txt" --lib "$tmp/lib"
expect 0 "a written Windows file" python3 "$notices" check windows "$tmp/windows.txt" --crlf
[ "$(grep -c '^DejaVu' "$tmp/linux.txt")" -ge 1 ] && ! grep -q '^musl' "$tmp/linux.txt" ||
  { note "the Linux file does not hold exactly the Linux components"; fail=1; }

touch "$tmp/lib/libreadline.so.8"
expect 1 "a library without an entry" python3 "$notices" check linux "$tmp/linux.txt" --lib "$tmp/lib"
grep -q 'lib/libreadline.so.8 has no linux entry' "$tmp/out" || { note "the fault does not name the library"; fail=1; }
rm "$tmp/lib/libreadline.so.8"

grep -v '^This software is based in part' "$tmp/linux.txt" >"$tmp/no-credit.txt"
expect 1 "no IJG line" python3 "$notices" check linux "$tmp/no-credit.txt"
sed '/^DejaVu$/,$d' "$tmp/linux.txt" | head -n -1 >"$tmp/no-section.txt"
expect 1 "no DejaVu section" python3 "$notices" check linux "$tmp/no-section.txt"
printf 'glew=2.2.0-4\nrecipe=2\n' >"$tmp/complete"
expect 1 "built from a package without an entry" python3 "$notices" check windows "$tmp/windows.txt" --built "$tmp/complete" --crlf
tr -d '\r' <"$tmp/windows.txt" >"$tmp/lf.txt"
expect 1 "LF line endings in the Windows file" python3 "$notices" check windows "$tmp/lf.txt" --crlf
expect 1 "no file" python3 "$notices" check web "$tmp/none.txt"

[ $fail -eq 0 ] && note "ok"
exit $fail
