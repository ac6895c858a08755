#!/bin/sh
# Runs one Windows program of the Windows build under Wine the way CTest
# runs a test on Windows: the build names this script as its crosscompiling
# emulator (CMakePresets.json, preset windows), so `ctest` and
# scripts/test-cross.sh run every program of it through here.
#
# The program finds Qt's and the compiler's DLLs through WINEPATH, which
# defaults to Qt for Windows' folder (scripts/lib/qt.sh). The QT_ variables
# reach it as they would on Windows (wine_qt in lib/wine.sh): the offscreen
# platform and the scale of the high-density tests. The offscreen platform
# on Windows reads its fonts from a folder: the Debian tests' font.
#
# WINEPREFIX (default ~/.wine) and WINEDEBUG come from the caller.
#
#   scripts/wine-run.sh PROGRAM [ARGUMENT...]
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian13.sh
. "$top/scripts/lib/debian13.sh"
# shellcheck source=lib/qt.sh
. "$top/scripts/lib/qt.sh"
# shellcheck source=lib/wine.sh
. "$top/scripts/lib/wine.sh"

if [ -z "${WINEPATH:-}" ]; then
    qt_platform windows
    WINEPATH="Z:$qt_prefix/bin"
    export WINEPATH
fi
QT_QPA_FONTDIR="${TERVALO_WINE_FONTDIR:-Z:/usr/share/fonts/truetype/dejavu}" wine_qt "$@"
