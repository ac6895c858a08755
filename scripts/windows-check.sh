#!/bin/sh
# Checks the Windows build under Wine, in a fresh Wine prefix, on the X
# server that the caller provides (make windows-check runs it in xvfb-run):
#
# 1. the suite and the shown numbers, as for every cross build
#    (scripts/test-cross.sh);
# 2. on a Windows 7, the installer refuses at once and writes nothing;
# 3. an upgrade: an installed version 1.2.9 of the same files plus one more,
#    then this version over it, which leaves exactly this version's files,
#    one shortcut and one Apps & features entry;
# 4. the installed program: a pair typed into it, its results read back
#    through the clipboard, a screenshot, "Esci" ending it with status 0;
# 5. while it runs, a silent installer and uninstaller both end with status
#    2 and change nothing; once it has ended, the same version installs again;
# 6. at 150% display scale (LogPixels 144) the window is 1.5 times as large,
#    "Esci" is where the scaled layout puts it, and Qt warns of nothing;
# 7. the silent uninstaller leaves no file, shortcut or registry key;
# 8. installed with /D= into a folder with spaces and accents, and unpacked
#    there from the zip, the program starts, shows its window and ends on
#    "Esci" with status 0; the uninstaller leaves nothing there;
# 9. signed with a throwaway certificate, the program, the installer and the
#    installed uninstaller verify against it, and the signed program runs.
#
# Every wait is for a condition (a window, a clipboard text, a process
# ending), under a deadline.
#
#   scripts/windows-check.sh WINDOWS_BUILD DEBIAN_BUILD
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/form.sh
. "$top/scripts/lib/form.sh"

if [ $# -ne 2 ]; then usage "WINDOWS_BUILD DEBIAN_BUILD"; fi
build=$(cd "$1" && pwd)
native=$(cd "$2" && pwd)
version=$(cmake_cache_value "$build/cmake" CMAKE_PROJECT_VERSION)
portable=$build/tervalo-$version-win64
setup=$build/tervalo-$version-setup.exe
title=$(form_title)
# Wine reads the command line in the locale's character set.
export LC_ALL=C.UTF-8

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

"$top/scripts/test-cross.sh" "$build/cmake" "$native" Windows

# ---- Helpers ----------------------------------------------------------------

# wait_until SECONDS COMMAND...: runs COMMAND until it succeeds, for at most
# SECONDS; the status is COMMAND's last.
wait_until() {
    deadline=$(($(date +%s) + $1))
    shift
    until "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

user_folder=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
default_dir=$user_folder/AppData/Local/Programs/Tervalo
start_menu="$user_folder/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
uninstall_root='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'
key="$uninstall_root\\Tervalo"
screenshots=$build/screenshots
mkdir -p "$screenshots"

# run_installer FILE ARGUMENTS: runs an installer or uninstaller and sets
# `status` to its exit status. A /D= folder with spaces must reach it as one
# unquoted argument, which only the Command Prompt gives. An uninstaller not
# run in its folder (_?=) hands over to a copy of itself, which is waited for
# through Wine, unless the program under test runs, which Wine would wait
# for too.
program_running=no
run_installer() {
    status=0
    # shellcheck disable=SC2086 # the arguments, each a word
    case $2 in
        */D=*) wine cmd /c "$(winepath -w "$1") $2" || status=$? ;;
        *) wine "$1" $2 || status=$? ;;
    esac
    if [ "$program_running" = no ]; then wineserver -w; fi
}

# installation FOLDER: the installation as the user meets it: the files in
# FOLDER and in the Start menu, with their sizes and times, and the entries
# of Apps & features.
installation() {
    for place in "$@" "$start_menu"; do
        [ -d "$place" ] && (cd "$place" && find . -printf '%p %s %T@\n' | LC_ALL=C sort)
    done
    wine reg query "$uninstall_root" /s 2>/dev/null | tr -d '\r'
}

# start PROGRAM NAME: starts the Windows program PROGRAM (a Unix path) from
# its own folder, with only its own DLLs, and waits for its window: `program`
# is its process and `window` its X window. Its standard error goes to
# NAME.log in the screenshots' folder. Wine's own font engine leaves text
# boxes blank, so the freetype one draws.
start() {
    log=$screenshots/$2.log
    (cd "$(dirname "$1")" && WINEQT_QPA_PLATFORM=windows:fontengine=freetype WINEQT_FORCE_STDERR_LOGGING=1 \
        exec wine "$(winepath -w "$1")" 2>"$log") &
    program=$!
    program_running=yes
    window=$(timeout 60 xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1) ||
        fail "$1 showed no window within a minute"
}

ended() {
    ! kill -0 "$program" 2>/dev/null
}

# click NAME [SCALE]: a click in the middle of the control NAME, whose place
# in the window the form gives (times SCALE). Without a window manager
# nothing gives the window the keyboard: a click in a box does.
click() {
    # shellcheck disable=SC2046 # the two coordinates
    xdotool mousemove --window "$window" $(form_centre "$1" "${2:-1}") click 1
}

# box_reads NAME TEXT: whether the text box NAME holds TEXT, read through
# the clipboard; `shown` is what it holds.
box_reads() {
    click "$1"
    xdotool key ctrl+a ctrl+c
    shown=$(timeout 10 xclip -o -selection clipboard 2>/dev/null || true)
    [ "$shown" = "$2" ]
}

# What Qt says of the display's density under Wine 8, which lacks the second
# version of per-monitor awareness and the scaling of window frames: Qt then
# falls back to per-monitor awareness, which Wine has. Any other word of it is
# a fault, such as an awareness that a manifest set first ("Access is denied").
wine_dpi_gaps='PER_MONITOR_AWARE_V2\) failed: COM error 0x57 |EnableNonClientDpiScaling\(\) failed .*\(Call not implemented\.\)'

# close_with_esci NAME [SCALE]: presses "Esci", which must end the program
# with status 0, and Qt must have warned of nothing about the display's
# density but Wine's gaps.
close_with_esci() {
    click Command2 "${2:-1}"
    wait_until 30 ended || fail "Esci did not end $1 within 30 seconds"
    program_running=no
    result=0
    wait "$program" || result=$?
    [ "$result" -eq 0 ] || fail "$1 ended with status $result"
    if grep -i 'dpi' "$log" | grep -v -E "$wine_dpi_gaps" >&2; then
        fail "Qt warned about the display's density in $1 (above)"
    fi
}

# set_log_pixels DOTS: the display's density, in dots per inch (96 is 100%,
# 144 is 150%). Wine 9 and newer read it when its session starts, so the
# session starts again.
set_log_pixels() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
    # The server that reg started may have ended by itself already.
    wineserver -k 2>/dev/null || true
    wineserver -w
}

# nothing_left FOLDER: the uninstaller took everything it installed.
nothing_left() {
    [ ! -e "$1" ] || fail "the uninstaller left $(find "$1" | head -n 5)"
    [ ! -e "$start_menu/Tervalo.lnk" ] || fail "the uninstaller left the Start-menu shortcut"
    if wine reg query "$key" >/dev/null 2>&1; then fail "the uninstaller left the key $key"; fi
}

# ---- The installer on a Windows too old for Qt 6 -------------------------

step "on Windows 7 the installer refuses at once"
installation "$default_dir" >"$build/installation-before.txt"
winecfg -v win7
run_installer "$setup" /S
winecfg -v win10
[ "$status" -eq 2 ] || fail "on Windows 7 the silent installer ended with status $status, not 2"
installation "$default_dir" >"$build/installation-after.txt"
cmp -s "$build/installation-before.txt" "$build/installation-after.txt" ||
    fail "on Windows 7 the installer wrote: $(diff "$build/installation-before.txt" "$build/installation-after.txt" | head -n 5)"
step "status 2, nothing written"

# ---- An upgrade over an older version with another set of files ----------

step "version 1.2.9, with one more file, then $version over it"
old=$build/upgrade/tervalo-1.2.9-win64
rm -rf "$build/upgrade"
mkdir -p "$build/upgrade"
cp -a "$portable" "$old"
mkdir -p "$old/imageformats"
echo "a plugin that only version 1.2.9 shipped" >"$old/imageformats/qold.dll"
"$top/scripts/windows-package.sh" "$build/upgrade" 1.2.9 >/dev/null
run_installer "$build/upgrade/tervalo-1.2.9-setup.exe" /S
if [ "$status" -ne 0 ] || [ ! -f "$default_dir/imageformats/qold.dll" ]; then
    fail "version 1.2.9 did not install (status $status)"
fi
run_installer "$setup" /S
[ "$status" -eq 0 ] || fail "the installer over version 1.2.9 ended with status $status"
(cd "$portable" && find . -type f | LC_ALL=C sort) >"$build/files-portable.txt"
(cd "$default_dir" && find . -type f ! -name uninstall.exe | LC_ALL=C sort) >"$build/files-installed.txt"
cmp -s "$build/files-portable.txt" "$build/files-installed.txt" ||
    fail "the installed files are not the portable folder's: $(diff "$build/files-portable.txt" "$build/files-installed.txt" | head -n 5)"
[ ! -e "$default_dir/imageformats" ] || fail "the upgrade left the folder that only version 1.2.9 had"
[ -f "$default_dir/uninstall.exe" ] || fail "no uninstaller after the upgrade"
shortcuts=$(find "$start_menu" -iname '*tervalo*' | wc -l)
if [ "$shortcuts" -ne 1 ] || [ ! -f "$start_menu/Tervalo.lnk" ]; then
    fail "$shortcuts Start-menu shortcuts after the upgrade, not one Tervalo.lnk"
fi
wine reg query "$uninstall_root" /s | tr -d '\r' >"$build/uninstall-keys.txt"
entries=$(grep -c 'DisplayName *REG_SZ *Tervalo$' "$build/uninstall-keys.txt" || true)
[ "$entries" -eq 1 ] || fail "$entries entries of Tervalo in Apps & features, not one"
for value in DisplayName DisplayVersion Publisher DisplayIcon EstimatedSize UninstallString QuietUninstallString; do
    grep -q "^ *$value " "$build/uninstall-keys.txt" || fail "the uninstall key has no $value"
done
grep -q "DisplayVersion *REG_SZ *$version\$" "$build/uninstall-keys.txt" || fail "the uninstall key does not give version $version"
step "exactly the files of $version, one shortcut, one entry, version $version"

# ---- The installed program -----------------------------------------------

step "the installed program: type a pair, read the results, press Esci"
start "$default_dir/tervalo.exe" installed
size_100=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
# Each box holds "..." at first: select it, then type over it.
click Text3
xdotool key ctrl+a
xdotool type --delay 100 jn61fw
wait_until 30 box_reads Text3 JN61FW || fail "Locatore 1 never showed JN61FW (it shows [$shown])"
click Text5
xdotool key ctrl+a
# Its sixth character calculates.
xdotool type --delay 100 jn45ol
wait_until 30 box_reads Text6 " 472" || fail "the distance box never showed [ 472] (it shows [$shown])"
wait_until 30 box_reads Text1 " 328" || fail "the azimuth box never showed [ 328] (it shows [$shown])"
import -window root "$screenshots/installed.png"
close_with_esci "the installed program"
step "472 km and 328 degrees in a $size_100 window, ended by Esci with status 0; $screenshots/installed.png"

# ---- Installing while the program runs -----------------------------------

step "while the installed program runs, the installer and the uninstaller change nothing"
start "$default_dir/tervalo.exe" running
installation "$default_dir" >"$build/installation-before.txt"
run_installer "$setup" /S
[ "$status" -eq 2 ] || fail "with the program running, the silent installer ended with status $status, not 2"
# Run in place (_?=), the uninstaller reports its own status.
run_installer "$default_dir/uninstall.exe" "/S _?=$(winepath -w "$default_dir")"
[ "$status" -eq 2 ] || fail "with the program running, the silent uninstaller ended with status $status, not 2"
installation "$default_dir" >"$build/installation-after.txt"
cmp -s "$build/installation-before.txt" "$build/installation-after.txt" ||
    fail "with the program running, the installation changed: $(diff "$build/installation-before.txt" "$build/installation-after.txt" | head -n 5)"
close_with_esci "the running program"
run_installer "$setup" /S
[ "$status" -eq 0 ] || fail "once the program had ended, the installer ended with status $status"
step "status 2 for both, nothing changed; then $version installed again over itself"

# ---- 150% display scale --------------------------------------------------

step "at 150% display scale"
# Qt declares its own awareness of the display's density; a manifest that
# declared one too would make Qt's fail.
if strings -a "$default_dir/tervalo.exe" | grep -i 'dpiAware' >&2; then
    fail "tervalo.exe has a manifest that declares an awareness of the display's density (above)"
fi
set_log_pixels 144
start "$default_dir/tervalo.exe" scaled
size_150=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
import -window root "$screenshots/installed-150.png"
close_with_esci "the program at 150%" 1.5
set_log_pixels 96
echo "$size_100 $size_150" | tr 'x' ' ' | awk '{
    if ($3 < 1.5 * $1 - 2 || $3 > 1.5 * $1 + 2 || $4 < 1.5 * $2 - 2 || $4 > 1.5 * $2 + 2) exit 1
}' || fail "at 150% the window is $size_150, not 1.5 times $size_100"
step "$size_100 at 100%, $size_150 at 150%, Esci in its scaled place; $screenshots/installed-150.png"

step "silent uninstall"
run_installer "$default_dir/uninstall.exe" /S
nothing_left "$default_dir"
step "nothing left of the installation"

# ---- A folder with spaces and accents ------------------------------------

odd_parent='C:\Programmi utente\Località'
odd_dir="$odd_parent\\Tervalo"
odd_unix=$(winepath -u "$odd_dir")
mkdir -p "$(dirname "$odd_unix")"
step "installed into $odd_dir"
run_installer "$setup" "/S /D=$odd_dir"
if [ "$status" -ne 0 ] || [ ! -f "$odd_unix/tervalo.exe" ]; then
    fail "the installer did not install into $odd_dir (status $status)"
fi
start "$odd_unix/tervalo.exe" odd-folder
close_with_esci "the program installed in $odd_dir"
run_installer "$odd_unix/uninstall.exe" /S
nothing_left "$odd_unix"
step "the program ran from there, ended by Esci with status 0; nothing left"

step "the zip unpacked into $odd_parent"
(cd "$(dirname "$odd_unix")" && unzip -q "$build/tervalo-$version-win64.zip")
start "$(dirname "$odd_unix")/tervalo-$version-win64/tervalo.exe" odd-folder-zip
close_with_esci "the portable program in $odd_parent"
rm -rf "$(dirname "$odd_unix")/tervalo-$version-win64"
step "the portable program ran from there, ended by Esci with status 0"

# ---- Signed with a throwaway certificate ---------------------------------

step "signed with a throwaway certificate"
signed=$build/signed
rm -rf "$signed"
mkdir -p "$signed/certificate"
if [ -z "${WINDOWS_SIGN_PKCS12:-}" ] && osslsigncode verify -in "$portable/tervalo.exe" >/dev/null 2>&1; then
    fail "the build's tervalo.exe has a signature, though nothing asked for one"
fi
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tervalo test signature" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$signed/certificate/key.pem" \
    -out "$signed/certificate/certificate.pem" 2>/dev/null
openssl rand -hex 16 >"$signed/certificate/password"
openssl pkcs12 -export -inkey "$signed/certificate/key.pem" -in "$signed/certificate/certificate.pem" \
    -passout "file:$signed/certificate/password" -out "$signed/certificate/certificate.p12"
cp -a "$portable" "$signed/"
WINDOWS_SIGN_PKCS12=$signed/certificate/certificate.p12 WINDOWS_SIGN_PASSWORD_FILE=$signed/certificate/password \
    "$top/scripts/windows-package.sh" "$signed" "$version" >/dev/null
# verify FILE: FILE's signature verifies against the test certificate.
verify() {
    osslsigncode verify -CAfile "$signed/certificate/certificate.pem" -in "$1" >"$signed/verify.log" 2>&1 ||
        fail "the signature of $1 does not verify: $(tail -n 5 "$signed/verify.log")"
}
verify "$signed/tervalo-$version-win64/tervalo.exe"
verify "$signed/tervalo-$version-setup.exe"
run_installer "$signed/tervalo-$version-setup.exe" /S
[ "$status" -eq 0 ] || fail "the signed installer ended with status $status"
verify "$default_dir/uninstall.exe"
verify "$default_dir/tervalo.exe"
start "$default_dir/tervalo.exe" signed
close_with_esci "the signed program"
run_installer "$default_dir/uninstall.exe" /S
nothing_left "$default_dir"
step "tervalo.exe, the installer and the installed uninstaller verify; the signed program runs"
step "passed"
