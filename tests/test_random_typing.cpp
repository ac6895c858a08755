// Thousands of random actions on the real window, as a person could do them
// with keyboard, mouse and clipboard, and the window's rules checked after
// every one of them.
//
// The run is seeded; the seed is printed, and a failure prints it with the
// actions that led there. To replay or to run longer:
//   TERVALO_TYPING_SEED=<seed> TERVALO_TYPING_ACTIONS=<count> TERVALO_TYPING_SECONDS=<limit> test_random_typing

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <QValidator>

#include <array>
#include <cmath>
#include <map>
#include <optional>

#include "window/form2.h"
#include "window/line_shape.h"
#include "window/locator_text.h"
#include "window/pointer_geometry.h"

#include "window_test_support.h"

namespace {

using namespace window_test;

constexpr quint64 kDefaultActions = 12000;
constexpr quint64 kDefaultSeconds = 40;
constexpr qsizetype kLongestPaste = kBulkCharacters;
// Every so many actions the window gets to repaint, as it would between
// keystrokes.
constexpr int kActionsPerRepaint = 16;

// How deep a box's change handler may run inside itself. A locator box's
// upper-casing write runs it once more; for the second box the calculation
// it starts may empty the box, which runs it a third time.
const std::map<QString, int> kDeepestChange{{"Text3", 2}, {"Text5", 3}, {"Text6", 1}};

quint64 environmentNumber(const char *name, quint64 fallback)
{
    bool ok = false;
    const quint64 value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? value : fallback;
}

QStringList characters(const QString &text)
{
    QStringList list;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        list << text.mid(i, pair ? 2 : 1);
        i += pair ? 1 : 0;
    }
    return list;
}

// What a person can type or paste, by kind, with how often each kind comes.
struct CharacterKind
{
    int weight;
    QStringList characters;
};

const std::vector<CharacterKind> &characterKinds()
{
    // Two characters of two code points each.
    static const QString thumbWithTone = QString::fromUtf8("👍🏽");
    static const QString italianFlag = QString::fromUtf8("🇮🇹");
    static const std::vector<CharacterKind> kinds{
        {40, characters("abcdefghijklmnopqrstuvwxyzJNFWOL0123456789")},
        {15, characters(" !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~ABCDEFGHIKMPQRSTUVXYZ")},
        {8, characters(QString::fromUtf8("éèàòùçñüöäÉÀØå"))},
        // Upper case longer than the letter.
        {8, characters(QString::fromUtf8("ßŉǰΐΰﬀﬁﬂﬃﬄﬅﬆևᾳῃῳẖẗẘẙẚ"))},
        {6, characters(QString::fromUtf8("𐐨𐐀𝒜😀𞤢𑢠")) << thumbWithTone << italianFlag},
        // Combining marks; the last one's upper case is a letter.
        {5, characters(QString::fromUtf8("\u0301\u0308\u0327\u20dd\u0345"))},
        {5, characters(QString::fromUtf8("אבשبلم\u200f\u202e\u202c"))},
        {3,
         QStringList{QString::fromUtf8("\u00a0"), QString::fromUtf8("\ufeff"), QString::fromUtf8("\u200d"), "\t", "\n",
                     QString(QChar(0)), QString::fromUtf8("\ufffd"), QString::fromUtf8("\u2028"),
                     QString(QChar(0xD800)), QString(QChar(0xDC00))}},
    };
    return kinds;
}

// A text as the log shows it: marks, controls and unpaired surrogates by
// their code, so that every line reads and copies alike.
QString printable(const QString &text)
{
    QString shown;
    for (const QString &character : characters(text)) {
        const char32_t code =
            character.size() == 2 ? QChar::surrogateToUcs4(character[0], character[1]) : character[0].unicode();
        const bool plain = QChar::isPrint(code) && !QChar::isMark(code) && QChar::category(code) != QChar::Other_Format
            && code != '"' && code != '\\';
        shown += plain ? character : QString("\\u{%1}").arg(uint(code), 0, 16);
    }
    return shown;
}

QString shortText(const QString &text)
{
    return QString("%1 characters \"%2%3\"")
        .arg(text.size())
        .arg(printable(text.left(24)), text.size() > 24 ? "..." : "");
}

// Keeps the change handlers' nesting in view: a box calls validate() just
// before it announces a change of its text, and the slot connected after the
// window's own handler sees the announcement end. Accepting every text
// changes nothing in how the box behaves.
class ChangeDepth : public QValidator
{
public:
    ChangeDepth(QLineEdit *box, QObject *parent)
        : QValidator(parent)
    {
        box->setValidator(this);
        connect(box, &QLineEdit::textChanged, this, [this] {
            --depth;
            ++changes;
        });
    }
    State validate(QString &, int &) const override
    {
        deepest = std::max(deepest, ++depth);
        return Acceptable;
    }
    void reset() { deepest = changes = 0; }

    mutable int depth = 0;
    mutable int deepest = 0;
    int changes = 0;
};

using Window = ShownWindow;

class RandomTyping
{
public:
    RandomTyping(Window &window, quint64 seed)
        : w(window)
        , random(seed)
    {
        for (const auto &[name, limit] : kDeepestChange)
            depths[name] = new ChangeDepth(w.box(name), &w.form);
        QObject::connect(w.box("Text6"), &QLineEdit::textChanged, &closer, [this] { addRowToModel(); });
        QObject::connect(w.button("Command1"), &QPushButton::pressed, &closer, [this] { calculationStarts(); });
        QObject::connect(w.button("Command1"), &QPushButton::clicked, &closer, [this] { ++clicks; });
        // The only message box, for an over-long first locator, is answered at once.
        QObject::connect(&closer, &QTimer::timeout, &closer, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                ++messages;
                box->button(QMessageBox::Ok)->click();
            }
        });
        closer.start(0);
        for (const char *name : {"Text1", "Text6"}) {
            userText[name] = kPlaceholder;
            QObject::connect(w.box(name), &QLineEdit::textChanged, &closer, [this, name] { ++resultChanges[name]; });
        }
    }

    // Runs one random action; an empty result means every rule still holds.
    QString step(int number)
    {
        for (auto &[name, depth] : depths)
            depth->reset();
        clicks = messages = expectedMessages = calculations = 0;
        resultChanges.clear();
        failure.clear();
        const QString action = act();
        log << QString("#%1 %2").arg(number).arg(action);
        if (number % kActionsPerRepaint == 0)
            QApplication::processEvents();
        totalCalculations += calculations;
        totalMessages += messages;
        if (calculations > 0 && w.box("Text6")->text() != kErrorMark)
            ++resultsShown;
        for (const char *name : {"Text3", "Text5", "Text6", "Text1"})
            longest = std::max(longest, w.box(name)->text().size());
        return failure.isEmpty() ? check(action) : failure;
    }

    // What the run went through, for the closing line.
    QString summary() const
    {
        return QString(
                   "%1 calculations (%2 with results), %3 over-long first locators, %4 rows, longest text %5 "
                   "characters")
            .arg(totalCalculations)
            .arg(resultsShown)
            .arg(totalMessages)
            .arg(rowChanges)
            .arg(longest);
    }

    QStringList log;

private:
    int below(qsizetype bound) { return bound <= 0 ? 0 : int(random.bounded(quint32(bound))); }
    bool chance(int percent) { return below(100) < percent; }

    QString randomCharacter()
    {
        int total = 0;
        for (const auto &kind : characterKinds())
            total += kind.weight;
        int pick = below(total);
        for (const auto &kind : characterKinds()) {
            if (pick < kind.weight)
                return kind.characters[below(kind.characters.size())];
            pick -= kind.weight;
        }
        return {};
    }

    // From empty to a megabyte, mostly short, rarely huge; long texts repeat
    // a random piece.
    QString randomText()
    {
        const int size = below(1000);
        qsizetype length = size < 700 ? below(9)
            : size < 900              ? 9 + below(56)
            : size < 985              ? 65 + below(4032)
            : size < 997              ? 4097 + below(61440)
                                      : kLongestPaste / 4 + below(kLongestPaste * 3 / 4 + 1);
        QString piece;
        while (piece.size() < std::min<qsizetype>(length, 64))
            piece += randomCharacter();
        QString text = piece;
        while (text.size() < length)
            text += piece;
        return text.left(std::min(length, kLongestPaste));
    }

    QString randomLocator()
    {
        const auto letter = [&](char last) { return QChar('A' + below(last - 'A' + 1)); };
        QString locator;
        locator += letter('R');
        locator += letter('R');
        locator += QChar('0' + below(10));
        locator += QChar('0' + below(10));
        if (chance(70)) {
            locator += letter('X');
            locator += letter('X');
        }
        return chance(50) ? locator.toLower() : locator;
    }

    // A caret position a person can reach: between whole characters.
    int caretIn(const QString &text)
    {
        int position = below(text.size() + 1);
        const int from = std::max(0, position - 32);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.mid(from, 64));
        finder.setPosition(position - from);
        if (!finder.isAtBoundary())
            finder.toPreviousBoundary();
        return from + std::max<qsizetype>(0, finder.position());
    }

    QString act()
    {
        const int which = below(100);
        if (which < 10) {
            QTest::mouseClick(w.button("Command1"), Qt::LeftButton);
            return "click Calcola";
        }
        const bool locatorPaste = which >= 76 && which < 86;
        const QString name = std::array{"Text3", "Text5", "Text3", "Text5", "Text5",
                                        "Text3", "Text5", "Text6", "Text6", "Text1"}[below(locatorPaste ? 2 : 10)];
        QLineEdit *box = w.box(name);
        const QString before = box->text();
        const int caret = caretIn(before);
        box->setCursorPosition(caret);
        QString done = QString("%1: caret at %2, ").arg(name).arg(caret);

        const auto select = [&] {
            const int other = caretIn(before);
            box->setSelection(std::min(caret, other), std::abs(other - caret));
            done += QString("select %1..%2, ").arg(std::min(caret, other)).arg(std::max(caret, other));
        };
        const auto key = [&](Qt::Key pressed, const char *what) {
            QTest::keyClick(box, pressed);
            done += what;
        };
        const auto keys = [&](QKeySequence::StandardKey sequence, const char *what) {
            QTest::keySequence(box, sequence);
            done += what;
        };
        const auto type = [&](const QString &typed) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
            QApplication::sendEvent(box, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, typed);
            QApplication::sendEvent(box, &release);
            done += QString("type \"%1\"").arg(printable(typed));
        };
        const auto pasteText = [&](const QString &text) {
            paste(box, text);
            done += "paste " + shortText(text);
        };

        if (which < 42) {
            type(randomCharacter());
        } else if (which < 50) {
            key(Qt::Key_Backspace, "Backspace");
        } else if (which < 56) {
            key(Qt::Key_Delete, "Delete");
        } else if (which < 64) {
            select();
            type(randomCharacter());
        } else if (which < 76) {
            if (chance(50))
                select();
            pasteText(randomText());
        } else if (locatorPaste) {
            // Mostly over the whole text, and now and then the locator of
            // the other box, so that calculations succeed and meet both
            // locators alike.
            if (chance(80)) {
                box->selectAll();
                done += "select all, ";
            }
            pasteText(chance(20) ? lastLocator : (lastLocator = randomLocator()));
        } else if (which < 90) {
            select();
            key(Qt::Key_Delete, "Delete");
        } else if (which < 94) {
            select();
            keys(QKeySequence::Cut, "cut");
        } else {
            keys(QKeySequence::Undo, "undo");
        }
        return done;
    }

    void calculationStarts()
    {
        if (w.box("Text5")->text() == kPlaceholder)
            return;
        ++calculations;
        if (codePointCount(w.box("Text3")->text()) > 6)
            ++expectedMessages;
    }

    // The ring as a plain list of changes: the n-th change of the distance
    // box writes the row into label (n - 1) mod 4 and empties the label after
    // it, which shows "..." once it has been shown.
    void addRowToModel()
    {
        const QString row =
            w.box("Text5")->text() + "---" + w.box("Text6")->text() + "Km---" + w.box("Text1")->text() + kDegree;
        const int slot = rowChanges++ % 4;
        rows[slot] = row;
        shown[slot] = true;
        rows[(slot + 1) % 4] = kPlaceholder;
        if (failure.isEmpty())
            failure = checkRows("right after the distance changed");
    }

    QString checkRows(const QString &when)
    {
        QLabel *heading = w.label("Label5");
        if (heading->isHidden() == (rowChanges > 0))
            return "heading shown wrongly " + when;
        for (int i = 0; i < 4; ++i) {
            QLabel *label = w.label(QString("Label%1").arg(6 + i));
            if (label->isHidden() == shown[i])
                return QString("Label%1 %2 %3").arg(6 + i).arg(shown[i] ? "hidden" : "shown").arg(when);
            if (label->text() != rows[i])
                return QString("Label%1 reads %2, expected %3 %4")
                    .arg(6 + i)
                    .arg(shortText(label->text()), shortText(rows[i]), when);
        }
        return {};
    }

    bool isResult(const QString &text, int largest)
    {
        static const QRegularExpression number("^ ([0-9]{1,5})$");
        const QRegularExpressionMatch match = number.match(text);
        return text == kErrorMark || (match.hasMatch() && match.captured(1).toInt() <= largest);
    }

    QString check(const QString &action)
    {
        for (const char *name : {"Text3", "Text5"}) {
            QLineEdit *box = w.box(name);
            const QString text = box->text();
            if (locatorUpperCase(text) != text)
                return QString("%1 not in upper case: %2").arg(name, shortText(text));
            if (depths[name]->changes > 0 && (box->cursorPosition() != text.size() || box->hasSelectedText()))
                return QString("%1: caret at %2 of %3 after a change")
                    .arg(name)
                    .arg(box->cursorPosition())
                    .arg(text.size());
        }
        for (const auto &[name, depth] : depths) {
            if (depth->deepest > kDeepestChange.at(name))
                return QString("%1's change handler nested %2 deep").arg(name).arg(depth->deepest);
            if (depth->depth != 0)
                return QString("%1's changes did not all end").arg(name);
        }
        if (depths["Text6"]->changes > 1)
            return QString("%1 rows added by one action").arg(depths["Text6"]->changes);
        if (clicks > 2)
            return QString("%1 calculations in one action").arg(clicks);
        if (messages != expectedMessages)
            return QString("%1 message boxes, expected %2").arg(messages).arg(expectedMessages);
        for (const char *name : {"Text2", "Text4", "Text7", "Text8"})
            if (w.box(name)->isVisible() || !w.box(name)->isHidden())
                return QString("%1 shown").arg(name);
        if (w.button("Command3")->isVisible() || !w.button("Command3")->isHidden())
            return "Command3 shown";
        if (const QString rowProblem = checkRows("after the action"); !rowProblem.isEmpty())
            return rowProblem;

        LineShape *line = w.pointer();
        const double reach = std::hypot(line->X2() - kPointerCentreTwips, line->Y2() - kPointerCentreTwips);
        if (line->X1() != kPointerCentreTwips || line->Y1() != kPointerCentreTwips
            || std::abs(reach - kPointerLengthTwips) > 1.5)
            return QString("pointer from (%1, %2) to (%3, %4)")
                .arg(line->X1())
                .arg(line->Y1())
                .arg(line->X2())
                .arg(line->Y2());

        const QString azimuth = w.box("Text1")->text();
        const QString distance = w.box("Text6")->text();
        // What the user typed into a result box stands until the program
        // writes there.
        for (const auto &[name, text] : {std::pair{"Text1", azimuth}, {"Text6", distance}}) {
            if (action.startsWith(name))
                userText[name] = text;
            else if (resultChanges[name] > 0)
                userText[name].reset();
        }
        const bool azimuthOk = isResult(azimuth, 360) || azimuth == "0" || azimuth == userText["Text1"];
        const bool distanceOk = isResult(distance, 20040) || distance == userText["Text6"];
        if (!azimuthOk || !distanceOk)
            return QString("results read %1 and %2").arg(shortText(azimuth), shortText(distance));

        if (calculations > 0) {
            const QString first = w.box("Text3")->text();
            const QString second = w.box("Text5")->text();
            if ((azimuth == kErrorMark) != (distance == kErrorMark))
                return "only one result is the error mark";
            if (distance == kErrorMark && !(first.isEmpty() && second.isEmpty()))
                return "locators kept after an error";
            if (distance != kErrorMark && (azimuth == "0") != (first == second))
                return "azimuth 0 does not match the locators";
            const std::optional<double> number = leadingNumber(azimuth);
            const std::optional<PointerTip> tip = number ? pointerTipForAzimuth(*number) : std::nullopt;
            if (!tip || line->X2() != tip->x || line->Y2() != tip->y)
                return "pointer does not show the azimuth";
        }
        const bool calculatingAction = action.startsWith("click") || action.startsWith("Text5");
        if (!calculatingAction && clicks > 0)
            return "calculated without a click or a change of the second locator";
        if (depths["Text5"]->changes > 0 && codePointCount(w.box("Text5")->text()) == 6 && clicks == 0)
            return "six characters in the second locator, no calculation";
        return {};
    }

    Window &w;
    QRandomGenerator random;
    // Answers message boxes; also the context of every connection made here,
    // so that none outlives this object.
    QTimer closer;
    std::map<QString, ChangeDepth *> depths;
    std::map<QString, std::optional<QString>> userText;
    std::map<QString, int> resultChanges;
    std::array<QString, 4> rows{kPlaceholder, kPlaceholder, kPlaceholder, kPlaceholder};
    std::array<bool, 4> shown{};
    int rowChanges = 0;
    int clicks = 0;
    int calculations = 0;
    int messages = 0;
    int expectedMessages = 0;
    QString failure;
    QString lastLocator;
    int totalCalculations = 0;
    int totalMessages = 0;
    int resultsShown = 0;
    qsizetype longest = 0;
};

} // namespace

class TestRandomTyping : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void rulesHoldAfterEveryAction();
};

// The offscreen platform warns each time the message box opens; that says
// nothing about the window.
QtMessageHandler chainedHandler = nullptr;
void dropPlatformNotices(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.contains("does not support propagateSizeHints"))
        return;
    chainedHandler(type, context, message);
}

void TestRandomTyping::rulesHoldAfterEveryAction()
{
    chainedHandler = qInstallMessageHandler(dropPlatformNotices);
    const auto restore = qScopeGuard([] { qInstallMessageHandler(chainedHandler); });
    const quint64 seed = environmentNumber("TERVALO_TYPING_SEED", QRandomGenerator::system()->generate64());
    const quint64 actions = environmentNumber("TERVALO_TYPING_ACTIONS", kDefaultActions);
    const quint64 seconds = environmentNumber("TERVALO_TYPING_SECONDS", kDefaultSeconds);
    qInfo("seed %llu, up to %llu actions or %llu s", seed, actions, seconds);

    Window w;
    RandomTyping typing(w, seed);
    QElapsedTimer timer;
    timer.start();
    quint64 done = 0;
    while (done < actions && quint64(timer.elapsed()) < seconds * 1000) {
        const QString failure = typing.step(int(++done));
        if (failure.isEmpty())
            continue;
        const QString path = QDir::temp().filePath(QString("tervalo-random-typing-%1.txt").arg(seed));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Text))
            file.write(typing.log.join('\n').toUtf8() + '\n');
        qInfo("seed %llu, action %llu; the last actions (all of them in %s):\n%s", seed, done, qPrintable(path),
              qPrintable(typing.log.mid(std::max<qsizetype>(0, typing.log.size() - 30)).join('\n')));
        QFAIL(qPrintable(QString("after action %1 of seed %2: %3").arg(done).arg(seed).arg(failure)));
    }
    qInfo("%llu actions in %lld ms: %s", done, static_cast<long long>(timer.elapsed()), qPrintable(typing.summary()));
}

QTEST_MAIN(TestRandomTyping)
#include "test_random_typing.moc"
