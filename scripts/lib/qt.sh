# shellcheck shell=sh disable=SC2034,SC2154 # sets variables for the scripts that source it, after common.sh and debian13.sh
# How Qt is built for Windows and for the web (scripts/qt-build.sh), and
# where the build is kept; sourced after common.sh and debian13.sh. Both are
# built from Debian 13's own qt6-base source, at the very version of its Qt
# tools (moc, rcc, uic), in the Debian 13 system, as unity builds (a few
# dozen sources compiled at a time: far fewer build steps, which a CI run
# from nothing feels), with only what the program and its tests use.
#
# qt_platform PLATFORM (windows or web) sets:
#
#   qt_version     the Debian qt6-base it is built from
#   qt_prefix      where it is kept: in the cache, under a name that gives the
#                  Qt and compiler versions and a digest of the settings, so
#                  that every later run, clean clones included, finds it, and
#                  a change of settings builds it anew
#   qt_about       the platform and its compiler, for the messages
#   qt_minutes     about how long the build takes on two cores
#
# and defines qt_mend SOURCE (the platform's changes to the source) and
# qt_configure SOURCE BUILD (configures the build folder BUILD).

# The modules that neither the program nor its tests link, left out on both
# platforms.
qt_unused_modules="sql network dbus printsupport xml concurrent"

qt_platform() {
    qt_version=$(debian13_version qt6-base-dev-tools)
    case $1 in
        windows) qt_windows ;;
        web) qt_web ;;
        *) fail "no Qt platform $1: windows or web" ;;
    esac
}

# Qt for Windows, shared, with Debian's MinGW-w64: Core, Gui, Widgets and
# Test, the windows, offscreen and minimal platforms and the native style,
# with the third-party code that Qt carries inside it. Debian's source leaves
# out Wacom's tablet header, hence no tablet events; without OpenGL the
# windows platform must not ask for it at run time either (dynamicgl). The
# Direct2D platform (a second build of the whole windows platform, which the
# program never loads) and the GIF, ICO and JPEG image plugins (its images
# are PNG and BMP) are left out: a sixth of the build's time, none of what
# ships. Direct2D itself stays on, since the windows platform's DirectWrite
# fonts depend on it.
qt_windows() {
    mingw_target=$(sed -n 's/^set(tervalo_mingw \([^)]*\))$/\1/p' "$top/cmake/mingw-w64-x86_64.cmake")
    [ -n "$mingw_target" ] || fail "cmake/mingw-w64-x86_64.cmake names no tervalo_mingw target"
    gcc_version=$(debian13_version g++-mingw-w64-x86-64-posix)
    qt_settings="$(for module in $qt_unused_modules; do printf -- '-DFEATURE_%s=OFF\n' "$module"; done)
        -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_dynamicgl=OFF -DFEATURE_tabletevent=OFF
        -DFEATURE_direct2d1_1=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_jpeg=OFF
        -DFEATURE_freetype=ON
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
        -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_zstd=OFF
        -DQT_UNITY_BUILD=ON"
    settings=$(echo "$qt_settings" | md5sum | cut -c1-8)
    qt_prefix=$cache/qt-$qt_version-$mingw_target-gcc-$gcc_version-$settings
    qt_about="Windows (MinGW-w64 GCC $gcc_version)"
    qt_minutes=18
}

# Static Qt for WebAssembly with Debian 13's emscripten: Core, Gui, Widgets
# and Test, the web platform (which draws through WebGL, so OpenGL stays),
# the accessibility layer, the BMP and PNG images, the line edits, push
# buttons, labels and the message box with the styles that draw them, and
# the third-party code that Qt carries inside it; compiled for size. Every
# visitor downloads what is left on: the other image formats and documents,
# calendars, time zones, the MIME database, and the widgets, dialogs and
# views that it never shows are off.
qt_web() {
    unused_features="
    $qt_unused_modules
    gif ico jpeg movie textodfwriter textmarkdownreader textmarkdownwriter
    pdf imageformat_ppm imageformat_xbm picture
    mimetype-database timezone jalalicalendar hijricalendar islamiccivilcalendar
    commandlineparser filesystemwatcher sharedmemory systemsemaphore permissions
    undocommand standarditemmodel filesystemmodel sessionmanager systemtrayicon
    style-stylesheet graphicsview graphicseffect
    mdiarea dockwidget mainwindow toolbar statusbar sizegrip calendarwidget datetimeedit
    colordialog fontdialog filedialog fscompleter wizard inputdialog progressdialog errormessage
    undoview columnview datawidgetmapper keysequenceedit lcdnumber dial splashscreen
    syntaxhighlighter fontcombobox commandlinkbutton toolbox textbrowser
    treewidget tablewidget listwidget tableview treeview scroller"
    qt_features="$(for feature in $unused_features; do printf -- '-no-feature-%s\n' "$feature"; done)
    -qt-zlib -qt-pcre -qt-harfbuzz -qt-libpng -qt-freetype -no-zstd
    -optimize-size"
    unity="-unity-build"
    # The web platform carries two fonts inside it; the form uses DejaVu Sans
    # alone, so the monospaced one is left out (and its absence no longer
    # stops the platform from loading the other).
    no_mono_font='/DejaVuSansMono.ttf/d'
    no_mono_font_source='s|QStringLiteral(":/fonts/DejaVuSansMono.ttf"),||'
    # Mends to the web platform, each saying what and why at its top: the
    # accessibility layer as a screen reader meets it, the dialogs' title
    # font.
    settings=$(printf '%s\n' "$qt_features" "$unity" "$no_mono_font" "$no_mono_font_source" \
        "$(cat "$top"/web/qt-patches/*.patch)" | md5sum | cut -c1-8)
    emscripten_version=$(debian13_version emscripten)
    qt_prefix=$cache/qt-$qt_version-wasm-emscripten-$emscripten_version-$settings
    qt_about="WebAssembly (emscripten $emscripten_version)"
    qt_minutes=8
}

# qt_mend SOURCE: the platform's changes to the unpacked source.
qt_mend() {
    [ -n "${no_mono_font:-}" ] || return 0
    sed -i "$no_mono_font" "$1/src/plugins/platforms/wasm/CMakeLists.txt"
    sed -i "$no_mono_font_source" "$1/src/plugins/platforms/wasm/qwasmfontdatabase.cpp"
    for mend in "$top"/web/qt-patches/*.patch; do
        patch --quiet --forward -p1 -d "$1" <"$mend"
    done
}

# qt_configure SOURCE BUILD: configures Qt's build in BUILD with Ninja, to
# be installed into qt_prefix, with this machine's Qt tools.
qt_configure() {
    host_cmake="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake"
    if [ -n "${mingw_target:-}" ]; then
        # shellcheck disable=SC2086 # one word a setting
        cmake -G Ninja -S "$1" -B "$2" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
            -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF $qt_settings
    else
        # configure writes its notes into the current folder.
        # shellcheck disable=SC2086 # one word an option
        (cd "$2/.." && "$1/configure" -platform wasm-emscripten -qt-host-path /usr -static -release \
            -prefix "$qt_prefix" -nomake examples -nomake tests -nomake benchmarks \
            $qt_features $unity -- -G Ninja -B "$2" -S "$1" -DQT_HOST_PATH_CMAKE_DIR="$host_cmake")
    fi
}

# qt_licences SOURCE DEST: copies into DEST the licence texts of Qt and of the
# third-party code that Qt carries inside it, from the unpacked qt6-base
# source SOURCE, with Debian's copyright file, for what ships Qt built in.
qt_licences() {
    mkdir -p "$2/3rdparty"
    cp "$1"/LICENSES/*.txt "$2/"
    cp "$1/debian/copyright" "$2/debian-copyright.txt"
    for dir in "$1"/src/3rdparty/*/; do
        name=$(basename "$dir")
        for file in "$dir"LICENSE* "$dir"COPYING* "$dir"*LICENSE*.txt; do
            [ -f "$file" ] || continue
            mkdir -p "$2/3rdparty/$name"
            cp "$file" "$2/3rdparty/$name/"
        done
    done
}
