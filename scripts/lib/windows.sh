# shellcheck shell=sh disable=SC2034,SC2154 # sets variables for the scripts that source it, after common.sh (top)
# The facts of the Windows cross build that the Windows scripts share;
# sourced after common.sh. Sourcing it only defines these functions; each
# script calls those it needs:
#
#   windows_toolchain    sets mingw_target, the MinGW-w64 target, as the
#                        CMake toolchain file names it, and windows_qt_prefix,
#                        where scripts/windows-qt.sh builds Qt for Windows (or will)
#   windows_dll_folders  the folders of the DLLs that the build's programs load
#   export_source_date   the one time of the Windows files

# windows_toolchain: sets mingw_target and the Qt for Windows build's
# windows_qt_prefix, from windows_qt_version (the Debian qt6-base it is built
# from) and windows_gcc_version (the MinGW-w64 compiler's). The Qt build is
# kept outside the checkout, in TERVALO_CACHE (default ~/.cache/tervalo),
# under a name that gives the Qt and compiler versions, so that every later
# run, clean clones included, finds it.
windows_toolchain() {
    mingw_target=$(sed -n 's/^set(tervalo_mingw \([^)]*\))$/\1/p' "$top/cmake/mingw-w64-x86_64.cmake")
    [ -n "$mingw_target" ] || fail "cmake/mingw-w64-x86_64.cmake names no tervalo_mingw target"
    windows_qt_cache=${TERVALO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tervalo}
    windows_qt_version=$(dpkg-query -W -f='${Version}' "qt6-base-dev:$(dpkg --print-architecture)")
    windows_gcc_version=$("$mingw_target-g++-posix" -dumpversion)
    windows_qt_prefix=$windows_qt_cache/qt-$windows_qt_version-$mingw_target-gcc-$windows_gcc_version
}

# windows_dll_folders: prints the folders of the DLLs that the build's
# programs load, one a line, after windows_toolchain: Qt's, the compiler's
# runtime and the MinGW-w64 runtime.
windows_dll_folders() {
    printf '%s\n' "$windows_qt_prefix/bin" \
        "$(dirname "$("$mingw_target-g++-posix" -print-libgcc-file-name)")" "/usr/$mingw_target/lib"
}

# export_source_date: exports SOURCE_DATE_EPOCH, the one time of the Windows
# files (default: the last commit's), which strip writes into every PE file
# it strips and the zip and the installer give every file, so that the same
# commit gives the same bytes.
export_source_date() {
    SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || date +%s)}
    export SOURCE_DATE_EPOCH
}
