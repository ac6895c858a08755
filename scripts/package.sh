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
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian.sh
. "$(dirname "$0")/lib/debian.sh"

if [ $# -lt 1 ] || [ $# -gt 2 ] || [ -z "$1" ]; then
    usage "OUT_FOLDER [ARCH]"
fi
native=$(dpkg --print-architecture)
arch=${2:-$native}
upstream=$(debian_upstream_version "$(debian_version "$top")")

mkdir -p "$1"
out=$(cd "$1" && pwd)
# The copy and this architecture's files of an earlier build go first.
refuse_checkout_inside "$out"
source="$out/tervalo-$upstream"
rm -rf "$source" "$out"/tervalo*_"$arch".*
mkdir -p "$source"
cd "$top"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # The files git knows, committed or not, less the ignored ones and the
    # ones deleted in the working tree: what a commit of the tree would hold.
    # shellcheck disable=SC2016 # $f is the inner shell's, unexpanded here
    git ls-files -z --cached --others --exclude-standard \
        | xargs -0 sh -c 'for f do if [ -e "$f" ] || [ -L "$f" ]; then printf "%s\0" "$f"; fi; done' sh \
        | tar --null -T - -cf - | tar -C "$source" -xf -
else
    tar --exclude='./build*' -cf - . | tar -C "$source" -xf -
fi

debian_build "$source" "$arch" -b --post-clean
# shellcheck disable=SC2012 # the package's own file names, in ls's order as ever
step "built $(ls "$out"/tervalo*_"$arch".deb | tr '\n' ' ')"
