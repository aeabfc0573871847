#!/usr/bin/env bash
# Checks the release as a player gets it: builds the package (scripts/package.sh),
# unpacks it into a fresh folder and, from another working directory with an
# environment holding only PATH, HOME and DISPLAY (and SDL_AUDIODRIVER=dummy, as
# a CI machine has no sound card, and LB_NO_ERROR_BOX=1, so that a show that
# cannot start fails here rather than wait for someone to close its message box), plays the show for a few seconds and ends it
# with Escape, then again with a window-manager close request (the close button,
# Alt-F4), both with status 0; renders one frame with the bundled renderer; and
# lists every library each program loads (ldd, and LD_DEBUG=libs during those
# runs), failing on any the programs need that is neither bundled nor part of
# the system layer (cmake/system-libraries.txt). Then the oldest systems it runs
# on: no program or bundled library may need a glibc symbol newer than 2.34 or a
# C++ runtime one newer than GCC 11's (objdump -T). And the Debian package and
# the desktop files as Debian and the desktops check them: lintian, and
# desktop-file-validate and appstreamcli on the menu entries and AppStream
# metadata, with no error or warning. And the licences: THIRD-PARTY-NOTICES.txt
# covers lib/ and every component built in (scripts/lib/notices.py); and the
# music as the bundled SDL2_mixer starts it, 0 samples from Debian's.
# Runs its own Xvfb; needs the packages of `scripts/setup.sh test` and the
# Linux build (scripts/build.sh; $LB_BUILD_DIR, default build/) for the music
# probe.
#   scripts/check-release.sh [--no-package]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_BUILD_DIR:-$root/build}
source "$root/tests/x11/show_window.sh"
source "$root/scripts/lib/wine-x.sh"
note() { echo "check-release: $*"; }
fail=0
tmp=$(mktemp -d)
pid=""
private_x_pid=""
trap end_private_session EXIT

# A private X server without access control: a client needs nothing but DISPLAY.
start_xvfb() {
  private_x 1280x720 "$tmp/x" || exit 1
}

# Runs a bundled program in folder $1 with nothing of this shell's environment.
clean_env() {
  env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$tmp/home" DISPLAY="$DISPLAY" SDL_AUDIODRIVER=dummy \
    LB_NO_ERROR_BOX=1 "$@"
}

unpack() {
  local archive
  archive=$(ls "$root"/dist/lattice-bloom-*-linux-x86_64.tar.gz)
  mkdir -p "$tmp/unpacked" "$tmp/elsewhere" "$tmp/home"
  tar -C "$tmp/unpacked" -xzf "$archive"
  bundle=$(ls -d "$tmp"/unpacked/*/)
  bundle=${bundle%/}
  note "unpacked $(basename "$archive") ($(du -h "$archive" | cut -f1)) into $bundle"
}

# Starts the show from $tmp/elsewhere, logging its library loads to $1.*
start_show() {
  (cd "$tmp/elsewhere" && exec env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$tmp/home" \
     DISPLAY="$DISPLAY" SDL_AUDIODRIVER=dummy LB_NO_ERROR_BOX=1 LD_DEBUG=libs LD_DEBUG_OUTPUT="$1" \
     "$bundle/lattice-bloom" >"$tmp/show.out" 2>&1) &
  pid=$!
  win=$(find_show_window "$pid")
}

# Plays for a few seconds, then ends the show with $1 (escape or close).
play_and_end() {
  local how=$1 s
  start_show "$tmp/ld-show-$how"
  if [ -z "$win" ]; then
    note "$how: the show's window never appeared: $(tail -5 "$tmp/show.out")"; fail=1
    kill -9 "$pid" 2>/dev/null; pid=""; return
  fi
  sleep 3
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"; s=$?; pid=""
    note "$how: the show ended by itself after 3 s (status $s): $(tail -5 "$tmp/show.out")"; fail=1; return
  fi
  if [ "$how" = escape ]; then press_escape_until_exit "$pid" "$win" || true
  else request_close_until_exit "$pid" "$win" "$send_close" || true; fi
  if kill -0 "$pid" 2>/dev/null; then
    note "$how: the show is still running"; fail=1; kill -9 "$pid"; wait "$pid" 2>/dev/null; pid=""; return
  fi
  wait "$pid"; s=$?; pid=""
  if [ $s -eq 0 ]; then note "$how: the show played and ended with status 0"
  else note "$how: status $s: $(tail -5 "$tmp/show.out")"; fail=1; fi
}

render_frame() {
  local s=0
  (cd "$tmp/elsewhere" && clean_env LD_DEBUG=libs LD_DEBUG_OUTPUT="$tmp/ld-render" \
     "$bundle/lattice-bloom-render" --at 50 --size 320x180 --out "$tmp/frame.png" >"$tmp/render.out" 2>&1) || s=$?
  if [ $s -eq 0 ] && [ "$(head -c 8 "$tmp/frame.png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]; then
    note "render: the bundled renderer wrote a 320x180 frame"
  else
    note "render: status $s, no PNG: $(tail -5 "$tmp/render.out")"; fail=1
  fi
}

# The DT_NEEDED entries of the given files, one soname a line.
needed_by() {
  local f
  for f in "$@"; do readelf -d "$f" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; done | sort -u
}

# Every library program $1 loads: ldd's list, and what LD_DEBUG logs ($2.*)
# recorded during the runs above, including what was opened with dlopen.
loaded_libraries() {
  { clean_env ldd "$1" | awk '$2 == "=>" && $3 ~ /^\// {print $3} $1 ~ /^\// {print $1}'
    cat "$2"* 2>/dev/null | sed -n 's/.*calling init: //p'
  } | sort -u
}

# Prints "bundled", "system", "system-dependency" or "MISSING" for library path $1.
classify() {
  local path=$1 name
  name=$(basename "$path")
  if [[ "$path" == "$bundle/lib/"* ]]; then echo bundled
  elif grep -qE -f "$tmp/system-patterns" <<<"$name"; then echo system
  elif grep -qxF "$name" "$tmp/own-needs" || grep -h "dynamically loaded by $bundle" "$tmp"/ld-* 2>/dev/null | grep -qF "file=$name "; then
    echo MISSING
  else echo system-dependency; fi
}

# Lists and classifies what program $1 loads (LD_DEBUG logs $2*). A library the
# program or one of the bundled libraries it loads needs must be in the bundle
# or the system layer; the rest was loaded on behalf of a system library.
check_libraries() {
  local program=$1 logs=$2 path kind counts loaded
  if clean_env ldd "$bundle/$program" | grep -q "not found"; then
    note "$program: ldd finds no $(clean_env ldd "$bundle/$program" | awk '/not found/ {print $1}' | tr '\n' ' ')"; fail=1
  fi
  loaded=$(loaded_libraries "$bundle/$program" "$logs")
  needed_by "$bundle/$program" $(grep "^$bundle/lib/" <<<"$loaded") >"$tmp/own-needs"
  declare -A count=([bundled]=0 [system]=0 [system-dependency]=0 [MISSING]=0)
  while read -r path; do
    [ "$path" = "$bundle/$program" ] && continue
    kind=$(classify "$path")
    count[$kind]=$((count[$kind] + 1))
    echo "  $kind ${path#"$bundle/"}" >>"$tmp/libs-$program.txt"
    if [ "$kind" = MISSING ]; then note "$program: loads $path, neither bundled nor system"; fail=1; fi
  done <<<"$loaded"
  counts="${count[bundled]} bundled, ${count[system]} system layer, ${count[system-dependency]} loaded by system libraries, ${count[MISSING]} missing"
  note "$program: $counts"
  sort "$tmp/libs-$program.txt"
}

# The newest symbol versions the release may need: glibc 2.34 and GCC 11's C++
# runtime (Debian 12, Ubuntu 22.04, Fedora 35, RHEL 9 and later have them).
floor=(GLIBC_2.34 GLIBCXX_3.4.29 CXXABI_1.3.13)

# Fails on any program or bundled library that needs a symbol version newer than
# the floor's for the same library; prints the newest each one needs.
check_symbol_floor() {
  local file name need newest limit over
  for file in "$bundle/lattice-bloom" "$bundle/lattice-bloom-render" "$bundle"/lib/*; do
    need=$(objdump -T "$file" | { grep -oE '\((GLIBC|GLIBCXX|CXXABI)_[0-9.]+\)' || true; } | tr -d '()' | sort -u)
    for limit in "${floor[@]}"; do
      name=${limit%%_*}
      newest=$({ grep "^${name}_" <<<"$need" || true; } | sort -V | tail -n 1)
      [ -n "$newest" ] || continue
      over=$(printf '%s\n%s\n' "$limit" "$newest" | sort -V | tail -n 1)
      if [ "$over" != "$limit" ]; then
        note "floor: ${file#"$bundle/"} needs $newest, newer than $limit"; fail=1
      fi
    done
  done
  newest=$(for file in "$bundle/lattice-bloom" "$bundle/lattice-bloom-render" "$bundle"/lib/*; do
             objdump -T "$file" | { grep -oE '\((GLIBC|GLIBCXX|CXXABI)_[0-9.]+\)' || true; } | tr -d '()'
           done | sort -V | awk -F_ '{last[$1] = $0} END {for (n in last) print last[n]}' | sort | tr '\n' ' ')
  note "floor: the newest symbol versions needed are ${newest% } (the limits: ${floor[*]})"
}

# Runs validator "$@" and fails on its status or any error or warning it prints
# (lines "E: ..." or "W: ..."; information and hints pass).
validate() {
  local what=$1 output s=0
  shift
  output=$("$@" 2>&1) || s=$?
  if [ $s -ne 0 ] || grep -qE '^[EW]: |: (error|warning): ' <<<"$output"; then
    note "$what: status $s"; sed 's/^/  /' <<<"$output"; fail=1
  else
    note "$what: passed"
  fi
}

# lintian on the .deb (no error or warning at its default settings), the menu
# entries of the package and the release folder, the package's AppStream file.
check_package_files() {
  local deb
  deb=$(ls "$root"/dist/lattice-bloom_*.deb 2>/dev/null) || { note "no .deb in dist/"; fail=1; return; }
  mkdir -p "$tmp/deb"
  dpkg-deb -x "$deb" "$tmp/deb"
  # lintian warns on stderr when run as root; its findings are on stdout.
  local findings
  findings=$(lintian "$deb" 2>/dev/null) || true
  if grep -qE '^[EW]: ' <<<"$findings"; then
    note "lintian $(basename "$deb"):"; sed 's/^/  /' <<<"$findings"; fail=1
  else
    note "lintian $(basename "$deb"): no error or warning"
  fi
  # CLI11's headers are compiled in: its own wording and years, not a template.
  if grep -q "forms of CLI11, with or without" "$tmp/deb/usr/share/doc/lattice-bloom/copyright" &&
     grep -q "^ 2017-2021 University of Cincinnati" "$tmp/deb/usr/share/doc/lattice-bloom/copyright"; then
    note "copyright (package): CLI11's own licence and years"
  else
    note "copyright (package): CLI11's own licence text or years are missing"; fail=1
  fi
  validate "desktop-file-validate (package)" desktop-file-validate "$tmp/deb/usr/share/applications/lattice-bloom.desktop"
  validate "desktop-file-validate (release folder)" desktop-file-validate "$bundle/lattice-bloom.desktop"
  validate "appstreamcli validate --no-net" appstreamcli validate --no-net "$tmp"/deb/usr/share/metainfo/*.metainfo.xml
}

# Every library in lib/ and every component built in has its licence in
# THIRD-PARTY-NOTICES.txt, and lib/ holds nothing packaging/third-party.txt
# does not name (GPL, Sleepycat and LGPL libraries, clients of jack, D-Bus or
# systemd would have no entry there).
check_notices() {
  python3 "$root/scripts/lib/notices.py" check linux "$bundle/THIRD-PARTY-NOTICES.txt" \
    --built "$(bash "$root/scripts/linux-deps.sh")/.complete" --lib "$bundle/lib" || fail=1
  note "lib/: $(ls "$bundle/lib" | tr '\n' ' ')"
}

# The music as the release's SDL2_mixer (WAV and dr_mp3 only) decodes and
# starts it, against Debian's (mpg123) with the same probe: the bundled library
# is loaded in place of Debian's through LD_LIBRARY_PATH. Recorded through SDL's
# disk audio driver; the two must be 0 samples apart at the show's clock 0.
check_music() {
  local probe=$build/tests/music_probe debian bundled offset
  [ -f "$build/CMakeCache.txt" ] || { note "music: no Linux build in $build for the music probe (scripts/build.sh)"; fail=1; return; }
  cmake --build "$build" --target music_probe >/dev/null
  debian=$(cd "$bundle" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$tmp/disk.raw "$probe" data/music.mp3 4 "$tmp/debian.raw")
  bundled=$(cd "$bundle" && LD_LIBRARY_PATH=$bundle/lib SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$tmp/disk.raw \
    "$probe" data/music.mp3 4 "$tmp/bundled.raw")
  offset=$("$probe" --offset "$tmp/debian.raw" "$tmp/bundled.raw")
  note "music: Debian's SDL2_mixer ($debian) against the bundled one ($bundled): $offset"
  grep -q '^offset_samples=0 ' <<<"$offset" || { note "music: the bundled SDL2_mixer starts the music elsewhere"; fail=1; }
}

# --no-package checks the archive already in dist/.
[ "${1:-}" = --no-package ] || bash "$root/scripts/package.sh"
unpack
start_xvfb
cc -O2 -o "$tmp/send_close" "$root/tests/x11/send_close.c" "$root/tests/x11/open_display.c" -lX11
send_close=$tmp/send_close
grep -vE '^(#|$)' "$root/cmake/system-libraries.txt" >"$tmp/system-patterns"

play_and_end escape
play_and_end close
render_frame
cat "$tmp"/ld-show-* >/dev/null 2>&1 || { note "LD_DEBUG wrote no log"; fail=1; }
check_libraries lattice-bloom "$tmp/ld-show"
check_libraries lattice-bloom-render "$tmp/ld-render"
check_symbol_floor
check_notices
check_music
check_package_files

[ $fail -eq 0 ] && note "ok"
exit $fail
