#!/usr/bin/env bash
# One browser session of scripts/check-web.sh, run inside a network namespace
# that holds only loopback (unshare --net): serves WWW on 127.0.0.1:8088,
# starts the browser with its remote protocol on 127.0.0.1:9222 and runs the
# client (scripts/lib/web_check.py) against it.
#   unshare --net bash web-browse.sh WWW LOG-PREFIX chromium|firefox EXTRA CLIENT ARGS...
# EXTRA: "" or --disable-webgl2 (a browser without WebGL2).
set -euo pipefail
www=$1 log=$2 browser=$3 extra=$4 client=$5
shift 5
ip link set lo up
/usr/bin/python3 -m http.server 8088 --bind 127.0.0.1 --directory "$www" >"$log.server" 2>&1 &
server=$!
profile=$(mktemp -d)
status=0
# Ends the browser and every process it started (zygotes, GPU, network and
# storage services, renderers): setsid gave them a process group of their own,
# whose id is the browser's pid ($!): a background job of a script is no group
# leader, so setsid runs the browser in place rather than forking.
# The storage service can still be writing into the profile after the main
# process has gone, so the profile is removed only once the whole group has
# left (5 s, then SIGKILL).
stop_browser() {  # PID (the group's leader)
  kill -TERM -- "-$1" 2>/dev/null || true
  local i
  for i in $(seq 50); do
    pgrep -g "$1" >/dev/null || break
    sleep 0.1
  done
  kill -KILL -- "-$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
if [ "$browser" = chromium ]; then
  # WebGL2 on SwiftShader; the browser's own autoplay policy (sound only after
  # a gesture); frames not held to a display refresh, so that the frames
  # counted in a few seconds give the frame time. No sandbox: it cannot start
  # as root.
  setsid chromium --headless=new --no-sandbox --user-data-dir="$profile" --remote-debugging-port=9222 \
    --remote-debugging-address=127.0.0.1 \
    --use-gl=angle --use-angle=swiftshader --enable-unsafe-swiftshader \
    --window-size=320,180 \
    --disable-gpu-vsync --disable-frame-rate-limit \
    --disable-background-networking --disable-component-update --no-first-run \
    --disable-sync --disable-default-apps --no-default-browser-check $extra about:blank \
    >"$log.browser" 2>&1 &
  pid=$!
  /usr/bin/python3 "$client" "$@" || status=$?
  stop_browser "$pid"
else
  # Firefox on a screen of its own (Xvfb; WebGL2 through Mesa's llvmpipe,
  # which headless Firefox lacks), in kiosk mode filling it. A throwaway
  # profile: no updates, telemetry, first-run pages or other traffic of its
  # own; its autoplay policy as shipped; frames as fast as they come (not held
  # to the screen's refresh) for the frame time.
  cat >"$profile/user.js" <<'PREFS'
user_pref("app.update.disabledForTesting", true);
user_pref("app.update.auto", false);
user_pref("app.normandy.enabled", false);
user_pref("extensions.update.enabled", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("datareporting.healthreport.uploadEnabled", false);
user_pref("toolkit.telemetry.enabled", false);
user_pref("toolkit.telemetry.unified", false);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.startup.page", 0);
user_pref("browser.aboutwelcome.enabled", false);
user_pref("trailhead.firstrun.didSeeAboutWelcome", true);
user_pref("datareporting.policy.firstRunURL", "");
user_pref("browser.safebrowsing.malware.enabled", false);
user_pref("browser.safebrowsing.phishing.enabled", false);
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("browser.newtabpage.enabled", false);
user_pref("full-screen-api.warning.timeout", 0);
user_pref("full-screen-api.transition-duration.enter", "0 0");
user_pref("layout.frame_rate", 0);
// No sound card here: without a device Firefox never lets an AudioContext
// run. Its stand-in device plays the part; the autoplay policy is untouched.
user_pref("media.cubeb.force_mock_context", true);
PREFS
  [ "$extra" = --disable-webgl2 ] && echo 'user_pref("webgl.enable-webgl2", false);' >>"$profile/user.js"
  # xvfb-run is a POSIX sh script, which drops exported bash functions: the
  # inner shell gets stop_browser's definition with its script.
  xvfb-run -a -s "-screen 0 320x180x24" bash -c "$(declare -f stop_browser)"'
    profile=$1 log=$2 client=$3; shift 3
    setsid firefox-esr --profile "$profile" --no-remote --remote-debugging-port 9222 --kiosk about:blank \
      >"$log.browser" 2>&1 &
    pid=$!
    status=0
    /usr/bin/python3 "$client" "$@" || status=$?
    stop_browser "$pid"
    exit $status
  ' - "$profile" "$log" "$client" "$@" || status=$?
fi
kill "$server" 2>/dev/null || true
wait "$server" 2>/dev/null || true
# The throwaway profile is the session's own litter, not a result: a failure
# to remove it is said, and does not change the session's status.
rm -rf "$profile" || echo "web-browse: could not remove the browser profile $profile" >&2
exit $status
