#pragma once
// Window geometry is measured in twips, 1/1440 inch: 15 twips make one
// logical pixel at 96 dots per inch. The pointer keeps its end points in
// twips of the dial's inner area, measured from its left and top edges.

inline constexpr double kTwipsPerPixel = 15.0;

// The pointer turns about this point of the dial's inner area and reaches the
// dial's ring with this length. Whole numbers, since the pointer's tip is
// worked out in 16-bit integers.
inline constexpr int kPointerCentreTwips = 1210;
inline constexpr int kPointerLengthTwips = 1210;
