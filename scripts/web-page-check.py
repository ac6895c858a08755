#!/usr/bin/env python3
"""Opens the site of the web build as its users would, in Chromium,
WebKitGTK (Safari's engine) and Firefox ESR (scripts/lib/browser.py), and
checks what the page adds to the program. In each engine:

- a locator pair typed with real key and pointer events shows the numbers
  of the Debian build, for a pair taken from that build's tools/numbers
  output (REFERENCE), read back through the accessibility layer, which
  names each box as the desktop does and gives its text as its value;
- an over-long first locator brings up the modal message box; Enter
  answers it, the error marks follow;
- "Esci" leaves the sentence that the program has ended, and no error
  reached the page at any point;
- a page opened a second time with the server gone still starts (service
  worker), and no request of any visit leaves 127.0.0.1;
- a start that cannot succeed (no WebAssembly, the program's files
  missing) says why in one sentence.

Then, where users meet it:

- a new version put on the server reaches a returning visitor by the
  second load, whole, and offline after (Chromium and Firefox), with the
  site as it was (SITE) and a second build of it (NEW_SITE), dated as
  unzipped releases are;
- a first visit from Python's http.server, nginx and Apache as Debian
  ships them, from a sub-folder, transfers at most 5 MB, and (Chromium's
  emulation) how long the window takes on a phone's links;
- from a host name on the LAN (plain http, no service worker) the program
  works (Chromium and Firefox);
- a phone held upright (Chromium's emulation) shows the whole window, and a
  tap on a locator box gives the keyboard a text field;
- Chromium's accessibility tree, what a screen reader is given;
- the program's peak memory, against the maximum it is built with.

    scripts/web-page-check.py SITE NEW_SITE REFERENCE SCREENSHOTS

Screenshots of each state go to SCREENSHOTS. Runs in Debian 13 (through
scripts/debian13-run.sh), where the browsers, their drivers and the servers are
installed, under a virtual display of its own. TERVALO_WEB_ENGINES limits the
engines (names separated by commas; default all three).
"""

import hashlib
import json
import os
import pathlib
import re
import shutil
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent / "lib"))
import browser  # noqa: E402 (found through the path set just above)
import servers  # noqa: E402

# The window's pixel size and the boxes' places in it, as the form gives them.
LOCATOR_1 = (336 + 40, 24 + 12)
LOCATOR_2 = (336 + 40, 56 + 12)
ESCI = (344 + 48, 168 + 12)
PHONE_WIDTH = 360
ENDED = "Tervalo è stato chiuso. Ricaricate la pagina per aprirlo di nuovo."
# The boxes a screen reader is offered, by name; the hidden ones (four
# boxes and a button) are not.
BOX_NAMES = ("Locatore 1", "Locatore 2", "Km", "Puntamento")
HIDDEN_CONTROLS = 5
# How long a start failure's sentence must stay as it is: long enough for
# the server's answer about a missing file, which the page asks for after.
SETTLE_SECONDS = 1
MAX_FIRST_VISIT_BYTES = 5e6
# A phone's links (latency in ms, download in bits/s) with its CPU four
# times slower: an ordinary mobile link, and Lighthouse's slow profile.
LINKS = (("9 Mbit/s, 40 ms", 40, 9e6), ("1.6 Mbit/s, 150 ms", 150, 1.6e6))
LINK_GOAL_SECONDS = 10
CPU_SLOWDOWN = 4
SUB_FOLDER = "club/tervalo"
LAN_HOST = "tervalo.club.lan"
# Unzipped releases keep their files' dates: the last one a month ago, the
# new one a day ago.
DAY = 86400
LONGEST_PASTE = 32767

# Qt keeps its windows in a shadow tree inside the page's #screen.
QT_ROOT = "const root = (document.querySelector('#screen > div') || {}).shadowRoot || document;"
# Every sentence the page shows is recorded, so that a wrong one shown
# first and mended a moment later fails as surely as a wrong last one. A
# sentence said while the page is still being read (a script missing) is
# there before the recording starts.
RECORD_SENTENCES = ("document.addEventListener('DOMContentLoaded', () => {"
                    " const m = document.getElementById('message'); window.tervaloSaid = [];"
                    " const note = () => { if (!m.hidden) tervaloSaid.push(m.textContent); }; note();"
                    " new MutationObserver(note)"
                    ".observe(m, { attributes: true, childList: true, characterData: true, subtree: true }); });")

failures = []


def step(text):
    print("web-check: " + text, flush=True)


def check(condition, text):
    if condition:
        step("ok: " + text)
    else:
        failures.append(text)
        print("web-check: FAILED: " + text, file=sys.stderr, flush=True)


def wait_for_window(page):
    return page.wait("return window.tervaloProbe && tervaloProbe.drawn", "the window to be drawn")


def wait_for_worker(page):
    page.wait("""
        if (!window.tervaloWorkerReady)
            navigator.serviceWorker.ready.then(() => window.tervaloWorkerReady = true);
        return window.tervaloWorkerReady && !!navigator.serviceWorker.controller;""",
              "the service worker to keep the site", 60)


def enable_accessibility(page):
    """Presses the page's hidden button that a screen reader's user presses
    first, which makes the accessibility layer mirror the form in the page."""
    page.run(QT_ROOT + "root.querySelector('button.hidden-visually-read-by-screen-reader').click();")
    page.wait(QT_ROOT + "return root.querySelectorAll('input[aria-label]').length >= 4",
              "the accessibility layer's text boxes")


# What the accessibility layer offers: each box shown with its name and
# value, and the texts (captions and recent searches' rows) shown.
OFFERED = QT_ROOT + """
    const shown = e => !e.closest('[hidden]');
    return {
        boxes: Array.from(root.querySelectorAll('input')).filter(shown)
            .map(e => [e.getAttribute('aria-label'), e.value]),
        texts: Array.from(root.querySelectorAll('div')).filter(e => shown(e) && !e.children.length)
            .map(e => e.textContent),
    };"""


def wait_for_text(page, wanted, what):
    return page.wait(OFFERED.replace("return {", "const o = {") + """
        return o.texts.some(t => t.includes(%s)) ? o : null;""" % json.dumps(wanted), what)


def client_origin(page):
    """Where the form's top-left pixel is in the page's viewport."""
    return page.run(QT_ROOT + """
        const r = root.querySelector('canvas').getBoundingClientRect();
        return [r.left, r.top];""")


def click_at(page, point):
    x, y = client_origin(page)
    page.click(x + point[0], y + point[1])


def type_into(page, point, text):
    """Clicks a box, empties it from its end as a user would, and types."""
    click_at(page, point)
    page.type(browser.END + browser.BACKSPACE * 12)
    page.type(text)


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


def released(site, folder, age_days):
    """A copy of SITE in FOLDER with every file dated as an unzipped release
    AGE_DAYS old leaves it."""
    if folder.exists():
        shutil.rmtree(folder)
    shutil.copytree(site, folder)
    when = time.time() - age_days * DAY
    for path in [folder, *folder.rglob("*")]:
        os.utime(path, (when, when))
    for path in [folder, *folder.rglob("*")]:
        path.chmod(0o755 if path.is_dir() else 0o644)
    return folder


def desktop(engine, folder, shots, first, second, azimuth, distance):
    """The page's whole use in one engine, offline last."""
    site = browser.Site(folder, probe=True)
    page = browser.Browser(engine, probe=False)
    name = page.name
    outside = []
    try:
        page.open(site.url)
        drawn = wait_for_window(page)
        step("%s: window drawn %.0f ms after the page was asked for" % (name, drawn))
        check(page.title() == "Tervalo", "%s: the page's title is the program's" % name)
        wait_for_worker(page)

        enable_accessibility(page)
        names = page.run(QT_ROOT + "return Array.from(root.querySelectorAll('button')).map(e => e.textContent);")
        for button in ("Calcola", "Esci"):
            check(button in names, "%s: the accessibility layer names the button \"%s\"" % (name, button))

        type_into(page, LOCATOR_1, first)
        type_into(page, LOCATOR_2, second)
        # The recent searches' row repeats the second locator and the two
        # result boxes, as the window shows them.
        row = "%s---%sKm---%s\u00b0" % (second, distance, azimuth)
        offered = wait_for_text(page, row, "the row " + row)
        check(True, "%s: %s to %s shows [%s] and [%s], as the Debian build does" % (name, first, second, azimuth,
                                                                                  distance))
        wanted = [["Locatore 1", first], ["Locatore 2", second], ["Km", distance], ["Puntamento", azimuth]]
        check(sorted(offered["boxes"]) == sorted(wanted),
              "%s: a screen reader is offered exactly the four boxes, by name and text: %s" % (name, offered["boxes"]))
        page.screenshot(shots / ("%s-calculated.png" % engine))
        if engine == "webkit":
            offered = page.accessibility(QT_ROOT + "return Array.from(root.querySelectorAll('input, button'));")
            shown = sorted(item for item in offered if item)
            wanted = sorted([("textbox", box) for box in BOX_NAMES] + [("button", "Calcola"), ("button", "Esci")])
            check(shown == wanted and len(offered) - len(shown) == HIDDEN_CONTROLS,
                  "%s gives a screen reader the four boxes and two buttons by name, and not the %d hidden "
                  "controls: %s" % (name, HIDDEN_CONTROLS, shown))

        # Over-long first locator: the box, answered with Enter.
        type_into(page, LOCATOR_1, first + "X")
        type_into(page, LOCATOR_2, second)
        page.wait(QT_ROOT + "return root.querySelectorAll('canvas').length > 1", "the message box")
        page.screenshot(shots / ("%s-message-box.png" % engine))
        page.type(browser.ENTER)
        wait_for_text(page, "??????", "the error marks")
        check(True, "%s: after OK the results show the error mark \"??????\"" % name)
        page.screenshot(shots / ("%s-error-marks.png" % engine))
        step("%s: the program's memory after a session: %.1f MiB" % (name, page.memory() / 2**20))

        click_at(page, ESCI)
        ended = page.wait("const m = document.getElementById('message');"
                          "return m.hidden ? null : m.textContent", "the ended page")
        check(ended == ENDED, "%s: \"Esci\" leaves the sentence: %s" % (name, ended))
        page.screenshot(shots / ("%s-ended.png" % engine))
        time.sleep(0.2)
        errors = page.errors()
        check(not errors, "%s: no error reached the page, \"Esci\" included (%s)" % (name, "; ".join(errors)))
        outside += page.requests()

        # A second visit with the server gone: the service worker's copy.
        site.close()
        page.open(site.url)
        drawn = wait_for_window(page)
        check(drawn > 0, "%s: with the server gone the page opens again (service worker), drawn after %.0f ms"
              % (name, drawn))
        page.screenshot(shots / ("%s-offline.png" % engine))
        outside += page.requests()
    finally:
        page.close()
        site.close()
    outside = [url for url in outside
               if url.startswith(("http:", "https:", "ws:", "wss:", "ftp:")) and not url.startswith(site.url)]
    check(not outside, "%s: no request leaves 127.0.0.1 (outside: %s)" % (name, outside))


def start_failures(engine, folder):
    """Starts that cannot succeed say why; one that can in another way does."""
    cases = [
        ("the program's files missing", ("tervalo.wasm.gz", "tervalo.wasm"), "", "tervalo.wasm.gz"),
        ("tervalo.js missing", ("tervalo.js",), "", "tervalo.js"),
        ("no WebAssembly", (), "delete window.WebAssembly;", "WebAssembly"),
        ("no DecompressionStream", (), "delete window.DecompressionStream;", None),
        ("a server that sends tervalo.wasm.gz as gzip encoding", (), "", None),
    ]
    for label, hidden, script, named in cases:
        encoded = ("tervalo.wasm.gz",) if "encoding" in label else ()
        site = browser.Site(folder, hidden, probe=True, head_script=script + RECORD_SENTENCES, encoded=encoded)
        page = browser.Browser(engine, probe=False)
        try:
            page.open(site.url)
            if named is None:
                # Decoded once by the browser, the program is not
                # decompressed again; without a way to decompress, the page
                # loads the plain program.
                wait_for_window(page)
                plain = "/tervalo.wasm" in site.requests
                check(plain != bool(encoded) and not page.errors(),
                      "%s: %s: the program starts from %s" % (page.name, label,
                                                             "tervalo.wasm" if plain else "tervalo.wasm.gz"))
                continue
            page.wait("return window.tervaloSaid && tervaloSaid.length", "a sentence", 15)
            time.sleep(SETTLE_SECONDS)
            said = page.run("return tervaloSaid")
            check(len(set(said)) == 1 and named in said[0] and said[0].endswith(".") and ". " not in said[0],
                  "%s: %s: the page says so in one sentence: %s" % (page.name, label, " / ".join(said)))
        finally:
            page.close()
            site.close()


def digests(folder):
    """The SHA-256 of each file the worker keeps, the page as the checks
    serve it (with the probe)."""
    kept = {}
    for path in folder.rglob("*"):
        name = path.relative_to(folder).as_posix()
        if path.is_file() and not name.startswith("licenses/") and name not in ("tervalo.wasm", "service-worker.js"):
            data = path.read_bytes()
            kept[name] = hashlib.sha256(browser.with_probe(data) if name == "index.html" else data).hexdigest()
    kept[""] = kept["index.html"]
    return kept


def memory_maximum(program):
    """The maximum of a WebAssembly module's memory, in bytes, or None: its
    memory section (5) holds limits of LEB128 numbers, in 64 KiB pages."""
    data = pathlib.Path(program).read_bytes()

    def number(at):
        value = shift = 0
        while True:
            byte = data[at]
            value |= (byte & 0x7F) << shift
            at += 1
            shift += 7
            if byte < 0x80:
                return value, at

    at = 8
    while at < len(data):
        section = data[at]
        size, at = number(at + 1)
        if section == 5:
            _, limits = number(at)
            flags, limits = number(limits)
            _, limits = number(limits)
            return number(limits)[0] * 65536 if flags & 1 else None
        at += size
    return None


# The files the worker keeps, each with its SHA-256, read in the page.
KEPT = """
    const kept = {};
    for (const name of await caches.keys()) {
        const cache = await caches.open(name);
        for (const request of await cache.keys()) {
            const bytes = await (await cache.match(request)).arrayBuffer();
            const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
            kept[name + ' ' + new URL(request.url).pathname.slice(1)] =
                Array.from(digest, b => b.toString(16).padStart(2, '0')).join('');
        }
    }
    return kept;"""


def settled(page, cache_name):
    """Waits a while for the worker of CACHE_NAME to be the only one, its
    copy complete; whether it came."""
    try:
        page.wait("""
            if (window.tervaloSettled === undefined) {
                window.tervaloSettled = false;
                (async () => {
                    const registration = await navigator.serviceWorker.getRegistration();
                    const names = await caches.keys();
                    window.tervaloSettled = !!registration && !registration.installing && !registration.waiting
                        && names.length === 1 && names[0] === %s;
                })().catch(() => window.tervaloSettled = undefined);
            }
            const settled = window.tervaloSettled;
            if (!settled)
                window.tervaloSettled = undefined;
            return settled;""" % json.dumps(cache_name), "the new version's worker", 60)
        return True
    except TimeoutError:
        return False


def kept_files(page):
    page.run("window.tervaloKept = null; (async () => {%s})().then(k => window.tervaloKept = k);" % KEPT)
    return page.wait("return window.tervaloKept", "the worker's copy")


def update(engine, old_site, new_site, work):
    """A returning visitor meets a new version: by the second load at the
    latest it runs, whole, and offline after."""
    folder = work / "served"
    released(old_site, folder, 30)
    site = browser.Site(folder, probe=True)
    page = browser.Browser(engine, probe=False)
    new = digests(new_site)
    try:
        page.open(site.url)
        wait_for_window(page)
        wait_for_worker(page)
        released(new_site, folder, 1)
        cache_name = re.search(r"tervalo-[0-9a-f]{16}", (new_site / "service-worker.js").read_text()).group(0)
        title = re.search(r"<title>(.*)</title>", (new_site / "index.html").read_text()).group(1)
        # The new version runs when the new worker, alone, served the whole
        # page from its copy, which holds the new files and nothing else.
        for loads in (1, 2):
            page.open(site.url)
            wait_for_window(page)
            settled(page, cache_name)
            kept = kept_files(page)
            caches = {key.split(" ")[0] for key in kept}
            files = {key.split(" ", 1)[1]: digest for key, digest in kept.items()}
            served_by_new = files == new and caches == {cache_name} and page.title() == title and \
                not page.run("return tervaloProbe.controllerChanged")
            if served_by_new:
                break
        stale = sorted(name for name in set(files) | set(new) if files.get(name) != new.get(name))
        check(served_by_new, "%s: a new version on the server runs by the second load (\"%s\"), from a copy of "
              "its own files only (load %d; caches %s; files not the new version's: %s)"
              % (page.name, page.title(), loads, sorted(caches), stale))
        controlled = page.run("return navigator.serviceWorker.controller && "
                              "navigator.serviceWorker.controller.state")
        check(controlled == "activated", "%s: the new version's worker controls the page (%s)"
              % (page.name, controlled))
        site.close()
        page.open(site.url)
        wait_for_window(page)
        errors = page.errors()
        check(not errors, "%s: offline, the new version starts with no error (%s)" % (page.name, "; ".join(errors)))
    finally:
        page.close()
        site.close()


def first_visits(site, work, shots):
    """A first visit from each server, from a sub-folder: what it transfers,
    and how long the window takes on a phone's links (Chromium's emulation)."""
    root = work / "servers"
    released(site, root / SUB_FOLDER, 30)
    for kind in ("python", "nginx", "apache"):
        server = servers.Server(kind, root)
        try:
            url = server.url + SUB_FOLDER + "/"
            with browser.Browser("chromium") as page:
                page.open(url)
                wait_for_window(page)
                wait_for_worker(page)
                time.sleep(0.5)
                sent = server.relay.take()
                errors = page.errors()
                page.screenshot(shots / ("chromium-%s.png" % kind))
            check(sent <= MAX_FIRST_VISIT_BYTES,
                  "%s: a first visit of /%s/ transfers %.2f MB, the worker's fetches included (at most %.0f MB)"
                  % (kind, SUB_FOLDER, sent / 1e6, MAX_FIRST_VISIT_BYTES / 1e6))
            check(not errors, "%s: the page from /%s/ shows no error (%s)" % (kind, SUB_FOLDER, "; ".join(errors)))
            for link, latency, bits in LINKS:
                with browser.Browser("chromium") as page:
                    page.devtools("Network.enable")
                    page.devtools("Network.emulateNetworkConditions", {
                        "offline": False, "latency": latency, "downloadThroughput": bits / 8,
                        "uploadThroughput": bits / 8})
                    page.devtools("Emulation.setCPUThrottlingRate", {"rate": CPU_SLOWDOWN})
                    page.open(url)
                    drawn = page.wait("return window.tervaloProbe && tervaloProbe.drawn",
                                      "the window on a slow link", 180)
                step("%s, Chromium's emulation of a phone on %s with the CPU slowed %d times: window drawn after "
                     "%.1f s%s" % (kind, link, CPU_SLOWDOWN, drawn / 1000,
                                   "" if link != LINKS[0][0] or drawn <= LINK_GOAL_SECONDS * 1000
                                   else " (the goal is %d s)" % LINK_GOAL_SECONDS))
        finally:
            server.close()
    # The sub-folder in another engine, offline too.
    server = servers.Server("nginx", root)
    try:
        with browser.Browser("firefox") as page:
            url = server.url + SUB_FOLDER + "/"
            page.open(url)
            wait_for_window(page)
            wait_for_worker(page)
            server.close()
            page.open(url)
            wait_for_window(page)
            errors = page.errors()
            check(not errors, "Firefox: nginx's /%s/ opens offline with no error (%s)" % (SUB_FOLDER, "; ".join(errors)))
    finally:
        server.close()


def lan(site, engine, first, second, azimuth, distance):
    """Plain http from a machine on the LAN: no worker, but the program."""
    server = servers.Server("python", site)
    try:
        with browser.Browser(engine, hosts=(LAN_HOST,)) as page:
            page.open("http://%s:%d/" % (LAN_HOST, server.relay.port))
            wait_for_window(page)
            workers = page.run("return 'serviceWorker' in navigator")
            type_into(page, LOCATOR_1, first)
            type_into(page, LOCATOR_2, second)
            enable_accessibility(page)
            wait_for_text(page, "%s---%sKm---%s\u00b0" % (second, distance, azimuth), "the result on the LAN")
            errors = page.errors()
            check(not errors and not workers, "%s: from http://%s/, with no service worker there, the program works "
                  "with no error (%s)" % (page.name, LAN_HOST, "; ".join(errors)))
    finally:
        server.close()


def tap(page, point):
    """A finger's tap on a point of the form (the page's own coordinates,
    which the browser maps to the zoomed-out screen itself)."""
    x, y = client_origin(page)
    where = {"x": x + point[0], "y": y + point[1]}
    page.devtools("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": [where]})
    page.devtools("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})


def phone(folder, shots, first, second, azimuth, distance):
    """Chromium's emulation of a phone: the window fits, a tap focuses a
    text field, and the longest paste; the program's peak memory."""
    site = browser.Site(folder)
    try:
        with browser.Browser("chromium", phone=True) as page:
            page.open(site.url)
            wait_for_window(page)
            page.screenshot(shots / "phone-360.png")
            right, scale, width = page.run("""
                const r = document.getElementById('screen').getBoundingClientRect();
                return [r.right, visualViewport.scale, visualViewport.width];""")
            check(right * scale <= PHONE_WIDTH + 0.5,
                  "Chromium's phone: the whole window fits the phone's 360 pixels (right edge at %.0f of %.0f "
                  "page pixels, scale %.3f)" % (right, width, scale))
            # A tap on a locator box gives the keyboard a text field (Qt's
            # hidden input), and what the keyboard sends reaches the box.
            for point, text in ((LOCATOR_1, "J" * LONGEST_PASTE), (LOCATOR_1, first), (LOCATOR_2, second)):
                tap(page, point)
                focused = page.wait("const e = document.activeElement;"
                                    "return e && (e.tagName === 'INPUT' || e.tagName === 'TEXTAREA')"
                                    " ? e.tagName : null;", "a focused text field", 5)
                check(bool(focused), "Chromium's phone: a tap on a locator box focuses a text field (%s)" % focused)
                for _ in range(12):
                    for kind in ("rawKeyDown", "keyUp"):
                        page.devtools("Input.dispatchKeyEvent", {
                            "type": kind, "key": "Backspace", "code": "Backspace", "windowsVirtualKeyCode": 8})
                page.devtools("Input.insertText", {"text": text})
                if len(text) == LONGEST_PASTE:
                    enable_accessibility(page)
                    page.wait(QT_ROOT + "return root.querySelector('input[aria-label=\"Locatore 1\"]').value"
                              ".length >= %d" % (LONGEST_PASTE - 12), "the longest paste")
                    # Emptied as a user would: all of it selected first.
                    page.devtools("Input.dispatchKeyEvent", {"type": "rawKeyDown", "key": "a", "code": "KeyA",
                                                             "windowsVirtualKeyCode": 65, "modifiers": 2})
                    page.devtools("Input.dispatchKeyEvent", {"type": "keyUp", "key": "a", "code": "KeyA",
                                                             "windowsVirtualKeyCode": 65, "modifiers": 2})
                    for kind in ("rawKeyDown", "keyUp"):
                        page.devtools("Input.dispatchKeyEvent", {
                            "type": kind, "key": "Backspace", "code": "Backspace", "windowsVirtualKeyCode": 8})
            wait_for_text(page, "%s---%sKm---%s\u00b0" % (second, distance, azimuth), "the row on the phone")
            check(True, "Chromium's phone: on the phone's keyboard, after a paste of %d characters, %s to %s shows "
                  "[%s] and [%s]" % (LONGEST_PASTE, first, second, azimuth, distance))
            page.screenshot(shots / "phone-typed.png")
            peak = page.memory()
            maximum = memory_maximum(folder / "tervalo.wasm")
            step("the program's peak memory: %.1f MiB (its maximum: %s)"
                 % (peak / 2**20, "%.0f MiB" % (maximum / 2**20) if maximum else "none"))
            check(maximum and maximum < 2**32 and peak <= maximum / 2,
                  "the program's peak memory is at most half the maximum it is built with, which is below "
                  "emscripten's 4 GiB")
    finally:
        site.close()


def accessibility_tree(folder, first, second, azimuth, distance):
    """What Chromium gives a screen reader (its computed accessibility tree)."""
    site = browser.Site(folder)
    try:
        with browser.Browser("chromium") as page:
            page.open(site.url)
            wait_for_window(page)
            enable_accessibility(page)
            type_into(page, LOCATOR_1, first)
            type_into(page, LOCATOR_2, second)
            wait_for_text(page, "%s---%sKm---%s\u00b0" % (second, distance, azimuth), "the row")
            nodes = page.devtools("Accessibility.getFullAXTree")["nodes"]
    finally:
        site.close()

    def text(node, key):
        return str((node.get(key) or {}).get("value", ""))

    shown = [node for node in nodes if not node.get("ignored")]
    boxes = sorted([text(node, "name"), text(node, "value")] for node in shown
                   if text(node, "role") in ("textbox", "searchbox"))
    step("Chromium's accessibility tree: text boxes %s" % boxes)
    wanted = sorted([["Locatore 1", first], ["Locatore 2", second], ["Km", distance], ["Puntamento", azimuth]])
    # Beside them, the field that takes the keyboard's text for the box
    # that has the focus, named after it.
    keyboard = list(boxes)
    for box in wanted:
        if box in keyboard:
            keyboard.remove(box)
    check(len(boxes) - len(keyboard) == len(wanted) and len(keyboard) <= 1 and
          all(name in BOX_NAMES for name, _ in keyboard),
          "Chromium's accessibility tree offers the four boxes, named and with their texts, and no other box "
          "but the keyboard's, named after the box it types into (%s)" % keyboard)
    texts = [text(node, "name") for node in shown if text(node, "role") == "StaticText"]
    for caption in ("Ultime ricerche", "Locatore 1", "Puntamento"):
        check(caption in texts, "Chromium's accessibility tree reads \"%s\" as text" % caption)
    buttons = sorted(text(node, "name") for node in shown if text(node, "role") == "button")
    check(buttons == ["Calcola", "Esci"], "Chromium's accessibility tree offers the buttons %s, not the hidden one"
          % buttons)


def main():
    if len(sys.argv) != 5:
        print("usage: %s SITE NEW_SITE REFERENCE SCREENSHOTS" % sys.argv[0], file=sys.stderr)
        return 2
    engines = os.environ.get("TERVALO_WEB_ENGINES", ",".join(browser.ENGINES)).split(",")
    browser.with_display(engines)
    folder, new_folder = (pathlib.Path(arg).resolve() for arg in sys.argv[1:3])
    first, second, azimuth, distance = shown_pair(sys.argv[3])
    shots = pathlib.Path(sys.argv[4])
    shots.mkdir(parents=True, exist_ok=True)
    work = pathlib.Path(tempfile.mkdtemp(prefix="web-check-"))
    work.chmod(0o755)
    try:
        for engine in engines:
            step("in %s" % browser.ENGINE_NAMES[engine])
            desktop(engine, folder, shots, first, second, azimuth, distance)
            start_failures(engine, folder)
            if engine != "webkit":
                update(engine, folder, new_folder, work)
                lan(folder, engine, first, second, azimuth, distance)
        if "chromium" in engines:
            step("only Chromium can emulate a phone, a slow link and a slow CPU, and give its accessibility tree")
            accessibility_tree(folder, first, second, azimuth, distance)
            phone(folder, shots, first, second, azimuth, distance)
            first_visits(folder, work, shots)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("web-check: %d checks failed" % len(failures), file=sys.stderr)
        return 1
    step("every check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
