#include "window/number_text.h"

namespace {

constexpr int kSignificantDigits = 15;

}  // namespace

QString GeneralText(double value, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    // Adding zero turns a negative zero into zero: no "-0".
    return plain.toString(value + 0.0, 'g', kSignificantDigits);
}

QString SignPositionText(double value) {
    const double magnitude = value < 0 ? -value : value + 0.0;
    const QString digits = GeneralText(magnitude, QLocale::c());
    return (value < 0 ? QLatin1Char('-') : QLatin1Char(' ')) + digits;
}
