#!/bin/sh
# Builds the program for 64-bit Windows with the Qt that scripts/windows-qt.sh
# built, and stages its portable folder:
#
#   BUILD/cmake/                         the CMake build (preset windows), tests included
#   BUILD/tervalo-VERSION-win64/         the portable folder
#
# The folder holds tervalo.exe and exactly the DLLs it loads, found by
# walking the imports of the program and of the two plugins that no import
# names (the windows platform and the native style), all stripped, with the
# licence texts of everything in it. scripts/windows-package.sh makes the zip
# and the installer of it.
#
#   scripts/windows-build.sh BUILD
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/windows.sh
. "$top/scripts/lib/windows.sh"

if [ $# -ne 1 ] || [ -z "$1" ]; then usage BUILD; fi
mkdir -p "$1"
build=$(cd "$1" && pwd)
windows_toolchain
qt=$windows_qt_prefix
[ -f "$qt/.built" ] || fail "no Qt for Windows in $qt; run scripts/windows-qt.sh (make windows does)"
export_source_date

TERVALO_WINDOWS_QT=$qt cmake -S "$top" --preset windows -B "$build/cmake"
cmake --build "$build/cmake"

version=$(cmake_cache_value "$build/cmake" CMAKE_PROJECT_VERSION)
stage=$build/tervalo-$version-win64
rm -rf "$stage"
mkdir -p "$stage"
# qt_standard_project_setup() puts every program of a Windows build at the top
# of the build folder, beside the DLLs it builds.
cp "$build/cmake/tervalo.exe" "$stage/"
mkdir -p "$stage/platforms" "$stage/styles"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt"/plugins/styles/*.dll "$stage/styles/"

# imports FILE: the DLLs that the PE file FILE imports by name. objdump
# speaks the C locale here: its messages are translated ("Nom DLL" in French).
# Every Windows program and library imports at least Windows' own kernel32,
# so a file with no import at all means that objdump's list was misread,
# and the zip would lack the DLLs.
imports() {
    names=$(LC_ALL=C "$mingw_target-objdump" -p "$1" | sed -n 's/^\tDLL Name: //p')
    [ -n "$names" ] || fail "objdump lists no DLL that $1 imports"
    printf '%s\n' "$names"
}

# dll_from_folders DLL: the path of DLL in the first of the DLL folders that
# holds it; nothing when none does.
dll_folders=$(windows_dll_folders)
dll_from_folders() {
    while IFS= read -r dir; do
        if [ -f "$dir/$1" ]; then
            printf '%s\n' "$dir/$1"
            return
        fi
    done <<EOF
$dll_folders
EOF
}

# Every DLL imported by what is in the folder, and by those in turn, that
# comes from Qt or the compiler's runtime; the others are Windows' own. The
# files still to walk are kept one a line, since the folder's path may hold
# a blank.
windows_own=""
pending=$(find "$stage" -name '*.exe' -o -name '*.dll')
while [ -n "$pending" ]; do
    next=""
    while IFS= read -r file; do
        dlls=$(imports "$file")
        for dll in $dlls; do
            [ -e "$stage/$dll" ] && continue
            found=$(dll_from_folders "$dll")
            if [ -n "$found" ]; then
                cp "$found" "$stage/"
                next="$next$stage/$dll
"
            else
                case $dll in
                    Qt6* | lib*) fail "$file needs $dll, which is nowhere to be found" ;;
                esac
                windows_own="$windows_own $dll"
            fi
        done
    done <<EOF
$pending
EOF
    pending=${next%?}
done
step "from Windows itself:$(echo "$windows_own" | tr ' ' '\n' | sort -uf | tr '\n' ' ')"
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec "$mingw_target-strip" --strip-unneeded {} +

# The licence texts: the program's, Qt's and the third-party code's inside
# Qt, the MinGW-w64 runtime's (GCC's runtime library exception, winpthreads).
licenses=$stage/licenses
mkdir -p "$licenses/mingw-w64"
cp "$top/LICENSE" "$stage/LICENSE.txt"
cp -r "$qt/licenses" "$licenses/qt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$licenses/mingw-w64/gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$licenses/mingw-w64/mingw-w64-runtime.txt"
cp /usr/share/common-licenses/GPL-3 "$licenses/mingw-w64/GPL-3.txt"
step "$stage"
