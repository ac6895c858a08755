#include "window/pointer_geometry.h"

#include <QByteArray>

#include <charconv>
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

    // from_chars reads the same whatever the C locale says; the application
    // object switches that to the user's locale, which would turn ',' into
    // the decimal point for strtod.
    double value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed);
    if (error == std::errc::result_out_of_range) {
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
