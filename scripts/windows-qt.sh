#!/bin/sh
# Qt for Windows, cross-built once from this Debian release's own qt6-base
# source, at the very version of the host's Qt tools (moc, rcc, uic), with
# Debian's MinGW-w64.
#
#   scripts/windows-qt.sh --prefix   print where the built Qt lives (or will)
#   scripts/windows-qt.sh            build it there, unless it is already built
#
# The build is cached outside the checkout, in TERVALO_CACHE (default
# ~/.cache/tervalo), under a name that gives the Qt and compiler versions and
# a digest of its options, so that every later run, clean clones included,
# skips it. Removing that folder
# (`make windows-qt-clean`) makes the next run build it again.
#
# The source comes through a private apt sources list (debian_source in
# lib/debian.sh), so the system's own apt configuration is left alone.
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/windows.sh
. "$top/scripts/lib/windows.sh"
# shellcheck source=lib/debian.sh
. "$top/scripts/lib/debian.sh"

windows_toolchain
qt_version=$windows_qt_version
gcc_version=$windows_gcc_version
prefix=$windows_qt_prefix

qt_build_needed "Windows" "$prefix" "${1:-}"

step "building Qt $qt_version for Windows (GCC $gcc_version) into $prefix;"
step "this is done once and takes about 30 minutes on two cores."
work=$prefix.work
rm -rf "$work" "$prefix"
source_dir=$(debian_source qt6-base "$qt_version" "$work")

# shellcheck disable=SC2086 # one word an option
cmake -G Ninja -S "$source_dir" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    $windows_qt_settings
cmake --build "$work/build"
cmake --install "$work/build"

# The licence texts of Qt and of the third-party code built into it, for the
# Windows zip and installer.
qt_licences "$source_dir" "$prefix/licenses"

rm -rf "$work"
touch "$prefix/.built"
step "Qt for Windows is in $prefix"
