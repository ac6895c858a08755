#!/bin/sh
# Checks that a release can be repeated and that Debian's tools accept it:
#
# 1. two clean clones of REF (default HEAD), at paths of different names and
#    depths, each make its release (`make release`) with a different time
#    zone, locale (C.UTF-8; Italian, built here with localedef) and umask;
# 2. the release's files are those that the first release's SHA256SUMS
#    names; each dist/ folder must hold these and SHA256SUMS, nothing else,
#    and match its SHA256SUMS;
# 3. every one of them must be byte-identical in the two releases: each one
#    that differs, or that only one of them holds, is named and fails the
#    check (both folders stay in WORK for a closer look); the source tarball
#    and Debian's .orig.tar.xz must be the same bytes;
# 4. the source package is built again as a Debian maintainer would, from
#    the .dsc and its two tarballs alone (dpkg-source -x, dpkg-buildpackage
#    of source and binaries), once for each architecture that the release
#    has a .deb for, cross-built for another than this machine's; each build
#    must give the same .dsc, debian.tar.xz and .deb of its architecture;
# 5. lintian: no error and no warning on the .dsc and the .deb files.
#
# Before it builds anything in the maintainer's place it prints, for each
# file of the release, how the check accounts for it. That alone is what
# --plan does, in seconds: for the files that LIST names (a SHA256SUMS, or
# one name a line; by default those that `scripts/release.sh --list` names),
# and it fails, as the whole check would, on a Debian file (.dsc, .deb,
# Debian tarball) that no maintainer's build makes again or unpacks.
#
#   scripts/release-check.sh WORK [REF]
#   scripts/release-check.sh --plan [LIST]
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian.sh
. "$(dirname "$0")/lib/debian.sh"

# take_list TEXT: the release's files are those that TEXT names (the lines
# of a SHA256SUMS, or one name a line), but SHA256SUMS itself. Their names
# give the Debian version; there must be one .dsc.
take_list() {
    files=$(printf '%s\n' "$1" | sed 's/^[0-9a-f]\{64\} [ *]//' | grep -v -x -e SHA256SUMS -e '' | LC_ALL=C sort) || true
    [ -n "$files" ] || fail "the list of the release names no file"
    dsc=$(printf '%s\n' "$files" | grep -x 'tervalo_.*\.dsc') || true
    [ "$(printf '%s\n' "$dsc" | grep -c .)" -eq 1 ] || fail "the release must have one tervalo_*.dsc, not '$dsc'"
    debian_version=${dsc#tervalo_}
    debian_version=${debian_version%.dsc}
    upstream_version=$(debian_upstream_version "$debian_version")
    tarball=tervalo-$upstream_version.tar.xz
    orig=tervalo_$upstream_version.orig.tar.xz
}

# listed NAME: whether the release has a file NAME.
listed() {
    printf '%s\n' "$files" | grep -q -x -F "$1"
}

# maintainer_archs: the architectures of the release's binary packages
# (tervalo_VERSION_ARCH.deb); the maintainer builds the source for each.
maintainer_archs() {
    printf '%s\n' "$files" | sed -n 's/^tervalo_[^_]*_\([a-z0-9-]*\)\.deb$/\1/p'
}

# maintainer_gets: the files that the maintainer's builds start from.
maintainer_gets() {
    printf '%s\n' "$dsc" "$orig" "tervalo_$debian_version.debian.tar.xz"
}

# maintainer_makes ARCH: the release's files that the maintainer's build for
# ARCH makes again.
maintainer_makes() {
    printf '%s\n' "$dsc" "tervalo_$debian_version.debian.tar.xz" "tervalo_${debian_version}_$1.deb"
}

# plan: prints how each file of the release is checked; fails on a Debian
# file that no maintainer's build makes again or unpacks, and when the
# release lacks a file that a maintainer's build starts from or compares.
plan() {
    step "what is checked of each file of the release"
    for arch in $(maintainer_archs); do
        for file in $(maintainer_gets) $(maintainer_makes "$arch"); do
            listed "$file" || fail "the maintainer's build for $arch needs $file, which the release lacks"
        done
    done
    for file in $files SHA256SUMS; do
        how="compared between the two releases"
        if [ "$file" = SHA256SUMS ]; then
            how="$how; each release's files checked against it"
        fi
        if [ "$file" = "$tarball" ] && listed "$orig"; then
            how="$how; the same bytes as $orig"
        elif [ "$file" = "$orig" ] && listed "$tarball"; then
            how="$how; the same bytes as $tarball"
        fi
        made_for=""
        for arch in $(maintainer_archs); do
            if maintainer_makes "$arch" | grep -q -x -F "$file"; then
                made_for="$made_for $arch"
            fi
        done
        accounted=$made_for
        if [ -n "$made_for" ]; then
            how="$how; made again by the maintainer's build for$made_for"
        elif maintainer_gets | grep -q -x -F "$file" && [ -n "$(maintainer_archs)" ]; then
            how="$how; unpacked by the maintainer's builds (dpkg-source -x checks it against the .dsc)"
            accounted=yes
        fi
        case $file in
            *.dsc | *.deb) how="$how; lintian" ;;
        esac
        echo "  $file: $how"
        case $file in
            *.dsc | *.deb | *.udeb | *.ddeb | *.debian.tar.* | *.orig.tar.* | *.diff.* | *.changes | *.buildinfo)
                [ -n "$accounted" ] || fail "$file is a Debian file that no maintainer's build makes again or unpacks"
                ;;
        esac
    done
}

if [ "${1:-}" = --plan ]; then
    [ $# -le 2 ] || usage "WORK [REF] | --plan [LIST]"
    if [ $# -eq 2 ]; then
        list=$(cat "$2") || fail "cannot read the list $2"
    else
        list=$("$top/scripts/release.sh" --list) || fail "scripts/release.sh --list failed"
    fi
    take_list "$list"
    plan
    step "every file of the release is accounted for"
    exit 0
fi

if [ $# -lt 1 ] || [ $# -gt 2 ] || [ -z "$1" ]; then
    usage "WORK [REF] | --plan [LIST]"
fi
commit=$(git -C "$top" rev-parse --verify "${2:-HEAD}^{commit}")
mkdir -p "$1"
work=$(cd "$1" && pwd)
refuse_checkout_inside "$work"
# Signatures carry the time of signing: the releases compared are unsigned.
unset MAKEFLAGS MFLAGS MAKELEVEL WINDOWS_SIGN_PKCS12 WINDOWS_SIGN_PASSWORD_FILE WINDOWS_SIGN_TIMESTAMP_URL
started=$(date +%s)

rm -rf "$work"
mkdir -p "$work"
one=$work/one/tervalo
two=$work/a-second-place/further/down/tervalo-again
for clone in "$one" "$two"; do
    git clone -q --no-checkout "$top" "$clone"
    # REF need not be on a branch: fetch the commit itself.
    git -C "$clone" fetch -q "$top" "$commit"
    git -C "$clone" checkout -q --detach "$commit"
done

# An Italian locale of its own (decimal comma, other collation), without
# touching the system's list of locales.
locales=$work/locales
mkdir -p "$locales"
localedef -i it_IT -f UTF-8 "$locales/it_IT.UTF-8"

step "release 1 of $commit in $one: TZ=UTC0, LC_ALL=C.UTF-8, umask 002"
(cd "$one" && umask 002 && env TZ=UTC0 LANG=C.UTF-8 LC_ALL=C.UTF-8 make release)
step "release 2 of $commit in $two: TZ=<+1345>-13:45, LC_ALL=it_IT.UTF-8, umask 077"
(cd "$two" && umask 077 && env TZ='<+1345>-13:45' LOCPATH="$locales" LANG=it_IT.UTF-8 LC_ALL=it_IT.UTF-8 \
    LANGUAGE=it make release)

dist=$one/dist
list=$(cat "$dist/SHA256SUMS")
take_list "$list"
plan

step "the two releases, file by file"
differ=""
for name in $files SHA256SUMS; do
    a=$one/dist/$name
    b=$two/dist/$name
    if [ ! -f "$a" ] || [ ! -f "$b" ]; then
        echo "  $name: only in $( [ -f "$a" ] && echo "$a" || echo "$b")"
        differ="$differ $name"
    elif cmp -s "$a" "$b"; then
        echo "  $name: identical ($(stat -c %s "$a") bytes)"
    else
        bytes=$(cmp -l "$a" "$b" 2>/dev/null | wc -l) || true
        echo "  $name: DIFFERS ($bytes bytes differ, the first at offset $(cmp "$a" "$b" | sed -n 's/.* byte \([0-9]*\).*/\1/p'); sizes $(stat -c %s "$a") and $(stat -c %s "$b"))"
        differ="$differ $name"
    fi
done
for release in "$one/dist" "$two/dist"; do
    for name in $(cd "$release" && find . -mindepth 1 -maxdepth 1 -printf '%f\n' | LC_ALL=C sort); do
        if [ "$name" != SHA256SUMS ] && ! listed "$name"; then
            echo "  $name: in $release but not in the list"
            differ="$differ $name"
        fi
    done
    if ! (cd "$release" && sha256sum --quiet -c SHA256SUMS); then
        differ="$differ $release/SHA256SUMS"
    fi
done
[ -z "$differ" ] || fail "the two releases differ in:$differ (compare $one/dist and $two/dist, with cmp -l or diffoscope)"
if listed "$tarball" && listed "$orig"; then
    cmp -s "$dist/$tarball" "$dist/$orig" || fail "$orig is not the same bytes as $tarball"
    echo "  $orig: the same bytes as $tarball"
fi

for arch in $(maintainer_archs); do
    step "the source package as a Debian maintainer builds it for $arch"
    maintainer=$work/maintainer-$arch
    mkdir -p "$maintainer"
    for file in $(maintainer_gets); do
        cp "$dist/$file" "$maintainer/"
    done
    (cd "$maintainer" && dpkg-source -x "$dsc" source)
    # What the build makes again goes first, so that what is compared is
    # the build's own.
    for file in $(maintainer_makes "$arch"); do
        rm -f "$maintainer/$file"
    done
    debian_build "$maintainer/source" "$arch"
    for file in $(maintainer_makes "$arch"); do
        cmp -s "$dist/$file" "$maintainer/$file" || fail "the maintainer's build for $arch gave another $file ($maintainer)"
        echo "  $file: identical"
    done
done

debs=$(printf '%s\n' "$files" | grep -x '.*\.deb') || true
step "lintian on $(printf '%s\n' "$debs" | tr '\n' ' ')and $dsc"
# shellcheck disable=SC2086 # $debs is the list's names, one a word, no blanks
(cd "$dist" && lintian --display-info --fail-on error,warning "$dsc" $debs)

minutes=$(( ($(date +%s) - started + 30) / 60 ))
step "passed in $minutes minutes: $(printf '%s\n' "$files" SHA256SUMS | wc -l) files, byte-identical in both releases;" \
    "the Debian ones as the maintainer builds them for $(maintainer_archs | tr '\n' ' ')and lint-clean"
