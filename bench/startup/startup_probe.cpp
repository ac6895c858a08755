// Starts a program on the X display named by DISPLAY and reports, on one line
//
//     <map ms> <first paint ms> <peak RSS KiB>
//
// the time from exec to its first top-level window being mapped, the time
// from exec to the first drawing into that window, and the program's peak
// resident memory. Everything is waited for by X events (MapNotify on the
// root window, DamageNotify on the new window), never by polling. After the
// first drawing the window is asked to close as a window manager would, and
// the peak memory is read from the finished child's resource usage.
//
// Usage: startup_probe PROGRAM [ARGUMENT...]

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

using Clock = std::chrono::steady_clock;

// A program that shows nothing within this time is reported as a failure.
constexpr unsigned kGiveUpSeconds = 30;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void askToClose(Display *display, Window window)
{
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &message);
    XFlush(display);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup_probe: cannot open the X display\n");
        return 2;
    }
    int damageEventBase = 0;
    int damageErrorBase = 0;
    if (!XDamageQueryExtension(display, &damageEventBase, &damageErrorBase)) {
        std::fprintf(stderr, "startup_probe: the X server has no DAMAGE extension\n");
        return 2;
    }

    // Top-level windows are children of the root: their creation and mapping
    // are reported to whoever listens for the root's substructure.
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("startup_probe: fork");
        return 2;
    }
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::perror("startup_probe: exec");
        _exit(127);
    }
    alarm(kGiveUpSeconds);

    // Each new top-level window is watched for drawing from its creation on,
    // so that no drawing can happen before the watch is in place.
    std::set<Window> watched;
    Window shown = None;
    double mapMilliseconds = -1.0;
    double paintMilliseconds = -1.0;
    while (paintMilliseconds < 0.0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == CreateNotify && !event.xcreatewindow.override_redirect) {
            XDamageCreate(display, event.xcreatewindow.window, XDamageReportNonEmpty);
            watched.insert(event.xcreatewindow.window);
        } else if (event.type == MapNotify && shown == None && watched.count(event.xmap.window)) {
            shown = event.xmap.window;
            mapMilliseconds = millisecondsSince(start);
        } else if (event.type == damageEventBase + XDamageNotify) {
            const auto &damage = reinterpret_cast<const XDamageNotifyEvent &>(event);
            if (shown != None && damage.drawable == shown)
                paintMilliseconds = millisecondsSince(start);
            XDamageSubtract(display, damage.damage, None, None);
        }
    }

    askToClose(display, shown);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("startup_probe: wait");
        return 2;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "startup_probe: %s did not end normally\n", argv[1]);
        return 1;
    }
    std::printf("%.2f %.2f %ld\n", mapMilliseconds, paintMilliseconds, usage.ru_maxrss);
    XCloseDisplay(display);
    return 0;
}
