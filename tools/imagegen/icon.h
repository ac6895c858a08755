// The program's icon: a round compass with a light-blue bezel, a white face,
// four dark dots at the cardinal points and a diagonal needle, red towards the
// upper left and blue towards the lower right.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

namespace imagegen {

// The icon drawn for a `size` x `size` pixel grid (premultiplied ARGB). Small
// sizes use their own pixel-aligned layout rather than a shrunken large one.
QImage drawIcon(int size);

// An ICO file: a 24 x 24 entry in 256 colours with a 1-bit transparency mask,
// then 32-bit entries with alpha for every size of `sizes` (a 256 entry is
// stored PNG-compressed, as the format allows).
QByteArray encodeIco(const QList<int> &sizes);

// The design as hand-written scalable vector text.
QByteArray iconSvg();

} // namespace imagegen
