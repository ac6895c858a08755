#include <QApplication>

#include "window/form2.h"

#ifdef Q_OS_WASM
#include <emscripten.h>
#endif

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The desktop entry's id (set in window/CMakeLists.txt): on Wayland it
    // is the window's app id, which the desktop matches to the entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TERVALO_APP_ID));

    // Closing the window ends the event loop, and with it the program.
    Form2 window;
#ifdef Q_OS_WASM
    // In a browser the page's own event loop runs the program, and exec()
    // never comes back: the program ends with its window here, and the page
    // says so.
    QObject::connect(&app, &QGuiApplication::lastWindowClosed, [] { emscripten_force_exit(0); });
#endif
    window.show();
    return QApplication::exec();
}
