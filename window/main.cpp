#include "window/form2.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("tervalo"));

    // Closing the window ends the event loop, and with it the program.
    Form2 window;
    window.show();
    return QApplication::exec();
}
