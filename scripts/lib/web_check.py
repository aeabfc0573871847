"""Drives Lattice Bloom's page in Chromium (through the DevTools protocol) or
Firefox (through WebDriver BiDi); scripts/check-web.sh starts the browser and
a server, this is its client. The browsers keep their default autoplay
policies: sound only after a gesture. Input goes in as the browser's own
trusted events (Input.dispatch*Event, input.performActions), as a visitor's
would.

    web_check.py show PAGE-URL OUT-DIR [--times T...] [--gestures G,...]
                 [--frame-times T,...] [--full-screen] [--local-only] [--browser B]
    web_check.py error PAGE-URL OUT-DIR [--contains TEXT] [--local-only] [--browser B]

--browser: chromium (its DevTools on 127.0.0.1:9222, the default) or firefox
(its remote protocol on 127.0.0.1:9222).

show: opens the page once per gesture (quick: a click whose press and release
come together; held: a click held 120 ms; enter, space: the keys on the
focused Start button), presses Start that way and asserts that the show draws
and that the music plays: the mixer's position (the samples it delivered to
the browser) advances with the show's clock. The first page's title card is
captured (card.png) and the last play is stopped with Escape. --full-screen:
on the last page, F asks for full screen, which must show the canvas at the
screen's size in device pixels (fullscreen.png). --late-sound: a show
started by the link alone (#autostart, no gesture) must play silent and say
so, and its Sound on button must start the music at the clock's position
(silent.png). Then it opens
PAGE#t=T&autostart&hold for each clock value and captures the still picture
(t<T>.png); for the --frame-times it counts the frames drawn in a few seconds.

error: the page must end in words (an error visible on the page, holding
TEXT), within a minute; captured as error.png.

--local-only: every request the page makes must stay inside the page itself
(its own file, data: or blob: URLs), and its links to files must point at
the copies it carries: the single-file form opened from disk.

Any console error or uncaught exception fails a show run. Prints the
measurements as "name value" lines and exits non-zero on any failure.
LB_WEB_VIEW=WxH sets the page's (and the emulated screen's) size (320x180).
"""

import argparse
import base64
import json
import os
import sys
import time
import urllib.request

import websocket

DEVTOOLS = "http://127.0.0.1:9222"
VIEW_W, VIEW_H = (int(v) for v in os.environ.get("LB_WEB_VIEW", "320x180").split("x"))
# A person's click holds the button down about this long.
HELD_CLICK_S = 0.12
# Music that plays moves on by this much (seconds) within the wait below.
MUSIC_ADVANCE_S = 1.0
MUSIC_WAIT_S = 20


class Browser:
    """What the checks need of a browser; Chromium and Firefox below."""

    problems = []
    requests = []

    def wait_for(self, expression, seconds, what):
        end = time.time() + seconds
        while time.time() < end:
            value = self.evaluate(expression)
            if value:
                return value
            self.pump(0.1)
        state = self.evaluate("JSON.stringify(window.lbState || null)")
        raise SystemExit("web-check: %s within %d s did not happen (page state %s)" % (what, seconds, state))

    def pump(self, seconds):
        """Lets the page run, handing each protocol message (console, requests)
        to the browser's own _event."""
        end = time.time() + seconds
        self.ws.settimeout(0.1)
        while time.time() < end:
            try:
                self._event(json.loads(self.ws.recv()))
            except websocket.WebSocketTimeoutException:
                pass
        self.ws.settimeout(180)


class Chromium(Browser):
    """The DevTools protocol."""

    def __init__(self, local_only=False):
        targets = self._targets()
        page = next(t for t in targets if t.get("type") == "page")
        # Chromium refuses a websocket that names an origin unless started with
        # --remote-allow-origins (its releases differ in which origins pass); a
        # checker is no web page, so it names none.
        self.ws = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=180, suppress_origin=True)
        self.next_id = 0
        self.problems = []
        self.requests = []
        self.call("Runtime.enable")
        self.call("Log.enable")
        self.call("Page.enable")
        self.watch_network = local_only
        self.metrics(1)

    def metrics(self, scale):
        self.call("Emulation.setDeviceMetricsOverride", width=VIEW_W, height=VIEW_H, deviceScaleFactor=scale,
                  mobile=False, screenWidth=VIEW_W, screenHeight=VIEW_H)

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
        elif method == "Network.requestWillBeSent":
            self.requests.append(params["request"]["url"])

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

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError("evaluating %s: %s" % (expression, result["exceptionDetails"]))
        return result.get("result", {}).get("value")

    def open(self, url):
        self.call("Page.navigate", url="about:blank")
        self.pump(0.2)
        if self.watch_network:
            # Afresh for each page: a second load of the 10 MB single file
            # stalls with the previous one's records still held.
            self.call("Network.disable")
            self.call("Network.enable", maxTotalBufferSize=1 << 20, maxResourceBufferSize=1 << 16)
        self.call("Page.navigate", url=url)

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    # Trusted input, as the browser's own events.
    def click(self, x, y, hold_s):
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)
            if kind == "mousePressed" and hold_s > 0:
                time.sleep(hold_s)

    def key(self, key, code, keycode, text=""):
        self.call("Input.dispatchKeyEvent", type="keyDown", key=key, code=code, text=text,
                  windowsVirtualKeyCode=keycode, nativeVirtualKeyCode=keycode)
        self.call("Input.dispatchKeyEvent", type="keyUp", key=key, code=code,
                  windowsVirtualKeyCode=keycode, nativeVirtualKeyCode=keycode)


class Firefox(Browser):
    """WebDriver BiDi over its websocket (firefox --remote-debugging-port)."""

    # WebDriver's names for the keys the checks press.
    KEYS = {"Enter": "\ue007", " ": " ", "Escape": "\ue00c", "f": "f"}

    def __init__(self, local_only=False):
        self.ws = None
        for _ in range(150):
            try:
                # Firefox refuses a websocket that names an origin (a web page).
                self.ws = websocket.create_connection("ws://127.0.0.1:9222/session", timeout=180,
                                                      suppress_origin=True)
                break
            except OSError:
                time.sleep(0.2)
        if self.ws is None:
            raise SystemExit("web-check: Firefox's remote protocol did not answer on 127.0.0.1:9222")
        self.next_id = 0
        self.problems = []
        self.requests = []
        self.call("session.new", capabilities={})
        events = ["log.entryAdded"] + (["network.beforeRequestSent"] if local_only else [])
        self.call("session.subscribe", events=events)
        self.context = self.call("browsingContext.getTree")["contexts"][0]["context"]
        self.metrics(1)

    def metrics(self, scale):
        self.call("browsingContext.setViewport", context=self.context,
                  viewport={"width": VIEW_W, "height": VIEW_H}, devicePixelRatio=scale)

    def _event(self, message):
        method = message.get("method")
        params = message.get("params", {})
        if method == "log.entryAdded" and params.get("level") == "error":
            self.problems.append("%s error: %s" % (params.get("type"), params.get("text")))
        elif method == "network.beforeRequestSent":
            self.requests.append(params["request"]["url"])

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == self.next_id:
                if message.get("type") == "error":
                    raise RuntimeError("%s: %s: %s" % (method, message.get("error"), message.get("message")))
                return message.get("result", {})
            self._event(message)

    @staticmethod
    def _value(remote):
        kind = remote.get("type")
        if kind in ("array", "set"):
            return [Firefox._value(v) for v in remote.get("value", [])]
        if kind == "object":
            return {Firefox._value(k) if isinstance(k, dict) else k: Firefox._value(v) for k, v in remote["value"]}
        if kind == "number" and isinstance(remote.get("value"), str):
            return {"NaN": float("nan"), "-0": 0.0, "Infinity": float("inf"),
                    "-Infinity": float("-inf")}[remote["value"]]
        return remote.get("value")

    def evaluate(self, expression):
        result = self.call("script.evaluate", expression=expression, target={"context": self.context},
                           awaitPromise=True, resultOwnership="none")
        if result.get("type") == "exception":
            raise RuntimeError("evaluating %s: %s" % (expression, result.get("exceptionDetails", {}).get("text")))
        return self._value(result["result"])

    def open(self, url):
        self.call("browsingContext.navigate", context=self.context, url="about:blank", wait="complete")
        self.call("browsingContext.navigate", context=self.context, url=url, wait="none")

    def screenshot(self, path):
        data = self.call("browsingContext.captureScreenshot", context=self.context)["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def click(self, x, y, hold_s):
        steps = [{"type": "pointerMove", "x": round(x), "y": round(y)}, {"type": "pointerDown", "button": 0}]
        if hold_s > 0:
            steps.append({"type": "pause", "duration": round(hold_s * 1000)})
        steps.append({"type": "pointerUp", "button": 0})
        self.call("input.performActions", context=self.context, actions=[
            {"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"}, "actions": steps}])

    def key(self, key, code, keycode, text=""):
        value = self.KEYS[key]
        self.call("input.performActions", context=self.context, actions=[
            {"type": "key", "id": "keyboard",
             "actions": [{"type": "keyDown", "value": value}, {"type": "keyUp", "value": value}]}])


def press_start(page, gesture):
    if gesture in ("quick", "held"):
        x, y = page.evaluate("(function () { const r = document.getElementById('start').getBoundingClientRect();"
                             " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
        page.click(x, y, HELD_CLICK_S if gesture == "held" else 0)
    elif gesture == "enter":
        page.key("Enter", "Enter", 13, "\r")
    elif gesture == "space":
        page.key(" ", "Space", 32, " ")
    else:
        raise SystemExit("web-check: no such gesture " + gesture)


def music_follows_clock(page, gesture):
    """Whether the music plays: the mixer's position (the samples it handed to
    the browser) must move on. A suspended AudioContext takes no samples, so
    the position stands still; no music at all reads -1. How far the music is
    from the clock is returned as a figure, not judged: on a loaded machine
    the browser's audio callback starves and catches up in bursts. A single
    reading can land inside such a burst (seen: -4.1 s, and +0.1 s half a
    second later), so the figure is the median of five over a second."""
    read = "[Module._lb_web_music(), Module._lb_web_clock()]"
    page.pump(0.5)
    music0, clock0 = page.evaluate(read)
    end = time.time() + MUSIC_WAIT_S
    music1, clock1 = music0, clock0
    while time.time() < end and music1 - music0 < MUSIC_ADVANCE_S and music1 >= 0:
        page.pump(0.25)
        music1, clock1 = page.evaluate(read)
    if music0 < 0 or music1 < 0:
        page.problems.append("%s: Start left the music off (mixer %s at clock %.2f s)" % (gesture, music1, clock1))
        return None
    if music1 - music0 < MUSIC_ADVANCE_S:
        page.problems.append("%s: the music stands still (%.2f -> %.2f s while the clock went %.2f -> %.2f s)"
                             % (gesture, music0, music1, clock0, clock1))
        return music1 - clock1
    offsets = []
    for _ in range(5):
        page.pump(0.25)
        music, clock = page.evaluate(read)
        offsets.append(music - clock)
    return sorted(offsets)[2]


def check_show(page, args):
    measures = []
    gestures = [g for g in args.gestures.split(",") if g]
    for n, gesture in enumerate(gestures):
        last = n == len(gestures) - 1
        if last and args.full_screen:
            page.metrics(2)  # device pixels twice the CSS pixels, as on a high-density screen
        page.open(args.url)
        ready_ms = page.wait_for("window.lbState && lbState.phase === 'ready' && lbState.readyAt", 180,
                                 "the start button")
        if n == 0:
            measures.append(("open_to_start_button_ms", round(ready_ms)))
            page.screenshot(args.out + "/card.png")
        press_start(page, gesture)
        page.wait_for("lbState.firstFrameAt !== null", 60, "the first frame after Start (%s)" % gesture)
        if n == 0:
            measures.append(("start_to_first_frame_ms",
                             round(page.evaluate("lbState.firstFrameAt - lbState.startedAt"))))
        offset = music_follows_clock(page, gesture)
        measures.append(("music_minus_clock_s_%s" % gesture, None if offset is None else round(offset, 3)))
        if last and args.full_screen:
            page.key("f", "KeyF", 70, "f")
            page.wait_for("document.fullscreenElement !== null", 10, "full screen on F")
            page.pump(0.5)
            size = page.evaluate("(function () { const c = document.getElementById('canvas');"
                                 " return [c.width, c.height, Math.round(screen.width * devicePixelRatio),"
                                 " Math.round(screen.height * devicePixelRatio)]; })()")
            measures.append(("full_screen_canvas", "%dx%d (screen %dx%d device pixels)" % tuple(size)))
            if size[:2] != size[2:]:
                page.problems.append("full screen shows a %dx%d canvas on a %dx%d screen" % tuple(size))
            page.screenshot(args.out + "/fullscreen.png")
            # The browser keeps the first Escape for itself: it leaves full screen.
            page.key("Escape", "Escape", 27)
            page.wait_for("document.fullscreenElement === null", 10, "leaving full screen on Escape")
        if last:
            page.key("Escape", "Escape", 27)
            page.wait_for("lbState.phase === 'ended'", 10, "the stop on Escape")
            page.metrics(1)

    if args.late_sound:
        # Started without a gesture: silent, and the page says so; its Sound on
        # button then starts the music where the show is.
        page.open(args.url + "#autostart")
        page.wait_for("window.lbState && lbState.phase === 'playing' && lbState.firstFrameAt !== null", 180,
                      "the show started by the link")
        page.pump(0.5)
        silent = page.evaluate("[Module._lb_web_music(), getComputedStyle(document.getElementById('sound-note'))"
                               ".display !== 'none']")
        if silent != [-1, True]:
            page.problems.append("a show started without a gesture: music %s, note shown %s" % tuple(silent))
        page.screenshot(args.out + "/silent.png")
        x, y = page.evaluate("(function () { const r = document.getElementById('sound-on').getBoundingClientRect();"
                             " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
        page.click(x, y, 0)
        offset = music_follows_clock(page, "sound-on")
        measures.append(("music_minus_clock_s_sound_on", None if offset is None else round(offset, 3)))

    frame_times = [t for t in args.frame_times.split(",") if t]
    for t in args.times:
        page.open("%s#t=%s&autostart&hold" % (args.url, t))
        page.wait_for("window.lbState && lbState.phase === 'playing' && Module._lb_web_frames() >= 3", 180,
                      "three frames at t=%s" % t)
        clock = page.evaluate("Module._lb_web_clock()")
        if abs(clock - float(t)) > 1e-6:
            page.problems.append("the clock held at %s reads %s" % (t, clock))
        page.screenshot("%s/t%s.png" % (args.out, t))
        if t in frame_times:
            # The held clock redraws the same picture every refresh: frames
            # drawn in a few seconds give the browser's frame time here.
            before = page.evaluate("[Module._lb_web_frames(), performance.now()]")
            page.pump(3.0)
            after = page.evaluate("[Module._lb_web_frames(), performance.now()]")
            frames = after[0] - before[0]
            measures.append(("frame_ms_t%s" % t, round((after[1] - before[1]) / max(frames, 1), 1)))
    return measures


def check_error(page, args):
    page.open(args.url)
    opened = time.time()
    text = page.wait_for("window.lbState && lbState.phase === 'failed' && lbState.error", 60,
                         "the error shown on the page")
    seconds = time.time() - opened
    visible = page.evaluate("(function () { const e = document.getElementById('error');"
                            " return !e.classList.contains('hidden') && e.getBoundingClientRect().height > 0"
                            " && e.textContent; })()")
    page.screenshot(args.out + "/error.png")
    if not visible:
        page.problems.append("the error is not visible on the page")
    elif args.contains and args.contains not in visible:
        page.problems.append("the error %r does not name %r" % (visible, args.contains))
    # Problems in the console are what this case is about.
    page.problems = [p for p in page.problems if p.startswith("the error")]
    return [("error_text", json.dumps(text)), ("error_after_s", round(seconds, 1))]


def check_requests(page, url):
    # A link to a file beside the page (the notices) would find nothing beside
    # a single file on disk: the page must point it at the copy it carries.
    beside = page.evaluate("Array.from(document.querySelectorAll('a[href]'), a => a.href)"
                           ".filter(h => /^(file|https?):/.test(h) && h.split('#')[0] !== location.href.split('#')[0])")
    for link in beside or []:
        page.problems.append("the page links to %s, outside itself" % link)
    own = url.split("#")[0]
    leaving = [r for r in page.requests
               if r.split("#")[0] != own and not r.startswith(("data:", "blob:", "about:"))]
    for r in leaving:
        page.problems.append("the page asked for " + r[:120])
    return [("requests_outside_the_page", len(leaving))]


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("mode", choices=["show", "error"])
    parser.add_argument("url")
    parser.add_argument("out")
    parser.add_argument("--times", nargs="*", default=[])
    parser.add_argument("--gestures", default="quick,held,enter,space")
    parser.add_argument("--frame-times", default="")
    parser.add_argument("--full-screen", action="store_true")
    parser.add_argument("--late-sound", action="store_true")
    parser.add_argument("--contains", default="")
    parser.add_argument("--local-only", action="store_true")
    parser.add_argument("--browser", choices=["chromium", "firefox"], default="chromium")
    args = parser.parse_args(argv[1:])
    page = (Firefox if args.browser == "firefox" else Chromium)(args.local_only)
    measures = check_error(page, args) if args.mode == "error" else check_show(page, args)
    page.pump(0.5)
    if args.local_only:
        measures += check_requests(page, args.url)
    for name, value in measures:
        print(name, value)
    for problem in page.problems:
        print("web-check: " + problem, file=sys.stderr)
    return 1 if page.problems else 0


# The exit status for a browser that stopped answering its protocol (a hung
# GPU or renderer process, seen now and then with SwiftShader on a busy
# machine): check-web.sh gives such a pass one more try with a fresh browser.
BROWSER_HUNG = 75

if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except websocket.WebSocketTimeoutException:
        print("web-check: the browser stopped answering its protocol for 180 s", file=sys.stderr)
        sys.exit(BROWSER_HUNG)
