#!/bin/sh
# Builds the program for 64-bit Windows with the Qt that scripts/qt-build.sh
# built, in Debian 13 (through scripts/debian13-run.sh), and stages its
# portable folder:
#
#   BUILD/cmake/                         the CMake build (preset windows), tests included
#   BUILD/tervalo-VERSION-win64/         the portable folder
#
# The folder is what the build installs (cmake --install): tervalo.exe and
# exactly the DLLs it and its plugins load, all stripped, with the licence
# texts of everything in it. scripts/windows-package.sh makes the zip and the
# installer of it.
#
#   scripts/windows-build.sh BUILD
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian13.sh
. "$top/scripts/lib/debian13.sh"
# shellcheck source=lib/qt.sh
. "$top/scripts/lib/qt.sh"

if [ $# -ne 1 ] || [ -z "$1" ]; then usage BUILD; fi
[ -z "$debian13_system" ] || fail "the Windows build is made in Debian 13: scripts/debian13-run.sh $0 $*"
mkdir -p "$1"
build=$(cd "$1" && pwd)
qt_platform windows
[ -f "$qt_prefix/.built" ] || fail "no Qt for Windows in $qt_prefix; make windows-qt builds it"
export_source_date

TERVALO_WINDOWS_QT=$qt_prefix cmake -S "$top" --preset windows -B "$build/cmake"
cmake --build "$build/cmake"

version=$(cmake_cache_value "$build/cmake" CMAKE_PROJECT_VERSION)
stage=$build/tervalo-$version-win64
rm -rf "$stage"
# objdump speaks the C locale here: CMake reads its list of imports, whose
# headings are translated ("Nom DLL" in French).
LC_ALL=C cmake --install "$build/cmake" --prefix "$stage"
# Every Windows program imports at least Qt and the compiler's runtime, so a
# folder without them means that the imports were misread, and the
# downloads would lack the DLLs.
for dll in Qt6Core.dll Qt6Widgets.dll libstdc++-6.dll; do
    [ -f "$stage/$dll" ] || fail "$dll is not among the DLLs that the program loads: its imports were misread"
done
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec "$mingw_target-strip" --strip-unneeded {} +

# The licence texts: the program's, Qt's and the third-party code's inside
# Qt, the MinGW-w64 runtime's (GCC's runtime library exception, winpthreads).
licenses=$stage/licenses
mkdir -p "$licenses/mingw-w64"
cp "$top/LICENSE" "$stage/LICENSE.txt"
cp -r "$qt_prefix/licenses" "$licenses/qt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$licenses/mingw-w64/gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$licenses/mingw-w64/mingw-w64-runtime.txt"
cp /usr/share/common-licenses/GPL-3 "$licenses/mingw-w64/GPL-3.txt"
step "$stage: $(cd "$stage" && find . -name '*.dll' | LC_ALL=C sort | tr '\n' ' ')"
