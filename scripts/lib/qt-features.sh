# shellcheck shell=sh disable=SC2034 # sets a variable for the scripts that source it
# The parts of Qt that neither the program nor its tests use, left out of
# the Qt builds made here (scripts/web-qt.sh, scripts/windows-qt.sh): what is
# off is neither compiled, which a CI run from nothing feels, nor shipped,
# which every download feels. Sourced after common.sh:
#
#   qt_unused_features     Qt's names of those features, one word each
#   qt_features_off STYLE [KEPT...]
#                          the options that turn them off, but for the KEPT
#                          ones, for Qt's configure (STYLE configure:
#                          -no-feature-NAME) or for CMake (STYLE cmake:
#                          -DFEATURE_NAME=OFF)
#
# Left on: Core, Gui, Widgets and Test, the accessibility layer, the BMP and
# PNG images, the line edits, push buttons, labels and the message box with
# the styles that draw them. Off: the modules the program never links, the
# other image formats and documents, calendars, time zones and the MIME
# database, and the widgets, dialogs and views that it never shows.
qt_unused_features="
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

qt_features_off() {
    style=$1
    shift
    for feature in $qt_unused_features; do
        case " $* " in
            *" $feature "*) continue ;;
        esac
        case $style in
            configure) printf -- '-no-feature-%s\n' "$feature" ;;
            # CMake's names have underscores where configure's have hyphens.
            cmake) printf -- '-DFEATURE_%s=OFF\n' "$(echo "$feature" | tr - _)" ;;
            *) fail "qt_features_off: no style $style" ;;
        esac
    done
}
