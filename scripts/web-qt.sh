#!/bin/sh
# Qt for WebAssembly, built once from Debian 13's own qt6-base source, at
# the very version of its Qt tools (moc, rcc, uic), with Debian 13's
# emscripten; run through scripts/web-run.sh, which gives it Debian 13.
#
#   scripts/web-qt.sh --prefix   print where the built Qt lives (or will)
#   scripts/web-qt.sh            build it there, unless it is already built
#
# The build is cached outside the checkout, in TERVALO_CACHE (default
# ~/.cache/tervalo), under a name that gives the Qt and emscripten versions
# and a digest of this script's settings, so that every later run, clean
# clones included, skips it, and a change of settings builds it anew.
# `make web-qt-clean` removes it.
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"
# shellcheck source=lib/debian.sh
. "$top/scripts/lib/debian.sh"
# shellcheck source=lib/web.sh
. "$top/scripts/lib/web.sh"

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
emscripten_version=$(dpkg-query -W -f='${Version}' emscripten)

# Static Qt with only what the program and its tests use: Core, Gui, Widgets
# and Test, the web platform (which draws through WebGL, so OpenGL stays),
# the accessibility layer, the BMP and PNG images, the line edits, push
# buttons, labels and the message box with the styles that draw them, and
# the third-party code that Qt carries inside it; compiled for size. Every
# visitor downloads what is left on: the modules the program never links,
# the other image formats and documents, calendars, time zones, the MIME
# database, and the widgets, dialogs and views that it never shows are off.
unused_features="
    sql network dbus printsupport xml concurrent
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
# Compiled a few dozen sources at a time (Qt's unity build): 525 build
# steps instead of 895, which a CI run from nothing feels.
qt_build_options="-unity-build"
# The web platform carries two fonts inside it; the form uses DejaVu Sans
# alone, so the monospaced one is left out (and its absence no longer stops
# the platform from loading the other).
qt_patch='/DejaVuSansMono.ttf/d'
qt_patch_source='s|QStringLiteral(":/fonts/DejaVuSansMono.ttf"),||'
# Mends to the web platform, each saying what and why at its top: the
# accessibility layer as a screen reader meets it, the dialogs' title font.
settings=$(printf '%s\n' "$qt_features" "$qt_build_options" "$qt_patch" "$qt_patch_source" \
    "$(cat "$top"/web/qt-patches/*.patch)" | md5sum | cut -c1-8)
prefix=$web_cache/qt-$qt_version-wasm-emscripten-$emscripten_version-$settings

qt_build_needed "WebAssembly" "$prefix" "${1:-}"

step "building Qt $qt_version for WebAssembly (emscripten $emscripten_version) into $prefix;"
step "this is done once and takes about 8 minutes on two cores."
started=$(date +%s)
work=$prefix.work
rm -rf "$work" "$prefix"
source_dir=$(debian_source qt6-base "$qt_version" "$work")
sed -i "$qt_patch" "$source_dir/src/plugins/platforms/wasm/CMakeLists.txt"
sed -i "$qt_patch_source" "$source_dir/src/plugins/platforms/wasm/qwasmfontdatabase.cpp"
for mend in "$top"/web/qt-patches/*.patch; do
    patch --quiet --forward -p1 -d "$source_dir" <"$mend"
done

# configure writes its notes into the current folder.
cd "$work"
# shellcheck disable=SC2086 # one word an option
"$source_dir/configure" -platform wasm-emscripten -qt-host-path /usr -static -release \
    -prefix "$prefix" -nomake examples -nomake tests -nomake benchmarks \
    $qt_features $qt_build_options -- -G Ninja -B "$work/build" -S "$source_dir" \
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake"
cmake --build "$work/build"
cmake --install "$work/build"

# The licence texts of Qt and of the third-party code built into it, for the
# site's folder.
qt_licences "$source_dir" "$prefix/licenses"

rm -rf "$work"
touch "$prefix/.built"
step "Qt for WebAssembly is in $prefix, built in $(($(date +%s) - started)) s"
