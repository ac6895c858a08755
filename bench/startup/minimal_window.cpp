// The smallest useful Qt Widgets window, the yardstick for the program's
// start-up: four labels with their line edits and two buttons, placed by hand
// like the program's controls, in the application's default font.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal window"));
    window.setFixedSize(681, 417);

    constexpr int kRowStep = 32;
    const char *const captions[] = {"First", "Second", "Third", "Fourth"};
    int top = 24;
    for (const char *caption : captions) {
        auto *label = new QLabel(QString::fromLatin1(caption), &window);
        label->setGeometry(240, top + 8, 89, 17);
        auto *edit = new QLineEdit(QStringLiteral("..."), &window);
        edit->setGeometry(336, top, 81, 25);
        label->setBuddy(edit);
        top += kRowStep;
    }
    auto *ok = new QPushButton(QStringLiteral("OK"), &window);
    ok->setGeometry(232, 168, 105, 25);
    auto *quit = new QPushButton(QStringLiteral("Quit"), &window);
    quit->setGeometry(344, 168, 97, 25);
    QObject::connect(quit, &QPushButton::clicked, &window, &QWidget::close);

    window.show();
    return QApplication::exec();
}
