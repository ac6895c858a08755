#!/bin/sh
# Starts the sanitized program in a virtual X server, waits for its window,
# clicks "Esci" as a person would and checks that the program then ends by
# itself with exit status 0. The program returns from its event loop and runs
# every destructor, so AddressSanitizer's leak check at exit sees the whole
# program; a leak, a memory error or undefined behaviour gives a non-zero
# status and fails this check.
#
#   scripts/sanitize-window.sh BUILD_FOLDER
#
# Needs Xvfb, xauth and xdotool (scripts/install-deps.sh screen); the
# sanitizer options come from the environment (see the Makefile).
set -eu

program="$1/window/tervalo"
[ -x "$program" ] || { echo "sanitize-window: no program at $program" >&2; exit 2; }

# Inside the virtual server: this script runs itself again with --inside.
if [ "${2:-}" != --inside ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$1" --inside
fi

# The "Esci" button's centre inside the window: the form places it at
# (344, 168), 97 by 25 pixels.
esci_x=392
esci_y=180

"$program" &
pid=$!

window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tervalo utility' | head -n 1) || true
if [ -z "$window" ]; then
    echo "sanitize-window: the window did not appear" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
fi
# Let the window finish painting before the click.
sleep 1
xdotool mousemove --window "$window" "$esci_x" "$esci_y" click 1

# The program must end by itself soon after the click.
tries=0
while kill -0 "$pid" 2>/dev/null; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ]; then
        echo "sanitize-window: the program was still running 20 s after \"Esci\"" >&2
        kill "$pid" 2>/dev/null || true
        exit 1
    fi
    sleep 0.2
done
status=0
wait "$pid" || status=$?
if [ "$status" -ne 0 ]; then
    echo "sanitize-window: the program ended with status $status" >&2
    exit 1
fi
echo "sanitize-window: window opened, closed by \"Esci\", no leak or error reported"
