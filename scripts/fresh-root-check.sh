#!/usr/bin/env bash
# Plays the release on a bare Debian 12: makes a minimal root with debootstrap,
# installs into it only a virtual screen and Mesa's software GL driver (xvfb
# xauth xdotool libgl1-mesa-dri) and the desktop client libraries of the system
# layer that those leave out, copies the unpacked release in, plays the show
# there under chroot for 5 seconds with its sound through SDL's disk driver,
# presses Escape and expects status 0 and sound written. Then the music as the
# release's own SDL2_mixer decodes and starts it inside the root (the music
# probe of the Linux build, tests/music_probe, loading the release's lib/),
# against Debian's SDL2_mixer on this machine: 0 samples apart.
# Nothing of this machine's libraries is visible inside the root.
#
# With --deb it checks the Debian package as a desktop would use it instead:
# installs the .deb with apt (which brings the libraries it depends on), checks
# that the menu entry and the icons are where menus and the hicolor theme look,
# and starts the show from the installed menu entry through dex's own code, as
# a menu would (dex, Debian's runner of desktop entries), then Escape, status 0.
#
#   scripts/fresh-root-check.sh [ARCHIVE] [ROOT_DIR]
#   scripts/fresh-root-check.sh --deb [PACKAGE.deb] [ROOT_DIR]
#
# ARCHIVE defaults to dist/lattice-bloom-*-linux-x86_64.tar.gz, PACKAGE.deb to
# dist/lattice-bloom_*.deb (scripts/package.sh makes both); ROOT_DIR to a new
# temporary folder (an existing root made by an earlier run is reused; it is
# left in place). LB_DEBIAN_SUITE picks the release (default bookworm, Debian
# 12; trixie is Debian 13). The music probe comes from $LB_BUILD_DIR (default
# build/; scripts/build.sh). Run as root; installs debootstrap here if missing;
# downloads from Debian's mirror. Not part of CI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=archive
if [ "${1:-}" = --deb ]; then
  mode=deb
  shift
  archive=${1:-$(ls "$root"/dist/lattice-bloom_*.deb)}
else
  archive=${1:-$(ls "$root"/dist/lattice-bloom-*-linux-x86_64.tar.gz)}
fi
chroot_dir=${2:-$(mktemp -d /tmp/lb-fresh-root.XXXXXX)}
mirror=${LB_DEBIAN_MIRROR:-http://deb.debian.org/debian}
suite=${LB_DEBIAN_SUITE:-bookworm}
build=${LB_BUILD_DIR:-$root/build}
note() { echo "fresh-root-check: $*"; }
[ "$(id -u)" -eq 0 ] || { note "run as root (debootstrap and chroot need it)"; exit 2; }
started=$SECONDS

make_root() {
  if [ -x "$chroot_dir/usr/bin/apt-get" ]; then note "reusing the root in $chroot_dir"; return; fi
  command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap >/dev/null
  note "debootstrap --variant=minbase $suite $chroot_dir"
  debootstrap --variant=minbase "$suite" "$chroot_dir" "$mirror" >"$chroot_dir.debootstrap.log" 2>&1 ||
    { tail -20 "$chroot_dir.debootstrap.log"; exit 1; }
}

in_root() { chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root "$@"; }

install_screen() {
  note "installing xvfb xauth xdotool libgl1-mesa-dri"
  in_root apt-get update -q >/dev/null
  in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    xvfb xauth xdotool libgl1-mesa-dri >/dev/null
  note "the root holds $(in_root dpkg-query -W -f='.\n' | wc -l) packages"
}

copy_release() {
  rm -rf "$chroot_dir/opt/release"
  mkdir -p "$chroot_dir/opt/release"
  tar -C "$chroot_dir/opt/release" -xzf "$archive"
  release=$(cd "$chroot_dir/opt/release" && ls -d */ | head -n 1)
  release=/opt/release/${release%/}
  note "copied $(basename "$archive") to $release"
}

# Debian's SDL2 links the ALSA, PulseAudio, X11-extension and Wayland clients
# directly, and a root with nothing but Xvfb lacks some of them where every
# desktop has them. Each library the root lacks must be one of the system layer
# (cmake/system-libraries.txt); the packages that hold them (named by this
# machine's dpkg) are then installed, and nothing else.
add_system_layer() {
  local missing=() name packages=() outside=()
  for program in lattice-bloom lattice-bloom-render; do
    while read -r name; do missing+=("$name"); done < <(in_root ldd "$release/$program" | awk '/not found/ {print $1}')
  done
  [ ${#missing[@]} -gt 0 ] || { note "the root lacks no library"; return; }
  mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
  note "the root lacks ${#missing[@]} libraries: ${missing[*]}"
  for name in "${missing[@]}"; do
    grep -qE -f <(grep -vE '^(#|$)' "$root/cmake/system-libraries.txt") <<<"$name" || outside+=("$name")
  done
  if [ ${#outside[@]} -gt 0 ]; then note "not bundled and not system layer: ${outside[*]}"; exit 1; fi
  mapfile -t packages < <(for name in "${missing[@]}"; do dpkg -S "*/$name" | head -n 1 | cut -d: -f1; done | sort -u)
  note "all of them system layer; installing ${packages[*]}"
  in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${packages[@]}" >/dev/null
  if in_root ldd "$release/lattice-bloom" "$release/lattice-bloom-render" | grep "not found"; then exit 1; fi
}

# The package installed with apt, and dex; the menu entry and icons checked
# where the desktop specifications put them.
install_deb() {
  local deb=/opt/$(basename "$archive") f
  cp "$archive" "$chroot_dir$deb"
  note "apt-get install $deb dex"
  in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" dex >/dev/null
  for f in /usr/share/applications/lattice-bloom.desktop /usr/share/icons/hicolor/scalable/apps/lattice-bloom.svg \
           /usr/share/icons/hicolor/{16x16,32x32,48x48,256x256}/apps/lattice-bloom.png; do
    [ -f "$chroot_dir$f" ] || { note "the package did not install $f"; exit 1; }
  done
  note "the menu entry and the icons are in /usr/share/applications and the hicolor theme:"
  sed 's/^/  /' "$chroot_dir/usr/share/applications/lattice-bloom.desktop"
}

# Inside the root: a virtual screen, the show started from / for 5 seconds, then
# Escape; the show's exit status is the script's. The show is started with
# $start (run by bash in the root).
play() {
  mount -t proc proc "$chroot_dir/proc"
  trap 'umount "$chroot_dir/proc" 2>/dev/null || true' EXIT
  cat >"$chroot_dir/opt/play.sh" <<PLAY
#!/bin/bash
Xvfb :7 -screen 0 1280x720x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
xvfb=\$!
export DISPLAY=:7
sleep 2
cd /
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/tmp/show.raw $start >/tmp/show.log 2>&1 &
show=\$!
win=""
for i in \$(seq 1 600); do
  win=\$(xdotool search --name "^Lattice Bloom\$" 2>/dev/null | head -n 1)
  [ -n "\$win" ] && break
  kill -0 \$show 2>/dev/null || break
  sleep 0.1
done
sleep 5
if ! kill -0 \$show 2>/dev/null; then
  wait \$show; status=\$?; echo "the show ended before Escape (status \$status):"; tail -5 /tmp/show.log
  kill \$xvfb; exit 1
fi
for i in \$(seq 1 60); do
  xdotool windowfocus "\$win" 2>/dev/null; xdotool key --clearmodifiers Escape 2>/dev/null
  sleep 0.5
  kill -0 \$show 2>/dev/null || break
done
kill -0 \$show 2>/dev/null && { echo "still running after Escape"; kill -9 \$show; }
wait \$show; status=\$?
echo "show output:"; sed 's/^/  /' /tmp/show.log
echo "sound written through the disk driver: \$(stat -c %s /tmp/show.raw 2>/dev/null || echo 0) bytes"
[ -s /tmp/show.raw ] || status=1
if [ -n "${release:-}" ]; then
  LD_LIBRARY_PATH=${release:-}/lib SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/tmp/disk.raw \
    /opt/music_probe ${release:-}/data/music.mp3 4 /opt/root-music.raw 2>/dev/null || status=1
fi
kill \$xvfb
exit \$status
PLAY
  chmod +x "$chroot_dir/opt/play.sh"
  note "playing for 5 seconds, then Escape"
  local s=0
  in_root /opt/play.sh || s=$?
  note "status $s after $((SECONDS - started)) s in all"
  return $s
}

# The music as the release's SDL2_mixer starts it in the root (play.sh records
# it) against Debian's on this machine, with the same probe.
compare_music() {
  local offset
  (cd "$chroot_dir$release" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$chroot_dir/tmp/host-disk.raw \
    "$build/tests/music_probe" data/music.mp3 4 "$chroot_dir/opt/host-music.raw" >/dev/null 2>&1)
  offset=$("$build/tests/music_probe" --offset "$chroot_dir/opt/host-music.raw" "$chroot_dir/opt/root-music.raw")
  note "music, the release's SDL2_mixer in the root against Debian's here: $offset"
  grep -q '^offset_samples=0 ' <<<"$offset"
}

make_root
install_screen
if [ $mode = deb ]; then
  install_deb
  # dex's own code reads the entry and runs its Exec line; with wait it returns
  # the process, so the show's exit status is not lost as with dex's command line.
  start="python3 -c 'import importlib.machinery, sys; dex = importlib.machinery.SourceFileLoader(\"dex\", \"/usr/bin/dex\").load_module(); sys.exit(dex.Application(\"/usr/share/applications/lattice-bloom.desktop\").execute(wait=True).returncode)'"
else
  copy_release
  add_system_layer
  start="$release/lattice-bloom"
  cmake --build "$build" --target music_probe >/dev/null
  cp "$build/tests/music_probe" "$chroot_dir/opt/music_probe"
fi
play
[ $mode = deb ] || compare_music
