#!/bin/sh
# Qt for Windows or for the web, built once from Debian 13's own qt6-base
# source, in the Debian 13 system that scripts/debian13-run.sh gives it (on
# Debian 13, here), with the settings of scripts/lib/qt.sh.
#
#   scripts/qt-build.sh PLATFORM --prefix   print where the built Qt lives (or will)
#   scripts/qt-build.sh PLATFORM            build it there, unless it is already built
#
# PLATFORM is windows or web. The source comes through a private apt sources
# list (debian_source in lib/debian.sh), so the system's own apt
# configuration is left alone. `make windows-qt-clean` and `make
# web-qt-clean` remove a build.
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian.sh
. "$top/scripts/lib/debian.sh"
# shellcheck source=lib/debian13.sh
. "$top/scripts/lib/debian13.sh"
# shellcheck source=lib/qt.sh
. "$top/scripts/lib/qt.sh"

case $# in
    1) ;;
    2) [ "$2" = --prefix ] || usage "windows|web [--prefix]" ;;
    *) usage "windows|web [--prefix]" ;;
esac
qt_platform "$1"
if [ "${2:-}" = "--prefix" ]; then
    echo "$qt_prefix"
    exit 0
fi
[ -z "$debian13_system" ] || fail "Qt is built in the Debian 13 system: scripts/debian13-run.sh $0 $*"
# A second run while one builds (CI builds Qt beside its other steps) waits
# for it, then finds Qt built.
mkdir -p "$cache"
exec 9>"$qt_prefix.lock"
flock 9
if [ -f "$qt_prefix/.built" ]; then
    step "Qt for $qt_about is already built in $qt_prefix"
    exit 0
fi

step "building Qt $qt_version for $qt_about into $qt_prefix;"
step "this is done once and takes about $qt_minutes minutes on two cores."
started=$(date +%s)
work=$qt_prefix.work
rm -rf "$work" "$qt_prefix"
source_dir=$(debian_source qt6-base "$qt_version" "$work")
qt_mend "$source_dir"
qt_configure "$source_dir" "$work/build"
cmake --build "$work/build"
cmake --install "$work/build"

# The licence texts of Qt and of the third-party code built into it, for
# what ships it.
qt_licences "$source_dir" "$qt_prefix/licenses"
# The compiler's runtime, which the Qt DLLs load, beside them, as Qt's own
# MinGW builds ship it: the program's build, its tests under Wine and its
# downloads find every DLL they need in one folder, on any machine.
# CMake's search for the DLLs that a program loads looks each up by its name
# in lower case, as on Windows' case-blind file systems, so each of Qt's
# also answers to that name here.
if [ -n "${mingw_target:-}" ]; then
    runtime=$(dirname "$("$mingw_target-g++-posix" -print-libgcc-file-name)")
    cp "$runtime/libgcc_s_seh-1.dll" "$runtime/libstdc++-6.dll" "/usr/$mingw_target/lib/libwinpthread-1.dll" \
        "$qt_prefix/bin/"
    for dll in "$qt_prefix"/bin/Qt6*.dll; do
        name=$(basename "$dll")
        ln -s "$name" "$qt_prefix/bin/$(echo "$name" | tr '[:upper:]' '[:lower:]')"
    done
fi

rm -rf "$work"
touch "$qt_prefix/.built"
step "Qt for $qt_about is in $qt_prefix, built in $(($(date +%s) - started)) s"
