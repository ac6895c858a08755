#!/usr/bin/env python3
"""Opens the site of the web build as its users would, in Debian's Chromium
driven through chromedriver, and checks what the page adds to the program:

- a locator pair typed with real key events shows the numbers of the Debian
  build (read back through the page's accessibility layer), for a pair taken
  from that build's tools/numbers output (REFERENCE);
- an over-long first locator brings up the modal message box; Enter answers
  it, the error marks follow, and the console holds no error;
- "Esci" leaves the sentence that the program has ended;
- a phone held upright (360 CSS pixels) shows the whole window, scaled, and
  a tap on a locator box gives the keyboard a text field;
- a page opened a second time with the server gone still starts (service
  worker), and no request of any visit leaves 127.0.0.1;
- a start that cannot succeed (no WebAssembly, a file missing) says why in
  one sentence;
- how much a first visit transfers, compressed as a server would send it,
  and how long the window takes to be drawn, printed.

    scripts/web-check.py SITE REFERENCE SCREENSHOTS

Screenshots of each state go to SCREENSHOTS. Runs in Debian 13 (through
scripts/web-run.sh), where chromium, chromium-driver, python3-selenium and
brotli are installed.
"""

import gzip
import http.server
import json
import pathlib
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

# The window's pixel size and the boxes' places in it, as the form gives them.
WINDOW_WIDTH, WINDOW_HEIGHT = 681, 417
LOCATOR_1 = (336 + 40, 24 + 12)
LOCATOR_2 = (336 + 40, 56 + 12)
ESCI = (344 + 48, 168 + 12)
PHONE_WIDTH = 360
ENDED = "Tervalo è stato chiuso. Ricaricate la pagina per aprirlo di nuovo."
WAIT_SECONDS = 30
# How long a start failure's sentence must stay as it is: long enough for
# the server's answer about a missing file, which the page asks for after.
SETTLE_SECONDS = 1

# Qt keeps its windows in a shadow tree inside the page's #screen.
QT_ROOT = "const root = (document.querySelector('#screen > div') || {}).shadowRoot || document;"

# Runs before any script of the page: notes when the window's first pixels
# are on the screen, as a time since the page was asked for.
FIRST_DRAWN_PROBE = """
(function look() {
    const host = document.querySelector("#screen > div");
    const canvas = host && host.shadowRoot && host.shadowRoot.querySelector("canvas");
    if (canvas && canvas.width > 0)
        requestAnimationFrame(() => { window.tervaloFirstDrawn = performance.now(); });
    else
        requestAnimationFrame(look);
})();
"""

failures = []


def step(text):
    print("web-check: " + text, flush=True)


def check(condition, text):
    if condition:
        step("ok: " + text)
    else:
        failures.append(text)
        print("web-check: FAILED: " + text, file=sys.stderr, flush=True)


class Site:
    """The site served on 127.0.0.1, with a record of every request."""

    def __init__(self, folder, hidden=()):
        self.requests = []
        site = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            extensions_map = {
                **http.server.SimpleHTTPRequestHandler.extensions_map,
                ".wasm": "application/wasm", ".js": "text/javascript",
                ".webmanifest": "application/manifest+json", ".svg": "image/svg+xml",
            }

            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=str(folder), **kwargs)

            def log_message(self, *args):
                pass

            def send_head(self):
                site.requests.append(self.path)
                if self.path.split("?")[0].lstrip("/") in hidden:
                    self.send_error(404)
                    return None
                return super().send_head()

        class Server(http.server.ThreadingHTTPServer):
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


def browser(profile, phone=False):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--disable-quic", "--disable-default-apps",
                 "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--user-data-dir=" + str(profile),
                 "--window-size=1024,768"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
    if phone:
        options.add_experimental_option("mobileEmulation", {
            "deviceMetrics": {"width": PHONE_WIDTH, "height": 740, "pixelRatio": 3.0, "touch": True},
            "userAgent": "Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) "
                         "Chrome/140.0 Mobile Safari/537.36"})
    driver = webdriver.Chrome(options=options, service=Service("/usr/bin/chromedriver"))
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": FIRST_DRAWN_PROBE})
    return driver


def wait_for(driver, script, what, seconds=WAIT_SECONDS):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.05)
    raise TimeoutError("waited %d s for %s" % (seconds, what))


def wait_for_window(driver):
    return wait_for(driver, "return window.tervaloFirstDrawn", "the window to be drawn")


def enable_accessibility(driver):
    """Presses the page's hidden button that a screen reader's user presses
    first, which makes the accessibility layer mirror the form in the page."""
    driver.execute_script(QT_ROOT + "root.querySelector('button.hidden-visually-read-by-screen-reader').click()")
    wait_for(driver, QT_ROOT + "return root.querySelectorAll('input[type=text]').length >= 4",
             "the accessibility layer's text boxes")


# The form's captions as the accessibility layer shows them: the recent
# searches' rows among them, which repeat what the result boxes show.
CAPTIONS = QT_ROOT + "return Array.from(root.querySelectorAll('textarea')).map(t => t.textContent);"


def wait_for_caption(driver, wanted, what):
    return wait_for(driver, QT_ROOT + """
        const captions = Array.from(root.querySelectorAll('textarea')).map(t => t.textContent);
        return captions.some(c => c.includes(%s)) ? captions : null;""" % json.dumps(wanted), what)


def accessible_names(driver):
    return driver.execute_script(QT_ROOT + """
        return Array.from(root.querySelectorAll('[title], [aria-label], button'))
            .map(e => e.getAttribute('aria-label') || e.title || e.innerText);""")


def client_origin(driver):
    """Where the form's top-left pixel is in the page."""
    return driver.execute_script(QT_ROOT + """
        const canvas = root.querySelector('canvas');
        const r = canvas.getBoundingClientRect();
        return [r.left, r.top];""")


def click_at(driver, point):
    x, y = client_origin(driver)
    ActionChains(driver).move_by_offset(0, 0).perform()
    body = driver.find_element("tag name", "body")
    width, height = driver.execute_script("return [document.body.getBoundingClientRect().width,"
                                          " document.body.getBoundingClientRect().height]")
    # Offsets count from the body's centre.
    ActionChains(driver).move_to_element_with_offset(
        body, int(x + point[0] - width / 2), int(y + point[1] - height / 2)).click().perform()


def type_keys(driver, text):
    ActionChains(driver).send_keys(text).perform()


def type_into(driver, point, text):
    """Clicks a box, empties it from its end as a user would, and types."""
    click_at(driver, point)
    type_keys(driver, Keys.END + Keys.BACKSPACE * 12)
    type_keys(driver, text)


def console_errors(driver):
    return [entry["message"] for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]


def requested_urls(driver):
    urls = []
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent":
            urls.append(message["params"]["request"]["url"])
    return urls


def shown_pair(reference):
    """A pair of six-character locators, and the texts of the azimuth and
    distance boxes that the Debian build shows for it."""
    for line in pathlib.Path(reference).read_text().splitlines():
        fields = line.split(" ")
        if len(fields) > 4 and len(fields[0]) == 6 and len(fields[1]) == 6 and fields[0] != fields[1] \
                and fields[0].isupper() and fields[1].isupper() and "??????" not in line:
            shown = line.split("[")
            return fields[0], fields[1], shown[1].split("]")[0], shown[2].split("]")[0]
    raise ValueError("no six-character pair in " + reference)


def compressed_sizes(folder, paths):
    raw = gz = br = 0
    for path in sorted(set(paths)):
        name = path.split("?")[0].lstrip("/") or "index.html"
        data = (folder / name).read_bytes() if (folder / name).is_file() else b""
        raw += len(data)
        gz += len(gzip.compress(data, 9, mtime=0))
        br += len(subprocess.run(["brotli", "-c", "-q", "11"], input=data, capture_output=True, check=True).stdout)
    return raw, gz, br


def main():
    if len(sys.argv) != 4:
        print("usage: %s SITE REFERENCE SCREENSHOTS" % sys.argv[0], file=sys.stderr)
        return 2
    folder = pathlib.Path(sys.argv[1]).resolve()
    first, second, azimuth, distance = shown_pair(sys.argv[2])
    shots = pathlib.Path(sys.argv[3])
    shots.mkdir(parents=True, exist_ok=True)
    work = pathlib.Path(tempfile.mkdtemp(prefix="web-check-"))
    try:
        desktop(folder, shots, work / "desktop", first, second, azimuth, distance)
        phone(folder, shots, work / "phone", first, second, azimuth, distance)
        start_failures(folder, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("web-check: %d checks failed" % len(failures), file=sys.stderr)
        return 1
    step("every check passed")
    return 0


def desktop(folder, shots, profile, first, second, azimuth, distance):
    site = Site(folder)
    driver = browser(profile)
    all_urls = []
    try:
        driver.get(site.url)
        drawn = wait_for_window(driver)
        step("window drawn %.0f ms after the page was asked for" % drawn)
        raw, gz, br = compressed_sizes(folder, site.requests)
        step("a first visit transfers %.2f MB (gzip -9: %.2f MB, brotli: %.2f MB) in %d requests"
             % (raw / 1e6, gz / 1e6, br / 1e6, len(site.requests)))
        check(gz <= 5e6 or br <= 5e6, "a first visit transfers at most 5 MB compressed")
        check(driver.title == "Tervalo", "the page's title is the program's")
        wait_for(driver, """
            if (!window.tervaloWorkerReady)
                navigator.serviceWorker.ready.then(() => window.tervaloWorkerReady = true);
            return window.tervaloWorkerReady;""", "the service worker")

        enable_accessibility(driver)
        names = accessible_names(driver)
        for name in ("Calcola", "Esci"):
            check(name in names, "the accessibility layer names \"%s\"" % name)

        type_into(driver, LOCATOR_1, first)
        type_into(driver, LOCATOR_2, second)
        # The recent searches' row repeats the second locator and the two
        # result boxes, as the window shows them.
        row = "%s---%sKm---%s\u00b0" % (second, distance, azimuth)
        wait_for_caption(driver, row, "the row " + row)
        check(True, "%s to %s shows [%s] and [%s], as the Debian build does" % (first, second, azimuth, distance))
        driver.save_screenshot(str(shots / "desktop-calculated.png"))

        # Over-long first locator: the box, answered with Enter.
        type_into(driver, LOCATOR_1, first + "X")
        type_into(driver, LOCATOR_2, second)
        wait_for(driver, QT_ROOT + "return root.querySelectorAll('canvas').length > 1", "the message box")
        driver.save_screenshot(str(shots / "desktop-message-box.png"))
        type_keys(driver, Keys.ENTER)
        wait_for_caption(driver, "??????", "the error marks")
        check(True, "after OK the results show the error mark \"??????\"")
        driver.save_screenshot(str(shots / "desktop-error-marks.png"))
        errors = console_errors(driver)
        check(not errors, "the console holds no error (%s)" % "; ".join(errors))

        click_at(driver, ESCI)
        ended = wait_for(driver, "const m = document.getElementById('message');"
                                 "return m.hidden ? null : m.textContent", "the ended page")
        check(ended == ENDED, "\"Esci\" leaves the sentence: " + ended)
        driver.save_screenshot(str(shots / "desktop-ended.png"))
        all_urls += requested_urls(driver)

        # A second visit with the server gone: the service worker's copy.
        site.close()
        driver.get(site.url)
        drawn = wait_for_window(driver)
        step("with the server gone, the window drawn %.0f ms after the page was asked for" % drawn)
        check(drawn > 0, "the page opens a second time with no server (service worker)")
        driver.save_screenshot(str(shots / "desktop-offline.png"))
        all_urls += requested_urls(driver)
    finally:
        driver.quit()
    # The browser's own pages (chrome:) are no requests of the page's.
    outside = [url for url in all_urls
               if url.startswith(("http:", "https:", "ws:", "wss:", "ftp:")) and not url.startswith(site.url)]
    check(not outside, "no request leaves 127.0.0.1 (%d requests; outside: %s)" % (len(all_urls), outside))


def tap(driver, point):
    """A finger's tap on a point of the form (the page's own coordinates,
    which the browser maps to the zoomed-out screen itself)."""
    x, y = client_origin(driver)
    where = {"x": x + point[0], "y": y + point[1]}
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": [where]})
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})


def phone(folder, shots, profile, first, second, azimuth, distance):
    site = Site(folder)
    driver = browser(profile, phone=True)
    try:
        driver.get(site.url)
        wait_for_window(driver)
        driver.save_screenshot(str(shots / "phone-360.png"))
        right, bottom, scale, width = driver.execute_script("""
            const r = document.getElementById('screen').getBoundingClientRect();
            return [r.right, r.bottom, visualViewport.scale, visualViewport.width];""")
        check(right * scale <= PHONE_WIDTH + 0.5,
              "the whole window fits the phone's 360 pixels (right edge at %.0f of %.0f page pixels, scale %.3f)"
              % (right, width, scale))
        # A tap on a locator box gives the keyboard a text field (Qt's
        # hidden input), and what the keyboard sends reaches the box: both
        # locators typed so, the row of the recent searches shows the result.
        for point, text in ((LOCATOR_1, first), (LOCATOR_2, second)):
            tap(driver, point)
            focused = wait_for(driver, "const e = document.activeElement;"
                                       "return e && (e.tagName === 'INPUT' || e.tagName === 'TEXTAREA')"
                                       " ? e.tagName : null;", "a focused text field", 5)
            check(bool(focused), "a tap on a locator box focuses a text field (%s), which brings up the keyboard"
                  % focused)
            for _ in range(12):
                for kind in ("rawKeyDown", "keyUp"):
                    driver.execute_cdp_cmd("Input.dispatchKeyEvent", {
                        "type": kind, "key": "Backspace", "code": "Backspace", "windowsVirtualKeyCode": 8})
            driver.execute_cdp_cmd("Input.insertText", {"text": text})
        enable_accessibility(driver)
        row = "%s---%sKm---%s\u00b0" % (second, distance, azimuth)
        wait_for_caption(driver, row, "the row " + row)
        check(True, "on the phone's keyboard, %s to %s shows [%s] and [%s]" % (first, second, azimuth, distance))
        driver.save_screenshot(str(shots / "phone-typed.png"))
    finally:
        driver.quit()
        site.close()


def start_failures(folder, work):
    cases = [
        ("tervalo.wasm missing", ("tervalo.wasm",), "", "tervalo.wasm"),
        ("tervalo.js missing", ("tervalo.js",), "", "tervalo.js"),
        ("no WebAssembly", (), "delete window.WebAssembly;", "WebAssembly"),
    ]
    # Every sentence the page shows is recorded, so that a wrong one shown
    # first and mended a moment later fails as surely as a wrong last one.
    # A sentence said while the page is still being read (a script missing)
    # is there before the recording starts.
    record = ("document.addEventListener('DOMContentLoaded', () => {"
              " const m = document.getElementById('message'); window.tervaloSaid = [];"
              " const note = () => { if (!m.hidden) tervaloSaid.push(m.textContent); }; note();"
              " new MutationObserver(note)"
              ".observe(m, { attributes: true, childList: true, characterData: true, subtree: true }); });")
    for index, (name, hidden, script, named) in enumerate(cases):
        site = Site(folder, hidden)
        driver = browser(work / ("failure-%d" % index))
        try:
            driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": script + record})
            driver.get(site.url)
            wait_for(driver, "return window.tervaloSaid && tervaloSaid.length", "a sentence", 15)
            time.sleep(SETTLE_SECONDS)
            said = driver.execute_script("return tervaloSaid")
            check(len(set(said)) == 1 and named in said[0] and said[0].endswith(".") and ". " not in said[0],
                  "%s: the page says so in one sentence: %s" % (name, " / ".join(said)))
        finally:
            driver.quit()
            site.close()


if __name__ == "__main__":
    sys.exit(main())
