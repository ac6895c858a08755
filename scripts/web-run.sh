#!/bin/sh
# Runs a command where the web version is built and tested: Debian 13's
# emscripten, Qt tools and Chromium. On Debian 13 that is this machine, with
# the packages of `scripts/install-deps.sh web`. Debian 12's emscripten is
# too old for Qt 6, so there it is a minimal Debian 13 system, made once by
# mmdebstrap in TERVALO_CACHE (default ~/.cache/tervalo) and kept there;
# the checkout and the cache have the same paths inside it, and the host's
# own apt configuration is neither read for it nor changed. Entering that
# system needs root (chroot and mounts, in a mount and PID namespace of this
# script's own, so that nothing stays mounted or running after it).
#
#   scripts/web-run.sh --where      print "host" or the Debian 13 system's folder
#   scripts/web-run.sh COMMAND...   run COMMAND there, in the current folder
#
# Inside the system the command sees a clean environment: a path, a home,
# the locale, CI, EMSDK, the variables the web scripts read (NUMBERS_PAIRS,
# JOBS and the CMake and CTest job counts, TERVALO_CACHE, SOURCE_DATE_EPOCH,
# TERVALO_WEB_TIMEOUT, TERVALO_WEB_ENGINE and TERVALO_WEB_ENGINES, each a
# value without blanks), the QT_ ones that CTest gives a test and the
# TERVALO_TYPING_ ones that repeat a random typing run.
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/web.sh
. "$top/scripts/lib/web.sh"
# shellcheck source=lib/debian-system.sh
. "$top/scripts/lib/debian-system.sh"

[ $# -ge 1 ] || usage "--where | COMMAND [ARGUMENT...]"

if [ -z "$web_system" ]; then
    if [ "$1" = "--where" ]; then
        echo host
        exit 0
    fi
    EMSDK=${EMSDK:-/usr/share/emscripten}
    export EMSDK
    exec "$@"
fi
if [ "$1" = "--where" ]; then
    echo "$web_system"
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    fail "this is Debian $(cat /etc/debian_version); the web build runs in a Debian 13 system in $web_system, and entering it (chroot) needs root"
fi

mirror=http://deb.debian.org/debian

if [ ! -f "$web_system/.made" ]; then
    command -v mmdebstrap >/dev/null 2>&1 || fail "mmdebstrap is missing (scripts/install-deps.sh web installs it)"
    step "making a minimal Debian 13 system for the web build in $web_system (once; about 2 minutes)"
    rm -rf --one-file-system "$web_system"
    mkdir -p "$(dirname "$web_system")"
    # What the web build needs is installed inside by install-deps.sh, from
    # the same list as on a Debian 13 machine.
    mmdebstrap --variant=apt --include=ca-certificates,debian-archive-keyring trixie "$web_system" \
        "deb $mirror trixie main" "deb $mirror trixie-updates main" \
        "deb http://deb.debian.org/debian-security trixie-security main"
    touch "$web_system/.made"
fi

debian_system_private "$@"

mount -t tmpfs -o mode=1777 tmp "$web_system/tmp"
for shared in "$top" "$web_cache"; do
    mkdir -p "$web_system$shared"
    mount --bind "$shared" "$web_system$shared"
done
here=$(pwd)
case $here/ in
    "$top"/* | "$web_cache"/*) ;;
    *) fail "run it from inside the checkout or $web_cache, not $here" ;;
esac

passed=""
for name in NUMBERS_PAIRS JOBS CMAKE_BUILD_PARALLEL_LEVEL CTEST_PARALLEL_LEVEL SOURCE_DATE_EPOCH TERVALO_WEB_TIMEOUT TERVALO_WEB_DEBUG TERVALO_WEB_ENGINE TERVALO_WEB_ENGINES \
    $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\|TERVALO_TYPING_[A-Z_]*\)=.*/\1/p'); do
    eval "value=\${$name-}"
    # shellcheck disable=SC2154 # value is set by the eval above
    [ -z "$value" ] || passed="$passed $name=$value"
done
# shellcheck disable=SC2086 # one word a variable
debian_system_run "$web_system" "$here" \
    CI="${CI:-}" EMSDK=/usr/share/emscripten TERVALO_CACHE="$web_cache" $passed "$@"
