#!/bin/sh
# Runs one Windows program under Wine the way CTest runs a test on Windows:
# the CMake build for Windows names this script as its crosscompiling
# emulator (see `make windows-check`).
#
# Wine hides every environment variable whose name starts with QT_ from the
# program and hands it WINEQT_X as QT_X, so each QT_ variable is passed on
# under that name: the offscreen platform and the scale of the high-density
# tests reach the test as they would on Windows. A test has no console of
# its own under Wine, and Qt Test would write its log to the debugger
# instead of the output, so it is told to write to the output. The offscreen
# platform on Windows reads its fonts from a folder: the Debian tests' font.
#
# WINEPREFIX, WINEPATH (the folders of the DLLs) and WINEDEBUG come from the
# caller.
set -eu

for name in $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    eval "export WINE$name=\"\$$name\""
done
export WINEQT_FORCE_STDERR_LOGGING=1
export WINEQT_QPA_FONTDIR="${TERVALO_WINE_FONTDIR:-Z:/usr/share/fonts/truetype/dejavu}"

exec wine "$@"
