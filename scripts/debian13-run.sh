#!/bin/sh
# Runs a command in Debian 13, where Qt for Windows and for the web and the
# programs built against them are built, and the web version is tested:
# Debian 13's Qt 6.8 source and tools, MinGW-w64, emscripten and browsers.
# On Debian 13 that is this machine, with the packages of
# `scripts/install-deps.sh windows web`. Elsewhere (Debian 12's emscripten
# is too old for Qt 6, and its Qt is no longer supported) it is a minimal
# Debian 13 system, made once by mmdebstrap in TERVALO_CACHE (default
# ~/.cache/tervalo) and kept there;
# the checkout and the cache have the same paths inside it, and the host's
# own apt configuration is neither read for it nor changed. Entering that
# system needs root (chroot and mounts, in a mount and PID namespace of this
# script's own, so that nothing stays mounted or running after it).
#
#   scripts/debian13-run.sh --where      print "host" or the Debian 13 system's folder
#   scripts/debian13-run.sh COMMAND...   run COMMAND there, in the current folder
#
# Inside the system the command sees a clean environment: a path, a home,
# the locale, CI, EMSDK, the variables the build and web scripts read (NUMBERS_PAIRS,
# JOBS and the CMake and CTest job counts, TERVALO_CACHE, SOURCE_DATE_EPOCH,
# TERVALO_WEB_TIMEOUT, TERVALO_WEB_ENGINE and TERVALO_WEB_ENGINES, each a
# value without blanks), the QT_ ones that CTest gives a test and the
# TERVALO_TYPING_ ones that repeat a random typing run.
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian13.sh
. "$top/scripts/lib/debian13.sh"
# shellcheck source=lib/debian-system.sh
. "$top/scripts/lib/debian-system.sh"

[ $# -ge 1 ] || usage "--where | COMMAND [ARGUMENT...]"

if [ -z "$debian13_system" ]; then
    if [ "$1" = "--where" ]; then
        echo host
        exit 0
    fi
    EMSDK=${EMSDK:-/usr/share/emscripten}
    export EMSDK
    exec "$@"
fi
if [ "$1" = "--where" ]; then
    echo "$debian13_system"
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    fail "this is Debian $(cat /etc/debian_version); Windows and web builds run in a Debian 13 system in $debian13_system, and entering it (chroot) needs root"
fi

mirror=http://deb.debian.org/debian

# Made once, by the first of the runs that may start together.
mkdir -p "$cache"
exec 8>"$debian13_system.lock"
flock 8
if [ ! -f "$debian13_system/.made" ]; then
    command -v mmdebstrap >/dev/null 2>&1 || fail "mmdebstrap is missing (scripts/install-deps.sh web installs it)"
    step "making a minimal Debian 13 system for the Windows and web builds in $debian13_system (once; about 2 minutes)"
    rm -rf --one-file-system "$debian13_system"
    # What the builds need is installed inside by install-deps.sh, from the
    # same lists as on a Debian 13 machine.
    mmdebstrap --variant=apt --include=ca-certificates,debian-archive-keyring trixie "$debian13_system" \
        "deb $mirror trixie main" "deb $mirror trixie-updates main" \
        "deb http://deb.debian.org/debian-security trixie-security main"
    touch "$debian13_system/.made"
fi
flock -u 8

debian_system_private "$@"

mount -t tmpfs -o mode=1777 tmp "$debian13_system/tmp"
for shared in "$top" "$cache"; do
    mkdir -p "$debian13_system$shared"
    mount --bind "$shared" "$debian13_system$shared"
done
here=$(pwd)
case $here/ in
    "$top"/* | "$cache"/*) ;;
    *) fail "run it from inside the checkout or $cache, not $here" ;;
esac

passed=""
for name in NUMBERS_PAIRS JOBS CMAKE_BUILD_PARALLEL_LEVEL CTEST_PARALLEL_LEVEL SOURCE_DATE_EPOCH TERVALO_WEB_TIMEOUT TERVALO_WEB_DEBUG TERVALO_WEB_ENGINE TERVALO_WEB_ENGINES \
    $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\|TERVALO_TYPING_[A-Z_]*\)=.*/\1/p'); do
    eval "value=\${$name-}"
    # shellcheck disable=SC2154 # value is set by the eval above
    [ -z "$value" ] || passed="$passed $name=$value"
done
# shellcheck disable=SC2086 # one word a variable
debian_system_run "$debian13_system" "$here" \
    CI="${CI:-}" EMSDK=/usr/share/emscripten TERVALO_CACHE="$cache" $passed "$@"
