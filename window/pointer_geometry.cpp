#include "window/pointer_geometry.h"

#include <QByteArray>

#include <cmath>
#include <limits>

namespace {

constexpr double kQuarterTurnDegrees = 90; // the angle counts from east
constexpr float kSinglePi = 3.1415927f;
constexpr float kSingleHalfTurnDegrees = 180.0f;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

std::optional<double> leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;

    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    QByteArray digits;
    bool wholePartNonZero = false;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        wholePartNonZero = wholePartNonZero || text[i] != QLatin1Char('0');
        digits += text[i].toLatin1();
    }
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        digits += '.';
        for (++i; i < text.size() && isDigit(text[i]); ++i)
            digits += text[i].toLatin1();
    }
    if (digits.isEmpty() || digits == ".")
        return 0.0;

    // Qt's own conversion reads the same whatever the C locale says (the
    // application object switches that to the user's locale, which would
    // turn ',' into the decimal point for strtod), rounds correctly however
    // many digits there are, and is the same code on every system the
    // program is built for. The digits are given a whole and a fractional
    // part, which changes no value.
    if (digits.startsWith('.'))
        digits.prepend('0');
    if (digits.endsWith('.'))
        digits.append('0');
    bool ok = false;
    double value = digits.toDouble(&ok);
    if (!ok) {
        if (wholePartNonZero)
            return std::nullopt; // too large
        value = 0; // too small to tell from 0
    }
    return negative ? -value : value;
}

std::optional<PointerTip> pointerTipForAzimuth(double azimuthDegrees)
{
    // Half-to-even rounding: the default floating-point rounding mode.
    const double angle = std::nearbyint(azimuthDegrees - kQuarterTurnDegrees);
    if (!(angle >= std::numeric_limits<std::int16_t>::min() && angle <= std::numeric_limits<std::int16_t>::max())) {
        return std::nullopt;
    }
    const double factor = static_cast<double>(kSinglePi) / static_cast<double>(kSingleHalfTurnDegrees);
    const auto radians = static_cast<float>(factor * angle);
    const double r = radians;
    PointerTip tip;
    tip.x = static_cast<std::int16_t>(std::floor(kPointerLengthTwips * std::cos(r)) + kPointerCentreTwips);
    tip.y = static_cast<std::int16_t>(std::floor(kPointerLengthTwips * std::sin(r)) + kPointerCentreTwips);
    return tip;
}
