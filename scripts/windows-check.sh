#!/bin/sh
# Checks the Windows build under Wine, in a fresh Wine prefix, on the X
# server that the caller provides (make windows-check runs it in xvfb-run):
#
# 1. the whole test suite of the Windows build, through ctest;
# 2. every shown number of the Windows build against the Debian build's,
#    for the edge pairs and a million random ones (tools/numbers);
# 3. the installer: silent install, the installed program started from its
#    own folder, a pair typed into it, its results read back through the
#    clipboard, a screenshot, "Esci" ending it with status 0; then the silent
#    uninstaller, which must leave no file and no registry key behind.
#
#   scripts/windows-check.sh WINDOWS_BUILD DEBIAN_BUILD
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
native=$(cd "$2" && pwd)
target=x86_64-w64-mingw32
qt=$("$top/scripts/windows-qt.sh" --prefix)
gcc_runtime=$(dirname "$($target-g++-posix -print-libgcc-file-name)")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/cmake/CMakeCache.txt")
jobs=$(nproc 2>/dev/null || echo 2)

step() {
    echo "windows-check: $*"
}
fail() {
    echo "windows-check: FAILED: $*" >&2
    exit 1
}

# A fresh 64-bit prefix that never offers to download Mono or Gecko.
export WINEPREFIX="$build/wine"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Whatever a failed run left running in the prefix ends with it.
if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
trap 'wineserver -k 2>/dev/null || true' EXIT
rm -rf "$WINEPREFIX"
step "a fresh Wine prefix in $WINEPREFIX"
wineboot --init
wineserver -w

# 1. The suite. The build's programs find Qt's and the compiler's DLLs
#    through WINEPATH; scripts/wine-run.sh passes the tests' environment.
step "the test suite under Wine"
tests_dll_path="Z:$qt/bin;Z:$gcc_runtime;Z:/usr/$target/lib"
test_count=$(ctest --test-dir "$build/cmake" -N | sed -n 's/^Total Tests: //p')
WINEPATH=$tests_dll_path ctest --test-dir "$build/cmake" --output-on-failure -j "$jobs"
# A Qt Test program that wrote nothing proved nothing: each must have
# printed its totals (into ctest's log of the last run, hence counted
# before the run).
totals=$(grep -c '^Totals: ' "$build/cmake/Testing/Temporary/LastTest.log" || true)
[ "$totals" -eq "$test_count" ] || fail "$test_count tests ran, but only $totals printed their totals"
step "all $test_count tests passed and printed their totals"

# 2. The same numbers as the Debian build.
step "every shown number for a million locator pairs, Windows against Debian"
"$native/tools/numbers/numbers" >"$build/numbers-debian.txt"
WINEPATH=$tests_dll_path wine "$build/cmake/numbers.exe" >"$build/numbers-windows.txt"
"$top/scripts/compare-numbers.sh" "$build/numbers-debian.txt" "$build/numbers-windows.txt" Windows

# 3. The installer.
step "silent install"
wine "$build/tervalo-$version-setup.exe" /S
wineserver -w
instdir=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Programs/Tervalo' -type d)
[ -n "$instdir" ] && [ -f "$instdir/tervalo.exe" ] && [ -f "$instdir/uninstall.exe" ] ||
    fail "the installer put no tervalo.exe and uninstall.exe under AppData/Local/Programs/Tervalo"
(cd "$build/tervalo-$version-win64" && find . -type f | LC_ALL=C sort) >"$build/files-portable.txt"
(cd "$instdir" && find . -type f ! -name uninstall.exe | LC_ALL=C sort) >"$build/files-installed.txt"
cmp -s "$build/files-portable.txt" "$build/files-installed.txt" ||
    fail "the installed files differ from the portable folder's: $(diff "$build/files-portable.txt" "$build/files-installed.txt" | head -n 5)"
shortcut=$(find "$WINEPREFIX/drive_c/users" -path '*/Start Menu/Programs/Tervalo.lnk')
[ -n "$shortcut" ] || fail "no Start-menu shortcut"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tervalo'
wine reg query "$key" >"$build/uninstall-key.txt"
for value in DisplayName DisplayVersion Publisher DisplayIcon EstimatedSize UninstallString QuietUninstallString; do
    grep -q "^ *$value " "$build/uninstall-key.txt" || fail "the uninstall key has no $value"
done
grep -q "DisplayVersion *REG_SZ *$version" "$build/uninstall-key.txt" || fail "the uninstall key does not give version $version"
step "installed in $instdir with its shortcut and uninstall key"

# The installed program, from its own folder, with no DLL path but its own:
# Wine's own font engine leaves text boxes blank, so the freetype one draws.
step "the installed program: type a pair, read the results, press Esci"
installed_exe=$(winepath -w "$instdir/tervalo.exe")
(cd "$WINEPREFIX/drive_c" && WINEQT_QPA_PLATFORM=windows:fontengine=freetype wine "$installed_exe") &
program=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name 'Tervalo utility' | head -n 1) ||
    fail "the installed program showed no window within a minute"
# Without a window manager nothing gives the window the keyboard: a click
# in a box does. Positions are pixels of the window's inner area, in the
# middle of each control.
click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    sleep 1
}
read_box() {
    click "$1" "$2"
    xdotool key --delay 150 ctrl+a ctrl+c
    sleep 1
    xclip -o -selection clipboard 2>/dev/null || true
}
sleep 2
# Each box holds "..." at first: select it, then type over it.
click 376 36 # "Locatore 1"
xdotool key --delay 150 ctrl+a
xdotool type --delay 150 jn61fw
click 376 68 # "Locatore 2"; its sixth character calculates
xdotool key --delay 150 ctrl+a
xdotool type --delay 150 jn45ol
sleep 1
distance=$(read_box 376 100) # "Km"
azimuth=$(read_box 376 132) # "Puntamento"
mkdir -p "$build/screenshots"
import -window root "$build/screenshots/installed.png"
step "distance box [$distance], azimuth box [$azimuth]; screenshot in $build/screenshots/installed.png"
click 392 180 # "Esci"
status=0
timeout 30 sh -c "while kill -0 $program 2>/dev/null; do sleep 1; done" || fail "Esci did not end the program"
wait "$program" || status=$?
[ "$distance" = " 472" ] || fail "the distance box shows [$distance], not [ 472]"
[ "$azimuth" = " 328" ] || fail "the azimuth box shows [$azimuth], not [ 328]"
[ "$status" -eq 0 ] || fail "the program ended with status $status"
step "472 km and 328 degrees, ended by Esci with status 0"

step "silent uninstall"
wine "$instdir/uninstall.exe" /S
wineserver -w
left=$(find "$instdir" 2>/dev/null | head -n 5)
[ -z "$left" ] || fail "the uninstaller left $left"
[ ! -e "$shortcut" ] || fail "the uninstaller left the Start-menu shortcut"
if wine reg query "$key" >/dev/null 2>&1; then fail "the uninstaller left the key $key"; fi
step "nothing left of the installation"
step "passed"
