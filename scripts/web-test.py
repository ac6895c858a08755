#!/usr/bin/env python3
"""Runs one program of the web build in headless Chromium, as a test runner
runs a program on the machine itself: its standard output and error come
out here, line by line as it wrote them, and its exit status is this
script's. The web build names this script as its crosscompiling emulator
(CMakePresets.json, preset web; through scripts/web-run.sh), so `ctest` and
scripts/test-cross.sh run every test and tool of it through here.

    scripts/web-test.py PROGRAM.js [ARGUMENT...]

The program's folder is served on 127.0.0.1 only, with a page that loads the
program through Qt's loader. The QT_ variables of this environment (the
platform, the scale that CTest gives a test) become the program's own.
TERVALO_WEB_TIMEOUT (seconds, default 900) bounds a run.
"""

import http.server
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import threading

RUNNER_PAGE = """<!doctype html>
<html><head><meta charset="utf-8"><title>%(name)s</title></head>
<body style="margin:0">
<div id="screen" style="width:1024px;height:768px"></div>
<script src="qtloader.js"></script>
<script src="%(name)s.js"></script>
<script>
"use strict";
const lines = [];
function flush(last) {
    if (lines.length === 0 && !last)
        return Promise.resolve();
    const body = JSON.stringify(lines.splice(0));
    return fetch("/__output", { method: "POST", body: body, keepalive: !last });
}
const timer = setInterval(flush, 200);
function finish(exit) {
    clearInterval(timer);
    flush(true).then(() => fetch("/__exit", { method: "POST", body: JSON.stringify(exit) }));
}
qtLoad({
    arguments: %(arguments)s,
    print: text => lines.push([1, text]),
    printErr: text => lines.push([2, text]),
    qt: {
        containerElements: [document.getElementById("screen")],
        entryFunction: window["%(entry)s"],
        environment: %(environment)s,
        onExit: finish,
    },
}).catch(error => finish({ crashed: true, text: String(error) }));
</script>
</body></html>
"""


def chromium_command(user_data, url):
    return [
        "chromium", "--headless=new", "--no-sandbox", "--no-first-run",
        "--disable-background-networking", "--disable-component-update", "--disable-sync",
        "--disable-quic", "--disable-default-apps", "--use-angle=swiftshader",
        "--enable-unsafe-swiftshader", "--user-data-dir=" + user_data,
        "--window-size=1024,768", url,
    ]


def main():
    if len(sys.argv) < 2:
        print("usage: %s PROGRAM.js [ARGUMENT...]" % sys.argv[0], file=sys.stderr)
        return 2
    program = pathlib.Path(sys.argv[1]).resolve()
    if program.suffix != ".js":
        program = program.with_suffix(".js")
    name = program.stem
    # Qt names the program's entry function after it, keeping only what
    # JavaScript allows in a name.
    entry = "".join(c if c.isalnum() or c == "_" else "_" for c in name) + "_entry"
    environment = {key: value for key, value in os.environ.items() if key.startswith("QT_")}
    page = (RUNNER_PAGE % {
        "name": name, "entry": entry, "arguments": json.dumps(sys.argv[2:]),
        "environment": json.dumps(environment),
    }).encode()
    result = {}
    finished = threading.Event()
    output_lock = threading.Lock()

    class Handler(http.server.SimpleHTTPRequestHandler):
        def __init__(self, *args, **kwargs):
            super().__init__(*args, directory=str(program.parent), **kwargs)

        def log_message(self, *args):
            pass

        def do_GET(self):
            if self.path.split("?")[0] == "/__runner.html":
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(page)))
                self.end_headers()
                self.wfile.write(page)
            else:
                super().do_GET()

        def do_POST(self):
            body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
            self.send_response(204)
            self.end_headers()
            if self.path == "/__output":
                with output_lock:
                    for stream, text in json.loads(body):
                        out = sys.stdout if stream == 1 else sys.stderr
                        out.write(text + "\n")
                    sys.stdout.flush()
                    sys.stderr.flush()
            elif self.path == "/__exit":
                result.update(json.loads(body))
                finished.set()

    Handler.extensions_map[".wasm"] = "application/wasm"
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    user_data = tempfile.mkdtemp(prefix="web-test-")
    url = "http://127.0.0.1:%d/__runner.html" % server.server_address[1]
    browser = subprocess.Popen(chromium_command(user_data, url), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        timeout = float(os.environ.get("TERVALO_WEB_TIMEOUT", "900"))
        if not finished.wait(timeout):
            print("web-test: %s did not end within %g s" % (name, timeout), file=sys.stderr)
            return 1
    finally:
        browser.kill()
        browser.wait()
        server.shutdown()
        shutil.rmtree(user_data, ignore_errors=True)
    if result.get("crashed"):
        print("web-test: %s stopped: %s" % (name, result.get("text", "")), file=sys.stderr)
        return 1
    return int(result.get("code", 1))


if __name__ == "__main__":
    sys.exit(main())
