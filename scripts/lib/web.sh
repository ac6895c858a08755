# shellcheck shell=sh disable=SC2034 # sets variables for the scripts that source it, after common.sh
# Where the web version is built; sourced after common.sh:
#
#   web_cache    TERVALO_CACHE (default ~/.cache/tervalo): Qt for WebAssembly
#                and, off Debian 13, the Debian 13 system are kept there
#   web_system   the Debian 13 system that scripts/web-run.sh enters, or
#                empty when this machine is Debian 13 and builds it itself

web_cache=${TERVALO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tervalo}
web_system=""
# shellcheck disable=SC1091 # the machine's own
if ! (. /etc/os-release && [ "${ID:-}" = debian ] && [ "${VERSION_ID:-}" = 13 ]); then
    web_system=$web_cache/debian-13
fi
