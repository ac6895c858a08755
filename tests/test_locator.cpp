// Checking and decoding of typed locator texts.

#include <QTest>

#include <string>

#include "geodesy/locator.h"

using geodesy::DecodeLocator;
using geodesy::NormaliseLocators;

class TestLocator : public QObject
{
    Q_OBJECT

private slots:
    void decodesSubSquareCentres_data();
    void decodesSubSquareCentres();
    void normalisesAndChecksPairs_data();
    void normalisesAndChecksPairs();
    void acceptsOnlyRealLocators_data();
    void acceptsOnlyRealLocators();
    void countsCharactersNotBytes_data();
    void countsCharactersNotBytes();
    void survivesHostileText_data();
    void survivesHostileText();
};

void TestLocator::decodesSubSquareCentres_data()
{
    QTest::addColumn<QByteArray>("locator");
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");

    QTest::newRow("JN51AB") << QByteArray("JN51AB") << 41.0625 << 10.041666666666666;
    QTest::newRow("square centre JN51LL") << QByteArray("JN51LL") << 41.479166666666664 << 10.958333333333334;
    QTest::newRow("completed twice JN51LLLL") << QByteArray("JN51LLLL") << 41.479166666666664 << 10.958333333333334;
    QTest::newRow("south-west corner AA00AA") << QByteArray("AA00AA") << -89.97916666666667 << -179.95833333333334;
    QTest::newRow("north-east corner RR99XX") << QByteArray("RR99XX") << 89.97916666666667 << 179.95833333333334;
    QTest::newRow("missing sixth character") << QByteArray("JN51A") << 38.3125 << 10.041666666666666;
    QTest::newRow("letters past the alphabet") << QByteArray("ZZ99ZZ") << 170.0625 << 340.125;
    QTest::newRow("empty text") << QByteArray("") << -790.6875 << -1581.375;
    QTest::newRow("only six characters count") << QByteArray("JN51ABXYZ") << 41.0625 << 10.041666666666666;
    QTest::newRow("Latin-1 letter keeps its code") << QByteArray(
        "\xC3\x89"
        "A00AA") << -89.97916666666667 << 2540.0416666666665;
    QTest::newRow("euro sign reads as a question mark") << QByteArray(
        "\xE2\x82\xAC"
        "A00AA") << -89.97916666666667 << -219.95833333333334;
    QTest::newRow("stray byte reads as a question mark") << QByteArray(
        "\xFF"
        "A00AA") << -89.97916666666667 << -219.95833333333334;
}

void TestLocator::decodesSubSquareCentres()
{
    QFETCH(QByteArray, locator);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    const auto p = DecodeLocator(std::string_view(locator.constData(), locator.size()));
    QCOMPARE_EQ(p.latitude, latitude);
    QCOMPARE_EQ(p.longitude, longitude);
}

void TestLocator::normalisesAndChecksPairs_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QByteArray>("locator1");
    QTest::addColumn<QByteArray>("locator2");
    QTest::addColumn<bool>("invalid");
    QTest::addColumn<bool>("tooLong");

    QTest::newRow("lower case is upper-cased") << QByteArray("jn51ab") << QByteArray("JN45ol") << QByteArray("JN51AB")
                                               << QByteArray("JN45OL") << false << false;
    QTest::newRow("square beside full locator")
        << QByteArray("JN51") << QByteArray("JN45OL") << QByteArray("JN51LL") << QByteArray("JN45OL") << false << false;
    QTest::newRow("two squares completed twice") << QByteArray("JN51") << QByteArray("jn45") << QByteArray("JN51LLLL")
                                                 << QByteArray("JN45LLLL") << false << false;
    QTest::newRow("square beside empty text")
        << QByteArray("JN51") << QByteArray("") << QByteArray("JN51LL") << QByteArray("") << true << false;
    QTest::newRow("empty first") << QByteArray("") << QByteArray("JN45OL") << QByteArray("") << QByteArray("JN45OL")
                                 << true << false;
    QTest::newRow("seven characters first") << QByteArray("JN51ABC") << QByteArray("JN45OL") << QByteArray("JN51ABC")
                                            << QByteArray("JN45OL") << true << true;
    QTest::newRow("seven characters second") << QByteArray("JN45OL") << QByteArray("JN51ABC") << QByteArray("JN45OL")
                                             << QByteArray("JN51ABC") << true << false;
    QTest::newRow("minus in third place") << QByteArray("JN-1AB") << QByteArray("JN45OL") << QByteArray("JN-1AB")
                                          << QByteArray("JN45OL") << true << false;
    QTest::newRow("colon in third place") << QByteArray("JN45OL") << QByteArray("JN:1AB") << QByteArray("JN45OL")
                                          << QByteArray("JN:1AB") << true << false;
    QTest::newRow("blank in third place") << QByteArray("JN 1AB") << QByteArray("JN45OL") << QByteArray("JN 1AB")
                                          << QByteArray("JN45OL") << true << false;
    QTest::newRow("initial dots") << QByteArray("...") << QByteArray("JN45OL") << QByteArray("...LL")
                                  << QByteArray("JN45OL") << true << false;
    QTest::newRow("field only") << QByteArray("JN") << QByteArray("JN45OL") << QByteArray("JNLL")
                                << QByteArray("JN45OL") << true << false;
    QTest::newRow("one letter") << QByteArray("j") << QByteArray("JN45OL") << QByteArray("JLL") << QByteArray("JN45OL")
                                << true << false;
    QTest::newRow("three characters beside a square")
        << QByteArray("JN5") << QByteArray("JN45") << QByteArray("JN5LLLL") << QByteArray("JN45LLLL") << true << false;
    QTest::newRow("five characters are not completed")
        << QByteArray("JN51A") << QByteArray("JN45") << QByteArray("JN51A") << QByteArray("JN45LL") << true << false;
    QTest::newRow("only a..z are upper-cased") << QByteArray(
        "jn51\xC3\xA9"
        "b") << QByteArray("JN45OL")
                                               << QByteArray(
                                                      "JN51\xC3\xA9"
                                                      "B")
                                               << QByteArray("JN45OL") << true << false;
}

void TestLocator::normalisesAndChecksPairs()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QByteArray, locator1);
    QFETCH(QByteArray, locator2);
    QFETCH(bool, invalid);
    QFETCH(bool, tooLong);
    const auto check = NormaliseLocators(first.toStdString(), second.toStdString());
    QCOMPARE(QByteArray::fromStdString(check.locator1), locator1);
    QCOMPARE(QByteArray::fromStdString(check.locator2), locator2);
    QCOMPARE(check.inputInvalid, invalid);
    QCOMPARE(check.firstTooLong, tooLong);
}

void TestLocator::acceptsOnlyRealLocators_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("full locator") << QByteArray("JN61FW") << true;
    QTest::newRow("square") << QByteArray("JN61") << true;
    QTest::newRow("lowest corner") << QByteArray("AA00AA") << true;
    QTest::newRow("highest corner") << QByteArray("RR99XX") << true;
    QTest::newRow("lower case highest corner") << QByteArray("rr99xx") << true;
    QTest::newRow("three characters") << QByteArray("JN5") << false;
    QTest::newRow("five characters") << QByteArray("JN51A") << false;
    QTest::newRow("field letter S") << QByteArray("SN51AB") << false;
    QTest::newRow("second field letter S") << QByteArray("JS51AB") << false;
    QTest::newRow("letter in fourth place") << QByteArray("JN5XAB") << false;
    QTest::newRow("sub-square letter Y") << QByteArray("JN51YB") << false;
    QTest::newRow("second sub-square letter Z") << QByteArray("JN51AZ") << false;
    QTest::newRow("beyond every range") << QByteArray("ZZ99ZZ") << false;
    QTest::newRow("digit in first place") << QByteArray("1N51AB") << false;
    QTest::newRow("blank at the end") << QByteArray("JN51A ") << false;
    QTest::newRow("blank at the start of a square") << QByteArray(" N51") << false;
}

void TestLocator::acceptsOnlyRealLocators()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, accepted);
    // The same text as either locator, beside a partner that is always good.
    QCOMPARE(!NormaliseLocators(text.toStdString(), "JN45OL").inputInvalid, accepted);
    QCOMPARE(!NormaliseLocators("JN45OL", text.toStdString()).inputInvalid, accepted);
}

void TestLocator::countsCharactersNotBytes_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("locator1");
    QTest::addColumn<bool>("tooLong");

    // Two-, three- and four-byte characters, and bytes that are no UTF-8.
    QTest::newRow("six characters, seven bytes") << QByteArray("JN51A\xC3\xA9") << QByteArray("JN51A\xC3\xA9") << false;
    QTest::newRow("seven characters with an accent")
        << QByteArray("JN51AB\xC3\xA9") << QByteArray("JN51AB\xC3\xA9") << true;
    QTest::newRow("four characters with a euro sign") << QByteArray("JN5\xE2\x82\xAC")
                                                      << QByteArray(
                                                             "JN5\xE2\x82\xAC"
                                                             "LL")
                                                      << false;
    QTest::newRow("two emoji are two characters") << QByteArray("\xF0\x9F\x93\xA1\xF0\x9F\x93\xA1")
                                                  << QByteArray(
                                                         "\xF0\x9F\x93\xA1\xF0\x9F\x93\xA1"
                                                         "LL")
                                                  << false;
    QTest::newRow("stray bytes count one each") << QByteArray("\xFF\xFE\x80")
                                                << QByteArray(
                                                       "\xFF\xFE\x80"
                                                       "LL")
                                                << false;
    QTest::newRow("cut-off sequence counts per byte")
        << QByteArray("JN51\xE2\x82") << QByteArray("JN51\xE2\x82") << false;
    QTest::newRow("overlong slash counts per byte")
        << QByteArray("JN51\xC0\xAF\xC0") << QByteArray("JN51\xC0\xAF\xC0") << true;
    QTest::newRow("surrogate counts per byte")
        << QByteArray("JN5\xED\xA0\x80") << QByteArray("JN5\xED\xA0\x80") << false;
}

void TestLocator::countsCharactersNotBytes()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, locator1);
    QFETCH(bool, tooLong);
    const auto check = NormaliseLocators(first.toStdString(), "JN45OL");
    QCOMPARE(QByteArray::fromStdString(check.locator1), locator1);
    QCOMPARE(check.firstTooLong, tooLong);
    QVERIFY(check.inputInvalid);
}

void TestLocator::survivesHostileText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("tooLong");

    QTest::newRow("NUL bytes") << QByteArray(
        "JN\0"
        "1AB",
        6) << false;
    QTest::newRow("only NUL bytes") << QByteArray(8, '\0') << true;
    QTest::newRow("one megabyte of letters") << QByteArray(1 << 20, 'a') << true;
    QTest::newRow("one megabyte of stray bytes") << QByteArray(1 << 20, '\xF0') << true;
    QTest::newRow("lead byte at the very end") << QByteArray("JN51A\xF0") << false;
}

void TestLocator::survivesHostileText()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, tooLong);
    const std::string s(text.constData(), static_cast<std::size_t>(text.size()));
    const auto check = NormaliseLocators(s, s);
    QVERIFY(check.inputInvalid);
    QCOMPARE(check.firstTooLong, tooLong);
    QCOMPARE(check.locator1.size() >= s.size(), true);
    const auto p = DecodeLocator(check.locator1);
    // Codes run from 0 to 255, so even garbage decodes within these bounds.
    QVERIFY(p.latitude >= -790.6875 && p.latitude <= 2024.9375);
    QVERIFY(p.longitude >= -1581.375 && p.longitude <= 4049.875);
}

QTEST_APPLESS_MAIN(TestLocator)
#include "test_locator.moc"
