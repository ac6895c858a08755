// The window on a screen with more than one device pixel per logical pixel:
// the layout stays in logical pixels, the double-density images are drawn
// sharp and in place, the pointer is drawn at device resolution and lines up
// with the dial's ring, and the icon offers the larger sizes.
//
// The screen's scale comes from QT_SCALE_FACTOR (2 when it is not set); the
// test is registered once for each scale. In a browser the page's device
// pixel ratio is the screen's scale: the web build's test runner sets it from
// QT_SCALE_FACTOR and hands the scale on as TERVALO_SCREEN_SCALE.

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include <cmath>
#include <optional>

#include "window/dial_canvas.h"
#include "window/form2.h"
#include "window/line_shape.h"
#include "window/picture_box.h"

#include "window_test_support.h"

namespace {

using namespace window_test;

constexpr qreal kDoubleDensity = 2.0;

// The dial image's ring, in pixels of the normal-density image: the ring
// occupies pixels kRingOuterPixels to kDialPixels - 1 - kRingOuterPixels.
constexpr int kDialPixels = 165;
constexpr int kRingOuterPixels = 1;

qreal screenScale()
{
    for (const char *name : {"QT_SCALE_FACTOR", "TERVALO_SCREEN_SCALE"}) {
        bool ok = false;
        const qreal scale = qEnvironmentVariable(name).toDouble(&ok);
        if (ok)
            return scale;
    }
    return kDoubleDensity;
}

// The device pixel that covers a logical coordinate.
int devicePixel(double logical, qreal scale)
{
    return int(std::floor(logical * scale));
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

// Walks from one device pixel in steps of `step` while the colour holds and
// returns the last pixel of that colour.
QPoint lastOfColour(const QImage &shot, QPoint from, QPoint step, QRgb colour)
{
    QPoint at = from;
    while (shot.valid(at + step) && shot.pixel(at + step) == colour)
        at += step;
    return at;
}

// Walks from one device pixel in steps of `step` to the edge of `area` and
// returns the last pixel of the colour met on the way, if any.
std::optional<QPoint> outermostOfColour(const QImage &shot, QPoint from, QPoint step, const QRect &area, QRgb colour)
{
    std::optional<QPoint> found;
    for (QPoint at = from; area.contains(at); at += step) {
        if (shot.pixel(at) == colour)
            found = at;
    }
    return found;
}

} // namespace

class TestForm2HiDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void layoutInLogicalPixels_data();
    void layoutInLogicalPixels();
    void pictures_data();
    void pictures();
    void ringLinesUpWithPointer_data();
    void ringLinesUpWithPointer();
    void pointerOneDevicePixelWide();
    void iconSizes_data();
    void iconSizes();
};

void TestForm2HiDpi::initTestCase()
{
    ShownWindow shownWindow;
    Form2 &form = shownWindow.form;
    QCOMPARE(form.devicePixelRatioF(), screenScale());
}

void TestForm2HiDpi::layoutInLogicalPixels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("side picture") << "Picture1" << QRect(0, 0, 185, 427);
    QTest::newRow("first locator box") << "Text3" << QRect(336, 24, 81, 25);
    QTest::newRow("azimuth caption") << "Label4" << QRect(240, 128, 81, 17);
    QTest::newRow("calculate button") << "Command1" << QRect(232, 168, 105, 25);
    QTest::newRow("dial") << "picCanvase" << QRect(264, 208, 169, 169);
    QTest::newRow("third recent row") << "Label8" << QRect(456, 101, 209, 17);
}

void TestForm2HiDpi::layoutInLogicalPixels()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);

    ShownWindow shownWindow;
    Form2 &form = shownWindow.form;
    QCOMPARE(form.size(), QSize(681, 417));
    const auto *widget = form.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(form.grab().size(), form.size() * screenScale());
}

void TestForm2HiDpi::pictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("normalImage");
    QTest::addColumn<QString>("doubleImage");

    QTest::newRow("side picture") << "Picture1"
                                  << ":/assets/compass.bmp"
                                  << ":/assets/compass@2x.bmp";
    QTest::newRow("dial") << "picCanvase"
                          << ":/assets/dial.bmp"
                          << ":/assets/dial@2x.bmp";
}

// Every scale above 1 draws the double-density image at the normal image's
// logical size. At scale 2 it lands pixel for pixel on the screen.
void TestForm2HiDpi::pictures()
{
    QFETCH(QString, name);
    QFETCH(QString, normalImage);
    QFETCH(QString, doubleImage);

    ShownWindow shownWindow;
    Form2 &form = shownWindow.form;
    const auto *box = form.findChild<PictureBox *>(name);
    QVERIFY(box);

    const QImage normal(normalImage);
    const QImage doubled(doubleImage);
    QCOMPARE(doubled.size(), normal.size() * 2);
    const QImage shot = form.grab().toImage();
    QCOMPARE(box->pixmap().devicePixelRatio(), kDoubleDensity);
    QCOMPARE(box->pixmap().deviceIndependentSize(), QSizeF(normal.size()));
    QCOMPARE(box->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
             doubled.convertToFormat(QImage::Format_RGB32));

    if (screenScale() != kDoubleDensity)
        return;
    const std::optional<QPoint> pixel = distinctivePixel(normal, doubled);
    QVERIFY2(pixel, "the double-density image is a mere enlargement");
    const QPoint inner = innerOrigin(box) * kDoubleDensity;
    const QPoint onScreen = inner + *pixel;
    // The pixel must lie within the box's inner area to be seen.
    QVERIFY(QRect(inner, box->contentsRect().size() * kDoubleDensity).contains(onScreen));
    QCOMPARE(rgbText(shot.pixel(onScreen)), rgbText(doubled.pixel(*pixel)));
    QCOMPARE(rgbText(shot.pixel(inner)), rgbText(doubled.pixel(0, 0)));
}

void TestForm2HiDpi::ringLinesUpWithPointer_data()
{
    QTest::addColumn<QPointF>("direction");

    QTest::newRow("north") << QPointF(0, -1);
    QTest::newRow("east") << QPointF(1, 0);
    QTest::newRow("south") << QPointF(0, 1);
    QTest::newRow("west") << QPointF(-1, 0);
}

// The pointer is turned to one of the dial's four extremes. In the grabbed
// device pixels the ring's outermost blue pixel on that side must stand where
// the dial image puts it, the pointer's last red pixel where its twips put
// it, and so the two at the distance the geometry gives them: the pointer is
// neither rounded to whole logical pixels nor shifted against the dial.
// At scale 2 every logical edge is a device pixel edge and the places are
// exact; at fractional scales an edge can fall inside a device pixel, which
// the image scaler and the line rasteriser may then each give to either side.
void TestForm2HiDpi::ringLinesUpWithPointer()
{
    QFETCH(QPointF, direction);
    const qreal scale = screenScale();
    const int slack = scale == std::floor(scale) ? 0 : 1;

    ShownWindow shownWindow;
    Form2 &form = shownWindow.form;
    auto *canvas = form.findChild<DialCanvas *>("picCanvase");
    QVERIFY(canvas);
    const QPointF tipTwips = QPointF(kPointerCentreTwips, kPointerCentreTwips) + direction * kPointerLengthTwips;
    canvas->line()->setX2(float(tipTwips.x()));
    canvas->line()->setY2(float(tipTwips.y()));
    const QImage shot = form.grab().toImage();

    const QPointF inner = innerOrigin(canvas);
    const QRect innerDevice(
        QPoint(devicePixel(inner.x(), scale), devicePixel(inner.y(), scale)),
        QPoint(devicePixel(inner.x() + kDialPixels, scale) - 1, devicePixel(inner.y() + kDialPixels, scale) - 1));
    const QPoint step = direction.toPoint();
    const bool vertical = step.x() == 0;
    const bool outwardIsDown = step.x() + step.y() > 0;
    const auto along = [vertical](QPoint p) { return vertical ? p.y() : p.x(); };
    const double innerAlong = vertical ? inner.y() : inner.x();

    // The pointer: from its pivot outwards along its red pixels.
    const QPointF pivot = inner + QPointF(kPointerCentreTwips, kPointerCentreTwips) / kTwipsPerPixel;
    const QPoint pivotDevice(devicePixel(pivot.x(), scale), devicePixel(pivot.y(), scale));
    QCOMPARE(rgbText(shot.pixel(pivotDevice)), rgbText(kPureRed));
    const QPoint tip = lastOfColour(shot, pivotDevice, step, kPureRed);
    // The pointer stays on its own line: one device column or row.
    QCOMPARE(vertical ? tip.x() : tip.y(), vertical ? pivotDevice.x() : pivotDevice.y());
    const double tipLogical = innerAlong + (vertical ? tipTwips.y() : tipTwips.x()) / kTwipsPerPixel;
    // A tip on the inner area's edge is drawn in the area's first or last
    // device pixel.
    const int expectedTip =
        qBound(along(innerDevice.topLeft()), devicePixel(tipLogical, scale), along(innerDevice.bottomRight()));
    QVERIFY2(qAbs(along(tip) - expectedTip) <= slack,
             qPrintable(QStringLiteral("tip at %1, expected %2").arg(along(tip)).arg(expectedTip)));

    // The ring: its outermost pure blue pixel on the line through the
    // image's centre.
    const double imageCentre = kDialPixels / 2.0;
    const QPoint centreDevice(devicePixel(inner.x() + imageCentre, scale), devicePixel(inner.y() + imageCentre, scale));
    const std::optional<QPoint> ring = outermostOfColour(shot, centreDevice, step, innerDevice, kPureBlue);
    QVERIFY2(ring, "no blue ring pixel on that side");
    const int expectedRing = outwardIsDown ? devicePixel(innerAlong + kDialPixels - kRingOuterPixels, scale) - 1
                                           : devicePixel(innerAlong + kRingOuterPixels, scale);
    QVERIFY2(qAbs(along(*ring) - expectedRing) <= slack,
             qPrintable(QStringLiteral("ring at %1, expected %2").arg(along(*ring)).arg(expectedRing)));

    // Both measured in the same grab: their distance along the pointer.
    const int measuredGap = along(*ring) - along(tip);
    QVERIFY2(qAbs(measuredGap - (expectedRing - expectedTip)) <= 2 * slack,
             qPrintable(QStringLiteral("gap %1, expected %2").arg(measuredGap).arg(expectedRing - expectedTip)));
}

// A cosmetic pen of one pixel is one device pixel wide at every scale: the
// pointer at rest has red only in its own device column.
void TestForm2HiDpi::pointerOneDevicePixelWide()
{
    const qreal scale = screenScale();
    ShownWindow shownWindow;
    Form2 &form = shownWindow.form;
    const auto *canvas = form.findChild<DialCanvas *>("picCanvase");
    QVERIFY(canvas);

    const QPointF pivot =
        QPointF(innerOrigin(canvas)) + QPointF(kPointerCentreTwips, kPointerCentreTwips) / kTwipsPerPixel;
    const int column = devicePixel(pivot.x(), scale);
    // The inner area's top edge may fall inside a device pixel.
    const int top = int(std::ceil(innerOrigin(canvas).y() * scale));
    const int bottom = devicePixel(pivot.y(), scale);
    const QImage shot = form.grab().toImage();
    for (int y = top; y <= bottom; ++y) {
        QVERIFY2(shot.pixel(column, y) == kPureRed, qPrintable(QStringLiteral("row %1").arg(y)));
        QVERIFY2(shot.pixel(column - 1, y) != kPureRed, qPrintable(QStringLiteral("row %1").arg(y)));
        QVERIFY2(shot.pixel(column + 1, y) != kPureRed, qPrintable(QStringLiteral("row %1").arg(y)));
    }
}

void TestForm2HiDpi::iconSizes_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("atOpening");

    QTest::newRow("title bar, normal density") << 16 << true;
    QTest::newRow("title bar as designed") << 24 << true;
    QTest::newRow("title bar, double density") << 48 << true;
    QTest::newRow("task switcher") << 64 << false;
    QTest::newRow("dock") << 128 << false;
    QTest::newRow("large dock") << 256 << false;
}

// The title bar's sizes are there when the window opens; the larger ones are
// added once it has been painted.
void TestForm2HiDpi::iconSizes()
{
    QFETCH(int, side);
    QFETCH(bool, atOpening);

    Form2 form;
    const QSize size(side, side);
    QCOMPARE(form.windowIcon().availableSizes().contains(size), atOpening);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_VERIFY(form.windowIcon().availableSizes().contains(size));
    // A title bar at twice the density asks first, for a size that none of
    // the pictures has (a browser's asks for 10 pixels at its density).
    QVERIFY(!form.windowIcon().pixmap(size * 5 / 12, 2.0).isNull());
    const QImage shown = form.windowIcon().pixmap(size, 1.0).toImage();
    QCOMPARE(shown.size(), size);
    // The file goes through the same conversion to a pixmap as the icon's own
    // image, and both are compared as pixmaps hold them: converting back to
    // straight alpha rounds differently from one processor to another.
    const QImage expected = QPixmap(QStringLiteral(":/assets/icons/tervalo-%1.png").arg(side)).toImage();
    QCOMPARE(shown, expected);
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR") && qEnvironmentVariableIsEmpty("TERVALO_SCREEN_SCALE"))
        qputenv("QT_SCALE_FACTOR", QByteArray::number(kDoubleDensity));
    QApplication app(argc, argv);
    TestForm2HiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_form2_hidpi.moc"
