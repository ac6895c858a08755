# shellcheck shell=sh
# The habits that the scripts in scripts/ share; each one sources this file
# first:
#
#   . "$(dirname "$0")/lib/common.sh"
#
# It sets `top`, the checkout's top folder, `me`, the script's name for its
# messages, and `cache`, and gives the functions below. A script reports
# what it is doing with `step` on standard output and stops on a failure
# with `fail`, which names the script on standard error and exits with
# status 1; a wrong command line exits with status 2 through `usage`.

top=$(cd "$(dirname "$0")/.." && pwd)
me=$(basename "$0" .sh)
# What is built once and kept outside the checkout, for every clone: Qt for
# Windows and for the web, and the Debian 13 system that builds them.
# shellcheck disable=SC2034 # for the scripts that source this file
cache=${TERVALO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tervalo}

# step MESSAGE...: says what the script is doing, on standard output.
step() {
    echo "$me: $*"
}

# fail MESSAGE...: says what went wrong, on standard error, and stops the
# script with status 1.
fail() {
    echo "$me: $*" >&2
    exit 1
}

# usage ARGUMENTS: the script's command line, as its header gives it.
usage() {
    echo "usage: $0 $*" >&2
    exit 2
}

# refuse_checkout_inside FOLDER...: stops when one of the absolute FOLDERs
# holds the checkout, since the script empties its folders before it fills
# them.
refuse_checkout_inside() {
    for folder in "$@"; do
        case "$top/" in
            "$folder"/*) fail "$folder holds the checkout; give the build a folder of its own" ;;
        esac
    done
}

# cmake_cache_value BUILD NAME: a value from a CMake build folder's cache,
# such as CMAKE_PROJECT_VERSION (the version of project() in CMakeLists.txt).
cmake_cache_value() {
    sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"
}

# export_source_date: exports SOURCE_DATE_EPOCH, the one time of every file
# a build stamps (the built-in images, the stripped Windows files, the zips
# and the installer), by default the last commit's, so that the same commit
# gives the same bytes.
export_source_date() {
    SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || date +%s)}
    export SOURCE_DATE_EPOCH
}

# deterministic_zip FOLDER: zips FOLDER into FOLDER.zip beside it with every
# file at SOURCE_DATE_EPOCH, the names sorted and no owners, so that the same
# files give the same zip.
deterministic_zip() {
    find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    rm -f "$1.zip"
    (cd "$(dirname "$1")" && find "$(basename "$1")" | LC_ALL=C sort | TZ=UTC zip -X -q -D "$(basename "$1").zip" -@)
}
