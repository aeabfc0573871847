#!/usr/bin/env bash
# What a desktop sees of the show, checked with readers other than our own:
#  - the icon in BUILD/icons: each PNG decodes (ImageMagick) at its size with an
#    alpha channel; the SVG, drawn by librsvg, matches the 256-pixel PNG; the
#    .ico's directory (read here byte by byte) lists PNG entries whose sizes and
#    offsets agree with the images in it, and ImageMagick reads all of them;
#    lb-icon writes the same bytes again and refuses a size it cannot store;
#  - the menu entry and AppStream metadata pass desktop-file-validate and
#    appstreamcli, and the GNU install puts the programs, icons, menu entry
#    (naming the installed program) and manual pages where desktops look;
#  - the show answers --help, --version (the project's) and refuses the rest.
set -u
build=${1:?usage: e2e_desktop.sh BUILD_DIR}
build=$(cd "$build" && pwd)
icons=$build/icons
fail=0
note() { echo "e2e_desktop: $*"; }
bad() { note "FAIL: $*"; fail=1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
sizes=(16 32 48 256)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# 1. The PNGs: size and an alpha channel, as ImageMagick decodes them.
for size in "${sizes[@]}"; do
  got=$(identify -format '%m %w %h %[channels]' "$icons/lattice-bloom-$size.png" 2>&1)
  [[ "$got" == "PNG $size $size srgba"* ]] || bad "lattice-bloom-$size.png: '$got', expected PNG ${size}x$size with alpha"
done

# 2. The SVG and the 256-pixel PNG are one picture (RMSE, 0..1, over RGBA).
if rsvg-convert -w 256 -h 256 "$icons/lattice-bloom.svg" -o "$tmp/svg.png" 2>"$tmp/rsvg.log"; then
  rmse=$(compare -metric RMSE "$icons/lattice-bloom-256.png" "$tmp/svg.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
  awk -v e="$rmse" 'BEGIN {exit !(e < 0.02)}' || bad "the SVG drawn by librsvg differs from the 256-pixel PNG (RMSE $rmse)"
else
  bad "librsvg cannot draw lattice-bloom.svg: $(cat "$tmp/rsvg.log")"
fi

# 3. The ICO container: ICONDIR, one 16-byte ICONDIRENTRY per image, then the
# images; each entry a PNG whose IHDR agrees with the entry (0 meaning 256).
python3 - "$icons/lattice-bloom.ico" "${sizes[@]}" <<'PY' || fail=1
import struct, sys
path, sizes = sys.argv[1], [int(s) for s in sys.argv[2:]]
data = open(path, "rb").read()
def bad(msg):
    print(f"e2e_desktop: FAIL: {path}: {msg}")
    sys.exit(1)
reserved, kind, count = struct.unpack_from("<HHH", data, 0)
if (reserved, kind) != (0, 1): bad(f"header {reserved} {kind}, expected 0 1 (an icon)")
if count != len(sizes): bad(f"{count} entries, expected {len(sizes)}")
end = 6 + 16 * count
for i, want in enumerate(sizes):
    w, h, colours, res, planes, bpp, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
    w, h = w or 256, h or 256
    if (w, h, colours, res, planes, bpp) != (want, want, 0, 0, 1, 32):
        bad(f"entry {i}: {w}x{h} colours {colours} reserved {res} planes {planes} bpp {bpp}")
    if offset != end or offset + length > len(data):
        bad(f"entry {i}: bytes {offset}..{offset + length} do not follow the previous ones inside the file")
    png = data[offset:offset + length]
    if png[:8] != b"\x89PNG\r\n\x1a\n" or png[12:16] != b"IHDR":
        bad(f"entry {i}: not a PNG")
    if struct.unpack(">II", png[16:24]) != (want, want):
        bad(f"entry {i}: the PNG is {struct.unpack('>II', png[16:24])}, the entry says {want}")
    end = offset + length
if end != len(data): bad(f"{len(data) - end} bytes after the last image")
PY
got=$(identify -format '%wx%h ' "$icons/lattice-bloom.ico" 2>&1)
[ "$got" = "16x16 32x32 48x48 256x256 " ] || bad "ImageMagick reads the .ico as '$got'"

# 4. The generator: the same bytes on every run; sizes it cannot store refused.
lb_icon=$build/tools/datagen/lb-icon
size_options=()
for size in "${sizes[@]}"; do size_options+=(--size "$size"); done
"$lb_icon" "$tmp/again" "${size_options[@]}" || bad "lb-icon failed"
for f in "$icons"/*; do cmp -s "$f" "$tmp/again/$(basename "$f")" || bad "$(basename "$f") differs when written again"; done
for args in "--size 0" "--size 257" ""; do
  s=0
  "$lb_icon" "$tmp/refused" $args >/dev/null 2>&1 || s=$?
  [ $s -eq 2 ] || bad "lb-icon $args: status $s, expected 2"
done

# 5. The desktop files as the validators see them.
desktop-file-validate "$build/packaging/lattice-bloom.desktop" >"$tmp/dfv.log" 2>&1 || bad "desktop-file-validate: $(cat "$tmp/dfv.log")"
appstreamcli validate --no-net "$build"/packaging/*.metainfo.xml >"$tmp/as.log" 2>&1 ||
  bad "appstreamcli validate: $(cat "$tmp/as.log")"
# The newest release in the metadata is the changelog's, its date read by date(1).
root=$(cd "$(dirname "$0")/.." && pwd)
released=$(sed -n 's/^ -- .*>  //p' "$root/packaging/changelog" | head -n 1)
want="<release version=\"$version\" date=\"$(date -u -d "$released" +%F)\"/>"
got=$(grep -m1 '<release ' "$build"/packaging/*.metainfo.xml | sed 's/^ *//')
[ "$got" = "$want" ] || bad "the metadata's newest release is '$got', the changelog's '$want'"

# 6. The GNU install: programs in bin/, the rest under share/.
prefix=$tmp/prefix
if cmake --install "$build" --prefix "$prefix" --component show >"$tmp/install.log" 2>&1; then
  for f in bin/lattice-bloom bin/lattice-bloom-render share/lattice-bloom/data/config.txt \
           share/icons/hicolor/scalable/apps/lattice-bloom.svg share/metainfo/invalid.quasarfern.LatticeBloom.metainfo.xml \
           share/doc/lattice-bloom/LICENSE; do
    [ -e "$prefix/$f" ] || bad "the install lacks $f"
  done
  for size in "${sizes[@]}"; do
    [ -e "$prefix/share/icons/hicolor/${size}x$size/apps/lattice-bloom.png" ] || bad "the install lacks the $size-pixel icon"
  done
  if command -v help2man >/dev/null; then
    for page in lattice-bloom lattice-bloom-render; do
      zcat "$prefix/share/man/man6/$page.6.gz" 2>/dev/null | grep -q '^\.TH' || bad "no manual page $page.6.gz"
    done
  fi
  entry=$prefix/share/applications/lattice-bloom.desktop
  grep -qx "Exec=$prefix/bin/lattice-bloom" "$entry" ||
    bad "the installed menu entry does not start $prefix/bin/lattice-bloom: $(grep Exec "$entry")"
  # Menus file an entry under one of the desktop menu standard's main categories.
  grep -qE '^Categories=(.*;)?(AudioVideo|Audio|Video|Game|Graphics|Utility);' "$entry" ||
    bad "the installed menu entry names no main category: $(grep Categories "$entry")"
  desktop-file-validate "$entry" >"$tmp/dfv.log" 2>&1 || bad "desktop-file-validate (installed): $(cat "$tmp/dfv.log")"
else
  bad "cmake --install: $(tail -5 "$tmp/install.log")"
fi

# 7. The show's command line.
show=$build/lattice-bloom
"$show" --help | grep -q "^usage: lattice-bloom" || bad "lattice-bloom --help prints no usage"
[ "$("$show" --version)" = "lattice-bloom $version" ] || bad "lattice-bloom --version: '$("$show" --version)'"
s=0
"$show" --fullscreen >/dev/null 2>"$tmp/refused.log" || s=$?
{ [ $s -eq 2 ] && grep -q "unknown argument '--fullscreen'" "$tmp/refused.log"; } ||
  bad "lattice-bloom --fullscreen: status $s, $(head -1 "$tmp/refused.log")"

[ $fail -eq 0 ] && note "ok"
exit $fail
