#!/bin/sh
# Builds the program for 64-bit Windows with the Qt that scripts/windows-qt.sh
# built, and makes of it a portable zip and an installer:
#
#   BUILD/cmake/                         the CMake build, tests included
#   BUILD/tervalo-VERSION-win64/         the portable folder
#   BUILD/tervalo-VERSION-win64.zip      that folder, zipped
#   BUILD/tervalo-VERSION-setup.exe      the NSIS installer of the same files
#
# The folder holds tervalo.exe and exactly the DLLs it loads, found by
# walking the imports of the program and of the two plugins that no import
# names (the windows platform and the native style), all stripped, with the
# licence texts of everything in it.
#
#   scripts/windows-build.sh BUILD
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
build=$(cd "$1" && pwd)
target=x86_64-w64-mingw32
qt=$("$top/scripts/windows-qt.sh" --prefix)
if [ ! -f "$qt/.built" ]; then
    echo "windows-build: no Qt for Windows in $qt; run scripts/windows-qt.sh (make windows does)" >&2
    exit 1
fi
gcc_runtime=$(dirname "$($target-g++-posix -print-libgcc-file-name)")
mingw_runtime=/usr/$target/lib

# A source date for every file of the zip and the installer: the last
# commit's, so that the same commit gives the same bytes.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH

"$qt/bin/qt-cmake" -S "$top" -B "$build/cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$top/scripts/wine-run.sh"
cmake --build "$build/cmake" -j "$(nproc 2>/dev/null || echo 2)"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/cmake/CMakeCache.txt")
name=tervalo-$version-win64
stage=$build/$name
rm -rf "$stage"
mkdir -p "$stage"
# qt_standard_project_setup() puts every program of a Windows build at the top
# of the build folder, beside the DLLs it builds.
cp "$build/cmake/tervalo.exe" "$stage/"
mkdir -p "$stage/platforms" "$stage/styles"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt"/plugins/styles/*.dll "$stage/styles/"

# The DLLs that a PE file imports by name.
imports() {
    $target-objdump -p "$1" | sed -n 's/^\tDLL Name: //p'
}

# Every DLL imported by what is in the folder, and by those in turn, that
# comes from Qt or the compiler's runtime; the others are Windows' own.
windows_own=""
pending=$(find "$stage" -name '*.exe' -o -name '*.dll')
while [ -n "$pending" ]; do
    next=""
    for file in $pending; do
        for dll in $(imports "$file"); do
            [ -e "$stage/$dll" ] && continue
            found=""
            for dir in "$qt/bin" "$gcc_runtime" "$mingw_runtime"; do
                if [ -f "$dir/$dll" ]; then found=$dir/$dll; break; fi
            done
            if [ -n "$found" ]; then
                cp "$found" "$stage/"
                next="$next $stage/$dll"
            else
                case $dll in
                    Qt6*|lib*) echo "windows-build: $file needs $dll, which is nowhere to be found" >&2; exit 1 ;;
                esac
                windows_own="$windows_own $dll"
            fi
        done
    done
    pending=$next
done
echo "windows-build: from Windows itself:$(echo "$windows_own" | tr ' ' '\n' | sort -uf | tr '\n' ' ')"
find "$stage" -name '*.exe' -o -name '*.dll' | xargs $target-strip --strip-unneeded

# The licence texts: the program's, Qt's and the third-party code's inside
# Qt, the MinGW-w64 runtime's (GCC's runtime library exception, winpthreads).
licenses=$stage/licenses
mkdir -p "$licenses/mingw-w64"
cp "$top/LICENSE" "$stage/LICENSE.txt"
cp -r "$qt/licenses" "$licenses/qt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$licenses/mingw-w64/gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$licenses/mingw-w64/mingw-w64-runtime.txt"
cp /usr/share/common-licenses/GPL-3 "$licenses/mingw-w64/GPL-3.txt"

# Fixed times, sorted names and no owners, for the same zip from the same commit.
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
rm -f "$build/$name.zip"
(cd "$build" && find "$name" | LC_ALL=C sort | TZ=UTC zip -X -q -D "$name.zip" -@)

# The installer: one line for each file to install and one to remove (with
# printf, since some shells' echo reads "\t" in "licenses\qt\3rdparty\tinycbor").
installed_path() {
    path=${1#.}
    printf '$INSTDIR%s' "$(printf '%s' "$path" | tr / '\\')"
}
nsh=$build/files.nsh
{
    printf '%s\n' '!macro TervaloInstallFiles'
    (cd "$stage" && find . -type f | LC_ALL=C sort) | while read -r file; do
        printf '  SetOutPath "%s"\n' "$(installed_path "$(dirname "$file")")"
        printf '  File "%s"\n' "$stage/${file#./}"
    done
    printf '%s\n' '!macroend' '!macro TervaloRemoveFiles'
    (cd "$stage" && find . -type f | LC_ALL=C sort) | while read -r file; do
        printf '  Delete "%s"\n' "$(installed_path "$file")"
    done
    (cd "$stage" && find . -mindepth 1 -type d | LC_ALL=C sort -r) | while read -r dir; do
        printf '  RMDir "%s"\n' "$(installed_path "$dir")"
    done
    printf '%s\n' '!macroend'
} >"$nsh"
size_kb=$(du -sk "$stage" | cut -f1)
makensis -V2 -INPUTCHARSET UTF8 \
    -DVERSION="$version" -DFILES="$nsh" -DICON="$top/assets/tervalo.ico" -DLICENSE="$stage/LICENSE.txt" \
    -DSIZE_KB="$size_kb" \
    -DOUTFILE="$build/tervalo-$version-setup.exe" "$top/windows/tervalo.nsi"
echo "windows-build: $build/$name.zip and $build/tervalo-$version-setup.exe"
