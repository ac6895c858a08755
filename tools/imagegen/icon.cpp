#include "icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <climits>
#include <cmath>
#include <map>

namespace imagegen {

namespace {

const QColor kBezelLight(0xa8, 0xdb, 0xf5);
const QColor kBezelDark(0x5c, 0xb0, 0xe2);
const QColor kBezelEdge(0x2c, 0x6e, 0xa0); // keeps the round edge visible on light panels
const QColor kFace(0xff, 0xff, 0xff);
const QColor kFaceShade(0xe4, 0xea, 0xf0); // the face darkens a touch under the bezel
const QColor kDot(0x26, 0x2e, 0x38);
const QColor kNeedleRed(0xd7, 0x26, 0x26);
const QColor kNeedleBlue(0x1f, 0x4e, 0xc8);
const QColor kPin(0x26, 0x2e, 0x38);

// Where everything sits, in pixels of the target grid. The centre lies on a
// pixel corner (all sizes are even), so whole-pixel shapes are symmetric.
struct Layout
{
    double outerRadius; // bezel outline, outside edge
    double bezelWidth; // bezel including its outline
    double edgeWidth; // the dark outline of the bezel
    double dotSize; // side of a square dot (small sizes) or diameter
    double dotDistance; // from the centre to the middle of a dot
    bool pixelArt; // dots and needle set as whole pixels (small sizes)
    double needleLength; // from the centre to either tip
    double needleHalfWidth;
    double pinRadius;
};

// Small sizes: the needle is a staircase of whole pixels along the diagonal,
// one pixel either side of it up to `wideUntil` from the centre (two up to
// `widerUntil`), a single pixel wide beyond, and a dark pin on the two pixels
// across the centre.
struct PixelNeedle
{
    double length;
    double wideUntil;
    double widerUntil;
};

// The small sizes are laid out by hand on their pixel grid; the large ones
// follow the proportions of the 256-pixel design (and of the SVG).
Layout layoutFor(int size)
{
    switch (size) {
    case 16:
        return {7.5, 2.0, 1.0, 2, 4.0, true, 0, 0, 0};
    case 24:
        return {11.5, 3.0, 1.0, 2, 6.0, true, 0, 0, 0};
    case 32:
        return {15.5, 3.5, 1.0, 2, 9.0, true, 0, 0, 0};
    default:
        break;
    }
    const double s = size / 256.0;
    return {124 * s, 26 * s, 5 * s, 16 * s, 72 * s, false, 84 * s, 17 * s, 9 * s};
}

PixelNeedle pixelNeedleFor(int size)
{
    switch (size) {
    case 16:
        return {4.0, 2.0, 0};
    case 24:
        return {6.0, 3.0, 0};
    default:
        return {8.5, 5.0, 2.0};
    }
}

// Sets the needle pixel by pixel: `along` runs down the diagonal from the
// upper left through the centre, `across` counts pixels off it.
void drawPixelNeedle(QImage &image, const PixelNeedle &n)
{
    const double c = image.width() / 2.0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const double along = ((x + 0.5) + (y + 0.5)) / 2 - c;
            const int across = std::abs(x - y);
            const double reach = std::abs(along);
            if (reach > n.length)
                continue;
            const int halfWidth = reach <= n.widerUntil ? 2 : reach <= n.wideUntil ? 1 : 0;
            if (across > halfWidth)
                continue;
            const bool pin = along == 0 && across == 1;
            const QColor colour = pin ? kPin : along < 0 ? kNeedleRed : kNeedleBlue;
            image.setPixel(x, y, colour.rgba());
        }
    }
}

} // namespace

QImage drawIcon(int size)
{
    const Layout l = layoutFor(size);
    const double c = size / 2.0;
    const QPointF centre(c, c);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);

    // Bezel: outline disc, then the light-blue ring lit from the upper left.
    p.setBrush(kBezelEdge);
    p.drawEllipse(centre, l.outerRadius, l.outerRadius);
    const double ringOuter = l.outerRadius - l.edgeWidth;
    QRadialGradient bezel(centre, ringOuter, QPointF(c - ringOuter / 2, c - ringOuter / 2));
    bezel.setColorAt(0, kBezelLight);
    bezel.setColorAt(1, kBezelDark);
    p.setBrush(bezel);
    p.drawEllipse(centre, ringOuter, ringOuter);

    // Face.
    const double faceRadius = l.outerRadius - l.bezelWidth;
    QRadialGradient face(centre, faceRadius);
    face.setColorAt(0.8, kFace);
    face.setColorAt(1, size >= 48 ? kFaceShade : kFace);
    p.setBrush(face);
    p.drawEllipse(centre, faceRadius, faceRadius);

    // Dots at north, east, south and west.
    p.setBrush(kDot);
    const QPointF offsets[] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
    for (const QPointF &o : offsets) {
        const QPointF m = centre + o * l.dotDistance;
        const QRectF r(m.x() - l.dotSize / 2, m.y() - l.dotSize / 2, l.dotSize, l.dotSize);
        if (l.pixelArt)
            p.fillRect(r, kDot);
        else
            p.drawEllipse(r);
    }

    if (l.pixelArt) {
        p.end();
        drawPixelNeedle(image, pixelNeedleFor(size));
        return image;
    }

    // Needle on the diagonal: two triangles sharing the waist across the centre.
    const double d = std::sqrt(0.5);
    const QPointF alongUpLeft(-d, -d);
    const QPointF across(d, -d);
    const QPointF waistA = centre + across * l.needleHalfWidth;
    const QPointF waistB = centre - across * l.needleHalfWidth;
    QPainterPath red;
    red.moveTo(centre + alongUpLeft * l.needleLength);
    red.lineTo(waistA);
    red.lineTo(waistB);
    red.closeSubpath();
    QPainterPath blue;
    blue.moveTo(centre - alongUpLeft * l.needleLength);
    blue.lineTo(waistA);
    blue.lineTo(waistB);
    blue.closeSubpath();
    p.fillPath(red, kNeedleRed);
    p.fillPath(blue, kNeedleBlue);
    p.setBrush(kPin);
    p.drawEllipse(centre, l.pinRadius, l.pinRadius);
    return image;
}

namespace {

constexpr int kAlphaOpaqueFrom = 128; // the cut between shown and clear pixels

int colourDistance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

// Colours of the opaque pixels; if there are more than fit in the table, the
// closest pair is merged until they fit (a few hundred pixels at most).
QList<QRgb> opaquePalette(const QImage &argb, int capacity)
{
    std::map<QRgb, int> counts;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) >= kAlphaOpaqueFrom)
                ++counts[argb.pixel(x, y) | 0xff000000u];
    QList<QRgb> colours;
    for (const auto &entry : counts)
        colours.append(entry.first);
    while (colours.size() > capacity) {
        int bi = 0, bj = 1, best = INT_MAX;
        for (int i = 0; i < colours.size(); ++i)
            for (int j = i + 1; j < colours.size(); ++j)
                if (const int dd = colourDistance(colours[i], colours[j]); dd < best) {
                    best = dd;
                    bi = i;
                    bj = j;
                }
        const QRgb a = colours[bi], b = colours[bj];
        colours[bi] = qRgb((qRed(a) + qRed(b)) / 2, (qGreen(a) + qGreen(b)) / 2, (qBlue(a) + qBlue(b)) / 2);
        colours.removeAt(bj);
    }
    return colours;
}

} // namespace

QImage indexedIcon(int size)
{
    constexpr int kEntries = 256;
    const QImage argb = drawIcon(size).convertToFormat(QImage::Format_ARGB32);
    // Entry 0 is the clear one; every pixel is either clear or fully opaque.
    QList<QRgb> table{qRgba(0, 0, 0, 0)};
    table += opaquePalette(argb, kEntries - 1);
    auto nearest = [&table](QRgb c) {
        int best = 1, bestDistance = INT_MAX;
        for (int i = 1; i < table.size(); ++i) {
            if (const int dd = colourDistance(c, table[i]); dd < bestDistance) {
                bestDistance = dd;
                best = i;
            }
        }
        return best;
    };
    QImage indexed(argb.size(), QImage::Format_Indexed8);
    indexed.setColorTable(table);
    for (int y = 0; y < argb.height(); ++y) {
        uchar *line = indexed.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = argb.pixel(x, y);
            line[x] = uchar(qAlpha(c) >= kAlphaOpaqueFrom ? nearest(c) : 0);
        }
    }
    return indexed;
}

QByteArray iconSvg()
{
    // The 256-pixel layout of layoutFor(), written out as vector shapes.
    // Gradients are in the default bounding-box units, which even simple
    // renderers understand: the bezel's focus (0.25, 0.25) is the upper-left
    // light of the raster icon.
    return QByteArrayLiteral(R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <defs>
    <radialGradient id="bezel" cx="0.5" cy="0.5" r="0.5" fx="0.25" fy="0.25">
      <stop offset="0" stop-color="#a8dbf5"/>
      <stop offset="1" stop-color="#5cb0e2"/>
    </radialGradient>
    <radialGradient id="face" cx="0.5" cy="0.5" r="0.5">
      <stop offset="0.8" stop-color="#ffffff"/>
      <stop offset="1" stop-color="#e4eaf0"/>
    </radialGradient>
  </defs>
  <circle cx="128" cy="128" r="124" fill="#2c6ea0"/>
  <circle cx="128" cy="128" r="119" fill="url(#bezel)"/>
  <circle cx="128" cy="128" r="98" fill="url(#face)"/>
  <g fill="#262e38">
    <circle cx="128" cy="56" r="8"/>
    <circle cx="200" cy="128" r="8"/>
    <circle cx="128" cy="200" r="8"/>
    <circle cx="56" cy="128" r="8"/>
  </g>
  <polygon points="68.6,68.6 140.02,115.98 115.98,140.02" fill="#d72626"/>
  <polygon points="187.4,187.4 140.02,115.98 115.98,140.02" fill="#1f4ec8"/>
  <circle cx="128" cy="128" r="9" fill="#262e38"/>
</svg>
)svg");
}

} // namespace imagegen
