#!/bin/sh
# Makes a release of the last commit (HEAD) in DIST, built in WORK:
#
#   tervalo-VERSION.tar.xz             the source: the commit's files, nothing else
#   tervalo_VERSION.orig.tar.xz        the same bytes, under Debian's name
#   tervalo_VERSION-REV.debian.tar.xz  the Debian source package made from it
#   tervalo_VERSION-REV.dsc            (unsigned)
#   tervalo_VERSION-REV_ARCH.deb       built from that source package alone, for this
#                                      machine and, cross-built, for arm64
#   tervalo-VERSION-win64.zip          built from the source tarball by its own
#   tervalo-VERSION-setup.exe          scripts/windows-build.sh and windows-package.sh;
#                                      signed when WINDOWS_SIGN_PKCS12 and
#                                      WINDOWS_SIGN_PASSWORD_FILE name a certificate
#   tervalo-VERSION-web.zip            the site of the web version, built from the
#                                      source tarball by its own scripts/web-build.sh
#   SHA256SUMS                         of all of the above, which DIST holds and nothing
#                                      else
#
# Uncommitted changes are never released (and a dirty tree is said to be one).
# The version is CMake's, checked against every other place that states it
# before anything is built and against the built files at the end (see
# scripts/release-version.sh). The same commit gives the same bytes whatever
# the checkout's path, the time zone, locale or umask: `make release-check`
# proves it. Qt for Windows and Qt for WebAssembly must be built already
# (make windows-qt web-qt).
#
#   scripts/release.sh DIST WORK
#   scripts/release.sh --list     the files it makes (but SHA256SUMS), one a line
#                                 in SHA256SUMS's order, for the version of the
#                                 working tree, each with its role and the
#                                 architecture it is for; nothing is built
#
# The roles, in the order of the files above: source-tarball, orig-tarball,
# debian-tarball, dsc (these four for the architecture "source"),
# binary-package (for its Debian architecture), windows-zip and
# windows-installer (win64), web-zip (wasm32).
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian.sh
. "$(dirname "$0")/lib/debian.sh"

# The architectures of the binary packages: this machine's and, cross-built,
# the Raspberry Pi's.
debian_archs="$(dpkg --print-architecture) arm64"

# names TREE: the version that the source TREE states, and the names of the
# release's files, which the steps below make and release_files lists.
names() {
    version=$("$top/scripts/release-version.sh" "$1")
    debian_version=$(debian_version "$1")
    debian_in_names=$(debian_file_version "$debian_version")
    name=tervalo-$version
    tarball=$name.tar.xz
    orig=tervalo_$version.orig.tar.xz
    debian_tarball=tervalo_$debian_in_names.debian.tar.xz
    dsc=tervalo_$debian_in_names.dsc
    zip=$name-win64.zip
    setup=$name-setup.exe
    web_zip=$name-web.zip
}
# deb ARCH: the name of the binary package for ARCH.
deb() {
    echo "tervalo_${debian_in_names}_$1.deb"
}
# release_table: every file of the release but SHA256SUMS, in its order, each
# with its role and architecture (what --list prints).
release_table() {
    {
        printf '%s  %s  %s\n' "$tarball" source-tarball source "$orig" orig-tarball source \
            "$debian_tarball" debian-tarball source "$dsc" dsc source "$zip" windows-zip win64 \
            "$setup" windows-installer win64 "$web_zip" web-zip wasm32
        for arch in $debian_archs; do
            printf '%s  %s  %s\n' "$(deb "$arch")" binary-package "$arch"
        done
    } | LC_ALL=C sort -k1,1
}
# release_files: the names alone.
release_files() {
    release_table | cut -d' ' -f1
}

if [ "${1:-}" = --list ]; then
    [ $# -eq 1 ] || usage "DIST WORK | --list"
    names "$top"
    release_table
    exit 0
fi
if [ $# -ne 2 ] || [ -z "$1" ] || [ -z "$2" ]; then
    usage "DIST WORK | --list"
fi
mkdir -p "$1" "$2"
dist=$(cd "$1" && pwd)
work=$(cd "$2" && pwd)
refuse_checkout_inside "$dist" "$work"

# What the caller's environment must not change: file modes (the zip keeps
# them), options that tar, xz and zip read from the environment, the
# variables of a calling make's job server, a source date (the Debian
# package's is its changelog's, the Windows files' the commit's), and the
# compiler flags and build options of the Debian package (how many jobs
# build it is JOBS's, which debian_build hands to dpkg-buildpackage).
umask 022
unset TAR_OPTIONS XZ_OPT XZ_DEFAULTS ZIP ZIPOPT MAKEFLAGS MFLAGS MAKELEVEL SOURCE_DATE_EPOCH DEB_BUILD_MAINT_OPTIONS \
    DEB_BUILD_OPTIONS
for variable in $(env | sed -n 's/^\(DEB_[A-Z0-9_]*FLAGS_[A-Z_]*\)=.*/\1/p'); do
    unset "$variable"
done

commit=$(git -C "$top" rev-parse --verify HEAD)
if [ -n "$(git -C "$top" status --porcelain)" ]; then
    step "the working tree has uncommitted changes; they are left out: this is the release of $commit"
fi
# archive [OPTION...]: the commit as a tar archive on standard output (git
# archive with the OPTIONs), with no configuration but these: modes 0644 and
# 0755, and every file exactly as committed (no line-end conversion).
archive() {
    GIT_CONFIG_NOSYSTEM=1 GIT_CONFIG_GLOBAL=/dev/null \
        git -C "$top" -c tar.umask=0022 -c core.autocrlf=false -c core.eol=lf archive --format=tar "$@" "$commit"
}

rm -rf "$work" "$dist"
mkdir -p "$work/tree" "$dist"
archive | tar -x -C "$work/tree"
names "$work/tree"
step "tervalo $version (Debian $debian_version) from $commit"

# The source tarball. git archive writes the entries in the tree's order,
# each with the commit's time, owner and group 0 ("root") and the commit id
# in a global header, so it is one function of the commit; xz is told every
# setting that could change its bytes (a single thread: several write blocks).
archive --prefix="$name/" | xz --threads=1 -6 --check=crc64 --stdout >"$dist/$tarball"
step "$tarball"

# The Debian source package, from that tarball under Debian's name.
mkdir -p "$work/debian-source"
cp "$dist/$tarball" "$work/debian-source/$orig"
tar -x -C "$work/debian-source" -f "$dist/$tarball"
(cd "$work/debian-source" && dpkg-source -b "$name")
for file in "$orig" "$debian_tarball" "$dsc"; do
    cp "$work/debian-source/$file" "$dist/"
done

# The binary packages, each built from the source package alone, as a Debian
# maintainer would: unpacked from the .dsc (which checks its tarballs), then
# dpkg-buildpackage, in a folder of its own; the Raspberry Pi's cross-built
# as make package-arm64 does.
for arch in $debian_archs; do
    folder=$work/debian-$arch
    mkdir -p "$folder"
    dpkg-source -x "$dist/$dsc" "$folder/$name"
    debian_build "$folder/$name" "$arch" --build=binary
    cp "$folder/$(deb "$arch")" "$dist/"
done

# Windows and the web, each from the same tarball, by the tarball's own
# scripts (built in the Debian 13 system that scripts/debian13-run.sh gives
# them); the files in the zips and the installer take the commit's time.
SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
for part in windows web; do
    mkdir -p "$work/$part-source"
    tar -x -C "$work/$part-source" -f "$dist/$tarball"
done
(cd "$work/windows-source/$name" && scripts/debian13-run.sh scripts/windows-build.sh build-windows &&
    scripts/windows-package.sh build-windows)
cp "$work/windows-source/$name/build-windows/$zip" "$work/windows-source/$name/build-windows/$setup" "$dist/"
(cd "$work/web-source/$name" && scripts/debian13-run.sh scripts/web-build.sh)
cp "$work/web-source/$name/build-web/$web_zip" "$dist/"

# DIST holds the listed files and nothing else, so that SHA256SUMS names
# every file of it.
release_files >"$work/listed"
(cd "$dist" && find . -mindepth 1 -maxdepth 1 -printf '%f\n' | LC_ALL=C sort) >"$work/found"
if ! cmp -s "$work/listed" "$work/found"; then
    fail "$dist does not hold the release's files: missing $(comm -23 "$work/listed" "$work/found" | tr '\n' ' '); not listed $(comm -13 "$work/listed" "$work/found" | tr '\n' ' ')"
fi

# The built files state the same version: the program in the zip, the
# installer and the packages.
mkdir -p "$work/unzipped"
(cd "$work/unzipped" && unzip -q "$dist/$zip" "$name-win64/tervalo.exe")
"$top/scripts/release-version.sh" "$work/tree" "$work/unzipped/$name-win64/tervalo.exe" \
    "$dist/$setup" "$dist"/*.deb >/dev/null

(cd "$dist" && release_files | xargs sha256sum >SHA256SUMS)
(cd "$dist" && sha256sum --quiet -c SHA256SUMS)
step "done: $dist holds"
(cd "$dist" && ls -l)
