#pragma once
// The two ways the window writes numbers into its text boxes.

#include <QLocale>
#include <QString>

// Sign-position form, for the azimuth and distance boxes: one blank in front
// of a zero or positive number, a minus sign there for a negative one, and a
// point as the decimal separator whatever the locale (" 328", " 0").
QString signPositionText(double value);

// General form, for the coordinate boxes: at most 15 significant digits, no
// trailing zeros, no group separators, no leading blank, and the decimal
// separator of `locale` ("41.0625", or "41,0625" on an Italian system).
QString generalText(double value, const QLocale &locale = QLocale::system());
