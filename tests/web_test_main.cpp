// What a window test needs to run in a browser page, linked into each one in
// the web build.
//
// The page's own event loop draws the windows and delivers their events: a
// program that never returns to it sees neither. Qt Test's waits sleep
// between two rounds of events, so here that sleep hands the page its turn
// (through asyncify) instead of spinning, and a window that a test shows is
// exposed, as on a desktop.
//
// A test that has waited so has left its main() and come back into it, and
// the browser then takes its return as no end at all; so the test's own
// main() is renamed (window tests are compiled with main defined as
// tervaloWebTestMain) and this one ends the program with its status.

#include <emscripten.h>

#include <ctime>

#undef main

int tervaloWebTestMain(int argc, char *argv[]);

extern "C" int nanosleep(const struct timespec *duration, struct timespec *remaining)
{
    constexpr long kNanosecondsPerMillisecond = 1000000;
    constexpr long kMillisecondsPerSecond = 1000;
    emscripten_sleep(static_cast<unsigned>(duration->tv_sec * kMillisecondsPerSecond
                                           + duration->tv_nsec / kNanosecondsPerMillisecond));
    if (remaining != nullptr) {
        remaining->tv_sec = 0;
        remaining->tv_nsec = 0;
    }
    return 0;
}

int main(int argc, char *argv[])
{
    emscripten_force_exit(tervaloWebTestMain(argc, argv));
}
