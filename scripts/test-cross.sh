#!/bin/sh
# Tests a build for another system, cross-built here (arm64 Linux, Windows,
# the web), the same way for each: the build's own emulator
# (CMAKE_CROSSCOMPILING_EMULATOR in its cache: qemu-aarch64, Wine through
# scripts/wine-run.sh, or headless Chromium through scripts/browser-run.py) runs
#
# 1. the whole test suite through ctest, where every Qt Test program must also
#    have printed its totals, since a program that wrote nothing proved nothing;
# 2. tools/numbers, whose every shown number for the edge pairs and
#    NUMBERS_PAIRS (default 1000000) random locator pairs must be the one that
#    this machine's build in REFERENCE prints (scripts/compare-numbers.sh;
#    --exact when both use the same C library, so that the intermediate values
#    must match too).
#
#   scripts/test-cross.sh [--exact] BUILD REFERENCE NAME
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"

exact=""
if [ "${1:-}" = "--exact" ]; then
    exact=--exact
    shift
fi
if [ $# -ne 3 ]; then usage "[--exact] BUILD REFERENCE NAME"; fi
build=$(cd "$1" && pwd)
reference=$(cd "$2" && pwd)
name=$3
pairs=${NUMBERS_PAIRS:-1000000}
# The emulator is a CMake list, its command and arguments separated by ';'
# (a path in it may hold a blank).
emulator_list=$(cmake_cache_value "$build" CMAKE_CROSSCOMPILING_EMULATOR)
[ -n "$emulator_list" ] || fail "$build names no crosscompiling emulator"
emulator=$(printf '%s' "$emulator_list" | tr ';' ' ')

# emulated PROGRAM [ARGUMENT...]: runs PROGRAM through the emulator.
emulated() {
    saved_ifs=$IFS
    IFS=';'
    set -f
    # shellcheck disable=SC2086 # the emulator's list, split at its ';' alone
    set -- $emulator_list "$@"
    IFS=$saved_ifs
    set +f
    "$@"
}

step "the $name test suite, each program run by $emulator"
count=$(ctest --test-dir "$build" -N | sed -n 's/^Total Tests: //p')
ctest --test-dir "$build" --output-on-failure
# Counted in ctest's log of the run just made.
totals=$(grep -c '^Totals: ' "$build/Testing/Temporary/LastTest.log" || true)
[ "$totals" -eq "$count" ] || fail "$count tests ran, but only $totals printed their totals"
step "all $count $name tests passed and printed their totals"

# A Windows build puts its programs at the top of the build folder; a web
# build's program is its script.
numbers=$build/tools/numbers/numbers
[ -f "$numbers" ] || numbers=$build/numbers.exe
[ -f "$numbers" ] || numbers=$build/tools/numbers/numbers.js
[ -f "$numbers" ] || fail "$build holds no tools/numbers program"
step "every shown number for the edge pairs and $pairs random pairs, $name against this machine"
"$reference/tools/numbers/numbers" "$pairs" >"$build/numbers-reference.txt"
emulated "$numbers" "$pairs" >"$build/numbers.txt"
"$top/scripts/compare-numbers.sh" $exact "$build/numbers-reference.txt" "$build/numbers.txt" "$name"
