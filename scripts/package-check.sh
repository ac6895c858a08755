#!/bin/sh
# Checks the Debian package that scripts/package.sh built in FOLDER, first as
# a distribution checks a package, then as a user gets it:
#   1. lintian: no error and no warning (an override only with its reason);
#   2. appstreamcli (--no-net) on the metadata, alone and with the desktop
#      entry and icons beside it, and desktop-file-validate on the entry:
#      nothing to report;
#   3. apt-get install ./FOLDER/tervalo_*.deb, which must pull in by itself
#      whatever the program needs;
#   4. the package's own as-installed tests (debian/tests), run by Debian's
#      autopkgtest on this machine (the null runner);
#   5. apt-get purge, after which none of the package's files may remain.
# It installs and removes packages, so it runs as root or through sudo.
# The package of another architecture (ARCH, say arm64), which cannot be
# installed here, is linted only: its other files are those of this
# machine's package.
#
#   scripts/package-check.sh FOLDER [ARCH]
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"

if [ $# -lt 1 ] || [ $# -gt 2 ]; then usage "FOLDER [ARCH]"; fi
folder=$(cd "$1" && pwd)
native=$(dpkg --print-architecture)
arch=${2:-$native}
source=$(ls -d "$folder"/tervalo-*/)
deb=$(ls "$folder"/tervalo_*_"$arch".deb)
changes=$(ls "$folder"/tervalo_*_"$arch".changes)
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi

step "lintian"
lintian --display-info --fail-on error,warning "$changes"
if [ "$arch" != "$native" ]; then
    step "passed: $(basename "$deb") ($(stat -c %s "$deb") bytes) is clean; an $arch machine installs and tests it"
    exit 0
fi

step "appstreamcli and desktop-file-validate"
tree="$folder/unpacked"
rm -rf "$tree"
dpkg-deb -x "$deb" "$tree"
metainfo=$(ls "$tree"/usr/share/metainfo/*.metainfo.xml)
entry=$(ls "$tree"/usr/share/applications/*.desktop)
# appstream COMMAND ARGUMENT...: runs appstreamcli COMMAND and shows its
# report. Infos are advice; an error or a warning fails the check.
appstream() {
    out=$(appstreamcli "$@" 2>&1) || { printf '%s\n' "$out" >&2; return 1; }
    printf '%s\n' "$out"
    if printf '%s\n' "$out" | grep -q '^ *[EW]: '; then
        fail "appstreamcli $1 reported a warning"
    fi
}
appstream validate --no-net --explain "$metainfo"
appstream validate-tree --no-net --explain "$tree"
# desktop-file-validate prints only errors, warnings and hints.
out=$(desktop-file-validate "$entry" 2>&1) || true
if [ -n "$out" ]; then
    fail "desktop-file-validate reported:
$out"
fi
step "desktop-file-validate: $(basename "$entry") is clean"

# What the package would leave behind is judged against the state before
# it, so a copy that an earlier run left installed goes first.
if dpkg-query -W -f='${Status}' tervalo 2>/dev/null | grep -q -v 'not-installed'; then
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q tervalo
fi
files="$folder/package-files"
dirs_before="$folder/package-dirs-before"
(cd "$tree" && find . ! -type d | sed 's/^\.//') >"$files"
(cd "$tree" && find . -type d | sed 's/^\.//' | while read -r d; do [ ! -d "$d" ] || echo "$d"; done) >"$dirs_before"

step "apt-get install $deb"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb"
dpkg-query -W -f='${Package} ${Version}: ${Status}\n' tervalo

step "autopkgtest (debian/tests) on the installed package"
rm -rf "$folder/autopkgtest"
$sudo autopkgtest --no-built-binaries --output-dir "$folder/autopkgtest" "$source" -- null

step "apt-get purge tervalo"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q tervalo
left=""
while read -r f; do
    if [ -e "$f" ] || [ -L "$f" ]; then left="$left $f"; fi
done <"$files"
(cd "$tree" && find . -type d | sed 's/^\.//') | while read -r d; do
    if [ -d "$d" ] && ! grep -q -x -F -- "$d" "$dirs_before"; then echo "$d"; fi
done >"$folder/package-dirs-left"
if [ -n "$left" ] || [ -s "$folder/package-dirs-left" ]; then
    fail "left after purging:$left $(tr '\n' ' ' <"$folder/package-dirs-left")"
fi
if dpkg-query -W -f='${Status}' tervalo 2>/dev/null | grep -q -v 'not-installed'; then
    fail "dpkg still knows tervalo after the purge"
fi
step "passed: $(basename "$deb") ($(stat -c %s "$deb") bytes) is clean, installs, works as installed and purges without a trace"
