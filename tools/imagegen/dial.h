// The compass dial under the azimuth pointer.
#pragma once

#include <QImage>

namespace imagegen {

// Side of the dial at scale 1, in pixels: it fills the dial box's inner area.
inline constexpr int kDialSidePx = 165;

// The dial at `scale` (1 or 2) as an 8-bit image with a 256-entry palette.
QImage drawDial(int scale);

} // namespace imagegen
