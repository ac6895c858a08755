// The program's icon: a round compass with a light-blue bezel, a white face,
// four dark dots at the cardinal points and a diagonal needle, red towards the
// upper left and blue towards the lower right.
#pragma once

#include <QByteArray>
#include <QImage>

namespace imagegen {

// The icon drawn for a `size` x `size` pixel grid (premultiplied ARGB). Small
// sizes use their own pixel-aligned layout rather than a shrunken large one.
QImage drawIcon(int size);

// The icon at `size` in at most 256 colours for old screens: entry 0 of the
// colour table is clear, every other entry opaque; a pixel is clear where the
// drawn icon is less than half opaque, else it takes the nearest opaque colour
// (the closest colours are merged when the drawing has more than fit).
QImage indexedIcon(int size);

// The design as hand-written scalable vector text.
QByteArray iconSvg();

} // namespace imagegen
