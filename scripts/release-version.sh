#!/bin/sh
# The release's one version is the CMake project's (project(tervalo VERSION
# ...) in CMakeLists.txt). This prints it, after checking that every other
# place that states it agrees:
#
#   debian/changelog                    the upstream part of the newest entry
#   window/*.metainfo.xml               the newest <release version="...">
#   docs/tervalo.1                      the footer of the .TH header ("tervalo VERSION")
#   README.md                           every download name (tervalo-VERSION..., tervalo_VERSION...)
#
# and, when given, built files:
#
#   *.exe                               the version resource, both its numbers and its texts
#                                       (the program's comes from CMake, the installer's from
#                                       makensis -DVERSION=...)
#   *.deb                               the package's upstream version
#
# Each disagreement is named on standard error, and the exit status is 1.
#
#   scripts/release-version.sh TREE [BUILT_FILE...]
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian.sh
. "$(dirname "$0")/lib/debian.sh"

[ $# -ge 1 ] || usage "TREE [BUILT_FILE...]"
tree=$1
shift

version=$(sed -n 's/^project(tervalo VERSION \([^ )]*\).*/\1/p' "$tree/CMakeLists.txt")
case $version in
    [0-9]*.[0-9]*.[0-9]*) ;;
    *) fail "no project(tervalo VERSION X.Y.Z ...) in $tree/CMakeLists.txt" ;;
esac

wrong=0
# check WHERE FOUND: FOUND must be the version; each disagreement is named,
# on standard error, before the script stops.
check() {
    if [ "$2" != "$version" ]; then
        step "$1 says '$2', but CMakeLists.txt says $version" >&2
        wrong=1
    fi
}

debian=$(debian_version "$tree")
check "debian/changelog ($debian)" "$(debian_upstream_version "$debian")"

metainfo=$(ls "$tree"/window/*.metainfo.xml)
check "$(basename "$metainfo"), newest <release>" \
    "$(sed -n 's/.*<release [^>]*version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)"

check "docs/tervalo.1, .TH header" "$(sed -n 's/^\.TH [^"]*"tervalo \([^"]*\)".*/\1/p' "$tree/docs/tervalo.1")"

# shellcheck disable=SC2013 # words, not lines: each is a download name, without blanks
for name in $(grep -o 'tervalo[-_][0-9][0-9.]*[0-9]' "$tree/README.md" | sort -u); do
    check "README.md, $name" "${name#tervalo?}"
done

# pe_numbers FILE: the numbers of the PE file FILE's fixed version information
# (major.minor.patch.build, file version then product version), which
# Explorer shows under Details; nothing when it has none.
pe_numbers() {
    offset=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$1" | head -n 1 | cut -d: -f1)
    [ -n "$offset" ] || return 0
    # dwFileVersionMS, dwFileVersionLS, dwProductVersionMS, dwProductVersionLS
    # after the signature and the structure's version; in 16-bit halves, the
    # low one first.
    od -An -tu2 -v -j $((offset + 8)) -N 16 "$1" \
        | awk '{ printf "%s.%s.%s.%s %s.%s.%s.%s\n", $2, $1, $4, $3, $6, $5, $8, $7 }'
}

for file in "$@"; do
    name=$(basename "$file")
    case $file in
        *.exe)
            numbers=$(pe_numbers "$file")
            [ -n "$numbers" ] || numbers="(no version resource)"
            check "$name, version resource numbers" \
                "$(if [ "$numbers" = "$version.0 $version.0" ]; then echo "$version"; else echo "$numbers"; fi)"
            texts=$(strings -a -el "$file" | grep -A1 -x -e FileVersion -e ProductVersion | grep -v -x -e FileVersion -e ProductVersion -e -- | sort -u)
            check "$name, version resource texts" "${texts:-(none)}"
            ;;
        *.deb)
            debian=$(dpkg-deb -f "$file" Version)
            check "$name, package version $debian" "$(debian_upstream_version "$debian")"
            ;;
        *) step "$file: no version to check in such a file" >&2; exit 2 ;;
    esac
done

[ "$wrong" -eq 0 ] || exit 1
echo "$version"
