#include <QApplication>

#include "window/form2.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The desktop entry's id (set in window/CMakeLists.txt): on Wayland it
    // is the window's app id, which the desktop matches to the entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TERVALO_APP_ID));

    // Closing the window ends the event loop, and with it the program.
    Form2 window;
    window.show();
    return QApplication::exec();
}
