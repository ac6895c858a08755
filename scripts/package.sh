#!/bin/sh
# Builds the Debian package with Debian's own tools (dpkg-buildpackage,
# debhelper's CMake build system) from a copy of the working tree, so that
# the build and everything it writes stay in OUT_FOLDER, never beside the
# checkout:
#   OUT_FOLDER/tervalo_<version>_<arch>.deb, its debug symbols, .buildinfo
#   and .changes, and the copy OUT_FOLDER/tervalo-<upstream version>/ that
#   they were built from (cleaned again afterwards).
# A package for another architecture than this machine's (ARCH, say arm64)
# is cross-built with Debian's cross compilers and that architecture's
# libraries; the files of other architectures in OUT_FOLDER stay.
# The package's build runs the test suite unless DEB_BUILD_OPTIONS says
# nocheck; a cross-built one never runs it, since its programs cannot run
# here (make test-arm64 runs them under an emulator).
#
#   scripts/package.sh OUT_FOLDER [ARCH]
set -eu

[ $# -ge 1 ] && [ $# -le 2 ] && [ -n "$1" ] || { echo "usage: $0 OUT_FOLDER [ARCH]" >&2; exit 2; }
native=$(dpkg --print-architecture)
arch=${2:-$native}
top=$(cd "$(dirname "$0")/.." && pwd)
version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)

mkdir -p "$1"
out=$(cd "$1" && pwd)
# The copy and this architecture's files of an earlier build go first, so the
# folder must not hold the checkout itself.
case "$top/" in
    "$out"/*) echo "package: $1 holds the checkout; give the build a folder of its own" >&2; exit 2 ;;
esac
source="$out/tervalo-${version%-*}"
rm -rf "$source" "$out"/tervalo*_"$arch".*
mkdir -p "$source"
cd "$top"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # The files git knows, committed or not, less the ignored ones and the
    # ones deleted in the working tree: what a commit of the tree would hold.
    git ls-files -z --cached --others --exclude-standard \
        | xargs -0 sh -c 'for f do if [ -e "$f" ] || [ -L "$f" ]; then printf "%s\0" "$f"; fi; done' sh \
        | tar --null -T - -cf - | tar -C "$source" -xf -
else
    tar --exclude='./build*' -cf - . | tar -C "$source" -xf -
fi

cd "$source"
# Started from make, the variables of make's job server would reach the
# package's own make; its parallel builds come from -J instead.
unset MAKEFLAGS MFLAGS MAKELEVEL
if [ "$arch" = "$native" ]; then
    dpkg-buildpackage -b -us -uc -Jauto --post-clean
else
    DEB_BUILD_OPTIONS="nocheck ${DEB_BUILD_OPTIONS:-}" \
        dpkg-buildpackage -a "$arch" -Pnocheck -b -us -uc -Jauto --post-clean
fi
echo "package: built $(ls "$out"/tervalo*_"$arch".deb | tr '\n' ' ')"
