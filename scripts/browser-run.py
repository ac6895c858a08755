#!/usr/bin/env python3
"""Runs one program of the web build in a browser page, as a test runner
runs a program on the machine itself: its standard output and error come
out here, line by line as it wrote them, and its exit status is this
script's. The browser is headless Chromium, or the engine that
TERVALO_WEB_ENGINE names (webkit or firefox; see scripts/lib/browser.py). The web build names this script as its crosscompiling emulator
(CMakePresets.json, preset web; through scripts/debian13-run.sh), so `ctest` and
scripts/test-cross.sh run every test and tool of it through here.

    scripts/browser-run.py PROGRAM.js [ARGUMENT...]

The program's folder is served on 127.0.0.1 only, with a page that loads the
program through Qt's loader; chromedriver drives the browser and takes what
the program writes from the page. The QT_ variables of this environment (such as
the scale that CTest gives a test) and the TERVALO_TYPING_ ones (a random
typing run to repeat) become the program's own.
TERVALO_WEB_TIMEOUT (seconds, default 900) bounds a run; TERVALO_WEB_DEBUG=1
also prints the page's console.
"""

import json
import os
import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent / "lib"))
import browser  # noqa: E402 (found through the path set just above)

# The page gives the program a screen of the window's own size, as the
# site's page does: Qt for the web fits a window to a larger screen.
RUNNER_PAGE = """<!doctype html>
<html><head><meta charset="utf-8"><title>%(name)s</title></head>
<body style="margin:0">
<div id="screen" style="width:681px;height:417px"></div>
<script src="qtloader.js"></script>
<script src="%(name)s.js"></script>
<script>
"use strict";
// What the program writes, kept until this script's driver takes it.
window.programOutput = [];
window.programExit = null;
// An error that stops the program is told with where it happened.
window.addEventListener("error", e => programOutput.push([2, String(e.error && e.error.stack || e.message)]));
qtLoad({
    arguments: %(arguments)s,
    print: text => programOutput.push([1, text]),
    printErr: text => programOutput.push([2, text]),
    qt: {
        containerElements: [document.getElementById("screen")],
        entryFunction: window["%(entry)s"],
        environment: %(environment)s,
        onExit: exit => { programExit = exit; },
    },
}).catch(error => { programExit = { crashed: true, text: String(error) }; });
</script>
</body></html>
"""

# One string, which every driver passes on quickly, however many lines.
TAKE_OUTPUT = "return JSON.stringify([window.programOutput.splice(0), window.programExit]);"


def main():
    if len(sys.argv) < 2:
        print("usage: %s PROGRAM.js [ARGUMENT...]" % sys.argv[0], file=sys.stderr)
        return 2
    engine = os.environ.get("TERVALO_WEB_ENGINE", "chromium")
    browser.with_display([engine])
    program = pathlib.Path(sys.argv[1]).resolve()
    if program.suffix != ".js":
        program = program.with_suffix(".js")
    name = program.stem
    # Qt names the program's entry function after it, keeping only what
    # JavaScript allows in a name.
    entry = "".join(c if c.isalnum() or c == "_" else "_" for c in name) + "_entry"
    # The browser's own platform is the only one a web program has, so the
    # offscreen platform that CTest asks for on other systems is left out. A
    # screen's scale is the page's device pixel ratio there: QT_SCALE_FACTOR
    # sets that, and reaches the program as TERVALO_SCREEN_SCALE.
    environment = {key: value for key, value in os.environ.items()
                   if key.startswith(("QT_", "TERVALO_TYPING_")) and key not in ("QT_QPA_PLATFORM", "QT_SCALE_FACTOR")}
    scale = os.environ.get("QT_SCALE_FACTOR")
    if scale:
        environment["TERVALO_SCREEN_SCALE"] = scale
    page = (RUNNER_PAGE % {
        "name": name, "entry": entry, "arguments": json.dumps(sys.argv[2:]),
        "environment": json.dumps(environment),
    }).encode()

    site = browser.Site(program.parent, pages={"/__runner.html": page})
    page_browser = browser.Browser(engine, scale=scale, probe=bool(os.environ.get("TERVALO_WEB_DEBUG")))
    exit_data = None
    try:
        timeout = float(os.environ.get("TERVALO_WEB_TIMEOUT", "900"))
        # The program may keep the page busy, and the driver waiting, for
        # as long as it computes without waiting for an event.
        page_browser.set_script_timeout(timeout)
        page_browser.open(site.url + "__runner.html")
        deadline = time.monotonic() + timeout
        while exit_data is None:
            lines, exit_data = json.loads(page_browser.run(TAKE_OUTPUT))
            for stream, text in lines:
                print(text, file=sys.stdout if stream == 1 else sys.stderr)
            sys.stdout.flush()
            if exit_data is None:
                if time.monotonic() > deadline:
                    print("web-test: %s did not end in time" % name, file=sys.stderr)
                    return 1
                time.sleep(0.1)
        if os.environ.get("TERVALO_WEB_DEBUG"):
            for error in page_browser.errors():
                print("web-test: console: " + error, file=sys.stderr)
    finally:
        page_browser.close()
        site.close()
    if exit_data.get("crashed"):
        print("web-test: %s stopped: %s" % (name, exit_data.get("text", "")), file=sys.stderr)
        return 1
    return int(exit_data.get("code", 1))


if __name__ == "__main__":
    sys.exit(main())
