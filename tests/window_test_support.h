#pragma once
// Facts of the window that several tests check against, stated once.

#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPoint>
#include <QPushButton>
#include <QString>
#include <QTest>

#include "window/form2.h"
#include "window/line_shape.h"
#include "window/twips.h"

namespace window_test {

// The sunken border of both picture boxes.
inline constexpr int kBorderPixels = 2;
inline const QRgb kPureRed = qRgb(255, 0, 0);
inline const QRgb kPureBlue = qRgb(0, 0, 255);

// The degree sign that ends every recent-searches row.
inline const QString kDegree = QString(QChar(0x00B0));

// What the locator and result boxes and the recent-searches rows show before
// anything has been entered.
inline const QString kPlaceholder = QStringLiteral("...");
// The azimuth and distance boxes' answer to locators that cannot be used.
inline const QString kErrorMark = QStringLiteral("??????");

// Every text box keeps at most this many characters, the toolkit's own
// default limit; a longer paste is cut there.
inline constexpr qsizetype kTextBoxMaxCharacters = 32767;

// Length of the huge texts that tests paste: a megabyte, or a sixteenth of
// it in a sanitized build, where every allocation is checked and laying out
// a megabyte of text takes minutes.
#ifdef TERVALO_SANITIZED
inline constexpr qsizetype kBulkCharacters = qsizetype(1) << 16;
#else
inline constexpr qsizetype kBulkCharacters = qsizetype(1) << 20;
#endif

// A colour as "(r, g, b)", so that a failed pixel check says what it saw.
inline QString rgbText(QRgb colour)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(colour)).arg(qGreen(colour)).arg(qBlue(colour));
}

// Top-left corner of a picture box's inner area, in window pixels.
inline QPoint innerOrigin(const QWidget *box)
{
    return box->geometry().topLeft() + QPoint(kBorderPixels, kBorderPixels);
}

// Types any text, also characters that have no key of their own.
inline void typeText(QWidget *widget, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
}

// Pastes `text` with the keyboard, at the caret or over the selection, in one
// change. An empty text deletes the selection.
inline void paste(QLineEdit *box, const QString &text)
{
    QApplication::clipboard()->setText(text);
    QTest::keySequence(box, QKeySequence::Paste);
}

// Replaces a box's whole text in one change, as a person selecting all and
// pasting (or deleting).
inline void pasteOver(QLineEdit *box, const QString &text)
{
    box->selectAll();
    paste(box, text);
}

// The real window, shown (offscreen in the tests), with its controls found
// by their designer names.
class ShownWindow
{
public:
    ShownWindow()
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    QLineEdit *box(const QString &name) { return form.findChild<QLineEdit *>(name); }
    QLabel *label(const QString &name) { return form.findChild<QLabel *>(name); }
    QPushButton *button(const QString &name) { return form.findChild<QPushButton *>(name); }
    LineShape *pointer() { return form.findChild<LineShape *>("linAngleLine"); }

    Form2 form;
};

} // namespace window_test
