"""One way to drive a page in each of the three engines the web version is
checked in: Chromium (chromedriver), WebKitGTK, Safari's engine
(WebKitWebDriver), both through Selenium's W3C WebDriver, and Firefox ESR,
which Debian ships without a WebDriver server, through the WebDriver BiDi
protocol that Firefox speaks itself. Everything a check does goes through
the same few calls (open, run a script, wait, click, type, screenshot); the
page's errors and what it fetched come from a probe that runs in the page
before its own scripts, so every engine reports them alike. What only one
engine can do (Chromium's DevTools: a phone's screen and touch, a slow
link) is reached through `devtools`, which the others lack.

Used by scripts/web-page-check.py (the page as users meet it) and
scripts/browser-run.py (a test program of the web build run in a page).
"""

import base64
import email.utils
import http.server
import itertools
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

ENGINES = ("chromium", "webkit", "firefox")
ENGINE_NAMES = {"chromium": "Chromium", "webkit": "WebKitGTK", "firefox": "Firefox ESR"}
WINDOW_SIZE = (1024, 768)
WAIT_SECONDS = 30

# The W3C WebDriver codes of the keys the checks press.
END, BACKSPACE, ENTER = "\ue010", "\ue003", "\ue007"

# Runs in the page before any script of its own, in every engine: records
# the errors that reach the page (uncaught exceptions, rejected promises,
# console.error), every resource the page fetched, whether another service
# worker took the page over, when the window's first
# pixels are on the screen (as a time since the page was asked for), and
# the program's memory, which only grows, so its size is the peak.
PROBE = r"""
(function () {
    if (window.tervaloProbe)
        return;
    const probe = window.tervaloProbe = { errors: [], memory: null, drawn: null, controllerChanged: false };
    // Whether the worker that served this page gave way to another since.
    if (navigator.serviceWorker)
        navigator.serviceWorker.addEventListener("controllerchange", () => { probe.controllerChanged = true; });
    const describe = value => value && value.stack ? String(value.stack)
        : value && value.name ? value.name + ": " + value.message : String(value);
    window.addEventListener("error", event => {
        // Seen after the page's own listeners, so an error the page has
        // handled (the program's exit) is not one.
        setTimeout(() => {
            if (!event.defaultPrevented)
                probe.errors.push("uncaught: " + describe(event.error || event.message));
        });
    });
    window.addEventListener("unhandledrejection", event => {
        setTimeout(() => {
            if (!event.defaultPrevented)
                probe.errors.push("unhandled rejection: " + describe(event.reason));
        });
    });
    const consoleError = console.error;
    console.error = function (...args) {
        probe.errors.push("console.error: " + args.map(describe).join(" "));
        return consoleError.apply(this, args);
    };
    const instantiate = WebAssembly.instantiate;
    WebAssembly.instantiate = async function (...args) {
        const result = await instantiate.apply(this, args);
        // Exported under a short name in a build optimised for size.
        const exports = Object.values((result.instance || result).exports || {});
        probe.memory = exports.find(e => e instanceof WebAssembly.Memory) || probe.memory;
        return result;
    };
    (function look() {
        const host = document.querySelector("#screen > div");
        const canvas = host && host.shadowRoot && host.shadowRoot.querySelector("canvas");
        if (canvas && canvas.width > 0)
            requestAnimationFrame(() => { probe.drawn = performance.now(); });
        else
            requestAnimationFrame(look);
    })();
})();
"""

PROBE_ERRORS = "return window.tervaloProbe ? tervaloProbe.errors.splice(0) : [];"
PROBE_REQUESTS = ("return performance.getEntriesByType('navigation').concat("
                  "performance.getEntriesByType('resource')).map(e => e.name);")
PROBE_MEMORY = "return tervaloProbe.memory ? tervaloProbe.memory.buffer.byteLength : null;"


def with_probe(page, head_script=""):
    """An HTML page's bytes with the probe, and HEAD_SCRIPT after it, as its
    first script."""
    return page.replace(b"<head>", b"<head><script>" + (PROBE + head_script).encode() + b"</script>", 1)


def with_display(engines):
    """Runs this script again under a virtual X server when one of ENGINES
    needs a display (WebKitGTK has no headless mode) and there is none."""
    if any(engine == "webkit" for engine in engines) and not os.environ.get("DISPLAY"):
        sys.stdout.flush()
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", sys.executable, *sys.argv])


class Site:
    """A folder served on 127.0.0.1, with a record of every path asked for.
    HIDDEN paths answer 404; ENCODED ones (gzip files) are sent as gzip
    encoding of their content, which the browser decodes; PAGES are served
    from memory (path: bytes); with PROBE, every HTML page gets it as its
    first script, then HEAD_SCRIPT, for every engine alike (WebKitGTK
    cannot add a script itself)."""

    def __init__(self, folder, hidden=(), pages=None, probe=False, head_script="", encoded=()):
        self.requests = []
        site = self
        pages = pages or {}

        class Handler(http.server.SimpleHTTPRequestHandler):
            extensions_map = {
                **http.server.SimpleHTTPRequestHandler.extensions_map,
                ".wasm": "application/wasm", ".js": "text/javascript", ".gz": "application/gzip",
                ".webmanifest": "application/manifest+json", ".svg": "image/svg+xml",
            }

            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=str(folder), **kwargs)

            def log_message(self, *args):
                pass

            def end_headers(self):
                if self.path.split("?")[0].lstrip("/") in encoded:
                    self.send_header("Content-Encoding", "gzip")
                super().end_headers()

            def send_head(self):
                path = self.path.split("?")[0]
                site.requests.append(path)
                if path.lstrip("/") in hidden:
                    self.send_error(404)
                    return None
                body = pages.get(path)
                modified = None
                if body is None and probe and (path.endswith("/") or path.endswith(".html")):
                    page = pathlib.Path(self.translate_path(path))
                    page = page / "index.html" if page.is_dir() else page
                    if page.is_file():
                        body = with_probe(page.read_bytes(), head_script)
                        modified = int(page.stat().st_mtime)
                if body is None:
                    return super().send_head()
                # A page with the probe is dated, and confirmed unchanged, as
                # its file would be, so that browsers keep it the same way.
                since = self.headers.get("If-Modified-Since")
                if modified and since and email.utils.parsedate_to_datetime(since).timestamp() >= modified:
                    self.send_response(304)
                    self.end_headers()
                    return None
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(body)))
                if modified:
                    self.send_header("Last-Modified", self.date_time_string(modified))
                self.end_headers()
                return _Bytes(body)

        class Server(http.server.ThreadingHTTPServer):
            daemon_threads = True

            def handle_error(self, request, client_address):
                # A browser that drops a request it no longer needs (the page
                # gave up starting) is no fault of the site's.
                if not isinstance(sys.exc_info()[1], ConnectionError):
                    super().handle_error(request, client_address)

        self.server = Server(("127.0.0.1", 0), Handler)
        self.url = "http://127.0.0.1:%d/" % self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class _Bytes:
    """A page from memory, read by the server's copy loop as a file is."""

    def __init__(self, data):
        self.data = data

    def read(self, size=-1):
        data, self.data = (self.data, b"") if size < 0 else (self.data[:size], self.data[size:])
        return data

    def close(self):
        pass


def click_actions(x, y):
    """A mouse click at a point of the page's viewport, in CSS pixels."""
    return [{"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"}, "actions": [
        {"type": "pointerMove", "x": int(round(x)), "y": int(round(y)), "origin": "viewport", "duration": 0},
        {"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}]}]


def key_actions(text):
    keys = []
    for key in text:
        keys += [{"type": "keyDown", "value": key}, {"type": "keyUp", "value": key}]
    return [{"type": "key", "id": "keyboard", "actions": keys}]


class Browser:
    """A browser of ENGINE with one page, in a profile of its own that goes
    with it. PHONE (Chromium only) emulates a phone held upright, 360 CSS
    pixels wide, with touch; HOSTS maps host names to 127.0.0.1; SCALE is the
    screen's device pixel ratio (Chromium only); PROBE adds the probe before
    every page's scripts where the engine can (not WebKitGTK: Site adds it)."""

    def __init__(self, engine, phone=False, hosts=(), scale=None, probe=True):
        if engine not in ENGINES:
            raise ValueError("unknown engine " + engine)
        self.engine = engine
        self.name = ENGINE_NAMES[engine]
        self.profile = tempfile.mkdtemp(prefix="tervalo-%s-" % engine)
        if phone and engine != "chromium":
            raise ValueError("only Chromium emulates a phone")
        try:
            if engine == "firefox":
                self.driver = _Firefox(self.profile, hosts)
            else:
                self.driver = _selenium(engine, self.profile, phone, hosts, scale)
            if probe and engine == "chromium":
                self.devtools("Page.addScriptToEvaluateOnNewDocument", {"source": PROBE})
            elif probe and engine == "firefox":
                self.driver.preload(PROBE)
        except BaseException:
            shutil.rmtree(self.profile, ignore_errors=True)
            raise

    def open(self, url):
        if self.engine == "firefox":
            self.driver.navigate(url)
        else:
            self.driver.get(url)

    def run(self, script):
        """The value of a script's body (with return), as JSON gives it."""
        if self.engine == "firefox":
            return self.driver.run(script)
        return self.driver.execute_script(script)

    def wait(self, script, what, seconds=WAIT_SECONDS):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            try:
                value = self.run(script)
            except Exception as error:
                # WebKitGTK's driver may fail to read a script's result while
                # the page is being replaced ("Could not parse script
                # result"); the next try reads the page that stays.
                if type(error).__name__ != "WebDriverException" or time.monotonic() >= deadline:
                    raise
                value = None
            if value:
                return value
            time.sleep(0.05)
        raise TimeoutError("%s: waited %d s for %s" % (self.name, seconds, what))

    def actions(self, actions):
        if self.engine == "firefox":
            self.driver.actions(actions)
        else:
            self.driver.execute("actions", {"actions": actions})

    def click(self, x, y):
        self.actions(click_actions(x, y))

    def type(self, text):
        self.actions(key_actions(text))

    def screenshot(self, path):
        if self.engine == "firefox":
            pathlib.Path(path).write_bytes(self.driver.screenshot())
        else:
            self.driver.save_screenshot(str(path))

    def errors(self):
        """The errors that reached the page since the last call (the probe's),
        and in Chromium those of its own log."""
        found = self.run(PROBE_ERRORS) or []
        if self.engine == "chromium":
            found += [entry["message"] for entry in self.driver.get_log("browser") if entry["level"] == "SEVERE"]
        return found

    def requests(self):
        return self.run(PROBE_REQUESTS) or []

    def memory(self):
        return self.run(PROBE_MEMORY)

    def title(self):
        return self.run("return document.title;")

    def accessibility(self, script):
        """The role and name the engine gives a screen reader for each element
        a script returns (WebDriver's computed role and label), or None for
        one it does not offer at all. Firefox's driver here has no such call."""
        from selenium.common.exceptions import WebDriverException

        if self.engine == "firefox":
            raise RuntimeError("Firefox's WebDriver BiDi computes no role or label")
        found = []
        for element in self.driver.execute_script(script):
            try:
                found.append((element.aria_role, element.accessible_name))
            except WebDriverException:
                found.append(None)
        return found

    def devtools(self, method, parameters=None):
        """A Chromium DevTools command: emulation that only Chromium has."""
        if self.engine != "chromium":
            raise RuntimeError("%s has no DevTools protocol" % self.name)
        return self.driver.execute_cdp_cmd(method, parameters or {})

    def set_script_timeout(self, seconds):
        if self.engine != "firefox":
            self.driver.set_script_timeout(seconds)

    def close(self):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()


def _selenium(engine, profile, phone, hosts, scale):
    from selenium import webdriver

    if engine == "chromium":
        from selenium.webdriver.chrome.service import Service

        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ("--headless=new", "--no-sandbox", "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--disable-quic", "--disable-default-apps",
                     "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--user-data-dir=" + profile,
                     "--window-size=%d,%d" % WINDOW_SIZE):
            options.add_argument(flag)
        if hosts:
            options.add_argument("--host-resolver-rules=" + ", ".join("MAP %s 127.0.0.1" % h for h in hosts))
        if scale:
            options.add_argument("--force-device-scale-factor=" + scale)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        if phone:
            options.add_experimental_option("mobileEmulation", {
                "deviceMetrics": {"width": 360, "height": 740, "pixelRatio": 3.0, "touch": True},
                "userAgent": "Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) "
                             "Chrome/140.0 Mobile Safari/537.36"})
        return webdriver.Chrome(options=options, service=Service("/usr/bin/chromedriver"))

    from selenium.webdriver.webkitgtk.service import Service

    if hosts:
        raise ValueError("WebKitGTK maps no host names here")
    options = webdriver.WebKitGTKOptions()
    options.binary_location = _minibrowser()
    options.add_argument("--automation")
    # Its cache and storage (the service worker's copy) in the profile.
    environment = {"XDG_CACHE_HOME": profile + "/cache", "XDG_DATA_HOME": profile + "/data"}
    service = Service("/usr/bin/WebKitWebDriver", env={**os.environ, **environment})
    driver = webdriver.WebKitGTK(options=options, service=service)
    driver.set_window_size(*WINDOW_SIZE)
    return driver


def _minibrowser():
    for found in sorted(pathlib.Path("/usr/lib").glob("*/webkit*gtk-*/MiniBrowser")):
        return str(found)
    raise FileNotFoundError("no WebKitGTK MiniBrowser in /usr/lib")


class _Firefox:
    """Firefox ESR over WebDriver BiDi, on the port its remote agent opens."""

    # Prefs for a browser under test that go beyond what the remote agent
    # sets itself: no first-run pages, no default-browser question.
    PREFS = {
        "browser.shell.checkDefaultBrowser": False,
        "browser.startup.homepage_override.mstone": "ignore",
        "browser.aboutwelcome.enabled": False,
        "datareporting.policy.dataSubmissionEnabled": False,
        "toolkit.telemetry.reportingpolicy.firstRun": False,
        "app.update.disabledForTesting": True,
    }

    def __init__(self, profile, hosts):
        import websocket

        prefs = dict(self.PREFS)
        if hosts:
            prefs["network.dns.localDomains"] = ",".join(hosts)
        pathlib.Path(profile, "user.js").write_text(
            "".join("user_pref(%s, %s);\n" % (json.dumps(k), json.dumps(v)) for k, v in prefs.items()))
        self.process = subprocess.Popen(
            ["/usr/bin/firefox-esr", "--headless", "--no-remote", "--profile", profile,
             "--remote-debugging-port=0", "--width=%d" % WINDOW_SIZE[0], "--height=%d" % WINDOW_SIZE[1],
             "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        address = None
        deadline = time.monotonic() + WAIT_SECONDS
        for line in self.process.stderr:
            found = re.search(r"WebDriver BiDi listening on (ws://\S+)", line)
            if found:
                address = found.group(1)
                break
            if time.monotonic() > deadline:
                break
        if not address:
            self.process.kill()
            raise RuntimeError("Firefox did not open its WebDriver BiDi port")
        # Its further messages are drained, so that it never blocks on them.
        threading.Thread(target=lambda: self.process.stderr.read(), daemon=True).start()
        self.socket = websocket.create_connection(address.rstrip("/") + "/session", timeout=600,
                                                   suppress_origin=True)
        self.ids = itertools.count(1)
        self.command("session.new", {"capabilities": {"alwaysMatch": {"acceptInsecureCerts": True}}})
        tree = self.command("browsingContext.getTree", {})
        self.context = tree["contexts"][0]["context"]

    def command(self, method, params):
        number = next(self.ids)
        self.socket.send(json.dumps({"id": number, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") != number:
                continue
            if message.get("type") == "error":
                raise RuntimeError("Firefox: %s: %s: %s" % (method, message.get("error"), message.get("message")))
            return message["result"]

    def preload(self, script):
        self.command("script.addPreloadScript", {"functionDeclaration": "() => {%s}" % script})

    def navigate(self, url):
        self.command("browsingContext.navigate", {"context": self.context, "url": url, "wait": "complete"})

    def run(self, script):
        result = self.command("script.callFunction", {
            "functionDeclaration": "function () {%s}" % script, "awaitPromise": False,
            "target": {"context": self.context}, "resultOwnership": "none"})
        if result.get("type") == "exception":
            raise RuntimeError("Firefox: script: " + result["exceptionDetails"]["text"])
        return _from_bidi(result["result"])

    def actions(self, actions):
        self.command("input.performActions", {"context": self.context, "actions": actions})
        self.command("input.releaseActions", {"context": self.context})

    def screenshot(self):
        return base64.b64decode(self.command("browsingContext.captureScreenshot", {"context": self.context})["data"])

    def quit(self):
        try:
            self.command("browser.close", {})
            self.socket.close()
            self.process.wait(timeout=WAIT_SECONDS)
        except Exception:  # noqa: BLE001 (a browser that is already gone is closed)
            self.process.kill()
            self.process.wait()


def _from_bidi(value):
    """A WebDriver BiDi remote value as the JSON value it stands for."""
    kind = value["type"]
    if kind in ("undefined", "null"):
        return None
    if kind in ("string", "boolean"):
        return value["value"]
    if kind == "number":
        number = value["value"]
        return float("nan") if number == "NaN" else number
    if kind in ("array", "set"):
        return [_from_bidi(item) for item in value.get("value", [])]
    if kind == "object":
        return {key if isinstance(key, str) else _from_bidi(key): _from_bidi(item)
                for key, item in value.get("value", [])}
    return kind
