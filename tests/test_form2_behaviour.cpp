// The calculation as a person drives it: typing, pasting and clicking in the
// real window, offscreen.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <optional>

#include "window/form2.h"
#include "window/line_shape.h"
#include "window/locator_text.h"
#include "window/recent_searches.h"
#include "window/shown_results.h"

#include "window_test_support.h"

namespace {

using namespace window_test;

class Window : public ShownWindow
{
public:
    // Replaces a box's whole text in one change.
    void enter(const char *name, const QString &text) { pasteOver(box(name), text); }

    // Both locators entered, then "Calcola" (a six-character second locator
    // has already calculated once by itself).
    void calculate(const QString &first, const QString &second)
    {
        enter("Text3", first);
        enter("Text5", second);
        button("Command1")->click();
    }

    QStringList rows()
    {
        QStringList shown;
        for (const char *name : {"Label6", "Label7", "Label8", "Label9"}) {
            QLabel *l = label(name);
            shown << (l->isHidden() ? QString() : l->text());
        }
        return shown;
    }
};

} // namespace

class TestForm2Behaviour : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void calculation_data();
    void calculation();
    void placeholderInSecondBoxDoesNothing();
    void overLongFirstLocatorAsksFirst_data();
    void overLongFirstLocatorAsksFirst();
    void invalidAfterValidAddsOneRow();
    void unchangedRecalculationAddsNoRow();
    void typingSecondLocatorCalculatesOnce();
    void pastingLowerCaseCalculates();
    void caretEndsAtTheEnd_data();
    void caretEndsAtTheEnd();
    void sixCharactersStartTheCalculation_data();
    void sixCharactersStartTheCalculation();
    void pointerFollowsTheAzimuth_data();
    void pointerFollowsTheAzimuth();
    void typedDistanceFillsTheRing();
    void coordinatesFollowTheLocale();
};

void TestForm2Behaviour::calculation_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("azimuth");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<QString>("row");

    const QString error = kErrorMark;
    QTest::newRow("Rome to Milan") << "JN61FW"
                                   << "JN45OL"
                                   << " 328"
                                   << " 472"
                                   << "JN45OL--- 472Km--- 328" + kDegree;
    QTest::newRow("typed in lower case") << "jn61fw"
                                         << "jn45ol"
                                         << " 328"
                                         << " 472"
                                         << "JN45OL--- 472Km--- 328" + kDegree;
    QTest::newRow("identical locators read 0") << "JN61FW"
                                               << "JN61FW"
                                               << "0"
                                               << " 0"
                                               << "JN61FW--- 0Km--- 270" + kDegree;
    QTest::newRow("same point, different texts") << "JN51"
                                                 << "JN51LL"
                                                 << " 270"
                                                 << " 0"
                                                 << "JN51LL--- 0Km--- 270" + kDegree;
    QTest::newRow("same station typed in two cases") << "jn61fw"
                                                     << "JN61FW"
                                                     << "0"
                                                     << " 0"
                                                     << "JN61FW--- 0Km--- 270" + kDegree;
    QTest::newRow("placeholder left in the first box") << "..."
                                                       << "JN45OL" << error << error << "---??????Km---..." + kDegree;
    QTest::newRow("three characters") << "JN5"
                                      << "JN45OL" << error << error << "---??????Km---..." + kDegree;
    QTest::newRow("five characters") << "JN51A"
                                     << "JN45OL" << error << error << "---??????Km---..." + kDegree;
    QTest::newRow("letters past the alphabet") << "JN61FW"
                                               << "ZZ99ZZ" << error << error << "---??????Km---..." + kDegree;
    QTest::newRow("seven characters second") << "JN61FW"
                                             << "JN45OLX" << error << error << "---??????Km---..." + kDegree;
}

void TestForm2Behaviour::calculation()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, azimuth);
    QFETCH(QString, distance);
    QFETCH(QString, row);

    Window w;
    w.calculate(first, second);

    QCOMPARE(w.box("Text1")->text(), azimuth);
    QCOMPARE(w.box("Text6")->text(), distance);
    const bool failed = azimuth == kErrorMark;
    QCOMPARE(w.box("Text3")->text(), failed ? QString() : first.toUpper());
    QCOMPARE(w.box("Text5")->text(), failed ? QString() : second.toUpper());
    QCOMPARE(w.rows(), (QStringList{row, {}, {}, {}}));
    QVERIFY(!w.label("Label5")->isHidden());

    // The same from the shared rule, given the texts as typing leaves them in
    // the boxes, as tools/numbers gives them.
    const ShownResults shown = shownResults(locatorUpperCase(first), locatorUpperCase(second), QLocale::c());
    QCOMPARE(shown.inputInvalid, failed);
    QCOMPARE(shown.azimuth, azimuth);
    QCOMPARE(shown.distance, distance);
    // A failed calculation's row carries the azimuth box as it stood before.
    if (!failed)
        QCOMPARE(recentSearchRow(second.toUpper(), shown.distance, shown.calculatedAzimuth), row);
}

void TestForm2Behaviour::placeholderInSecondBoxDoesNothing()
{
    Window w;
    w.enter("Text3", "JN61FW");
    QSignalSpy moved(w.pointer(), &LineShape::changed);
    w.button("Command1")->click();
    QCOMPARE(w.box("Text1")->text(), kPlaceholder);
    QCOMPARE(w.box("Text6")->text(), kPlaceholder);
    QCOMPARE(w.box("Text7")->text(), QString("Text7"));
    QCOMPARE(moved.count(), 0);
    QVERIFY(w.label("Label5")->isHidden());
}

void TestForm2Behaviour::overLongFirstLocatorAsksFirst_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");

    QTest::newRow("seven characters") << "JN61FWX"
                                      << "JN61FWX";
    const QString megabyte = QString("JN61FW").repeated(kBulkCharacters / 6);
    QTest::newRow("megabyte cut at the limit") << megabyte << megabyte.left(kTextBoxMaxCharacters);
}

void TestForm2Behaviour::overLongFirstLocatorAsksFirst()
{
    QFETCH(QString, pasted);
    QFETCH(QString, kept);

    Window w;
    w.enter("Text3", pasted);
    w.enter("Text5", "JN45");
    QString seenTitle, seenText, firstBoxMeanwhile;
    int buttons = -1;
    bool iconless = false;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        seenTitle = box->windowTitle();
        seenText = box->text();
        buttons = static_cast<int>(box->buttons().size());
        iconless = box->icon() == QMessageBox::NoIcon;
        firstBoxMeanwhile = w.box("Text3")->text();
        box->button(QMessageBox::Ok)->click();
    });
    w.button("Command1")->click();

    QCOMPARE(seenTitle, w.form.windowTitle());
    QCOMPARE(seenText, QString());
    QCOMPARE(buttons, 1);
    QVERIFY(iconless);
    QVERIFY(firstBoxMeanwhile == kept); // nothing changed while it asked
    QCOMPARE(w.box("Text3")->text(), QString());
    QCOMPARE(w.box("Text1")->text(), kErrorMark);
    QCOMPARE(w.box("Text6")->text(), kErrorMark);
}

void TestForm2Behaviour::invalidAfterValidAddsOneRow()
{
    Window w;
    w.enter("Text3", "JN61FW");
    w.enter("Text5", "JN45OL");
    w.enter("Text3", "JN5");
    w.button("Command1")->click();
    w.enter("Text3", "XX");
    w.button("Command1")->click(); // "" in the second box now: invalid again

    // The failed calculation's row keeps the previous azimuth; the second
    // failure writes "??????" again, which is no change and adds nothing.
    QCOMPARE(w.rows(), (QStringList{"JN45OL--- 472Km--- 328" + kDegree, "---??????Km--- 328" + kDegree, {}, {}}));
    QCOMPARE(w.box("Text1")->text(), kErrorMark);
}

void TestForm2Behaviour::unchangedRecalculationAddsNoRow()
{
    Window w;
    w.enter("Text3", "JN61FW");
    w.enter("Text5", "JN45OL");
    w.button("Command1")->click();
    w.button("Command1")->click();
    QCOMPARE(w.rows(), (QStringList{"JN45OL--- 472Km--- 328" + kDegree, {}, {}, {}}));
}

void TestForm2Behaviour::typingSecondLocatorCalculatesOnce()
{
    Window w;
    w.enter("Text3", "JN61FW");
    QLineEdit *second = w.box("Text5");
    second->clear();
    QSignalSpy calculations(w.button("Command1"), &QPushButton::clicked);
    const QStringList seen{"J", "JN", "JN6", "JN61", "JN61F", "JN61FV"};
    for (int i = 0; i < seen.size(); ++i) {
        QTest::keyClick(second, QString("jn61fv").at(i).toLatin1());
        QCOMPARE(second->text(), seen[i]);
        QCOMPARE(second->cursorPosition(), seen[i].size());
    }
    // The lower-case sixth letter runs the calculation in the nested and the
    // outer change; the second writes nothing new.
    QCOMPARE(calculations.count(), 2);
    QCOMPARE(w.box("Text1")->text(), QString(" 186"));
    QCOMPARE(w.rows(), (QStringList{"JN61FV--- 5Km--- 186" + kDegree, {}, {}, {}}));
}

void TestForm2Behaviour::pastingLowerCaseCalculates()
{
    Window w;
    w.enter("Text3", "JN61FW");
    QLineEdit *second = w.box("Text5");
    pasteOver(second, "jn45ol");
    QCOMPARE(second->text(), QString("JN45OL"));
    QCOMPARE(w.box("Text6")->text(), QString(" 472"));
}

void TestForm2Behaviour::caretEndsAtTheEnd_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");

    QTest::newRow("first box, letter in the middle") << "Text3"
                                                     << "JN61" << 2 << "x"
                                                     << "JNX61";
    QTest::newRow("second box, letter in the middle") << "Text5"
                                                      << "JN61" << 2 << "x"
                                                      << "JNX61";
    QTest::newRow("second box, upper case in the middle") << "Text5"
                                                          << "JN61" << 1 << "A"
                                                          << "JAN61";
    QTest::newRow("accented letter is upper-cased")
        << "Text3"
        << "JN" << 2 << QString::fromUtf8("\u00e9") << QString::fromUtf8("JN\u00c9");
}

void TestForm2Behaviour::caretEndsAtTheEnd()
{
    QFETCH(QString, name);
    QFETCH(QString, before);
    QFETCH(int, caret);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    Window w;
    QLineEdit *b = w.box(name.toLatin1().constData());
    b->setText(before);
    b->setCursorPosition(caret);
    typeText(b, typed);
    QCOMPARE(b->text(), after);
    QCOMPARE(b->cursorPosition(), after.size());
    QVERIFY(!b->hasSelectedText());
}

void TestForm2Behaviour::sixCharactersStartTheCalculation_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("calculates");

    QTest::newRow("deleting the seventh") << "JN45OLX" << int(Qt::Key_Backspace) << true;
    QTest::newRow("typing a seventh") << "JN45OL" << int(Qt::Key_X) << false;
    QTest::newRow("completing a square") << "JN4" << int(Qt::Key_5) << false;
    QTest::newRow("three after the placeholder") << "...JN" << int(Qt::Key_4) << true;
}

void TestForm2Behaviour::sixCharactersStartTheCalculation()
{
    QFETCH(QString, before);
    QFETCH(int, key);
    QFETCH(bool, calculates);
    Window w;
    w.enter("Text3", "JN61FW");
    w.box("Text5")->setText(before);
    QSignalSpy calculations(w.button("Command1"), &QPushButton::clicked);
    w.box("Text5")->setCursorPosition(before.size());
    QTest::keyClick(w.box("Text5"), Qt::Key(key));
    QCOMPARE(calculations.count() > 0, calculates);
}

void TestForm2Behaviour::pointerFollowsTheAzimuth_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");

    QTest::newRow("due south") << "JN61FW"
                               << "JM61FW" << 1209.0f << 2419.0f;
    QTest::newRow("due north reads 360") << "JM61FW"
                                         << "JN61FW" << 1210.0f << 0.0f;
    QTest::newRow("identical locators read 0") << "JN61FW"
                                               << "JN61FW" << 1209.0f << 0.0f;
    QTest::newRow("same point, different texts") << "JN51"
                                                 << "JN51LL" << 0.0f << 1209.0f;
    QTest::newRow("error mark points north") << "JN5"
                                             << "JN45OL" << 1209.0f << 0.0f;
}

void TestForm2Behaviour::pointerFollowsTheAzimuth()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(float, x);
    QFETCH(float, y);
    Window w;
    w.calculate(first, second);
    QCOMPARE(w.pointer()->X2(), x);
    QCOMPARE(w.pointer()->Y2(), y);
    QCOMPARE(w.pointer()->X1(), float(kPointerCentreTwips));
    QCOMPARE(w.pointer()->Y1(), float(kPointerCentreTwips));

    // The tip tools/numbers prints for the pair.
    const std::optional<PointerTip> tip =
        shownResults(locatorUpperCase(first), locatorUpperCase(second), QLocale::c()).pointerTip;
    QVERIFY(tip);
    QCOMPARE(float(tip->x), x);
    QCOMPARE(float(tip->y), y);
}

void TestForm2Behaviour::typedDistanceFillsTheRing()
{
    Window w;
    w.box("Text6")->clear(); // one row: "..." for the second box, empty distance
    w.box("Text1")->setText("A");
    QTest::keyClicks(w.box("Text6"), "1234567");
    auto row = [](const QString &distance) { return kPlaceholder + "---" + distance + "Km---A" + kDegree; };
    QCOMPARE(w.rows(), (QStringList{kPlaceholder, row("12345"), row("123456"), row("1234567")}));
    QVERIFY(!w.label("Label5")->isHidden());
}

void TestForm2Behaviour::coordinatesFollowTheLocale()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    Window w;
    w.enter("Text3", "");
    w.enter("Text5", "JN51AB"); // six characters: calculates at once
    QCOMPARE(w.box("Text7")->text(), QString("-790,6875"));
    QCOMPARE(w.box("Text2")->text(), QString("1581,375"));
    QCOMPARE(w.box("Text4")->text(), QString("41,0625"));
    QCOMPARE(w.box("Text8")->text(), QString("-10,0416666666667"));
    QVERIFY(w.box("Text7")->isHidden());
}

QTEST_MAIN(TestForm2Behaviour)
#include "test_form2_behaviour.moc"
