#!/bin/sh
# Times the start-up of the program against a minimal Qt Widgets window, both
# built in BUILD_DIR by bench/startup/CMakeLists.txt, on a private Xvfb
# display. The two programs take turns, RUNS times each after one unmeasured
# warm-up apiece; the medians and their ratios are printed. The exit status
# is 1 when a ratio of map time or of peak memory is over the goal.
#
# Usage: bench/startup/run.sh BUILD_DIR [RUNS]
# QT_SCALE_FACTOR, when set, is passed on to both programs.
set -eu

build=${1:?usage: run.sh BUILD_DIR [RUNS]}
runs=${2:-15}
goal=1.15

probe=$build/startup_probe
program=$build/tervalo/window/tervalo
minimal=$build/minimal_window
for f in "$probe" "$program" "$minimal"; do
    [ -x "$f" ] || { echo "run.sh: $f is missing; build it first" >&2; exit 2; }
done

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Xvfb writes its display number into the pipe once it accepts clients.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
read -r display <"$work/display"
export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
# Qt wants a private runtime folder and warns on every start without one.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
unset WAYLAND_DISPLAY || true

# measure NAME BINARY: one start of BINARY through the probe, its figures
# added to the file NAME.
measure() {
    "$probe" "$2" >>"$work/$1" || { echo "run.sh: $2 failed" >&2; exit 1; }
}
"$probe" "$program" >/dev/null
"$probe" "$minimal" >/dev/null
i=0
while [ "$i" -lt "$runs" ]; do
    measure tervalo "$program"
    measure minimal "$minimal"
    i=$((i + 1))
done

# median FILE COLUMN: the median of the numbers in COLUMN of FILE.
median() {
    cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "Start-up under Xvfb, medians of $runs runs each (scale ${QT_SCALE_FACTOR:-1}):"
printf '%-10s %12s %16s %14s\n' "" "mapped (ms)" "first paint (ms)" "peak RSS (KiB)"
for name in tervalo minimal; do
    printf '%-10s %12s %16s %14s\n' "$name" "$(median "$work/$name" 1)" "$(median "$work/$name" 2)" "$(median "$work/$name" 3)"
done
awk -v goal="$goal" \
    -v tm="$(median "$work/tervalo" 1)" -v mm="$(median "$work/minimal" 1)" \
    -v tp="$(median "$work/tervalo" 2)" -v mp="$(median "$work/minimal" 2)" \
    -v tr="$(median "$work/tervalo" 3)" -v mr="$(median "$work/minimal" 3)" 'BEGIN {
    printf "ratio      %12.3f %16.3f %14.3f   (goal: at most %s for mapped and peak RSS)\n", tm / mm, tp / mp, tr / mr, goal
    if (tm / mm > goal || tr / mr > goal) { print "over the goal"; exit 1 }
    print "within the goal"
}'
