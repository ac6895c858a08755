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
#   tervalo-VERSION-setup.exe          scripts/windows-build.sh
#   SHA256SUMS                         of all of the above
#
# Uncommitted changes are never released (and a dirty tree is said to be one).
# The version is CMake's, checked against every other place that states it
# before anything is built and against the built files at the end (see
# scripts/release-version.sh). The same commit gives the same bytes whatever
# the checkout's path, the time zone, locale or umask: `make release-check`
# proves it. Qt for Windows must be built already (make windows-qt).
#
#   scripts/release.sh DIST WORK
set -eu

[ $# -eq 2 ] && [ -n "$1" ] && [ -n "$2" ] || { echo "usage: $0 DIST WORK" >&2; exit 2; }
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1" "$2"
dist=$(cd "$1" && pwd)
work=$(cd "$2" && pwd)
for folder in "$dist" "$work"; do
    case "$top/" in
        "$folder"/*) echo "release: $folder holds the checkout; give the release folders of their own" >&2; exit 2 ;;
    esac
done

# What the caller's environment must not change: file modes (the zip keeps
# them), options that tar, xz and zip read from the environment, the
# variables of a calling make's job server, a source date (the Debian
# package's is its changelog's, the Windows files' the commit's), and the
# compiler flags and build options of the Debian package, but for how many
# jobs build it.
umask 022
unset TAR_OPTIONS XZ_OPT XZ_DEFAULTS ZIP ZIPOPT MAKEFLAGS MFLAGS MAKELEVEL SOURCE_DATE_EPOCH DEB_BUILD_MAINT_OPTIONS
for variable in $(env | sed -n 's/^\(DEB_[A-Z0-9_]*FLAGS_[A-Z_]*\)=.*/\1/p'); do
    unset "$variable"
done
DEB_BUILD_OPTIONS=$(for option in ${DEB_BUILD_OPTIONS:-}; do case $option in parallel=*) echo "$option" ;; esac; done)
export DEB_BUILD_OPTIONS
step()
{
    echo "release: $*"
}

commit=$(git -C "$top" rev-parse --verify HEAD)
if [ -n "$(git -C "$top" status --porcelain)" ]; then
    step "the working tree has uncommitted changes; they are left out: this is the release of $commit"
fi
# git archive with no configuration but these: modes 0644 and 0755, and every
# file exactly as committed (no line-end conversion).
archive()
{
    GIT_CONFIG_NOSYSTEM=1 GIT_CONFIG_GLOBAL=/dev/null \
        git -C "$top" -c tar.umask=0022 -c core.autocrlf=false -c core.eol=lf archive --format=tar "$@" "$commit"
}

rm -rf "$work" "$dist"
mkdir -p "$work/tree" "$dist"
archive | tar -x -C "$work/tree"
version=$("$top/scripts/release-version.sh" "$work/tree")
debian_version=$(dpkg-parsechangelog -l "$work/tree/debian/changelog" -S Version)
name=tervalo-$version
step "tervalo $version (Debian $debian_version) from $commit"

# The source tarball. git archive writes the entries in the tree's order,
# each with the commit's time, owner and group 0 ("root") and the commit id
# in a global header, so it is one function of the commit; xz is told every
# setting that could change its bytes (a single thread: several write blocks).
tarball=$dist/$name.tar.xz
archive --prefix="$name/" | xz --threads=1 -6 --check=crc64 --stdout >"$tarball"
step "$(basename "$tarball")"

# The Debian source package, from that tarball under Debian's name.
mkdir -p "$work/debian-source"
cp "$tarball" "$work/debian-source/tervalo_$version.orig.tar.xz"
tar -x -C "$work/debian-source" -f "$tarball"
(cd "$work/debian-source" && dpkg-source -b "$name")
for file in "tervalo_$version.orig.tar.xz" "tervalo_${debian_version#*:}.debian.tar.xz" "tervalo_${debian_version#*:}.dsc"; do
    cp "$work/debian-source/$file" "$dist/"
done
dsc=$dist/tervalo_${debian_version#*:}.dsc

# A binary package built from the source package alone, as a Debian
# maintainer would: unpacked from the .dsc (which checks its tarballs), then
# dpkg-buildpackage, in a folder of its own.
deb()
{
    arch=$1
    folder=$work/debian-$arch
    mkdir -p "$folder"
    dpkg-source -x "$dsc" "$folder/$name"
    if [ "$arch" = "$(dpkg --print-architecture)" ]; then
        (cd "$folder/$name" && dpkg-buildpackage --build=binary --host-arch="$arch" -us -uc -Jauto)
    else
        # Cross-built programs cannot run here, so their tests do not run
        # (make test-arm64 runs them under an emulator).
        (cd "$folder/$name" && DEB_BUILD_OPTIONS="nocheck ${DEB_BUILD_OPTIONS:-}" \
            dpkg-buildpackage --build=binary --host-arch="$arch" -Pnocheck -us -uc -Jauto)
    fi
    cp "$folder/tervalo_${debian_version#*:}_$arch.deb" "$dist/"
}
deb "$(dpkg --print-architecture)"
# The Raspberry Pi's package, cross-built as make package-arm64 does.
deb arm64

# Windows, from the same tarball, by the tarball's own script; the files in
# the zip and the installer take the commit's time.
mkdir -p "$work/windows-source"
tar -x -C "$work/windows-source" -f "$tarball"
SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct "$commit") \
    "$work/windows-source/$name/scripts/windows-build.sh" "$work/windows"
cp "$work/windows/$name-win64.zip" "$work/windows/$name-setup.exe" "$dist/"

# The built files state the same version: the program in the zip, the
# installer and the packages.
mkdir -p "$work/unzipped"
(cd "$work/unzipped" && unzip -q "$dist/$name-win64.zip" "$name-win64/tervalo.exe")
"$top/scripts/release-version.sh" "$work/tree" "$work/unzipped/$name-win64/tervalo.exe" \
    "$dist/$name-setup.exe" "$dist"/*.deb >/dev/null

(cd "$dist" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)
(cd "$dist" && sha256sum --quiet -c SHA256SUMS)
step "done: $dist holds"
(cd "$dist" && ls -l)
