// The keystroke that completes the second locator, handled as a person
// types it into the real window: upper-casing, the calculation (twice, for a
// lower-case letter), the new recent-searches row, the pointer, and a
// repaint of the whole window.

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <vector>

#include "window/form2.h"

class BenchTyping : public QObject
{
    Q_OBJECT

private slots:
    void sixthCharacter();
};

void BenchTyping::sixthCharacter()
{
    Form2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto *first = form.findChild<QLineEdit *>("Text3");
    auto *second = form.findChild<QLineEdit *>("Text5");
    auto *distance = form.findChild<QLineEdit *>("Text6");
    first->setText("JN61FW");

    // Two neighbouring sub-squares alternate, so every keystroke gives a new
    // distance and so a new row.
    const char lastLetters[2] = {'l', 'm'};
    std::vector<qint64> nanoseconds;
    int n = 0;
    QBENCHMARK
    {
        second->setText("JN45O");
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(second, lastLetters[n++ % 2]);
        form.repaint();
        nanoseconds.push_back(timer.nsecsElapsed());
    }
    QVERIFY(distance->text().startsWith(' '));

    std::sort(nanoseconds.begin(), nanoseconds.end());
    const auto at = [&](double q) {
        return nanoseconds[static_cast<std::size_t>(q * (nanoseconds.size() - 1))] / 1000.0;
    };
    qInfo("keystroke to repainted window over %zu keystrokes: median %.1f us, 99th percentile %.1f us, max %.1f us",
          nanoseconds.size(), at(0.5), at(0.99), at(1.0));
}

QTEST_MAIN(BenchTyping)
#include "bench_typing.moc"
