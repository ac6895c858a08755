#!/bin/sh
# Checks the Windows build under Wine, in a fresh Wine prefix, on the X
# server that the caller provides (make windows-check runs it in xvfb-run).
# Its cases, each of which installs what it needs and leaves nothing of the
# program in the prefix (checked after each):
#
#   suite       the suite and the shown numbers, as for every cross build
#               (scripts/test-cross.sh);
#   win7        on a Windows 7, the installer refuses at once and writes nothing;
#   upgrade     an installed version 1.2.9 of the same files plus one more,
#               then this version over it, which leaves exactly this
#               version's files, one shortcut and one Apps & features entry;
#   installed   the installed program: a pair typed into it, its results read
#               back through the clipboard, a screenshot, "Esci" ending it
#               with status 0;
#   running     while it runs, a silent installer and uninstaller both end
#               with status 2 and change nothing; once it has ended, the same
#               version installs again;
#   scaled      at 150% display scale (LogPixels 144) the window is 1.5 times
#               as large as at 100%, "Esci" is where the scaled layout puts
#               it, and Qt warns of nothing;
#   uninstall   the silent uninstaller leaves no file, shortcut or registry key;
#   odd_folder  installed with /D= into a folder with spaces and accents, and
#               unpacked there from the zip, the program starts, shows its
#               window and ends on "Esci" with status 0; the uninstaller
#               leaves nothing there;
#   signed      signed with a throwaway certificate, the program, the
#               installer and the installed uninstaller verify against it,
#               and the signed program runs.
#
# WINDOWS_CASES names the cases to run, in that order (default: all of
# them, in the order above), so that one of them can be run again alone:
# WINDOWS_CASES=win7 make windows-check. Every wait is for a condition (a
# window, a clipboard text, a process ending), under a deadline; the Wine
# helpers are in lib/wine.sh.
#
#   scripts/windows-check.sh WINDOWS_BUILD DEBIAN_BUILD
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/form.sh
. "$top/scripts/lib/form.sh"
# shellcheck source=lib/wine.sh
. "$top/scripts/lib/wine.sh"

all_cases="suite win7 upgrade installed running scaled uninstall odd_folder signed"
if [ $# -ne 2 ]; then usage "WINDOWS_BUILD DEBIAN_BUILD"; fi
cases=${WINDOWS_CASES:-$all_cases}
for name in $cases; do
    case " $all_cases " in
        *" $name "*) ;;
        *) fail "WINDOWS_CASES names no case $name; the cases are: $all_cases" ;;
    esac
done
build=$(cd "$1" && pwd)
native=$(cd "$2" && pwd)
version=$(cmake_cache_value "$build/cmake" CMAKE_PROJECT_VERSION)
portable=$build/tervalo-$version-win64
setup=$build/tervalo-$version-setup.exe
screenshots=$build/screenshots
# Wine reads the command line in the locale's character set.
export LC_ALL=C.UTF-8

# ---- Installing and uninstalling ------------------------------------------

# expect_status STATUS WHAT FILE ARGUMENTS [INSTALLED]: runs the installer or
# uninstaller FILE with ARGUMENTS (installer_status), which must end with
# STATUS and, when INSTALLED is given, leave that file installed. WHAT says
# in a failure which run it was.
expect_status() {
    got=$(installer_status "$3" "$4")
    [ "$got" -eq "$1" ] || fail "$2 ($(basename "$3")) ended with status $got, not $1"
    [ -z "${5:-}" ] || [ -f "$5" ] || fail "$2 ($(basename "$3")) ended with status $got but did not install $5"
}

# install_setup: installs this version silently where it goes by default.
install_setup() {
    expect_status 0 "the installer of $version" "$setup" /S "$default_dir/tervalo.exe"
}

# nothing_left FOLDER WHO: WHO, the uninstaller or a case, left nothing of
# an installation into FOLDER: no file, no Start-menu shortcut, no
# Apps & features entry.
nothing_left() {
    [ ! -e "$1" ] || fail "$2 left $(find "$1" | head -n 5)"
    [ ! -e "$wine_start_menu/Tervalo.lnk" ] || fail "$2 left the Start-menu shortcut"
    if wine reg query "$key" >/dev/null 2>&1; then fail "$2 left the key $key"; fi
}

# uninstall FOLDER: runs the silent uninstaller of the installation in
# FOLDER, which must leave nothing of it.
uninstall() {
    installer_status "$1/uninstall.exe" /S >/dev/null
    nothing_left "$1" "the uninstaller"
}

# snapshot NAME: keeps the installation as it is now under NAME, in
# installation-NAME-before.txt of the build, for unchanged_since.
snapshot() {
    installation "$default_dir" >"$build/installation-$1-before.txt"
}

# unchanged_since NAME WHAT: the installation is still the one kept under
# NAME; it is kept again in installation-NAME-after.txt. WHAT, in a
# failure, says what changed it.
unchanged_since() {
    installation "$default_dir" >"$build/installation-$1-after.txt"
    cmp -s "$build/installation-$1-before.txt" "$build/installation-$1-after.txt" ||
        fail "$2 changed the installation: $(diff "$build/installation-$1-before.txt" "$build/installation-$1-after.txt" | head -n 5)"
}

# ---- The cases ------------------------------------------------------------

case_suite() {
    "$top/scripts/test-cross.sh" "$build/cmake" "$native" Windows
}

# The installer on a Windows too old for Qt 6.
case_win7() {
    step "on Windows 7 the installer refuses at once"
    snapshot win7
    winecfg -v win7
    expect_status 2 "on Windows 7 the silent installer" "$setup" /S
    winecfg -v win10
    unchanged_since win7 "on Windows 7 the installer"
    step "status 2, nothing written"
}

# An upgrade over an older version with another set of files.
case_upgrade() {
    step "version 1.2.9, with one more file, then $version over it"
    old=$build/upgrade/tervalo-1.2.9-win64
    rm -rf "$build/upgrade"
    mkdir -p "$build/upgrade"
    cp -a "$portable" "$old"
    mkdir -p "$old/imageformats"
    echo "a plugin that only version 1.2.9 shipped" >"$old/imageformats/qold.dll"
    "$top/scripts/windows-package.sh" "$build/upgrade" 1.2.9 >/dev/null
    expect_status 0 "the installer of version 1.2.9" "$build/upgrade/tervalo-1.2.9-setup.exe" /S "$default_dir/imageformats/qold.dll"
    expect_status 0 "the installer over version 1.2.9" "$setup" /S
    (cd "$portable" && find . -type f | LC_ALL=C sort) >"$build/files-portable.txt"
    (cd "$default_dir" && find . -type f ! -name uninstall.exe | LC_ALL=C sort) >"$build/files-installed.txt"
    cmp -s "$build/files-portable.txt" "$build/files-installed.txt" ||
        fail "the installed files are not the portable folder's: $(diff "$build/files-portable.txt" "$build/files-installed.txt" | head -n 5)"
    [ ! -e "$default_dir/imageformats" ] || fail "the upgrade left the folder that only version 1.2.9 had"
    [ -f "$default_dir/uninstall.exe" ] || fail "no uninstaller after the upgrade"
    shortcuts=$(find "$wine_start_menu" -iname '*tervalo*' | wc -l)
    if [ "$shortcuts" -ne 1 ] || [ ! -f "$wine_start_menu/Tervalo.lnk" ]; then
        fail "$shortcuts Start-menu shortcuts after the upgrade, not one Tervalo.lnk"
    fi
    wine reg query "$wine_uninstall_root" /s | tr -d '\r' >"$build/uninstall-keys.txt"
    entries=$(grep -c 'DisplayName *REG_SZ *Tervalo$' "$build/uninstall-keys.txt" || true)
    [ "$entries" -eq 1 ] || fail "$entries entries of Tervalo in Apps & features, not one"
    for value in DisplayName DisplayVersion Publisher DisplayIcon EstimatedSize UninstallString QuietUninstallString; do
        grep -q "^ *$value " "$build/uninstall-keys.txt" || fail "the uninstall key has no $value"
    done
    grep -q "DisplayVersion *REG_SZ *$version\$" "$build/uninstall-keys.txt" || fail "the uninstall key does not give version $version"
    uninstall "$default_dir"
    step "exactly the files of $version, one shortcut, one entry, version $version"
}

# The installed program.
case_installed() {
    step "the installed program: type a pair, read the results, press Esci"
    install_setup
    window=$(start_program "$default_dir/tervalo.exe" installed)
    size=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
    # Each box holds "..." at first: select it, then type over it.
    click "$window" Text3
    xdotool key ctrl+a
    xdotool type --delay 100 jn61fw
    wait_until 30 box_reads "$window" Text3 JN61FW ||
        fail "Locatore 1 never showed JN61FW (it shows [$(box_text "$window" Text3)])"
    click "$window" Text5
    xdotool key ctrl+a
    # Its sixth character calculates.
    xdotool type --delay 100 jn45ol
    wait_until 30 box_reads "$window" Text6 " 472" ||
        fail "the distance box never showed [ 472] (it shows [$(box_text "$window" Text6)])"
    wait_until 30 box_reads "$window" Text1 " 328" ||
        fail "the azimuth box never showed [ 328] (it shows [$(box_text "$window" Text1)])"
    import -window root "$screenshots/installed.png"
    close_with_esci "$window" installed "the installed program"
    uninstall "$default_dir"
    step "472 km and 328 degrees in a $size window, ended by Esci with status 0; $screenshots/installed.png"
}

# box_reads WINDOW NAME TEXT: whether the text box NAME of WINDOW holds TEXT.
box_reads() {
    [ "$(box_text "$1" "$2")" = "$3" ]
}

# Installing while the program runs.
case_running() {
    step "while the installed program runs, the installer and the uninstaller change nothing"
    install_setup
    window=$(start_program "$default_dir/tervalo.exe" running)
    snapshot running
    expect_status 2 "with the program running, the silent installer" "$setup" /S
    # Run in place (_?=), the uninstaller reports its own status.
    expect_status 2 "with the program running, the silent uninstaller" "$default_dir/uninstall.exe" "/S _?=$(winepath -w "$default_dir")"
    unchanged_since running "with the program running, the installer or the uninstaller"
    close_with_esci "$window" running "the running program"
    expect_status 0 "once the program had ended, the installer" "$setup" /S
    uninstall "$default_dir"
    step "status 2 for both, nothing changed; then $version installed again over itself"
}

# 150% display scale.
case_scaled() {
    step "at 150% display scale"
    install_setup
    # Qt declares its own awareness of the display's density; a manifest that
    # declared one too would make Qt's fail.
    if strings -a "$default_dir/tervalo.exe" | grep -i 'dpiAware' >&2; then
        fail "tervalo.exe has a manifest that declares an awareness of the display's density (above)"
    fi
    window=$(start_program "$default_dir/tervalo.exe" scaled-100)
    size_100=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
    close_with_esci "$window" scaled-100 "the program at 100%"
    set_log_pixels 144
    window=$(start_program "$default_dir/tervalo.exe" scaled)
    size_150=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
    import -window root "$screenshots/installed-150.png"
    close_with_esci "$window" scaled "the program at 150%" 1.5
    set_log_pixels 96
    echo "$size_100 $size_150" | tr 'x' ' ' | awk '{
        if ($3 < 1.5 * $1 - 2 || $3 > 1.5 * $1 + 2 || $4 < 1.5 * $2 - 2 || $4 > 1.5 * $2 + 2) exit 1
    }' || fail "at 150% the window is $size_150, not 1.5 times $size_100"
    uninstall "$default_dir"
    step "$size_100 at 100%, $size_150 at 150%, Esci in its scaled place; $screenshots/installed-150.png"
}

case_uninstall() {
    step "silent uninstall"
    install_setup
    uninstall "$default_dir"
    step "nothing left of the installation"
}

# A folder with spaces and accents.
case_odd_folder() {
    odd_parent='C:\Programmi utente\Località'
    odd_dir="$odd_parent\\Tervalo"
    odd_unix=$(winepath -u "$odd_dir")
    odd_top=$(winepath -u 'C:\Programmi utente')
    mkdir -p "$(dirname "$odd_unix")"
    step "installed into $odd_dir"
    expect_status 0 "the installer into $odd_dir" "$setup" "/S /D=$odd_dir" "$odd_unix/tervalo.exe"
    window=$(start_program "$odd_unix/tervalo.exe" odd-folder)
    close_with_esci "$window" odd-folder "the program installed in $odd_dir"
    uninstall "$odd_unix"
    step "the program ran from there, ended by Esci with status 0; nothing left"

    step "the zip unpacked into $odd_parent"
    (cd "$(dirname "$odd_unix")" && unzip -q "$build/tervalo-$version-win64.zip")
    window=$(start_program "$(dirname "$odd_unix")/tervalo-$version-win64/tervalo.exe" odd-folder-zip)
    close_with_esci "$window" odd-folder-zip "the portable program in $odd_parent"
    rm -rf "$odd_top"
    step "the portable program ran from there, ended by Esci with status 0"
}

# verify FILE: FILE's signature verifies against the test certificate.
verify() {
    osslsigncode verify -CAfile "$signed/certificate/certificate.pem" -in "$1" >"$signed/verify.log" 2>&1 ||
        fail "the signature of $1 does not verify: $(tail -n 5 "$signed/verify.log")"
}

# Signed with a throwaway certificate.
case_signed() {
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
    verify "$signed/tervalo-$version-win64/tervalo.exe"
    verify "$signed/tervalo-$version-setup.exe"
    expect_status 0 "the signed installer" "$signed/tervalo-$version-setup.exe" /S
    verify "$default_dir/uninstall.exe"
    verify "$default_dir/tervalo.exe"
    window=$(start_program "$default_dir/tervalo.exe" signed)
    close_with_esci "$window" signed "the signed program"
    uninstall "$default_dir"
    step "tervalo.exe, the installer and the installed uninstaller verify; the signed program runs"
}

# ---- The run --------------------------------------------------------------

wine_fresh_prefix "$build/wine" "$screenshots"
# Where the installer puts the program by default, and its Apps & features
# entry.
default_dir=$wine_user_folder/AppData/Local/Programs/Tervalo
key="$wine_uninstall_root\\Tervalo"
for name in $cases; do
    started=$(date +%s)
    step "---- $name"
    "case_$name"
    # The next case starts from a prefix with nothing of the program in it.
    ! program_runs || fail "the case $name left a program running"
    nothing_left "$default_dir" "the case $name"
    step "---- $name passed in $(($(date +%s) - started)) seconds"
done
step "passed"
