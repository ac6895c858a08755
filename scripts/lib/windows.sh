# shellcheck shell=sh disable=SC2034,SC2154 # sets variables for the scripts that source it, after common.sh (top)
# The facts of the Windows cross build that the Windows scripts share;
# sourced after common.sh. Sourcing it only defines these functions; each
# script calls those it needs:
#
#   windows_toolchain    sets mingw_target, the MinGW-w64 target, as the
#                        CMake toolchain file names it, windows_qt_settings and
#                        windows_qt_prefix, how and where scripts/windows-qt.sh
#                        builds Qt for Windows (or will)
#   windows_dll_folders  the folders of the DLLs that the build's programs load
#   export_source_date   the one time of the Windows files

# windows_toolchain: sets mingw_target, windows_qt_settings (the Qt for
# Windows build's CMake options) and its windows_qt_prefix, from
# windows_qt_version (the Debian qt6-base it is built from) and
# windows_gcc_version (the MinGW-w64 compiler's). The Qt build is kept
# outside the checkout, in TERVALO_CACHE (default ~/.cache/tervalo), under a
# name that gives the Qt and compiler versions and a digest of the options,
# so that every later run, clean clones included, finds it, and a change of
# options builds it anew.
windows_toolchain() {
    mingw_target=$(sed -n 's/^set(tervalo_mingw \([^)]*\))$/\1/p' "$top/cmake/mingw-w64-x86_64.cmake")
    [ -n "$mingw_target" ] || fail "cmake/mingw-w64-x86_64.cmake names no tervalo_mingw target"
    windows_qt_cache=${TERVALO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tervalo}
    windows_qt_version=$(dpkg-query -W -f='${Version}' "qt6-base-dev:$(dpkg --print-architecture)")
    windows_gcc_version=$("$mingw_target-g++-posix" -dumpversion)
    # Only what the program and its tests use: Core, Gui, Widgets and Test,
    # the windows, offscreen and minimal platforms and the native style, with
    # the third-party code that Qt carries inside it. Debian's source leaves
    # out Wacom's tablet header, hence no tablet events; without OpenGL the
    # windows platform must not ask for it at run time either (dynamicgl).
    # The Direct2D platform (a second build of the whole windows platform,
    # which the program never loads) and the GIF, ICO and JPEG image plugins
    # (its images are PNG and BMP) are left out: a sixth of the build's time
    # from nothing, none of what ships. Direct2D itself stays on, since the
    # windows platform's DirectWrite fonts depend on it.
    windows_qt_settings="-DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_dynamicgl=OFF
        -DFEATURE_tabletevent=OFF
        -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_printsupport=OFF
        -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF
        -DFEATURE_direct2d1_1=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_jpeg=OFF
        -DFEATURE_freetype=ON
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
        -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_zstd=OFF"
    settings=$(echo "$windows_qt_settings" | md5sum | cut -c1-8)
    windows_qt_prefix=$windows_qt_cache/qt-$windows_qt_version-$mingw_target-gcc-$windows_gcc_version-$settings
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
