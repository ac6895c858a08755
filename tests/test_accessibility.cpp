// What assistive technology learns about the window: the Italian names,
// roles and descriptions of its controls, the recent-searches rows read in
// order under their heading, and the tab cycle followed by the focus that a
// screen reader announces.

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "window/form2.h"

#include "window_test_support.h"

namespace {

using namespace window_test;

QAccessibleInterface *accessibleOf(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// Replaces a locator box's text as a user would: empty it, then type.
void typeLocator(Form2 &form, const QString &box, const QString &text)
{
    auto *edit = form.findChild<QLineEdit *>(box);
    QVERIFY(edit);
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace

Q_DECLARE_METATYPE(QAccessible::Role)

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void textBoxesLabelledByCaptions_data();
    void textBoxesLabelledByCaptions();
    void everyShownControlHasAName();
    void hiddenControlsAreNotPresented();
    void recentSearchRows_data();
    void recentSearchRows();
    void tabCycle_data();
    void tabCycle();
};

void TestAccessibility::controls_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("described");

    QTest::newRow("first locator box") << "Text3" << QAccessible::EditableText << "Locatore 1" << false;
    QTest::newRow("second locator box") << "Text5" << QAccessible::EditableText << "Locatore 2" << false;
    QTest::newRow("distance box") << "Text6" << QAccessible::EditableText << "Km" << false;
    QTest::newRow("azimuth box") << "Text1" << QAccessible::EditableText << "Puntamento" << false;
    QTest::newRow("calculate button") << "Command1" << QAccessible::Button << "Calcola" << false;
    QTest::newRow("exit button") << "Command2" << QAccessible::Button << "Esci" << false;
    QTest::newRow("side picture") << "Picture1" << QAccessible::Graphic << "Fotografia di una bussola" << true;
    QTest::newRow("dial") << "picCanvase" << QAccessible::Graphic << "Quadrante della bussola con il puntamento"
                          << true;
    QTest::newRow("first locator caption") << "Label1" << QAccessible::StaticText << "Locatore 1" << false;
    QTest::newRow("azimuth caption") << "Label4" << QAccessible::StaticText << "Puntamento" << false;
}

void TestAccessibility::controls()
{
    QFETCH(QString, control);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QFETCH(bool, described);

    ShownWindow shownWindow;
    Form2 &form = shownWindow.form;

    QObject *widget = form.findChild<QWidget *>(control);
    QVERIFY(widget);
    QAccessibleInterface *iface = accessibleOf(widget);
    QVERIFY(iface);
    QCOMPARE(iface->role(), role);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QVERIFY(!iface->state().invisible);
    if (described)
        QVERIFY(!iface->text(QAccessible::Description).isEmpty());
    // Each control is reachable from the window's own interface.
    QVERIFY(accessibleOf(&form)->indexOfChild(iface) >= 0);
}

// A screen reader reads a text box's caption from the label relation.
void TestAccessibility::textBoxesLabelledByCaptions_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("caption");

    QTest::newRow("first locator") << "Text3"
                                   << "Label1";
    QTest::newRow("second locator") << "Text5"
                                    << "Label2";
    QTest::newRow("distance") << "Text6"
                              << "Label3";
    QTest::newRow("azimuth") << "Text1"
                             << "Label4";
}

void TestAccessibility::textBoxesLabelledByCaptions()
{
    QFETCH(QString, box);
    QFETCH(QString, caption);

    Form2 form;
    auto *edit = form.findChild<QLineEdit *>(box);
    auto *label = form.findChild<QLabel *>(caption);
    QVERIFY(edit && label);

    const auto relations = accessibleOf(edit)->relations(QAccessible::Label);
    QCOMPARE(relations.size(), 1);
    QCOMPARE(relations.first().first->object(), label);
    // The value stays the box's text, apart from its name.
    QCOMPARE(accessibleOf(edit)->text(QAccessible::Value), edit->text());
}

void TestAccessibility::everyShownControlHasAName()
{
    ShownWindow shownWindow;
    Form2 &form = shownWindow.form;

    QAccessibleInterface *window = accessibleOf(&form);
    QCOMPARE(window->text(QAccessible::Name), form.windowTitle());
    int shown = 0;
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface *child = window->child(i);
        if (child->state().invisible)
            continue;
        ++shown;
        QVERIFY2(!child->text(QAccessible::Name).trimmed().isEmpty(), qPrintable(child->object()->objectName()));
    }
    // Picture1, four captions, four text boxes, two buttons and the dial.
    QCOMPARE(shown, 12);
}

void TestAccessibility::hiddenControlsAreNotPresented()
{
    ShownWindow shownWindow;
    Form2 &form = shownWindow.form;
    for (const char *name : {"Text2", "Text4", "Text7", "Text8", "Command3", "Label5", "Label6"}) {
        QObject *widget = form.findChild<QWidget *>(QLatin1String(name));
        QVERIFY(widget);
        QVERIFY2(accessibleOf(widget)->state().invisible, name);
    }
}

void TestAccessibility::recentSearchRows_data()
{
    QTest::addColumn<int>("calculations");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("description");

    QTest::newRow("first row") << 1 << "Label6"
                               << "Ultime ricerche, riga 1 di 4";
    QTest::newRow("second row") << 2 << "Label7"
                                << "Ultime ricerche, riga 2 di 4";
    QTest::newRow("third row") << 3 << "Label8"
                               << "Ultime ricerche, riga 3 di 4";
    QTest::newRow("fourth row") << 4 << "Label9"
                                << "Ultime ricerche, riga 4 di 4";
}

// The row that a calculation has just filled is read as its caption,
// described as its place in the list, and comes after the heading and after
// the row above it in the order a screen reader walks the window.
void TestAccessibility::recentSearchRows()
{
    QFETCH(int, calculations);
    QFETCH(QString, row);
    QFETCH(QString, description);

    ShownWindow shownWindow;
    Form2 &form = shownWindow.form;
    typeLocator(form, "Text3", "JN61FW");
    const QStringList seconds{"JN45OL", "JO62QM", "IO91WM", "KN41KS"};
    for (const QString &second : seconds.first(calculations))
        typeLocator(form, "Text5", second);

    auto *label = form.findChild<QLabel *>(row);
    auto *heading = form.findChild<QLabel *>("Label5");
    QVERIFY(label && heading);
    QVERIFY(label->isVisible());
    QVERIFY(label->text().startsWith(seconds.at(calculations - 1)));

    QAccessibleInterface *iface = accessibleOf(label);
    QCOMPARE(iface->role(), QAccessible::StaticText);
    QCOMPARE(iface->text(QAccessible::Name), label->text());
    QCOMPARE(iface->text(QAccessible::Description), description);
    QVERIFY(!iface->state().invisible);

    QAccessibleInterface *window = accessibleOf(&form);
    QAccessibleInterface *headingIface = accessibleOf(heading);
    QVERIFY(!headingIface->state().invisible);
    QCOMPARE(headingIface->text(QAccessible::Name), QStringLiteral("Ultime ricerche"));
    const int rowIndex = window->indexOfChild(iface);
    QVERIFY(window->indexOfChild(headingIface) < rowIndex);
    // Rows 1 to 4 follow one another directly.
    const int rowNumber = description.section(QLatin1Char(' '), 3, 3).toInt();
    QCOMPARE(window->indexOfChild(accessibleOf(form.findChild<QLabel *>("Label6"))) + rowNumber - 1, rowIndex);
}

void TestAccessibility::tabCycle_data()
{
    QTest::addColumn<int>("presses");
    QTest::addColumn<QString>("name");

    QTest::newRow("window opens on the side picture") << 0 << "Fotografia di una bussola";
    QTest::newRow("first Tab reaches the azimuth") << 1 << "Puntamento";
    QTest::newRow("second Tab reaches the first locator") << 2 << "Locatore 1";
    QTest::newRow("third Tab reaches the second locator") << 3 << "Locatore 2";
    QTest::newRow("fourth Tab reaches the distance") << 4 << "Km";
    QTest::newRow("fifth Tab reaches Calcola") << 5 << "Calcola";
    QTest::newRow("sixth Tab reaches Esci") << 6 << "Esci";
    QTest::newRow("seventh Tab reaches the dial") << 7 << "Quadrante della bussola con il puntamento";
    QTest::newRow("eighth Tab comes back to the side picture") << 8 << "Fotografia di una bussola";
}

// The control that holds the focus is the one the window reports as its
// focused child, under the name a screen reader says.
void TestAccessibility::tabCycle()
{
    QFETCH(int, presses);
    QFETCH(QString, name);

    Form2 form;
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    for (int i = 0; i < presses; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);

    QAccessibleInterface *focused = accessibleOf(&form)->focusChild();
    QVERIFY(focused);
    QVERIFY(focused->state().focused);
    QCOMPARE(focused->object(), QApplication::focusWidget());
    QCOMPARE(focused->text(QAccessible::Name), name);
}

QTEST_MAIN(TestAccessibility)

#include "test_accessibility.moc"
