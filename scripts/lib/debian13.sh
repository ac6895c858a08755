# shellcheck shell=sh disable=SC2034,SC2154 # sets variables for the scripts that source it, after common.sh (cache)
# The Debian 13 system where Qt for Windows and for the web, and the programs
# built against them, are built, whatever Debian this machine runs, so that
# the Windows and web files do not depend on it; sourced after common.sh:
#
#   debian13_system         the system that scripts/debian13-run.sh enters,
#                           kept in the cache, or empty when this machine is
#                           Debian 13 and builds them itself
#   debian13_version PKG    the version of PKG installed in that system (on
#                           Debian 13, here), read from outside it

debian13_system=""
# shellcheck disable=SC1091 # the machine's own
if ! (. /etc/os-release && [ "${ID:-}" = debian ] && [ "${VERSION_ID:-}" = 13 ]); then
    debian13_system=$cache/debian-13
fi

debian13_version() {
    dpkg-query --admindir="$debian13_system/var/lib/dpkg" -W -f='${Version}' "$1" 2>/dev/null ||
        fail "$1 is not installed in ${debian13_system:-this Debian 13}; make windows-qt and make web-qt install it"
}
