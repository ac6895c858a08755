#!/bin/sh
# Checks that a release can be repeated and that Debian's tools accept it:
#
# 1. reprotest makes the release (`make release`) twice from one clean clone
#    of REF (default HEAD), each time with the checks of scripts/release.sh
#    (among them: dist/ holds the listed files and their SHA256SUMS, nothing
#    else, and the files match it); the second time the clone is at another
#    path, of other names and depth
#    (a-second-place/further/down/tervalo-again, not one/tervalo), in
#    another time zone (GMT-14, not GMT+12), locale (it_IT.UTF-8, built here
#    with localedef, not C.UTF-8), umask (077, not 002) and home folder, with
#    another kernel version in uname, address space randomisation on, and one
#    more variable and PATH entry;
# 2. the two releases must be byte-identical, file by file: when they are
#    not, the files that differ are named, and diffoscope's report shows
#    each difference, in text, in WORK/diffoscope.txt (both dist/ folders
#    stay in WORK/releases); their SHA256SUMS must name exactly the files
#    that `scripts/release.sh --list` names, and the source tarball and
#    Debian's orig tarball must be the same bytes;
# 3. the source package is built again as a Debian maintainer would, from
#    the .dsc and its two tarballs alone (dpkg-source -x, dpkg-buildpackage
#    of source and binaries), once for each architecture that the release
#    has a binary package for, cross-built for another than this machine's;
#    each build must give the same .dsc, Debian tarball and binary package
#    of its architecture (on a difference, diffoscope's text report is left
#    in WORK);
# 4. lintian: no error and no warning on the .dsc and the binary packages.
#
# Before it builds anything it prints, for each file of the release, how the
# check accounts for it, by the file's role. That alone is what --plan does,
# in seconds: for the files that LIST names (lines of `scripts/release.sh
# --list`: a file, its role, its architecture; by default that command's
# output), and it fails, as the whole check would, on a role it does not
# know and on a Debian file (roles dsc, orig-tarball, debian-tarball,
# binary-package) that no maintainer's build makes again or unpacks.
#
#   scripts/release-check.sh WORK [REF]
#   scripts/release-check.sh --plan [LIST]
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian.sh
. "$(dirname "$0")/lib/debian.sh"

# take_list TEXT: the release's files, each with its role and architecture,
# are those that TEXT's lines name; there must be one .dsc.
take_list() {
    table=$(printf '%s\n' "$1" | grep -v '^$') || true
    [ -n "$table" ] || fail "the list of the release names no file"
    bad=$(printf '%s\n' "$table" | awk 'NF != 3') || true
    [ -z "$bad" ] || fail "not a file, its role and its architecture: '$bad'"
    files=$(printf '%s\n' "$table" | awk '{ print $1 }')
    dsc=$(with_role dsc)
    [ "$(printf '%s\n' "$dsc" | grep -c .)" -eq 1 ] || fail "the release must have one dsc, not '$dsc'"
}

# with_role ROLE [ARCH]: the release's files of ROLE (and for ARCH).
with_role() {
    printf '%s\n' "$table" | awk -v role="$1" -v arch="${2:-}" '$2 == role && (arch == "" || $3 == arch) { print $1 }'
}

# role_of FILE, arch_of FILE: the role, the architecture of the release's FILE.
role_of() {
    printf '%s\n' "$table" | awk -v file="$1" '$1 == file { print $2 }'
}
arch_of() {
    printf '%s\n' "$table" | awk -v file="$1" '$1 == file { print $3 }'
}

# maintainer_archs: the architectures of the release's binary packages; the
# maintainer builds the source for each.
maintainer_archs() {
    printf '%s\n' "$table" | awk '$2 == "binary-package" { print $3 }'
}

# maintainer_gets: the roles of the files that the maintainer's builds start
# from.
maintainer_gets() {
    printf '%s\n' dsc orig-tarball debian-tarball
}

# maintainer_makes ARCH: the release's files that the maintainer's build for
# ARCH makes again.
maintainer_makes() {
    with_role dsc
    with_role debian-tarball
    with_role binary-package "$1"
}

# plan: prints how each file of the release is checked; fails on a role it
# does not know, on a Debian file that no maintainer's build makes again or
# unpacks, and when the release lacks a file that a maintainer's build
# starts from or compares.
plan() {
    step "what is checked of each file of the release"
    for arch in $(maintainer_archs); do
        for role in $(maintainer_gets); do
            [ "$(with_role "$role" | grep -c .)" -eq 1 ] ||
                fail "the maintainer's build for $arch needs one file of the role $role, which the release does not have"
        done
    done
    tarball=$(with_role source-tarball)
    orig=$(with_role orig-tarball)
    echo "  SHA256SUMS: compared between the two releases; names exactly the release's files"
    for file in $files; do
        role=$(role_of "$file")
        how="compared between the two releases"
        case $role in
            source-tarball) how="$how${orig:+; the same bytes as $orig}" ;;
            orig-tarball) how="$how${tarball:+; the same bytes as $tarball}" ;;
            dsc | binary-package) how="$how; lintian" ;;
            debian-tarball | windows-zip | windows-installer | web-zip) ;;
            *) fail "$file has the role '$role', which the check does not know" ;;
        esac
        made_for=""
        for arch in $(maintainer_archs); do
            if maintainer_makes "$arch" | grep -q -x -F "$file"; then
                made_for="$made_for $arch"
            fi
        done
        accounted=$made_for
        if [ -n "$made_for" ]; then
            how="$how; made again by the maintainer's build for$made_for"
        elif [ -n "$(maintainer_archs)" ] && maintainer_gets | grep -q -x -F "$role"; then
            how="$how; unpacked by the maintainer's builds (dpkg-source -x checks it against the .dsc)"
            accounted=yes
        fi
        echo "  $file ($role, $(arch_of "$file")): $how"
        case $role in
            dsc | orig-tarball | debian-tarball | binary-package)
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
clone=$work/source/tervalo
git clone -q --no-checkout "$top" "$clone"
# REF need not be on a branch: fetch the commit itself.
git -C "$clone" fetch -q "$top" "$commit"
git -C "$clone" checkout -q --detach "$commit"
take_list "$("$clone/scripts/release.sh" --list)"
plan

# An Italian locale of its own (decimal comma, other collation), without
# touching the system's list of locales.
locales=$work/locales
mkdir -p "$locales" "$work/tmp"
localedef -i it_IT -f UTF-8 "$locales/it_IT.UTF-8"

# reprotest copies the clone's folder twice, into WORK/tmp, and runs the
# build command in each copy, the second time with its variations, then
# keeps each dist/ in WORK/releases and compares them with diffoscope, whose
# report goes to its file rather than through reprotest's output. Its
# own umask pair (0022, 0002) leaves the read bits alone, which a copied
# 0644 file keeps, and it moves the second copy to a path of the same depth:
# the command takes the umask and the place from variables that only the
# second build is given. The cache (the Qt builds and the Debian 13 system)
# is found through TERVALO_CACHE, as HOME changes. Not varied: the number of
# processors (reprotest would make the first release on one of them; it
# pins both builds to as many as --min-cpus says, or all of this machine's
# when it has fewer), the clock (faketime, whose library would not reach
# into the Debian 13 system of the Windows and web builds, which
# scripts/debian13-run.sh gives a clean environment), the user (entering
# that system needs root, and the Qt builds are root's), the order of
# directory entries (disorderfs, a FUSE file system under the whole build)
# and the host name (reprotest sets it, without sudo, in a user namespace,
# where scripts/debian13-run.sh cannot mount /sys).
releases=$work/releases
# shellcheck disable=SC2016 # the build's shell expands them
build='place=${RELEASE_CHECK_PLACE:-one/tervalo}; mkdir -p "${place%/*}"; mv tervalo "$place";
(cd "$place" && umask "${RELEASE_CHECK_UMASK:-002}" && make release); mv "$place/dist" dist'
step "the release of $commit, twice, by reprotest"
if ! TMPDIR=$work/tmp TERVALO_CACHE=$cache LOCPATH=$locales LANG=C.UTF-8 LC_ALL=C.UTF-8 \
    reprotest --verbosity 1 --min-cpus 1024 --store-dir "$releases" --source-root "$work/source" \
    --diffoscope-arg=--text="$work/diffoscope.txt" \
    --variations=+all,-num_cpus,-time,-user_group,-fileordering,-domain_host,-umask \
    --vary=locales.locale=it_IT.UTF-8 \
    --vary='environment.variables+=RELEASE_CHECK_UMASK=077;RELEASE_CHECK_PLACE=a-second-place/further/down/tervalo-again' \
    "$build" 'dist/*'; then
    diff -q -r "$releases/control/source-root/dist" "$releases/experiment-1/source-root/dist" || true
    fail "the two releases differ (diffoscope's report: $work/diffoscope.txt), or one of them could not be made"
fi

# That each dist/ holds the listed files and SHA256SUMS alone, and that they
# match it, release.sh has checked; the two releases being the same bytes,
# the first one's SHA256SUMS stands for both.
step "SHA256SUMS names exactly the listed files"
dist=$releases/control/source-root/dist
printf '%s\n' "$files" | LC_ALL=C sort >"$work/names"
sed 's/^[0-9a-f]\{64\} [ *]//' "$dist/SHA256SUMS" | LC_ALL=C sort | cmp -s - "$work/names" ||
    fail "$dist/SHA256SUMS does not name exactly the listed files"
if [ -n "$tarball" ] && [ -n "$orig" ]; then
    cmp -s "$dist/$tarball" "$dist/$orig" || fail "$orig is not the same bytes as $tarball"
    echo "  $orig: the same bytes as $tarball"
fi

for arch in $(maintainer_archs); do
    step "the source package as a Debian maintainer builds it for $arch"
    maintainer=$work/maintainer-$arch
    mkdir -p "$maintainer"
    for role in $(maintainer_gets); do
        cp "$dist/$(with_role "$role")" "$maintainer/"
    done
    (cd "$maintainer" && dpkg-source -x "$dsc" source)
    # What the build makes again goes first, so that what is compared is
    # the build's own.
    for file in $(maintainer_makes "$arch"); do
        rm -f "$maintainer/$file"
    done
    debian_build "$maintainer/source" "$arch"
    for file in $(maintainer_makes "$arch"); do
        if ! cmp -s "$dist/$file" "$maintainer/$file"; then
            diffoscope --text "$maintainer/$file.diffoscope.txt" "$dist/$file" "$maintainer/$file" || true
            fail "the maintainer's build for $arch gave another $file: diffoscope's report is $maintainer/$file.diffoscope.txt"
        fi
        echo "  $file: identical"
    done
done

lint="$dsc $(with_role binary-package | tr '\n' ' ')"
step "lintian on $lint"
# shellcheck disable=SC2086 # $lint is the list's names, one a word, no blanks
(cd "$dist" && lintian --display-info --fail-on error,warning $lint)

minutes=$(( ($(date +%s) - started + 30) / 60 ))
step "passed in $minutes minutes: $(printf '%s\n' "$files" SHA256SUMS | wc -l) files, byte-identical in both releases;" \
    "the Debian ones as the maintainer builds them for $(maintainer_archs | tr '\n' ' ')and lint-clean"
