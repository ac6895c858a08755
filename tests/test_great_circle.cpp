// Beam heading and distance between decoded locators.

#include <QTest>

#include <cmath>
#include <random>
#include <string>

#include "geodesy/great_circle.h"
#include "geodesy/great_circle_trace.h"
#include "geodesy/locator.h"

#include "random_locator.h"

using geodesy::AzimuthDistance;
using geodesy::DecodeLocator;

namespace {

geodesy::AzimuthDistanceResult resultBetween(const char *from, const char *to)
{
    const auto a = DecodeLocator(from);
    const auto b = DecodeLocator(to);
    return AzimuthDistance(a.latitude, a.longitude, b.latitude, b.longitude);
}

geodesy::AzimuthDistanceTrace traceBetweenLocators(const char *from, const char *to)
{
    const auto a = DecodeLocator(from);
    const auto b = DecodeLocator(to);
    return geodesy::traceAzimuthDistance(a.latitude, a.longitude, b.latitude, b.longitude);
}

QString nineDigits(double v)
{
    return QString::number(v, 'g', 9);
}

} // namespace

class TestGreatCircle : public QObject
{
    Q_OBJECT

private slots:
    void betweenLocators_data();
    void betweenLocators();
    void intermediateValues_data();
    void intermediateValues();
    void coincidingPointsNearTheKilometreBoundary_data();
    void coincidingPointsNearTheKilometreBoundary();
    void zeroAzimuthCosineGivesTwoNumbers_data();
    void zeroAzimuthCosineGivesTwoNumbers();
    void randomPairsStayInRange();
};

void TestGreatCircle::betweenLocators_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<double>("azimuth");
    QTest::addColumn<double>("distance");

    QTest::newRow("north-west, Rome to Milan") << "JN61FW"
                                               << "JN45OL" << 328.0 << 472.0;
    QTest::newRow("reverse gains a kilometre") << "JN45OL"
                                               << "JN61FW" << 145.0 << 471.0;
    QTest::newRow("across the Atlantic") << "JN61FW"
                                         << "FN31PR" << 301.0 << 6719.0;
    QTest::newRow("just west of Greenwich") << "IO91WM"
                                            << "FN31PR" << 289.0 << 5403.0;
    QTest::newRow("due south, short") << "JN61FW"
                                      << "JM61FW" << 180.0 << 1109.0;
    QTest::newRow("due south past the guard") << "JN61FW"
                                              << "JI61FW" << 180.0 << 5547.0;
    QTest::newRow("due north reads 360") << "JM61FW"
                                         << "JN61FW" << 360.0 << 1109.0;
    QTest::newRow("coinciding points") << "JN61FW"
                                       << "JN61FW" << 270.0 << 0.0;
    QTest::newRow("coinciding near the equator") << "JJ00AA"
                                                 << "JJ00AA" << 270.0 << 1.0;
    QTest::newRow("exact antipodes") << "JJ00AA"
                                     << "AI09AX" << 90.0 << 19970.0;
    QTest::newRow("nudge turns a near north off 360") << "JN61FV"
                                                      << "JN61FW" << 354.0 << 5.0;
    QTest::newRow("square completed twice against once") << "JN51LLLL"
                                                         << "JN51LL" << 270.0 << 0.0;
}

void TestGreatCircle::betweenLocators()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(double, azimuth);
    QFETCH(double, distance);
    const auto r = resultBetween(from.toLatin1().constData(), to.toLatin1().constData());
    QCOMPARE_EQ(r.azimuth, azimuth);
    QCOMPARE_EQ(r.distance, distance);
}

void TestGreatCircle::intermediateValues_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("values"); // X1 X2 Y1 Y2 D C d Z |A| A A/K 6356.775d

    QTest::newRow("north-west, Rome to Milan")
        << "JN61FW"
        << "JN45OL"
        << QStringList{"0.217438891",  "0.160715702", "0.731947303", "0.793761034", "0.0568231889", "0.997248306",
                       "0.0742018513", "0.843484646", "0.567058523", "5.71612548",  "327.509933",   "471.684473"};
}

void TestGreatCircle::intermediateValues()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QStringList, values);
    const auto t = traceBetweenLocators(from.toLatin1().constData(), to.toLatin1().constData());
    constexpr double K = 3.141592 / 180;
    const QStringList traced{nineDigits(t.X1), nineDigits(t.X2),    nineDigits(t.Y1),
                             nineDigits(t.Y2), nineDigits(t.D),     nineDigits(t.C),
                             nineDigits(t.d),  nineDigits(t.Z),     nineDigits(t.azimuthMagnitude),
                             nineDigits(t.A),  nineDigits(t.A / K), nineDigits(6356.775 * t.d)};
    QCOMPARE(traced, values);
}

void TestGreatCircle::coincidingPointsNearTheKilometreBoundary_data()
{
    QTest::addColumn<QString>("locator");
    QTest::addColumn<double>("distance");

    QTest::newRow("38.104 degrees north still 1 km") << "JM78AC" << 1.0;
    QTest::newRow("38.146 degrees north already 0 km") << "JM78AD" << 0.0;
    QTest::newRow("38.104 degrees south still 1 km") << "JF71AV" << 1.0;
    QTest::newRow("38.146 degrees south already 0 km") << "JF71AU" << 0.0;
}

void TestGreatCircle::coincidingPointsNearTheKilometreBoundary()
{
    QFETCH(QString, locator);
    QFETCH(double, distance);
    const QByteArray text = locator.toLatin1();
    const auto t = traceBetweenLocators(text.constData(), text.constData());
    QCOMPARE_EQ(t.result.azimuth, 270.0);
    QCOMPARE_EQ(t.result.distance, distance);
    // The nudge is all there is between the points.
    QCOMPARE_EQ(t.D, 0.0001);
}

void TestGreatCircle::zeroAzimuthCosineGivesTwoNumbers_data()
{
    QTest::addColumn<double>("lon2");
    QTest::addColumn<double>("azimuth");

    // Two points on the equator make the azimuth cosine exactly zero.
    QTest::newRow("east along the equator") << 20.0 << 90.0;
    QTest::newRow("west along the equator") << 0.5 << 270.0;
}

void TestGreatCircle::zeroAzimuthCosineGivesTwoNumbers()
{
    QFETCH(double, lon2);
    QFETCH(double, azimuth);
    const auto t = geodesy::traceAzimuthDistance(0, 10, 0, lon2);
    QCOMPARE_EQ(t.Z, 0.0);
    QCOMPARE_EQ(t.result.azimuth, azimuth);
    QVERIFY(std::isfinite(t.result.distance));
}

void TestGreatCircle::randomPairsStayInRange()
{
    std::mt19937 rng(20261209);
    for (int i = 0; i < 20000; ++i) {
        const std::string from = randomLocator(rng);
        const std::string to = randomLocator(rng);
        const auto thereTrace = traceBetweenLocators(from.c_str(), to.c_str());
        const auto backTrace = traceBetweenLocators(to.c_str(), from.c_str());
        const auto &there = thereTrace.result;
        const auto &back = backTrace.result;
        const QByteArray pair = QByteArray::fromStdString(from + " to " + to);
        QVERIFY2(there.azimuth >= 0 && there.azimuth <= 360, pair);
        QVERIFY2(there.distance >= 0 && there.distance <= 19970, pair);
        QVERIFY2(there.azimuth == std::floor(there.azimuth), pair);
        QVERIFY2(there.distance == std::floor(there.distance), pair);
        // The nudge shifts point 2 by 0.0001 radian of longitude, which moves it
        // by at most that much of arc; swapping the points shifts the other
        // one instead. Over long paths that can reach 2 km after rounding.
        QVERIFY2(std::abs(thereTrace.d - backTrace.d) <= 2.0001e-4, pair);
        QVERIFY2(std::abs(there.distance - back.distance) <= 2, pair);
    }
}

QTEST_APPLESS_MAIN(TestGreatCircle)
#include "test_great_circle.moc"
