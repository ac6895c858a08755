// The main window as it opens: its controls, fonts, keyboard behaviour,
// images and pointer line, and how closing it ends the program.

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cmath>

#include "window/dial_canvas.h"
#include "window/form2.h"
#include "window/line_shape.h"
#include "window/picture_box.h"

#include "window_test_support.h"

namespace {

using namespace window_test;

// The dial image's ring: centre and radius in pixels of the image.
constexpr int kRingCentrePixels = 82;
constexpr int kRingRadiusPixels = 81;

template<typename T = QWidget>
T *control(const Form2 &form, const QString &name)
{
    T *found = form.findChild<T *>(name);
    if (!found)
        qFatal("no control named %s", qPrintable(name));
    return found;
}

// The window pixel that an aliased 1-pixel line through the point at the
// given twips of the canvas' inner area covers.
QPoint pixelAtTwips(const QWidget *canvas, double xTwips, double yTwips)
{
    return innerOrigin(canvas)
        + QPoint(int(std::floor(xTwips / kTwipsPerPixel)), int(std::floor(yTwips / kTwipsPerPixel)));
}

void showActive(Form2 &form)
{
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
}

} // namespace

class TestForm2Layout : public QObject
{
    Q_OBJECT

private slots:
    void window();
    void controls_data();
    void controls();
    void tabStops_data();
    void tabStops();
    void tabKeys_data();
    void tabKeys();
    void initialFocus();
    void keys_data();
    void keys();
    void dialRing_data();
    void dialRing();
    void uprightPointer();
    void sidePicture();
    void lineStart_data();
    void lineStart();
    void lineSetters_data();
    void lineSetters();
    void movedPointer_data();
    void movedPointer();
    void closingEndsEventLoop_data();
    void closingEndsEventLoop();
};

void TestForm2Layout::window()
{
    Form2 form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Tervalo utility 1.3 - Dravost"));
    QCOMPARE(form.minimumSize(), QSize(681, 417));
    QCOMPARE(form.maximumSize(), QSize(681, 417));
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!form.windowIcon().isNull());
    QVERIFY(form.windowIcon().availableSizes().contains(QSize(24, 24)));
}

void TestForm2Layout::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("className");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("bold");

    const auto row = [](const char *name, const char *className, QRect geometry, const QString &text, bool shown,
                        bool bold) {
        QTest::newRow(name) << QString::fromLatin1(name) << QByteArray(className) << geometry << text << shown << bold;
    };
    // Pixels are twips / 15; Picture1's height of 6400 and Label9's top of
    // 1840 twips round to the nearest pixel.
    row("Picture1", "PictureBox", QRect(0, 0, 185, 427), QString(), true, false);
    row("Label1", "QLabel", QRect(240, 32, 89, 25), "Locatore 1", true, false);
    row("Text3", "QLineEdit", QRect(336, 24, 81, 25), "...", true, false);
    row("Label2", "QLabel", QRect(240, 64, 89, 17), "Locatore 2", true, false);
    row("Text5", "QLineEdit", QRect(336, 56, 81, 25), "...", true, false);
    row("Label3", "QLabel", QRect(240, 96, 73, 17), "Km", true, false);
    row("Text6", "QLineEdit", QRect(336, 88, 81, 25), "...", true, false);
    row("Label4", "QLabel", QRect(240, 128, 81, 17), "Puntamento", true, false);
    row("Text1", "QLineEdit", QRect(336, 120, 81, 25), "...", true, false);
    row("Command1", "QPushButton", QRect(232, 168, 105, 25), "Calcola", true, false);
    row("Command2", "QPushButton", QRect(344, 168, 97, 25), "Esci", true, false);
    row("picCanvase", "DialCanvas", QRect(264, 208, 169, 169), QString(), true, false);
    row("Label5", "QLabel", QRect(456, 32, 97, 17), "Ultime ricerche", false, true);
    row("Label6", "QLabel", QRect(456, 56, 193, 17), "...", false, false);
    row("Label7", "QLabel", QRect(456, 80, 201, 17), "...", false, false);
    row("Label8", "QLabel", QRect(456, 101, 209, 17), "...", false, false);
    row("Label9", "QLabel", QRect(456, 123, 201, 17), "...", false, false);
    row("Command3", "QPushButton", QRect(208, 328, 33, 25), "Command3", false, false);
    row("Text7", "QLineEdit", QRect(344, 328, 73, 25), "Text7", false, false);
    row("Text2", "QLineEdit", QRect(248, 328, 81, 25), "Text2", false, false);
    row("Text4", "QLineEdit", QRect(248, 360, 81, 25), "Text4", false, false);
    row("Text8", "QLineEdit", QRect(344, 360, 73, 25), "Text8", false, false);
}

void TestForm2Layout::controls()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, className);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(bool, shown);
    QFETCH(bool, bold);

    ShownWindow shownWindow;
    Form2 &form = shownWindow.form;
    const QWidget *widget = control(form, name);

    QCOMPARE(QByteArray(widget->metaObject()->className()), className);
    QCOMPARE(widget->parentWidget(), &form);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->property("text").toString(), text);
    QCOMPARE(widget->isVisible(), shown);

    const QFont font = widget->font();
    QCOMPARE(font.family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(font.pointSizeF(), 8.25);
    QCOMPARE(font.styleHint(), QFont::SansSerif);
    QCOMPARE(font.weight(), bold ? QFont::Bold : QFont::Normal);

    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        QVERIFY(label->alignment() & Qt::AlignLeft);
        QVERIFY(!label->wordWrap());
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }
    if (const auto *edit = qobject_cast<const QLineEdit *>(widget)) {
        QCOMPARE(edit->maxLength(), kTextBoxMaxCharacters);
        QVERIFY(!edit->isReadOnly());
        QVERIFY(edit->hasFrame());
    }
    if (const auto *button = qobject_cast<const QPushButton *>(widget)) {
        QVERIFY(!button->autoDefault());
        QVERIFY(!button->isDefault());
    }
    if (const auto *frame = qobject_cast<const QFrame *>(widget); frame && !qobject_cast<const QLabel *>(widget)) {
        QCOMPARE(frame->frameStyle(), QFrame::WinPanel | QFrame::Sunken);
        QCOMPARE(frame->frameWidth(), kBorderPixels);
        QCOMPARE(frame->focusPolicy(), Qt::StrongFocus);
    }
}

// The tab order of every control that takes the focus, hidden ones included:
// the control that Tab would reach next if all of them were shown.
void TestForm2Layout::tabStops_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("next");

    const QStringList order = {"Picture1", "Text1", "Text2",    "Text3",    "Text4",      "Text5",   "Text6",
                               "Text7",    "Text8", "Command1", "Command2", "picCanvase", "Command3"};
    for (qsizetype i = 0; i < order.size(); ++i) {
        const QString &next = order.at((i + 1) % order.size());
        QTest::addRow("%s to %s", qPrintable(order.at(i)), qPrintable(next)) << order.at(i) << next;
    }
}

void TestForm2Layout::tabStops()
{
    QFETCH(QString, from);
    QFETCH(QString, next);

    Form2 form;
    QWidget *widget = control(form, from)->nextInFocusChain();
    while (widget != control(form, from) && !(widget->focusPolicy() & Qt::TabFocus))
        widget = widget->nextInFocusChain();
    QCOMPARE(widget->objectName(), next);
}

void TestForm2Layout::tabKeys_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("to");

    const QStringList cycle = {"Picture1", "Text1", "Text3", "Text5", "Text6", "Command1", "Command2", "picCanvase"};
    for (qsizetype i = 0; i < cycle.size(); ++i) {
        const QString &next = cycle.at((i + 1) % cycle.size());
        QTest::addRow("Tab from %s to %s", qPrintable(cycle.at(i)), qPrintable(next))
            << cycle.at(i) << int(Qt::Key_Tab) << next;
    }
    QTest::newRow("Shift+Tab from Picture1 back to picCanvase") << "Picture1" << int(Qt::Key_Backtab) << "picCanvase";
    QTest::newRow("Shift+Tab from Command1 back to Text6") << "Command1" << int(Qt::Key_Backtab) << "Text6";
}

void TestForm2Layout::tabKeys()
{
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(QString, to);

    Form2 form;
    showActive(form);
    control(form, from)->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), control(form, from));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), to);
}

void TestForm2Layout::initialFocus()
{
    Form2 form;
    showActive(form);
    QCOMPARE(QApplication::focusWidget(), control(form, "Picture1"));
}

void TestForm2Layout::keys_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("pressed");

    QTest::newRow("Enter in Text3 presses nothing") << "Text3" << int(Qt::Key_Return) << QString();
    QTest::newRow("keypad Enter in Text5 presses nothing") << "Text5" << int(Qt::Key_Enter) << QString();
    QTest::newRow("Enter in Text6 presses nothing") << "Text6" << int(Qt::Key_Return) << QString();
    QTest::newRow("Enter in Text1 presses nothing") << "Text1" << int(Qt::Key_Return) << QString();
    QTest::newRow("Enter on Picture1 presses nothing") << "Picture1" << int(Qt::Key_Return) << QString();
    QTest::newRow("Escape in Text5 closes nothing") << "Text5" << int(Qt::Key_Escape) << QString();
    QTest::newRow("Escape on Command1 closes nothing") << "Command1" << int(Qt::Key_Escape) << QString();
    QTest::newRow("Escape on picCanvase closes nothing") << "picCanvase" << int(Qt::Key_Escape) << QString();
    QTest::newRow("Space on Calcola presses it") << "Command1" << int(Qt::Key_Space) << "Command1";
    QTest::newRow("Space on Esci presses it") << "Command2" << int(Qt::Key_Space) << "Command2";
}

void TestForm2Layout::keys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, pressed);

    Form2 form;
    showActive(form);
    const QStringList buttons = {"Command1", "Command2", "Command3"};
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const QString &button : buttons)
        spies.push_back(std::make_unique<QSignalSpy>(control<QPushButton>(form, button), &QAbstractButton::clicked));

    control(form, focus)->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), control(form, focus));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));

    for (qsizetype i = 0; i < buttons.size(); ++i)
        QCOMPARE(spies.at(size_t(i))->count(), buttons.at(i) == pressed ? 1 : 0);
    // Only "Esci" closes the window.
    QCOMPARE(form.isVisible(), pressed != QLatin1String("Command2"));
}

void TestForm2Layout::dialRing_data()
{
    QTest::addColumn<QPoint>("dialPixel");

    QTest::newRow("north") << QPoint(kRingCentrePixels, kRingCentrePixels - kRingRadiusPixels);
    QTest::newRow("east") << QPoint(kRingCentrePixels + kRingRadiusPixels, kRingCentrePixels);
    QTest::newRow("south") << QPoint(kRingCentrePixels, kRingCentrePixels + kRingRadiusPixels);
    QTest::newRow("west") << QPoint(kRingCentrePixels - kRingRadiusPixels, kRingCentrePixels);
}

void TestForm2Layout::dialRing()
{
    QFETCH(QPoint, dialPixel);

    Form2 form;
    const QImage shot = form.grab().toImage();
    const QPoint windowPixel = innerOrigin(control(form, "picCanvase")) + dialPixel;
    QCOMPARE(rgbText(shot.pixel(windowPixel)), rgbText(kPureBlue));
}

void TestForm2Layout::uprightPointer()
{
    Form2 form;
    const QWidget *canvas = control(form, "picCanvase");
    const QImage shot = form.grab().toImage();

    const QPoint centre = pixelAtTwips(canvas, kPointerCentreTwips, kPointerCentreTwips);
    const QPoint tip = pixelAtTwips(canvas, kPointerCentreTwips, 0.0);
    QCOMPARE(tip.y(), innerOrigin(canvas).y());
    for (int y = tip.y(); y <= centre.y(); ++y) {
        const QPoint at(centre.x(), y);
        QVERIFY2(
            shot.pixel(at) == kPureRed,
            qPrintable(
                QStringLiteral("pointer pixel (%1, %2) is %3").arg(at.x()).arg(at.y()).arg(rgbText(shot.pixel(at)))));
    }
    // One pixel wide, and nothing drawn on the frame above the inner area.
    const int halfway = (tip.y() + centre.y()) / 2;
    QVERIFY(shot.pixel(centre.x() - 1, halfway) != kPureRed);
    QVERIFY(shot.pixel(centre.x() + 1, halfway) != kPureRed);
    QVERIFY(shot.pixel(centre.x(), tip.y() - 1) != kPureRed);
}

void TestForm2Layout::sidePicture()
{
    Form2 form;
    const QImage picture(QStringLiteral(":/assets/compass.bmp"));
    QCOMPARE(picture.size(), QSize(208, 415));

    const QImage shot = form.grab().toImage();
    const QPoint origin = innerOrigin(control(form, "Picture1"));
    QCOMPARE(rgbText(shot.pixel(origin)), rgbText(picture.pixel(0, 0)));
    // Unscaled: the last visible row of the window is the picture's row at
    // the same distance from the inner top.
    const int lastRow = form.height() - 1;
    QCOMPARE(rgbText(shot.pixel(origin.x() + 50, lastRow)), rgbText(picture.pixel(50, lastRow - origin.y())));
}

void TestForm2Layout::lineStart_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("X1 at the pointer centre") << QByteArray("X1") << QVariant(1210.0f);
    QTest::newRow("Y1 at the pointer centre") << QByteArray("Y1") << QVariant(1210.0f);
    QTest::newRow("X2 straight up") << QByteArray("X2") << QVariant(1210.0f);
    QTest::newRow("Y2 at the top edge") << QByteArray("Y2") << QVariant(0.0f);
    QTest::newRow("pure red") << QByteArray("BorderColor") << QVariant(QColor(255, 0, 0));
}

void TestForm2Layout::lineStart()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);

    Form2 form;
    const QObject *line = control(form, "picCanvase")->findChild<QObject *>("linAngleLine");
    QVERIFY(line);
    QCOMPARE(line, static_cast<const QObject *>(control<DialCanvas>(form, "picCanvase")->line()));
    QCOMPARE(line->property(property.constData()), value);
}

void TestForm2Layout::lineSetters_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("announcements");

    QTest::newRow("new X2") << QByteArray("X2") << QVariant(2420.0f) << 1;
    QTest::newRow("new Y2") << QByteArray("Y2") << QVariant(1210.0f) << 1;
    QTest::newRow("new X1") << QByteArray("X1") << QVariant(0.0f) << 1;
    QTest::newRow("new Y1") << QByteArray("Y1") << QVariant(15.0f) << 1;
    QTest::newRow("same X2") << QByteArray("X2") << QVariant(1210.0f) << 0;
    QTest::newRow("same Y2") << QByteArray("Y2") << QVariant(0.0f) << 0;
    QTest::newRow("new colour") << QByteArray("BorderColor") << QVariant(QColor(0, 128, 0)) << 1;
    QTest::newRow("same colour") << QByteArray("BorderColor") << QVariant(QColor(255, 0, 0)) << 0;
}

void TestForm2Layout::lineSetters()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    QFETCH(int, announcements);

    Form2 form;
    LineShape *line = control<DialCanvas>(form, "picCanvase")->line();
    QSignalSpy spy(line, &LineShape::changed);
    QVERIFY(line->setProperty(property.constData(), value));
    QCOMPARE(line->property(property.constData()), value);
    QCOMPARE(spy.count(), announcements);
}

// Moving the tip redraws the pointer: the old upright pixels go, the new
// ones appear. Points are in twips of the canvas' inner area.
void TestForm2Layout::movedPointer_data()
{
    QTest::addColumn<QPointF>("tip");
    QTest::addColumn<QPointF>("onNewLine");

    QTest::newRow("east") << QPointF(2420, 1210) << QPointF(1815, 1210);
    QTest::newRow("south") << QPointF(1210, 2420) << QPointF(1210, 1815);
    QTest::newRow("west") << QPointF(0, 1210) << QPointF(605, 1210);
}

void TestForm2Layout::movedPointer()
{
    QFETCH(QPointF, tip);
    QFETCH(QPointF, onNewLine);

    ShownWindow shownWindow;
    Form2 &form = shownWindow.form;
    auto *canvas = control<DialCanvas>(form, "picCanvase");
    const QPoint oldPixel = pixelAtTwips(canvas, kPointerCentreTwips, 605.0);
    QCOMPARE(form.grab().toImage().pixel(oldPixel), kPureRed);

    canvas->line()->setX2(float(tip.x()));
    canvas->line()->setY2(float(tip.y()));
    const QImage shot = form.grab().toImage();
    QVERIFY(shot.pixel(oldPixel) != kPureRed);
    QCOMPARE(rgbText(shot.pixel(pixelAtTwips(canvas, onNewLine.x(), onNewLine.y()))), rgbText(kPureRed));
}

// Whether by "Esci" or by the close box, closing the window ends the event
// loop with exit status 0 and asks nothing.
void TestForm2Layout::closingEndsEventLoop_data()
{
    QTest::addColumn<bool>("byEsci");

    QTest::newRow("Esci") << true;
    QTest::newRow("close box") << false;
}

void TestForm2Layout::closingEndsEventLoop()
{
#ifdef Q_OS_WASM
    QSKIP(
        "In a browser the application's event loop is the page's and never returns; "
        "scripts/web-page-check.py checks that \"Esci\" leaves the page saying the program has ended");
#endif
    QFETCH(bool, byEsci);

    ShownWindow shownWindow;
    Form2 &form = shownWindow.form;
    QTimer::singleShot(0, &form, [&form, byEsci] {
        if (byEsci)
            QTest::mouseClick(control(form, "Command2"), Qt::LeftButton);
        else
            form.close();
    });
    // Should the window stay open, this ends the loop with a telling status.
    constexpr int kNotClosed = 99;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(kNotClosed); });
    watchdog.start(5000);

    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!form.isVisible());
}

QTEST_MAIN(TestForm2Layout)
#include "test_form2_layout.moc"
