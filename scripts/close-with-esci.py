#!/usr/bin/python3
"""Opens the program's window, presses "Esci" and checks that the program
then ends by itself with exit status 0.

    scripts/close-with-esci.py PROGRAM

The window opens on the display that the environment names: an X server
through DISPLAY, or a Wayland compositor through WAYLAND_DISPLAY together
with QT_QPA_PLATFORM=wayland. The button is found as a screen reader finds
it, by its accessible name on the accessibility bus (AT-SPI), and pressed
through its "Press" action, which works the same on X11 and on Wayland. No
position and no delay is guessed: every step waits for the accessibility
event that announces it, all of them under one generous deadline.

The check starts a D-Bus session bus of its own (dbus-daemon --session) and
runs on it, so the accessibility bus and its registry belong to this check
alone; the bus ends with the check. Needs python3-gi, gir1.2-atspi-2.0,
at-spi2-core and dbus-daemon.
"""

import os
import subprocess
import sys
import tempfile
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

NAME = "close-with-esci"
BUTTON_NAME = "Esci"
PRESS_ACTION = "Press"
# Generous enough for a sanitized build on a busy machine; a passing run
# takes well under a second.
DEADLINE_SECONDS = 120


def fail(message):
    print(f"{NAME}: {message}", file=sys.stderr, flush=True)
    sys.exit(1)


def findButton(accessible, depth=0):
    """The shown, enabled push button named "Esci" below accessible."""
    if accessible is None or depth > 8:
        return None
    if (accessible.get_role() == Atspi.Role.PUSH_BUTTON
            and accessible.get_name() == BUTTON_NAME):
        states = accessible.get_state_set()
        if (states.contains(Atspi.StateType.SHOWING)
                and states.contains(Atspi.StateType.ENABLED)):
            return accessible
        return None
    for index in range(accessible.get_child_count()):
        found = findButton(accessible.get_child_at_index(index), depth + 1)
        if found is not None:
            return found
    return None


def pressAction(button):
    """Presses button through its "Press" action; False when it has none."""
    if "Action" not in button.get_interfaces():
        return False
    for index in range(Atspi.Action.get_n_actions(button)):
        # The bindings hide get_name, which replaces this accessor, behind
        # Accessible.get_name, so the older one is used on purpose.
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", DeprecationWarning)
            name = Atspi.Action.get_action_name(button, index)
        if name == PRESS_ACTION:
            return Atspi.Action.do_action(button, index)
    return False


class Check:
    def __init__(self, program):
        self.program = program
        self.process = None
        self.pressed = False
        self.result = None
        self.loop = GLib.MainLoop()

    def run(self):
        announceAssistiveTechnology()
        # Toolkits ask the registry which events anyone listens to when
        # they join, so the listener exists before the program starts.
        self.listener = Atspi.EventListener.new(self.onEvent)
        for event in ("object:children-changed", "object:state-changed",
                      "window:"):
            self.listener.register(event)
        GLib.timeout_add_seconds(DEADLINE_SECONDS, self.onDeadline)
        whenDisplayReady(self.start)
        self.loop.run()
        return self.result

    def start(self):
        try:
            self.process = subprocess.Popen([self.program])
        except OSError as error:
            self.finish(f"cannot start {self.program}: {error}")
            return
        GLib.child_watch_add(GLib.PRIORITY_DEFAULT, self.process.pid,
                             self.onExit)

    def onEvent(self, event):
        if self.pressed or self.process is None:
            return
        try:
            self.pressWhenShown()
        except Exception as error:  # any failure ends the check now, not at the deadline
            self.finish(f'looking for "{BUTTON_NAME}" failed: {error}')

    def pressWhenShown(self):
        application = self.application()
        if application is None:
            return
        application.clear_cache()
        button = findButton(application)
        if button is None:
            return
        self.pressed = True
        print(f'{NAME}: window shown, pressing "{BUTTON_NAME}"', flush=True)
        if not pressAction(button):
            self.finish(f'"{BUTTON_NAME}" could not be pressed through its "{PRESS_ACTION}" action')

    def application(self):
        desktop = Atspi.get_desktop(0)
        for index in range(desktop.get_child_count()):
            child = desktop.get_child_at_index(index)
            try:
                if child is not None and child.get_process_id() == self.process.pid:
                    return child
            except GLib.Error:
                continue  # an application that left meanwhile
        return None

    def onExit(self, pid, waitStatus):
        status = os.waitstatus_to_exitcode(waitStatus)
        # Popen must not wait for a child that GLib has already reaped.
        self.process.returncode = status
        if not self.pressed:
            self.finish(f'the program ended with status {status} before "{BUTTON_NAME}" was pressed')
        elif status != 0:
            self.finish(f'the program ended with status {status} after "{BUTTON_NAME}"')
        else:
            self.finish(None)

    def onDeadline(self):
        if self.process is None:
            self.finish("the display did not become ready")
        elif not self.pressed:
            self.finish(f'no shown "{BUTTON_NAME}" button appeared on the accessibility bus')
        else:
            self.finish(f'the program was still running after "{BUTTON_NAME}"')
        return GLib.SOURCE_REMOVE

    def finish(self, error):
        if error is not None and self.process is not None and self.process.returncode is None:
            self.process.kill()
        self.result = error
        self.loop.quit()


def announceAssistiveTechnology():
    """Tells toolkits that an assistive technology is listening, as a screen
    reader does: Qt reads the flag once at start-up and otherwise keeps its
    accessibility bridge off (on Wayland there is no other way to ask)."""
    Atspi.init()
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    bus.call_sync("org.a11y.Bus", "/org/a11y/bus",
                  "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled",
                                         GLib.Variant("b", True))),
                  None, Gio.DBusCallFlags.NONE, -1, None)


def whenDisplayReady(callback):
    """Calls back once the display can take a client. An X server is ready
    when xvfb-run starts us; a Wayland compositor is once its socket exists,
    which a file monitor reports."""
    name = os.environ.get("WAYLAND_DISPLAY")
    if os.environ.get("QT_QPA_PLATFORM") != "wayland" or not name:
        callback()
        return
    path = name if os.path.isabs(name) else os.path.join(
        os.environ.get("XDG_RUNTIME_DIR", ""), name)
    socket = Gio.File.new_for_path(path)
    monitor = socket.get_parent().monitor_directory(Gio.FileMonitorFlags.NONE, None)

    def onChange(*_):
        if os.path.exists(path) and not getattr(monitor, "done", False):
            monitor.done = True
            monitor.cancel()
            callback()

    monitor.connect("changed", onChange)
    onChange()
    whenDisplayReady.monitor = monitor  # kept alive for the main loop


def startSessionBus(log):
    """Starts a D-Bus session bus of this check's own and points the
    environment, this script's and so the program's, at it; returns the
    daemon's process. The daemon and the services it starts (the
    accessibility bus and its registry) report activations and limits on
    their standard output and error: that goes to log, while this script and
    the program keep the real ones."""
    reader, writer = os.pipe()
    try:
        daemon = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", f"--print-address={writer}"],
            stdin=subprocess.DEVNULL, stdout=log, stderr=log, pass_fds=(writer,))
    except OSError as error:
        fail(f"cannot start dbus-daemon: {error}")
    finally:
        os.close(writer)
    # The daemon writes its address once it takes connections.
    with os.fdopen(reader, encoding="utf-8") as addresses:
        address = addresses.readline().strip()
    if not address:
        showSessionLog(log)
        fail(f"dbus-daemon ended with status {daemon.wait()} before it gave its address")
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
    for stale in ("DBUS_SESSION_BUS_PID", "DBUS_SESSION_BUS_WINDOWID"):
        os.environ.pop(stale, None)
    return daemon


def showSessionLog(log):
    """What the D-Bus session reported, shown only when the check fails."""
    log.seek(0)
    text = log.read().decode("utf-8", errors="replace")
    sys.stderr.write(f"{NAME}: what the D-Bus session reported:\n{text}")


def main():
    if len(sys.argv) != 2:
        print(f"usage: {sys.argv[0]} PROGRAM", file=sys.stderr)
        sys.exit(2)
    with tempfile.TemporaryFile(prefix=f"{NAME}-", suffix=".log") as log:
        daemon = startSessionBus(log)
        try:
            error = Check(sys.argv[1]).run()
        finally:
            # The bus ends with the check, as the services it started do
            # once it is gone.
            daemon.terminate()
            daemon.wait()
        if error is not None:
            showSessionLog(log)
            fail(error)
    print(f'{NAME}: the window opened and "{BUTTON_NAME}" ended the program with status 0', flush=True)


if __name__ == "__main__":
    main()
