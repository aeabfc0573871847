#!/usr/bin/env bash
# Builds the release: a Release build of the show, the renderer and the data set
# in build-release/ (or $LB_RELEASE_BUILD_DIR), then
#   dist/lattice-bloom-VERSION-linux-x86_64.tar.gz  the folder that unpacks and
#       plays: programs, data/, lib/ (the libraries they carry), README.txt,
#       LICENSE, THIRD-PARTY-NOTICES.txt (packaging/third-party.txt), screenshot.png
#   dist/lattice-bloom_VERSION_amd64.deb  the GNU layout under /usr as Debian
#       wants a game (programs in /usr/games, a menu entry, icons, manual pages,
#       copyright and changelog), with its dependencies computed from the
#       programs (skip with --no-deb)
# Needs a display for the screenshot; without one it uses Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LB_RELEASE_BUILD_DIR:-$root/build-release}
dist=$root/dist
make_deb=1
case "${1:-}" in
  --no-deb) make_deb=0 ;;
  "") ;;
  *) echo "usage: scripts/package.sh [--no-deb]" >&2; exit 2 ;;
esac

# The release folder carries the SDL2_mixer of scripts/linux-deps.sh (the show's
# decoders only); the .deb's programs load Debian's, whatever they were linked
# with (the same soname), and depend on its package.
configure_and_build() {
  linux_deps=$(bash "$root/scripts/linux-deps.sh")
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DLB_LINUX_DEPS="$linux_deps" \
    -DLB_BUILD_TESTS=OFF -DLB_BUILD_BENCH=OFF -DLB_DEBIAN_LAYOUT=ON >/dev/null
  cmake --build "$build" -j"$(nproc)" --target lattice-bloom lattice-bloom-render lb_data lb_music lb_icons lb_man
}

project_version() {
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt"
}

# Renders one frame of the show beside the programs, with the bundled renderer.
take_screenshot() {
  local folder=$1 render=("$1/lattice-bloom-render" --at 50 --size 1280x720 --out "$1/screenshot.png")
  if [ -n "${DISPLAY:-}" ]; then "${render[@]}" >/dev/null
  else xvfb-run -a -s "-screen 0 1280x720x24" "${render[@]}" >/dev/null; fi
}

# Installs the release folder (component "bundle") and packs it under its own name.
make_tarball() {
  local name=$1 stage
  stage=$(mktemp -d)
  trap 'rm -rf "$stage"' RETURN
  cmake --install "$build" --component bundle --prefix "$stage/$name" --strip >/dev/null
  take_screenshot "$stage/$name"
  # The licences of what lib/ and the programs carry; a library in lib/ that
  # packaging/third-party.txt does not name stops the release here.
  local notices=("$stage/$name/THIRD-PARTY-NOTICES.txt" --built "$linux_deps/.complete")
  python3 "$root/scripts/lib/notices.py" write linux "${notices[@]}"
  python3 "$root/scripts/lib/notices.py" check linux "${notices[@]}" --lib "$stage/$name/lib"
  tar -C "$stage" --owner=0 --group=0 --numeric-owner -czf "$dist/$name.tar.gz" "$name"
  echo "package: $dist/$name.tar.gz ($(du -h "$dist/$name.tar.gz" | cut -f1))"
}

make_deb() {
  rm -f "$build"/lattice-bloom_*.deb
  (cd "$build" && cpack -G DEB >/dev/null)
  mv "$build"/lattice-bloom_*.deb "$dist/"
  echo "package: $(ls "$dist"/lattice-bloom_*.deb) ($(du -h "$dist"/lattice-bloom_*.deb | cut -f1))"
}

configure_and_build
version=$(project_version)
mkdir -p "$dist"
rm -f "$dist"/lattice-bloom-*.tar.gz "$dist"/lattice-bloom_*.deb
make_tarball "lattice-bloom-$version-linux-x86_64"
[ $make_deb -eq 0 ] || make_deb
