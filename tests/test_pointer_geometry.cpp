// The azimuth pointer's tip for the texts the azimuth box can hold.

#include <QTest>

#include <cmath>

#include "window/pointer_geometry.h"

class TestPointerGeometry : public QObject
{
    Q_OBJECT

private slots:
    void readsLeadingNumber_data();
    void readsLeadingNumber();
    void tipForAzimuthText_data();
    void tipForAzimuthText();
    void pointsLikeWholeAzimuth_data();
    void pointsLikeWholeAzimuth();
    void refusesAnglesBeyondSixteenBits_data();
    void refusesAnglesBeyondSixteenBits();
    void tipStaysOnTheRing();
};

void TestPointerGeometry::readsLeadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");

    QTest::newRow("sign-position azimuth") << " 328" << 328.0;
    QTest::newRow("plain zero") << "0" << 0.0;
    QTest::newRow("error mark") << "??????" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("comma ends the number") << "12,5" << 12.0;
    QTest::newRow("point is the decimal point") << "12.5" << 12.5;
    QTest::newRow("several blanks and a minus") << "   -45.25xyz" << -45.25;
    QTest::newRow("plus sign") << "+7" << 7.0;
    QTest::newRow("fraction without whole part") << ".5" << 0.5;
    QTest::newRow("point without digits") << "." << 0.0;
    QTest::newRow("lone minus") << "-" << 0.0;
    QTest::newRow("second point ends it") << "1.2.3" << 1.2;
    QTest::newRow("letter first") << "a12" << 0.0;
    QTest::newRow("blank inside digits ends it") << "1 2" << 1.0;
    QTest::newRow("Arabic-Indic digits are no digits") << QString::fromUtf8("\u0661\u0662") << 0.0;
    QTest::newRow("vanishingly small") << "0." + QString(400, QLatin1Char('0')) + "1" << 0.0;
}

void TestPointerGeometry::readsLeadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, number);
    const auto read = leadingNumber(text);
    QVERIFY(read.has_value());
    QCOMPARE_EQ(*read, number);
}

void TestPointerGeometry::tipForAzimuthText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");

    QTest::newRow("north from 0") << " 0" << 1209 << 0;
    QTest::newRow("north from \"0\"") << "0" << 1209 << 0;
    QTest::newRow("north from the error mark") << "??????" << 1209 << 0;
    QTest::newRow("north from an empty box") << "" << 1209 << 0;
    QTest::newRow("north-east") << " 45" << 2065 << 354;
    QTest::newRow("east on the centre line") << " 90" << 2420 << 1210;
    QTest::newRow("south-east") << " 135" << 2065 << 2065;
    QTest::newRow("south") << " 180" << 1209 << 2419;
    QTest::newRow("south-west") << " 225" << 354 << 2065;
    QTest::newRow("west") << " 270" << 0 << 1209;
    QTest::newRow("north-west") << " 315" << 354 << 354;
    QTest::newRow("north from 360") << " 360" << 1210 << 0;
}

void TestPointerGeometry::tipForAzimuthText()
{
    QFETCH(QString, text);
    QFETCH(int, x);
    QFETCH(int, y);
    const auto tip = pointerTipForAzimuth(*leadingNumber(text));
    QVERIFY(tip.has_value());
    QCOMPARE(tip->x, x);
    QCOMPARE(tip->y, y);
}

void TestPointerGeometry::pointsLikeWholeAzimuth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sameAs");

    // Azimuth minus 90 is rounded half to even.
    QTest::newRow("12,5 like 12") << "12,5"
                                  << "12";
    QTest::newRow("12.5 like 12") << "12.5"
                                  << "12";
    QTest::newRow("13.5 like 14") << "13.5"
                                  << "14";
    QTest::newRow("0.5 like 0") << "0.5"
                                << "0";
    QTest::newRow("1.5 like 2") << "1.5"
                                << "2";
    QTest::newRow("2.5 like 2") << "2.5"
                                << "2";
    QTest::newRow("just over a half goes up") << "0.5000001"
                                              << "1";
    QTest::newRow("a full turn more") << "405"
                                      << "45";
}

void TestPointerGeometry::pointsLikeWholeAzimuth()
{
    QFETCH(QString, text);
    QFETCH(QString, sameAs);
    const auto tip = pointerTipForAzimuth(*leadingNumber(text));
    const auto expected = pointerTipForAzimuth(*leadingNumber(sameAs));
    QVERIFY(tip && expected);
    QCOMPARE(tip->x, expected->x);
    QCOMPARE(tip->y, expected->y);
}

void TestPointerGeometry::refusesAnglesBeyondSixteenBits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits");

    // The angle is azimuth - 90, which must round into -32768..32767.
    QTest::newRow("lowest angle") << "-32678.5" << true;
    QTest::newRow("just below the lowest") << "-32678.6" << false;
    QTest::newRow("highest angle") << "32857.4" << true;
    QTest::newRow("first that overflows") << "32857.5" << false;
    QTest::newRow("four hundred digits") << QString(400, QLatin1Char('9')) << false;
}

void TestPointerGeometry::refusesAnglesBeyondSixteenBits()
{
    QFETCH(QString, text);
    QFETCH(bool, fits);
    const auto number = leadingNumber(text);
    const bool tipGiven = number.has_value() && pointerTipForAzimuth(*number).has_value();
    QCOMPARE(tipGiven, fits);
}

void TestPointerGeometry::tipStaysOnTheRing()
{
    for (int azimuth = -720; azimuth <= 720; ++azimuth) {
        const auto tip = pointerTipForAzimuth(azimuth);
        QVERIFY(tip.has_value());
        const double dx = tip->x - kPointerCentreTwips;
        const double dy = tip->y - kPointerCentreTwips;
        // Rounding down moves each coordinate by less than one twip.
        QVERIFY2(std::abs(std::hypot(dx, dy) - kPointerLengthTwips) < 1.5, qPrintable(QString::number(azimuth)));
        // Clockwise from north: east half to the right, south half below.
        const int folded = ((azimuth % 360) + 360) % 360;
        if (folded > 5 && folded < 175)
            QVERIFY(tip->x > kPointerCentreTwips);
        if (folded > 95 && folded < 265)
            QVERIFY(tip->y > kPointerCentreTwips);
    }
}

QTEST_APPLESS_MAIN(TestPointerGeometry)
#include "test_pointer_geometry.moc"
