#pragma once
// Where the azimuth pointer's tip goes for the text in the azimuth box.
//
// The pointer turns about its centre and reaches the dial's ring (see
// twips.h). The angle is a 16-bit whole number of degrees and the radians are
// single precision, and both are kept on purpose: they decide on which twip
// the tip lands, so that an upright pointer after a failed calculation ends
// at (1209, 0), not at (1210, 0), exactly where the program has always put it.

#include <QStringView>

#include <cstdint>
#include <optional>

#include "window/twips.h"

// The number at the front of `text`: leading blanks skipped, an optional
// sign, digits with '.' as the only decimal point; anything else ends it, and
// a text with no number in front reads as 0. Empty when the number is too
// large for a double.
std::optional<double> leadingNumber(QStringView text);

struct PointerTip
{
    std::int16_t x = 0; // twips from the left of the dial's inner area
    std::int16_t y = 0; // twips from the top, downwards
};

// The tip for an azimuth in degrees (0 up, clockwise). Empty when the angle,
// azimuth minus 90 rounded half to even, does not fit in 16 bits.
std::optional<PointerTip> pointerTipForAzimuth(double azimuthDegrees);
