# Sourced by the scripts that cross-build libraries (Windows, web) from Debian's
# own source packages: the one place that knows how to get them.
#
#   debian_source PACKAGE=VERSION DIR   unpacks that source package into DIR/
#                                       (apt-get source, no build), prints the
#                                       folder it made
#
# A fresh Debian 12 has only deb lines; apt-get source needs the matching
# deb-src lines. Where none exist, a file under /etc/apt/sources.list.d mirrors
# every deb line as a deb-src line, and the package lists are refreshed once.
# Versions are pinned by the callers to the point release's, because a security
# update's source version may be missing from the archive later.

debian_source_ready=""

debian_enable_sources() {
  [ -n "$debian_source_ready" ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    local list=/etc/apt/sources.list.d/lattice-bloom-deb-src.sources
    echo "debian-source: adding deb-src entries in $list" >&2
    {
      # deb822 files: the same stanzas with Types: deb-src.
      for f in /etc/apt/sources.list.d/*.sources; do
        [ -e "$f" ] || continue
        [ "$f" = "$list" ] && continue
        sed -n 's/^Types:.*\bdeb\b.*/Types: deb-src/p; /^Types:/!p' "$f"
        echo
      done
      # One-line lists: deb-src beside each deb line.
      if [ -e /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*\)$/Types: deb-src\nURIs: \1\n/p' /etc/apt/sources.list |
          awk '/^URIs:/{n=split($0,a," "); printf "URIs: %s\nSuites: %s\nComponents:", a[2], a[3];
                        for(i=4;i<=n;i++) printf " %s", a[i]; print ""; next} {print}'
      fi
    } | $sudo tee "$list" >/dev/null
  fi
  $sudo apt-get update -q >&2
  command -v dpkg-source >/dev/null || $sudo env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends dpkg-dev >&2
  debian_source_ready=1
}

debian_source() {
  local spec=$1 dir=$2
  local package=${spec%%=*} version=${spec#*=}
  # The folder dpkg-source unpacks to: PACKAGE-UPSTREAM, the version without its
  # epoch and Debian revision.
  local upstream=${version#*:}
  upstream=${upstream%-*}
  local folder="$dir/$package-$upstream"
  if [ ! -d "$folder" ]; then
    debian_enable_sources
    mkdir -p "$dir"
    (cd "$dir" && apt-get source -q --only-source "$spec" >&2) || {
      echo "debian-source: cannot get source package $spec from Debian's archive" >&2
      return 1
    }
  fi
  [ -d "$folder" ] || { echo "debian-source: $spec did not unpack to $folder" >&2; return 1; }
  echo "$folder"
}
