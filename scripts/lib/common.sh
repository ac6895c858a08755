# shellcheck shell=sh
# The habits that the scripts in scripts/ share; each one sources this file
# first:
#
#   . "$(dirname "$0")/lib/common.sh"
#
# It sets `top`, the checkout's top folder, and `me`, the script's name for
# its messages, and gives the functions below. A script reports what it is
# doing with `step` on standard output and stops on a failure with `fail`,
# which names the script on standard error and exits with status 1; a wrong
# command line exits with status 2 through `usage`.

top=$(cd "$(dirname "$0")/.." && pwd)
me=$(basename "$0" .sh)

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
