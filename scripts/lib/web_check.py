"""Drives Lattice Bloom's page in a headless Chromium through the DevTools
protocol (scripts/check-web.sh starts both; this is its browser side).

    web_check.py PAGE-URL OUT-DIR T1 T2 T3
    web_check.py --expect-error PAGE-URL OUT-DIR

First run: opens the page, waits for the start button and captures the title
card (card.png); presses Start, waits for the first frame and asks whether the
music's AudioContext runs; then opens PAGE#t=T&autostart&hold for each clock
value, captures the still picture (t<T>.png) and counts the frames drawn in a
few seconds. Any console error or uncaught exception fails the run. Prints
the measurements as "name value" lines and exits non-zero on any failure.

LB_WEB_VIEW=WxH sets the page's size (default 320x180).

--expect-error: the page must show an error in words (a browser without
WebGL2); captures it as error.png.
"""

import base64
import json
import os
import sys
import time
import urllib.request

import websocket

DEVTOOLS = "http://127.0.0.1:9222"
# The small frames the rendering tests use; LB_WEB_VIEW=WxH for larger pictures.
VIEW_W, VIEW_H = (int(v) for v in os.environ.get("LB_WEB_VIEW", "320x180").split("x"))


class Page:
    def __init__(self):
        targets = self._targets()
        page = next(t for t in targets if t.get("type") == "page")
        self.ws = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=180)
        self.next_id = 0
        self.problems = []
        self.call("Runtime.enable")
        self.call("Log.enable")
        self.call("Page.enable")
        self.call("Emulation.setDeviceMetricsOverride",
                  width=VIEW_W, height=VIEW_H, deviceScaleFactor=1, mobile=False)

    @staticmethod
    def _targets():
        for _ in range(100):
            try:
                with urllib.request.urlopen(DEVTOOLS + "/json", timeout=2) as reply:
                    return json.load(reply)
            except OSError:
                time.sleep(0.2)
        raise SystemExit("web-check: Chromium's DevTools did not answer on " + DEVTOOLS)

    def _event(self, message):
        method = message.get("method")
        params = message.get("params", {})
        if method == "Runtime.consoleAPICalled" and params.get("type") == "error":
            text = " ".join(str(a.get("value", a.get("description", ""))) for a in params.get("args", []))
            self.problems.append("console error: " + text)
        elif method == "Runtime.exceptionThrown":
            details = params.get("exceptionDetails", {})
            text = details.get("exception", {}).get("description") or details.get("text", "")
            self.problems.append("uncaught exception: " + text)
        elif method == "Log.entryAdded":
            entry = params["entry"]
            text = entry.get("text", "")
            # A GL error in the show reaches the console as a WebGL warning.
            if entry.get("level") == "error" or (text.startswith("WebGL") and "INVALID" in text):
                self.problems.append("browser: %s (%s)" % (text, entry.get("url", "")))

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message.get("result", {})
            self._event(message)

    def evaluate(self, expression, gesture=False):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=True, userGesture=gesture)
        if "exceptionDetails" in result:
            raise RuntimeError("evaluating %s: %s" % (expression, result["exceptionDetails"]))
        return result.get("result", {}).get("value")

    def pump(self, seconds):
        """Lets the page run, collecting console events."""
        end = time.time() + seconds
        self.ws.settimeout(0.1)
        while time.time() < end:
            try:
                self._event(json.loads(self.ws.recv()))
            except websocket.WebSocketTimeoutException:
                pass
        self.ws.settimeout(180)

    def wait_for(self, expression, seconds, what):
        end = time.time() + seconds
        while time.time() < end:
            value = self.evaluate(expression)
            if value:
                return value
            self.pump(0.1)
        state = self.evaluate("JSON.stringify(window.lbState || null)")
        raise SystemExit("web-check: %s within %d s did not happen (page state %s)" % (what, seconds, state))

    def open(self, url):
        self.call("Page.navigate", url="about:blank")
        self.pump(0.2)
        self.call("Page.navigate", url=url)

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))


def check_show(page, url, out, times):
    measures = []
    page.open(url)
    ready_ms = page.wait_for("window.lbState && lbState.phase === 'ready' && lbState.readyAt", 180,
                             "the start button")
    measures.append(("open_to_start_button_ms", round(ready_ms)))
    page.screenshot(out + "/card.png")

    page.evaluate("document.getElementById('start').click()", gesture=True)
    page.wait_for("lbState.firstFrameAt !== null", 60, "the first frame after Start")
    measures.append(("start_to_first_frame_ms",
                     round(page.evaluate("lbState.firstFrameAt - lbState.startedAt"))))
    page.pump(1.0)
    audio = page.evaluate("Module.SDL2 && Module.SDL2.audioContext ? Module.SDL2.audioContext.state : 'none'")
    measures.append(("audio_context", audio))
    if audio != "running":
        page.problems.append("the music's AudioContext is %s, not running" % audio)
    page.evaluate("document.dispatchEvent(new KeyboardEvent('keydown', {key: 'Escape'})) || "
                  "window.dispatchEvent(new KeyboardEvent('keydown', {key: 'Escape'}))")
    page.wait_for("lbState.phase === 'ended'", 10, "the stop on Escape")

    for t in times:
        page.open("%s#t=%s&autostart&hold" % (url, t))
        page.wait_for("window.lbState && lbState.phase === 'playing' && Module._lb_web_frames() >= 3", 180,
                      "three frames at t=%s" % t)
        clock = page.evaluate("Module._lb_web_clock()")
        if abs(clock - float(t)) > 1e-6:
            page.problems.append("the clock held at %s reads %s" % (t, clock))
        page.screenshot("%s/t%s.png" % (out, t))
        # The held clock redraws the same picture every refresh: frames drawn
        # in a few seconds give the browser's frame time for this scene.
        before = page.evaluate("[Module._lb_web_frames(), performance.now()]")
        page.pump(3.0)
        after = page.evaluate("[Module._lb_web_frames(), performance.now()]")
        frames = after[0] - before[0]
        measures.append(("frame_ms_t%s" % t, round((after[1] - before[1]) / max(frames, 1), 1)))
    return measures


def check_error(page, url, out):
    page.open(url)
    text = page.wait_for("window.lbState && lbState.phase === 'failed' && lbState.error", 60,
                         "the error shown on the page")
    visible = page.evaluate("!document.getElementById('error').classList.contains('hidden')")
    page.screenshot(out + "/error.png")
    if not visible:
        page.problems.append("the error is not visible on the page")
    return [("error_text", json.dumps(text))]


def main(argv):
    expect_error = argv[1:2] == ["--expect-error"]
    args = argv[2:] if expect_error else argv[1:]
    if len(args) < (2 if expect_error else 5):
        print(__doc__, file=sys.stderr)
        return 2
    url, out = args[0], args[1]
    page = Page()
    measures = check_error(page, url, out) if expect_error else check_show(page, url, out, args[2:])
    page.pump(0.5)
    for name, value in measures:
        print(name, value)
    for problem in page.problems:
        print("web-check: " + problem, file=sys.stderr)
    return 1 if page.problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
