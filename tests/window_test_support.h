#pragma once
// Facts of the window that several tests check against, stated once.

#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTest>

#include "window/form2.h"
#include "window/line_shape.h"

namespace window_test {

// Window geometry is stated in twips; 15 make one logical pixel.
inline constexpr double kTwipsPerPixel = 15.0;
// The sunken border of both picture boxes.
inline constexpr int kBorderPixels = 2;
// The pointer's pivot and length, in twips of the dial's inner area.
inline constexpr double kPointerCentreTwips = 1210.0;
inline constexpr double kPointerLengthTwips = 1210.0;

inline const QRgb kPureRed = qRgb(255, 0, 0);
inline const QRgb kPureBlue = qRgb(0, 0, 255);

// The degree sign that ends every recent-searches row.
inline const QString kDegree = QString(QChar(0x00B0));

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

// The real window, shown (offscreen in the tests), with its controls found
// by their designer names.
class ShownWindow {
public:
    ShownWindow() {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    QLineEdit* box(const QString& name) { return form.findChild<QLineEdit*>(name); }
    QLabel* label(const QString& name) { return form.findChild<QLabel*>(name); }
    QPushButton* button(const QString& name) { return form.findChild<QPushButton*>(name); }
    LineShape* pointer() { return form.findChild<LineShape*>("linAngleLine"); }

    Form2 form;
};

}  // namespace window_test
