#!/bin/sh
# Opens the program as a native Wayland client in a headless weston of its
# own and reads in the client's protocol log (WAYLAND_DEBUG) that its window
# is a toplevel with the title, the given app id and the fixed size of the
# form (window/form2.ui), and that the compositor maps it on its output. "Esci"
# must then end the program with status 0 (scripts/close-with-esci.py, which
# also waits for the compositor's socket before starting the program).
#
#   scripts/wayland-check.sh PROGRAM APP_ID
#
# Needs weston, qt6-wayland and what close-with-esci.py needs.
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/form.sh
. "$top/scripts/lib/form.sh"

if [ $# -ne 2 ]; then usage "PROGRAM APP_ID"; fi
program=$1
app_id=$2
title=$(form_title)
# The form's fixed size in pixels, without the decoration the toolkit draws.
size=$(form_geometry Form2)
width=$(echo "$size" | cut -d' ' -f3)
height=$(echo "$size" | cut -d' ' -f4)
runtime=$(mktemp -d)
weston_pid=""
cleanup() {
    if [ -n "$weston_pid" ]; then
        kill "$weston_pid" 2>/dev/null || true
        wait "$weston_pid" 2>/dev/null || true
    fi
    rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# The program may reach no X server: the window is Wayland's or nothing.
unset DISPLAY
export XDG_RUNTIME_DIR="$runtime"
socket=wayland-check
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --no-config \
    --log="$runtime/weston.log" &
weston_pid=$!

raw="$runtime/client.log"
status=0
WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 \
    "$top/scripts/close-with-esci.py" "$program" 2>"$raw" || status=$?
# One notation for the protocol lines: newer libwayland writes objects as
# name#id, not name@id, and puts the event queue's name after the time.
log="$runtime/protocol.log"
sed -e 's/\([a-z0-9_]\)#\([0-9]\)/\1@\2/g' -e 's/^\(\[[ 0-9.]*\]\) {[^}]*} /\1 /' "$raw" >"$log"

# found FINDING: reports FINDING; the check fails once all are known.
failed=""
found() {
    echo "$me: $1" >&2
    failed=yes
}

# The first toplevel, its xdg_surface and the wl_surface under both.
toplevel_line=$(grep -m 1 -- '-> xdg_surface@[0-9]*\.get_toplevel(new id xdg_toplevel@' "$log" || true)
toplevel=$(printf '%s\n' "$toplevel_line" | sed -n 's/.*xdg_toplevel@\([0-9]*\)).*/\1/p')
xdg_surface=$(printf '%s\n' "$toplevel_line" | sed -n 's/.*-> xdg_surface@\([0-9]*\)\.get_toplevel.*/\1/p')
surface=$(sed -n "s/.*get_xdg_surface(new id xdg_surface@$xdg_surface, wl_surface@\([0-9]*\)).*/\1/p" "$log" | head -n 1)

if [ -z "$toplevel" ] || [ -z "$surface" ]; then
    found "the program made no Wayland toplevel window"
else
    # sent REQUEST: the window sent the toplevel REQUEST, arguments and all.
    sent() {
        grep -q -F -- "-> xdg_toplevel@$toplevel.$1" "$log" || found "the window did not send $1"
    }
    sent "set_title(\"$title\")"
    sent "set_app_id(\"$app_id\")"
    # sizes REQUEST: the sizes that the window asked for with REQUEST
    # (set_min_size, set_max_size), as WIDTHxHEIGHT words.
    sizes() {
        sed -n "s/.*-> xdg_toplevel@$toplevel\.$1(\([0-9]*\), \([0-9]*\)).*/\1x\2/p" "$log" | tr '\n' ' '
    }
    # A fixed size: every minimum the window asks for is also its maximum.
    # The toolkit may ask again with its decoration added around the form.
    minimum=$(sizes set_min_size)
    maximum=$(sizes set_max_size)
    [ "$minimum" = "$maximum" ] || found "the size is not fixed: minimum sizes $minimum, maximum sizes $maximum"
    case " $minimum" in
        *" ${width}x$height "*) ;;
        *) found "the window never fixed its size at ${width}x$height (it asked for $minimum)" ;;
    esac
    grep -q -- " wl_surface@$surface\.enter(wl_output@" "$log" || found "the compositor never mapped the window on its output"
fi
if [ "$status" -ne 0 ]; then
    found "closing the window with \"Esci\" failed (status $status)"
fi

if [ -n "$failed" ]; then
    echo "$me: what the program and close-with-esci reported (protocol lines left out):" >&2
    grep -v '^\[ *[0-9.]*\] ' "$raw" >&2 || true
    echo "$me: the end of weston's log:" >&2
    tail -n 20 "$runtime/weston.log" >&2 || true
    fail "the window is not what it should be (above)"
fi
step "a native Wayland window, \"$title\", app id $app_id, fixed at ${width}x$height, mapped by weston and closed by \"Esci\" with status 0"
