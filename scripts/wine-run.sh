#!/bin/sh
# Runs one Windows program of the Windows build under Wine the way CTest
# runs a test on Windows: the build names this script as its crosscompiling
# emulator (CMakePresets.json, preset windows), so `ctest` and
# scripts/test-cross.sh run every program of it through here.
#
# The program finds Qt's and the compiler's DLLs through WINEPATH, which
# defaults to their folders (scripts/lib/windows.sh). Wine hides every
# environment variable whose name starts with QT_ from the program and hands
# it WINEQT_X as QT_X, so each QT_ variable is passed on under that name: the
# offscreen platform and the scale of the high-density tests reach the test
# as they would on Windows. A test has no console of its own under Wine, and
# Qt Test would write its log to the debugger instead of the output, so it is
# told to write to the output. The offscreen platform on Windows reads its
# fonts from a folder: the Debian tests' font.
#
# WINEPREFIX (default ~/.wine) and WINEDEBUG come from the caller.
#
#   scripts/wine-run.sh PROGRAM [ARGUMENT...]
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/windows.sh
. "$top/scripts/lib/windows.sh"

if [ -z "${WINEPATH:-}" ]; then
    windows_toolchain
    WINEPATH=$(windows_dll_folders | while IFS= read -r folder; do printf 'Z:%s;' "$folder"; done)
    export WINEPATH
fi
for name in $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    eval "export WINE$name=\"\$$name\""
done
export WINEQT_FORCE_STDERR_LOGGING=1
export WINEQT_QPA_FONTDIR="${TERVALO_WINE_FONTDIR:-Z:/usr/share/fonts/truetype/dejavu}"

exec wine "$@"
