// The window on a screen with two device pixels per logical pixel: the
// double-density images are drawn, the logical geometry is unchanged and the
// pointer keeps its fractional position.

#include "window/dial_canvas.h"
#include "window/form2.h"
#include "window/picture_box.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <cmath>
#include <optional>

namespace {

constexpr qreal kDevicePixelRatio = 2.0;
constexpr double kTwipsPerPixel = 15.0;
constexpr int kBorderPixels = 2;
constexpr double kPointerCentreTwips = 1210.0;

const QRgb kPureRed = qRgb(255, 0, 0);

QString rgbText(QRgb colour)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(colour)).arg(qGreen(colour)).arg(qBlue(colour));
}

// A pixel of the double-density image that differs from the normal image's
// pixel it would come from if that were merely enlarged.
std::optional<QPoint> distinctivePixel(const QImage &normal, const QImage &doubled)
{
    for (int y = 0; y < doubled.height(); ++y) {
        for (int x = 0; x < doubled.width(); ++x) {
            if (doubled.pixel(x, y) != normal.pixel(x / 2, y / 2))
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

} // namespace

class TestForm2HiDpi : public QObject
{
    Q_OBJECT

private slots:
    void pictures_data();
    void pictures();
    void pointerColumn();
};

void TestForm2HiDpi::pictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("normalImage");
    QTest::addColumn<QString>("doubleImage");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("side picture") << "Picture1" << ":/assets/compass.bmp"
                                  << ":/assets/compass@2x.bmp" << QRect(0, 0, 185, 427);
    QTest::newRow("dial") << "picCanvase" << ":/assets/dial.bmp" << ":/assets/dial@2x.bmp"
                          << QRect(264, 208, 169, 169);
}

void TestForm2HiDpi::pictures()
{
    QFETCH(QString, name);
    QFETCH(QString, normalImage);
    QFETCH(QString, doubleImage);
    QFETCH(QRect, geometry);

    Form2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.devicePixelRatioF(), kDevicePixelRatio);

    const auto *box = form.findChild<PictureBox *>(name);
    QVERIFY(box);
    QCOMPARE(box->geometry(), geometry);

    const QImage normal(normalImage);
    const QImage doubled(doubleImage);
    QCOMPARE(doubled.size(), normal.size() * 2);
    QCOMPARE(box->pixmap().devicePixelRatio(), kDevicePixelRatio);
    QCOMPARE(box->pixmap().deviceIndependentSize(), QSizeF(normal.size()));

    const std::optional<QPoint> pixel = distinctivePixel(normal, doubled);
    QVERIFY2(pixel, "the double-density image is a mere enlargement");
    const QPoint inner = (geometry.topLeft() + QPoint(kBorderPixels, kBorderPixels)) * 2;
    const QPoint onScreen = inner + *pixel;
    // The pixel must lie within the box's inner area to be seen.
    QVERIFY(QRect(inner, (geometry.size() - QSize(2 * kBorderPixels, 2 * kBorderPixels)) * 2)
                .contains(onScreen));

    const QImage shot = form.grab().toImage();
    QCOMPARE(shot.size(), form.size() * 2);
    QCOMPARE(rgbText(shot.pixel(onScreen)), rgbText(doubled.pixel(*pixel)));
    QCOMPARE(rgbText(shot.pixel(inner)), rgbText(doubled.pixel(0, 0)));
}

// The pointer stands at 1210 / 15 = 80.67 logical pixels: on a doubled screen
// that is device column 161.33 of the inner area, not a doubled whole pixel.
void TestForm2HiDpi::pointerColumn()
{
    Form2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const auto *canvas = form.findChild<DialCanvas *>("picCanvase");
    QVERIFY(canvas);

    const QPointF innerLogical = QPointF(canvas->geometry().topLeft()) + QPointF(kBorderPixels, kBorderPixels);
    const int column = int(std::floor((innerLogical.x() + kPointerCentreTwips / kTwipsPerPixel) * kDevicePixelRatio));
    const int top = int(innerLogical.y() * kDevicePixelRatio);
    const int centre = int(std::floor((innerLogical.y() + kPointerCentreTwips / kTwipsPerPixel) * kDevicePixelRatio));

    const QImage shot = form.grab().toImage();
    for (int y = top; y <= centre; ++y)
        QVERIFY2(shot.pixel(column, y) == kPureRed, qPrintable(QStringLiteral("row %1").arg(y)));
    QVERIFY(shot.pixel(column - 1, (top + centre) / 2) != kPureRed);
}

int main(int argc, char *argv[])
{
    qputenv("QT_SCALE_FACTOR", QByteArray::number(kDevicePixelRatio));
    QApplication app(argc, argv);
    TestForm2HiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_form2_hidpi.moc"
