#pragma once
// Where the azimuth pointer's tip goes for the text in the azimuth box.
//
// The pointer turns about a fixed centre, 1210 twips from the left and top
// of the dial's inner area, with a length of 1210 twips, so that it reaches
// the dial's ring. The arithmetic deliberately keeps the 16-bit angle and the
// single-precision radians of the pointer's design: the tip for an upright
// pointer after a failed calculation is (1209, 0), not (1210, 0).

#include <QStringView>

#include <cstdint>
#include <optional>

inline constexpr int kPointerCentreTwips = 1210;
inline constexpr int kPointerLengthTwips = 1210;

// The number at the front of `text`: leading blanks skipped, an optional
// sign, digits with '.' as the only decimal point; anything else ends it, and
// a text with no number in front reads as 0. Empty when the number is too
// large for a double.
std::optional<double> LeadingNumber(QStringView text);

struct PointerTip {
    std::int16_t x = 0;  // twips from the left of the dial's inner area
    std::int16_t y = 0;  // twips from the top, downwards
};

// The tip for an azimuth in degrees (0 up, clockwise). Empty when the angle,
// azimuth minus 90 rounded half to even, does not fit in 16 bits.
std::optional<PointerTip> PointerTipForAzimuth(double azimuthDegrees);
