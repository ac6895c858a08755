#!/bin/sh
# Builds the Debian package with Debian's own tools (dpkg-buildpackage,
# debhelper's CMake build system) from a copy of the working tree, so that
# the build and everything it writes stay in OUT_FOLDER, never beside the
# checkout:
#   OUT_FOLDER/tervalo_<version>_<arch>.deb, its debug symbols, .buildinfo
#   and .changes, and the copy OUT_FOLDER/tervalo-<upstream version>/ that
#   they were built from (cleaned again afterwards).
# The package's build runs the test suite unless DEB_BUILD_OPTIONS says
# nocheck.
#
#   scripts/package.sh OUT_FOLDER
set -eu

[ $# -eq 1 ] && [ -n "$1" ] || { echo "usage: $0 OUT_FOLDER" >&2; exit 2; }
top=$(cd "$(dirname "$0")/.." && pwd)
version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)

mkdir -p "$1"
out=$(cd "$1" && pwd)
# The folder is emptied first, so it must not hold the checkout itself.
case "$top/" in
    "$out"/*) echo "package: $1 holds the checkout; give the build a folder of its own" >&2; exit 2 ;;
esac
rm -rf "$out"
source="$out/tervalo-${version%-*}"
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
dpkg-buildpackage -b -us -uc -Jauto --post-clean
echo "package: built $(ls "$out"/*.deb | tr '\n' ' ')"
