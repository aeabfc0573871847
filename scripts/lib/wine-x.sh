# Sourced by the scripts that run programs on an X server of their own and,
# for the Windows build, under Wine (the release checks scripts/check-*.sh,
# the director's check tests/windows/dev_reload.sh, bench/save-to-picture.sh):
# the one place that starts them.
#
#   private_x WxH DIR      starts Xvfb on a free display (the server picks it),
#                          exports DISPLAY and sets private_x_pid; fails, with
#                          the server's complaint, if it does not start in 10 s.
#                          The caller stops it (kill "$private_x_pid").
#   fresh_wine_prefix DIR  makes a fresh 64-bit Wine prefix in DIR and exports
#                          WINEPREFIX with the settings every check runs under:
#                          no Mono or Gecko (their installers would ask), no
#                          debug chatter. The caller ends it (wineserver -k).
#   end_private_session    the EXIT trap of such a script: kills its program
#                          ($pid), ends Wine (when WINEPREFIX is set), stops the
#                          private X server and removes its temporary folder
#                          ($tmp); never changes the script's status.

private_x() {
  local size=$1 dir=$2
  mkdir -p "$dir"
  rm -f "$dir/display"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
  private_x_pid=$!
  for _ in $(seq 1 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
  if [ ! -s "$dir/display" ]; then
    echo "Xvfb did not start: $(cat "$dir/xvfb.log")" >&2
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$dir/display")"
}

fresh_wine_prefix() {
  export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot -i >/dev/null 2>&1
  wineserver -w
}

end_private_session() {
  set +e
  [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] && wineserver -k >/dev/null 2>&1
  [ -n "${private_x_pid:-}" ] && kill "$private_x_pid" 2>/dev/null
  [ -n "${tmp:-}" ] && rm -rf "$tmp"
  return 0
}
