#!/bin/sh
# Checks that a release can be repeated and that Debian's tools accept it:
#
# 1. two clean clones of REF (default HEAD), at paths of different names and
#    depths, each make its release (`make release`) with a different time
#    zone, locale (C.UTF-8; Italian, built here with localedef) and umask;
# 2. every file of the two dist/ folders must be byte-identical: each one
#    that differs, or that only one of them holds, is named and fails the
#    check (both folders stay in WORK for a closer look);
# 3. the source package is built again as a Debian maintainer would, from
#    the .dsc and its two tarballs alone (dpkg-source -x, dpkg-buildpackage
#    of source and binaries), and must give the same .dsc, debian.tar.xz and
#    .deb;
# 4. lintian: no error and no warning on the .dsc and the .deb.
#
#   scripts/release-check.sh WORK [REF]
set -eu

[ $# -ge 1 ] && [ $# -le 2 ] && [ -n "$1" ] || { echo "usage: $0 WORK [REF]" >&2; exit 2; }
top=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$top" rev-parse --verify "${2:-HEAD}^{commit}")
mkdir -p "$1"
work=$(cd "$1" && pwd)
case "$top/" in
    "$work"/*) echo "release-check: $1 holds the checkout; give the check a folder of its own" >&2; exit 2 ;;
esac
unset MAKEFLAGS MFLAGS MAKELEVEL
started=$(date +%s)
step()
{
    echo "release-check: $*"
}
fail()
{
    echo "release-check: FAILED: $*" >&2
    exit 1
}

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

step "the two releases, file by file"
differ=""
for name in $( (ls "$one/dist"; ls "$two/dist") | LC_ALL=C sort -u); do
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
[ -z "$differ" ] || fail "the two releases differ in:$differ (compare $one/dist and $two/dist, with cmp -l or diffoscope)"

dist=$one/dist
dsc=$(ls "$dist"/*.dsc)
step "the source package as a Debian maintainer builds it"
maintainer=$work/maintainer
mkdir -p "$maintainer"
cp "$dsc" "$dist"/*.orig.tar.* "$dist"/*.debian.tar.* "$maintainer/"
(cd "$maintainer" && dpkg-source -x "$(basename "$dsc")" source)
(cd "$maintainer/source" && dpkg-buildpackage -us -uc -Jauto)
for file in $(cd "$dist" && ls ./*.dsc ./*.debian.tar.* ./*.deb | sed 's|^\./||'); do
    cmp -s "$dist/$file" "$maintainer/$file" || fail "the maintainer's build gave another $file ($maintainer)"
    echo "  $file: identical"
done

step "lintian on $(cd "$dist" && echo *.dsc *.deb)"
lintian --display-info --fail-on error,warning "$dsc" "$dist"/*.deb

minutes=$(( ($(date +%s) - started + 30) / 60 ))
step "passed in $minutes minutes: $(ls "$dist" | wc -l) files, byte-identical in both releases; source package builds and is lint-clean"
