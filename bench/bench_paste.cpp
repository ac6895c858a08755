// A large paste into a locator box followed by "Calcola", against the same
// paste into a bare text box with the toolkit's default limit: wall time of
// the paste, the calculation and the repaint, and the process's peak
// resident memory. One measurement per process, so that each peak is its own;
// `make bench` runs it for 1, 10 and 50 MB.
//
//   bench_paste Text3|Text5|bare MEGABYTES

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <memory>

#include "window/form2.h"

namespace {

constexpr qsizetype kCharactersPerMegabyte = qsizetype(1) << 20;

long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: bench_paste Text3|Text5|bare MEGABYTES\n");
        return 2;
    }
    const QString target = args.at(1);
    const qsizetype characters = args.at(2).toLongLong() * kCharactersPerMegabyte;

    std::unique_ptr<QWidget> window;
    QLineEdit *box = nullptr;
    QPushButton *calculate = nullptr;
    if (target == QLatin1String("bare")) {
        window = std::make_unique<QWidget>();
        window->resize(120, 40);
        box = new QLineEdit(window.get());
        box->setGeometry(0, 0, 81, 25);
    } else {
        auto form = std::make_unique<Form2>();
        form->findChild<QLineEdit *>("Text3")->setText("JN61FW");
        form->findChild<QLineEdit *>("Text5")->setText("JN45OL");
        box = form->findChild<QLineEdit *>(target);
        calculate = form->findChild<QPushButton *>("Command1");
        window = std::move(form);
    }
    if (!box) {
        std::fprintf(stderr, "bench_paste: no box %s\n", qPrintable(target));
        return 2;
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return 1;

    QApplication::clipboard()->setText(QString("jn61fw").repeated(characters / 6 + 1).left(characters));
    const long baseKiB = peakResidentKiB();

    QElapsedTimer timer;
    timer.start();
    box->selectAll();
    box->paste();
    const qsizetype kept = box->text().size();
    if (calculate) {
        // A first locator this long is answered with a message box first;
        // it is closed as soon as it shows, as a person would close it.
        QTimer::singleShot(0, [] {
            if (QWidget *box = QApplication::activeModalWidget())
                box->close();
        });
        calculate->click();
    }
    window->repaint();
    const qint64 ms = timer.elapsed();

    std::printf(
        "%-5s %3lld MB: %6lld ms, peak RSS %7ld KiB (%ld KiB before the paste), the paste kept %lld characters\n",
        qPrintable(target), static_cast<long long>(characters / kCharactersPerMegabyte), static_cast<long long>(ms),
        peakResidentKiB(), baseKiB, static_cast<long long>(kept));
    return 0;
}
