#include "window/number_text.h"

namespace {

constexpr int kSignificantDigits = 15;

} // namespace

QString generalText(double value, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    // Adding zero turns a negative zero into zero: no "-0".
    return plain.toString(value + 0.0, 'g', kSignificantDigits);
}

QString signPositionText(double value)
{
    const double magnitude = value < 0 ? -value : value + 0.0;
    const QString digits = generalText(magnitude, QLocale::c());
    return (value < 0 ? QLatin1Char('-') : QLatin1Char(' ')) + digits;
}
