# shellcheck shell=sh disable=SC2034,SC2154 # sets variables for the script that sources it, after common.sh and form.sh
# Windows programs and their installers driven under Wine, on the X server
# that the caller provides, for scripts/windows-check.sh; sourced after
# common.sh and form.sh. Sourcing it only defines these functions; the
# script calls wine_fresh_prefix first:
#
#   wine_qt PROGRAM [ARGUMENT...]    runs a Qt program with the QT_ variables
#   wine_fresh_prefix PREFIX LOGS    a fresh Wine prefix (a copy of one kept in
#                                    PREFIX.template); sets wine_user_folder
#                                    and wine_start_menu
#   wait_until SECONDS COMMAND...    waits for a condition under a deadline
#   installer_status FILE ARGUMENTS  runs an installer or uninstaller, prints its status
#   installation FOLDER              the installation as the user meets it
#   start_program PROGRAM RUN        starts the program, prints its window
#   program_runs                     whether a program started here still runs
#   click WINDOW NAME [SCALE]        a click on a control of the window
#   box_text WINDOW NAME             what a text box holds
#   close_with_esci WINDOW RUN WHAT [SCALE]   "Esci" ends the program with status 0
#   set_log_pixels DOTS              the display's density
#
# A run of a program (start_program) is named by RUN: in the LOGS folder,
# RUN.log holds its standard error and RUN.status its exit status once it
# has ended.

# wine_qt PROGRAM [ARGUMENT...]: runs the Windows PROGRAM under Wine with
# the QT_ variables of the environment. Wine hides every variable whose name
# starts with QT_ from the program and hands it WINEQT_X as QT_X, so each is
# passed on under that name. A program has no console of its own under
# Wine, and Qt would write its messages to the debugger instead of the
# output, so it is told to write to the output.
wine_qt() {
    (
        for name in $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
            eval "export WINE$name=\"\$$name\""
        done
        export WINEQT_FORCE_STDERR_LOGGING=1
        exec wine "$@"
    )
}

# Apps & features' entries of the user's programs.
wine_uninstall_root='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# What Qt says of the display's density under Wine 8, which lacks the second
# version of per-monitor awareness and the scaling of window frames (in Qt
# 6.4's words and in 6.8's): Qt then falls back to per-monitor awareness,
# which Wine has. Any other word of it is a fault, such as an awareness that
# a manifest set first ("Access is denied").
wine_dpi_gaps='PER_MONITOR_AWARE_V2\) failed: COM error 0x57 |EnableNonClientDpiScaling\(\) failed .*\(Call not implemented\.\)|DpiAwareness::PerMonitorVersion2 is not supported by current system'

# wine_fresh_prefix PREFIX LOGS: makes PREFIX a fresh 64-bit Wine prefix,
# which never offers to download Mono or Gecko and says it is Windows 10
# (Wine 8 makes a Windows 7, on which the installer refuses), and the one
# that every Wine command of the script uses. Whatever a failed run left running in it ends
# first, and whatever runs in it ends when the script exits. LOGS is the
# folder of the programs' logs. Sets wine_user_folder, the user's folder in
# the prefix, and wine_start_menu, the user's Start-menu programs.
#
# Making a prefix takes Wine half a minute, so the first run keeps one just
# made, untouched, in PREFIX.template, and every run copies it, until Wine's
# version changes; Wine writes no path of the prefix into it.
wine_fresh_prefix() {
    export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
    trap 'wineserver -k 2>/dev/null || true' EXIT
    rm -rf "$WINEPREFIX"
    template=$1.template
    if [ "$(cat "$template.wine" 2>/dev/null)" != "$(wine --version)" ]; then
        step "a fresh Wine prefix in $template, kept for the next runs"
        rm -rf "$template" "$template.wine"
        WINEPREFIX=$template wineboot --init
        WINEPREFIX=$template winecfg -v win10
        WINEPREFIX=$template wineserver -w
        wine --version >"$template.wine"
    fi
    step "a fresh Wine prefix in $WINEPREFIX, a copy of $template"
    cp -a "$template" "$WINEPREFIX"
    wine_logs=$2
    mkdir -p "$wine_logs"
    rm -f "$wine_logs"/*.running "$wine_logs"/*.status
    wine_user_folder=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
    wine_start_menu="$wine_user_folder/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
}

# wait_until SECONDS COMMAND...: runs COMMAND until it succeeds, for at most
# SECONDS; the status is COMMAND's last.
wait_until() {
    deadline=$(($(date +%s) + $1))
    shift
    until "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

# installer_status FILE ARGUMENTS: runs an installer or uninstaller and
# prints its exit status. A /D= folder with spaces must reach it as one
# unquoted argument, which only the Command Prompt gives. An uninstaller not
# run in its folder (_?=) hands over to a copy of itself, which is waited for
# through Wine, unless a program started here runs, which Wine would wait
# for too. Wine's own output goes to standard error.
installer_status() {
    status=0
    # shellcheck disable=SC2086 # the arguments, each a word
    case $2 in
        */D=*) wine cmd /c "$(winepath -w "$1") $2" >&2 || status=$? ;;
        *) wine "$1" $2 >&2 || status=$? ;;
    esac
    if ! program_runs; then wineserver -w >&2; fi
    echo "$status"
}

# installation FOLDER: the installation as the user meets it: the files in
# FOLDER and in the Start menu, with their sizes and times, and the entries
# of Apps & features.
installation() {
    for place in "$1" "$wine_start_menu"; do
        [ -d "$place" ] && (cd "$place" && find . -printf '%p %s %T@\n' | LC_ALL=C sort)
    done
    wine reg query "$wine_uninstall_root" /s 2>/dev/null | tr -d '\r'
}

# start_program PROGRAM RUN: starts the Windows program PROGRAM (a Unix path)
# from its own folder, with only its own DLLs, waits for its window and
# prints it (its X window). RUN names the run (above). Wine's own font
# engine leaves text boxes blank, so the freetype one draws.
start_program() {
    rm -f "$wine_logs/$2.status"
    : >"$wine_logs/$2.running"
    (
        cd "$(dirname "$1")" || exit
        status=0
        QT_QPA_PLATFORM=windows:fontengine=freetype wine_qt "$(winepath -w "$1")" 2>"$wine_logs/$2.log" ||
            status=$?
        rm -f "$wine_logs/$2.running"
        echo "$status" >"$wine_logs/$2.status.new"
        mv "$wine_logs/$2.status.new" "$wine_logs/$2.status"
    ) >&2 &
    wait_until 60 program_window_shown || fail "$1 showed no window within a minute"
    echo "$window"
}

# program_window_shown: whether the program's window is shown now; sets
# window to it. xdotool ends at once with an X error (BadWindow) when a
# window it looks at closes under it, as Wine's own do while an installer
# runs beside the program, so a search is simply made again.
program_window_shown() {
    window=$(xdotool search --onlyvisible --name "^$(form_title)\$" 2>/dev/null | head -n 1)
    [ -n "$window" ]
}

# program_runs: whether a program that start_program started still runs.
program_runs() {
    for running in "$wine_logs"/*.running; do
        [ -e "$running" ] && return 0
    done
    return 1
}

# click WINDOW NAME [SCALE]: a click in the middle of the control NAME of the
# program's WINDOW, whose place in the window the form gives (times SCALE).
# Without a window manager nothing gives the window the keyboard: a click in
# a box does.
click() {
    # shellcheck disable=SC2046 # the two coordinates
    xdotool mousemove --window "$1" $(form_centre "$2" "${3:-1}") click 1
}

# box_text WINDOW NAME: what the text box NAME of WINDOW holds, read through
# the clipboard.
box_text() {
    click "$1" "$2"
    xdotool key ctrl+a ctrl+c
    timeout 10 xclip -o -selection clipboard 2>/dev/null || true
}

# close_with_esci WINDOW RUN WHAT [SCALE]: presses "Esci" in WINDOW, the
# window of the run RUN, at the display's SCALE (default 1). It must end the
# program, WHAT in a failure, with status 0, and Qt must have warned of
# nothing about the display's density but Wine's gaps.
close_with_esci() {
    click "$1" Command2 "${4:-1}"
    wait_until 30 test -e "$wine_logs/$2.status" || fail "Esci did not end $3 within 30 seconds"
    result=$(cat "$wine_logs/$2.status")
    [ "$result" -eq 0 ] || fail "$3 ended with status $result"
    if grep -i 'dpi' "$wine_logs/$2.log" | grep -v -E "$wine_dpi_gaps" >&2; then
        fail "Qt warned about the display's density in $3 (above)"
    fi
}

# set_log_pixels DOTS: the display's density, in dots per inch (96 is 100%,
# 144 is 150%). Wine 9 and newer read it when its session starts, so the
# session starts again.
set_log_pixels() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
    # The server that reg started may have ended by itself already.
    wineserver -k 2>/dev/null || true
    wineserver -w
}
