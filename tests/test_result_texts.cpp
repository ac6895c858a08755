// Number texts of the result and coordinate boxes, and the recent-searches ring.

#include <QTest>

#include "window/number_text.h"
#include "window/recent_searches.h"

class TestResultTexts : public QObject
{
    Q_OBJECT

private slots:
    void signPositionForm_data();
    void signPositionForm();
    void generalForm_data();
    void generalForm();
    void rowText();
    void ringThroughEightEntries();
    void ringFromHandMadeStates_data();
    void ringFromHandMadeStates();
};

void TestResultTexts::signPositionForm_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("azimuth") << 328.0 << " 328";
    QTest::newRow("zero") << 0.0 << " 0";
    QTest::newRow("negative zero") << -0.0 << " 0";
    QTest::newRow("antipodal distance") << 19970.0 << " 19970";
    QTest::newRow("negative") << -12.0 << "-12";
    QTest::newRow("fraction keeps a point") << 12.5 << " 12.5";
}

void TestResultTexts::signPositionForm()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(signPositionText(value), text);
    // The decimal point is the same whatever the user's locale.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QCOMPARE(signPositionText(value), text);
    QLocale::setDefault(QLocale::c());
}

void TestResultTexts::generalForm_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("c");
    QTest::addColumn<QString>("italian");

    QTest::newRow("latitude") << 41.0625 << "41.0625"
                              << "41,0625";
    QTest::newRow("west-positive longitude") << -10.041666666666666 << "-10.0416666666667"
                                             << "-10,0416666666667";
    QTest::newRow("fifteen digits") << 179.95833333333334 << "179.958333333333"
                                    << "179,958333333333";
    QTest::newRow("no group separator") << 1581.375 << "1581.375"
                                        << "1581,375";
    QTest::newRow("empty locator's latitude") << -790.6875 << "-790.6875"
                                              << "-790,6875";
    QTest::newRow("whole number") << 42.0 << "42"
                                  << "42";
    QTest::newRow("negative zero") << -0.0 << "0"
                                   << "0";
}

void TestResultTexts::generalForm()
{
    QFETCH(double, value);
    QFETCH(QString, c);
    QFETCH(QString, italian);
    QCOMPARE(generalText(value, QLocale::c()), c);
    QCOMPARE(generalText(value, QLocale(QLocale::Italian, QLocale::Italy)), italian);
}

void TestResultTexts::rowText()
{
    QCOMPARE(recentSearchRow("JN45OL", " 472", " 328"), QString::fromUtf8("JN45OL--- 472Km--- 328\u00B0"));
    QCOMPARE(recentSearchRow("", "", ""), QString::fromUtf8("---Km---\u00B0"));
    QVERIFY(recentSearchRow("", "", "") != emptyRecentRow());
}

void TestResultTexts::ringThroughEightEntries()
{
    // Expected rows after each entry; "" stands for a hidden row.
    const QString e = emptyRecentRow();
    const QStringList expected[8] = {
        {"1", "", "", ""},  {"1", "2", "", ""}, {"1", "2", "3", ""}, {e, "2", "3", "4"},
        {"5", e, "3", "4"}, {"5", "6", e, "4"}, {"5", "6", "7", e},  {e, "6", "7", "8"},
    };
    RecentSearches list;
    list.rows.fill(e);
    for (int change = 0; change < 8; ++change) {
        addRecentSearch(list, QString::number(change + 1) + "---");
        QVERIFY(list.headingShown);
        for (int row = 0; row < kRecentRows; ++row) {
            const QString want = expected[change][row];
            const QString tag = QStringLiteral("entry %1, row %2").arg(change + 1).arg(row + 1);
            QVERIFY2(list.rowShown[row] == !want.isEmpty(), qPrintable(tag));
            if (!want.isEmpty()) {
                QCOMPARE(list.rows[row], want == e ? e : want + "---");
            }
        }
    }
}

void TestResultTexts::ringFromHandMadeStates_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");

    // States the ring never reaches by itself: they pin the order in which the
    // rules look, each seeing what the one before it wrote.
    QTest::newRow("only the third row full")
        << QStringList{"...", "...", "c", "..."} << QStringList{"...", "...", "c", "new"};
    QTest::newRow("first and last full") << QStringList{"a", "...", "...", "d"} << QStringList{"a", "new", "...", "d"};
    QTest::newRow("second full alone") << QStringList{"...", "b", "...", "..."}
                                       << QStringList{"new", "...", "new", "..."};
}

void TestResultTexts::ringFromHandMadeStates()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    RecentSearches list;
    for (int i = 0; i < kRecentRows; ++i)
        list.rows[i] = before[i];
    addRecentSearch(list, "new");
    for (int i = 0; i < kRecentRows; ++i)
        QCOMPARE(list.rows[i], after[i]);
}

QTEST_APPLESS_MAIN(TestResultTexts)
#include "test_result_texts.moc"
