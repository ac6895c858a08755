#!/bin/sh
# Makes the two Windows downloads of a portable folder that
# scripts/windows-build.sh staged, beside it:
#
#   BUILD/tervalo-VERSION-win64.zip      the folder, zipped
#   BUILD/tervalo-VERSION-setup.exe      the NSIS installer of the same files
#
# Every file takes one time, SOURCE_DATE_EPOCH (default: the last commit's),
# so that the same commit gives the same bytes. VERSION defaults to the
# CMake project's in BUILD/cmake.
#
# With WINDOWS_SIGN_PKCS12 (a PKCS#12 file holding the certificate and its
# key) and WINDOWS_SIGN_PASSWORD_FILE (its password), tervalo.exe in the
# folder, the installer and the uninstaller inside it are signed with
# Authenticode (scripts/windows-sign.sh); without them nothing is signed.
#
#   scripts/windows-package.sh BUILD [VERSION]
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"

if [ $# -lt 1 ] || [ $# -gt 2 ] || [ -z "$1" ]; then usage "BUILD [VERSION]"; fi
build=$(cd "$1" && pwd)
version=${2:-$(cmake_cache_value "$build/cmake" CMAKE_PROJECT_VERSION)}
export_source_date
name=tervalo-$version-win64
stage=$build/$name
[ -f "$stage/tervalo.exe" ] || fail "no portable folder $stage; scripts/windows-build.sh stages it"

sign=""
if [ -n "${WINDOWS_SIGN_PKCS12:-}${WINDOWS_SIGN_PASSWORD_FILE:-}" ]; then
    [ -r "${WINDOWS_SIGN_PKCS12:-}" ] || fail "WINDOWS_SIGN_PKCS12 names no readable certificate"
    [ -r "${WINDOWS_SIGN_PASSWORD_FILE:-}" ] || fail "WINDOWS_SIGN_PASSWORD_FILE names no readable file"
    # makensis runs the signing command in a folder of its own.
    WINDOWS_SIGN_PKCS12=$(realpath "$WINDOWS_SIGN_PKCS12")
    WINDOWS_SIGN_PASSWORD_FILE=$(realpath "$WINDOWS_SIGN_PASSWORD_FILE")
    export WINDOWS_SIGN_PKCS12 WINDOWS_SIGN_PASSWORD_FILE
    sign=$top/scripts/windows-sign.sh
    "$sign" "$stage/tervalo.exe"
fi

deterministic_zip "$stage"

# installed_path PATH: the installed place of PATH, a path in the portable
# folder that starts with ".", as NSIS writes it (with printf, since some
# shells' echo reads "\t" in "licenses\qt\3rdparty\tinycbor").
installed_path() {
    path=${1#.}
    # shellcheck disable=SC2016,SC1003 # NSIS's own $INSTDIR, and a backslash for tr
    printf '$INSTDIR%s' "$(printf '%s' "$path" | tr / '\\')"
}
# The installer: one line for each file to install and one to remove.
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
installer=$build/tervalo-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 \
    -DVERSION="$version" -DFILES="$nsh" -DICON="$top/assets/tervalo.ico" -DLICENSE="$stage/LICENSE.txt" \
    -DSIZE_KB="$size_kb" ${sign:+-DSIGN="$sign"} \
    -DOUTFILE="$installer" "$top/windows/tervalo.nsi"
step "$build/$name.zip and $installer${sign:+, signed}"
