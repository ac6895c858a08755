// Geometry of the dial, in scale-1 pixels with continuous coordinates (pixel
// (i, j) covers [i, i+1) x [j, j+1), so its centre is (i + 0.5, j + 0.5)):
//   - centre (82.5, 82.5), the centre of pixel (82, 82);
//   - a one-pixel ring through the pixel centres at distance 81 from it, so the
//     pixels (82, 1), (163, 82), (82, 163) and (1, 82) are pure blue;
//   - the pointer turns about a point a little above and left of that centre,
//     with a length that ends on the ring, so none of this may move.
//
// At scale 2 every length doubles: continuous point p maps to 2p. Pixel i of
// the small dial becomes the pixel pair 2i, 2i+1; the centre (82.5, 82.5)
// becomes (165, 165), the corner shared by pixels 164 and 165 (the "pixel
// 164.5"); the ring becomes a two-pixel band at radius 162 whose extremes are
// the 2x2 blocks of the small dial's extremes: x 164..165 at y 2..3, and so on.
#include "dial.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace imagegen {

namespace {

constexpr double kCentre = 82.5; // continuous coordinate of pixel 82's centre
constexpr double kRingRadius = 81.0; // ring pixel centres lie this far from the centre
constexpr double kRingWidth = 1.0; // the ring is one pixel wide at scale 1
constexpr int kTickLengthPx = 5; // cardinal ticks reach this far inwards from the ring
constexpr double kLabelGapPx = 2.0; // clear space between a label and the ring or tick

constexpr int kCardinalPixelSize = 11; // bold N, E, S, W
constexpr int kNumberPixelSize = 9; // regular 30 ... 330
constexpr int kCaptionPixelSize = 10; // capitals and the tail of the Q fill rows 116 to 123
constexpr int kCaptionTopRow = 116;
constexpr int kCaptionBottomRow = 123;
const char *const kCaption = "QTH LOCATOR";

const QColor kWhite(255, 255, 255);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

// Shades from white to blue and from white to red: enough steps for smooth
// glyph edges; the remaining palette entries are unused black.
constexpr int kBlueShades = 32;
constexpr int kRedShades = 32;
constexpr int kPaletteSize = 256;

QList<QRgb> dialPalette()
{
    QList<QRgb> table;
    for (int i = 0; i < kBlueShades; ++i) {
        const int w = 255 - 255 * i / (kBlueShades - 1);
        table.append(qRgb(w, w, 255));
    }
    for (int i = 1; i < kRedShades; ++i) { // white is already entry 0
        const int w = 255 - 255 * i / (kRedShades - 1);
        table.append(qRgb(255, w, w));
    }
    while (table.size() < kPaletteSize)
        table.append(qRgb(0, 0, 0));
    return table;
}

// Antialiased glyphs at 9 pixels come out pale: their one-pixel stems are
// often split across two columns. Steepening the coverage keeps the edges
// soft but gives the strokes full colour, as hinted screen text has.
constexpr double kCoverageGain = 1.5;

// Palette entry for a rendered pixel. Everything on the dial is blue or red
// ink on white, so a pixel is a mix of white with one ink; its ink coverage
// is how far its darkest channel has fallen from white.
int paletteEntry(QRgb c)
{
    const bool red = qRed(c) > qBlue(c);
    const int fallen = 255 - (red ? std::min(qGreen(c), qBlue(c)) : std::min(qRed(c), qGreen(c)));
    const double coverage = std::min(1.0, kCoverageGain * fallen / 255.0);
    if (red) {
        const int step = int(std::lround(coverage * (kRedShades - 1)));
        return step == 0 ? 0 : kBlueShades - 1 + step;
    }
    return int(std::lround(coverage * (kBlueShades - 1)));
}

QFont dialFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// The ring is set pixel by pixel rather than stroked so that it is crisp and
// exactly symmetric: a pixel is blue when its centre lies within half the ring
// width of the circle (in scale-1 units).
void drawRing(QImage &image, int scale)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const double px = (x + 0.5) / scale - kCentre;
            const double py = (y + 0.5) / scale - kCentre;
            if (std::abs(std::hypot(px, py) - kRingRadius) <= kRingWidth / 2)
                image.setPixelColor(x, y, kBlue);
        }
    }
}

// Ticks are whole-pixel rectangles in scale-1 units; painted after the
// painter's scale they cover exact pixel blocks at either scale.
void drawTicks(QPainter &p)
{
    const int c = int(kCentre); // pixel column/row 82
    const int near = int(kCentre - kRingRadius) + 1; // first pixel inside the ring: 2
    const int far = int(kCentre + kRingRadius) - kTickLengthPx; // 158
    p.fillRect(QRect(c, near, 1, kTickLengthPx), kBlue); // north
    p.fillRect(QRect(far, c, kTickLengthPx, 1), kBlue); // east
    p.fillRect(QRect(c, far, 1, kTickLengthPx), kBlue); // south
    p.fillRect(QRect(near, c, kTickLengthPx, 1), kBlue); // west
}

// Places `text` just inside the ring at `azimuthDeg` (clockwise from north):
// the glyphs' tight box is pushed inwards along the radius until its nearest
// side is `inset` pixels inside the ring, then snapped to whole pixels so that
// the glyphs sit on the pixel grid at scale 1 and on 2x2 blocks at scale 2.
void drawLabel(QPainter &p, const QFont &font, const QString &text, double azimuthDeg, double inset)
{
    const QFontMetricsF metrics(font);
    const QRectF ink = metrics.tightBoundingRect(text);
    const double a = azimuthDeg * std::numbers::pi / 180;
    const double dx = std::sin(a);
    const double dy = -std::cos(a);
    const double halfExtent = (std::abs(dx) * ink.width() + std::abs(dy) * ink.height()) / 2;
    const double r = kRingRadius - kRingWidth / 2 - inset - halfExtent;
    const double cx = kCentre + r * dx;
    const double cy = kCentre + r * dy;
    const QPointF baseline(std::round(cx - ink.center().x()), std::round(cy - ink.center().y()));
    p.setFont(font);
    p.drawText(baseline, text);
}

} // namespace

QImage drawDial(int scale)
{
    const int side = kDialSidePx * scale;
    QImage art(side, side, QImage::Format_RGB32);
    art.fill(kWhite);

    drawRing(art, scale);
    {
        QPainter p(&art);
        p.scale(scale, scale);
        p.setRenderHint(QPainter::Antialiasing, false);
        drawTicks(p);

        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setPen(kBlue);
        const QFont cardinal = dialFont(kCardinalPixelSize, true);
        const char *const cardinals[] = {"N", "E", "S", "W"};
        for (int i = 0; i < 4; ++i)
            drawLabel(p, cardinal, QString::fromLatin1(cardinals[i]), i * 90.0, kTickLengthPx + kLabelGapPx);

        const QFont number = dialFont(kNumberPixelSize, false);
        for (int deg = 30; deg < 360; deg += 30) {
            if (deg % 90 != 0)
                drawLabel(p, number, QString::number(deg), deg, kLabelGapPx);
        }

        // Red caption centred under the middle, its capitals filling the rows
        // kCaptionTopRow to kCaptionBottomRow.
        const QFont captionFont = dialFont(kCaptionPixelSize, false);
        const QFontMetricsF metrics(captionFont);
        const QString caption = QString::fromLatin1(kCaption);
        const QRectF ink = metrics.tightBoundingRect(caption);
        const double captionRows = kCaptionBottomRow + 1 - kCaptionTopRow;
        const QPointF baseline(std::round(kCentre - ink.center().x()),
                               std::round(kCaptionTopRow + captionRows / 2 - ink.center().y()));
        p.setPen(kRed);
        p.setFont(captionFont);
        // The larger glyphs at scale 2 rasterise a touch taller; clipping keeps
        // their faint edges inside the same rows.
        p.setClipRect(QRectF(0, kCaptionTopRow, kDialSidePx, captionRows));
        p.drawText(baseline, caption);
    }

    // Quantise to the dial's palette.
    const QList<QRgb> table = dialPalette();
    QImage indexed(side, side, QImage::Format_Indexed8);
    indexed.setColorTable(table);
    for (int y = 0; y < side; ++y) {
        uchar *out = indexed.scanLine(y);
        const auto *in = reinterpret_cast<const QRgb *>(art.constScanLine(y));
        for (int x = 0; x < side; ++x)
            out[x] = uchar(paletteEntry(in[x]));
    }
    return indexed;
}

} // namespace imagegen
