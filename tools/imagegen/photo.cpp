// The scene, in scale-1 pixels: a large compass seen close up, its pivot low
// in the picture. A brass rim arcs across the top, the aged card shows its
// degree scale and the points N and NW, and a long silver needle with a red
// north half lies on a diagonal under a domed brass pivot cap. Light comes
// from the upper left; a glass cover adds a soft reflection.
//
// Everything is described in continuous scale-1 coordinates and all textures
// are stateless noise over those coordinates, so the 2x picture is the same
// photograph with twice the detail rather than an enlargement.
#include "photo.h"

#include "noise.h"

#include <QConicalGradient>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace imagegen {

namespace {

constexpr double kPi = std::numbers::pi;

// Scene layout (scale-1 pixels).
const QPointF kPivot(100, 292);       // centre of the card and of the pivot cap
constexpr double kCardRadius = 226;   // the card runs under the rim's inner edge
constexpr double kRimInner = 226;
constexpr double kRimOuter = 288;
constexpr double kCardTurnDeg = 14;   // the card's north, clockwise from straight up
constexpr double kScaleOuter = 212;   // degree scale band
constexpr double kScaleInner = 172;
constexpr double kNumberRadius = 186;
constexpr double kPointLetterRadius = 146;
constexpr double kNeedleTurnDeg = -40; // the red end points up and to the left
constexpr double kNeedleLength = 250;  // from the pivot to either tip
constexpr double kNeedleHalfWidth = 9.5;
constexpr double kCapRadius = 19;
const QPointF kNeedleShadowOffset(7, 10); // the needle floats above the card
const QPointF kCapShadowOffset(5, 7);
constexpr double kNeedleShadowBlur = 4;
constexpr double kCapShadowBlur = 5;

// Palette of the scene.
const QColor kPaper(236, 224, 192);
const QColor kInk(48, 36, 28);
const QColor kCaseWood(58, 34, 20);
const QColor kNeedleRed(178, 34, 26);

// Noise seeds, one per texture so that they do not line up.
constexpr std::uint32_t kSeedStain = 0x51a1u;
constexpr std::uint32_t kSeedFoxing = 0xf0c5u;
constexpr std::uint32_t kSeedFibre = 0xf1b3u;
constexpr std::uint32_t kSeedBrush = 0xb705u;
constexpr std::uint32_t kSeedPatina = 0x9a71u;
constexpr std::uint32_t kSeedWood = 0x3d0du;
constexpr std::uint32_t kSeedGrain = 0x6a1eu;

QPointF direction(double screenDeg)
{
    const double a = screenDeg * kPi / 180;
    return {std::sin(a), -std::cos(a)};
}

double smoothstep(double e0, double e1, double x)
{
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

QFont sceneFont(const char *family, double pixelSize, bool bold)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(int(std::lround(pixelSize)));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting); // same shapes at both scales
    return font;
}

// Three box-blur passes approximate a Gaussian; `radius` in device pixels.
void blurImage(QImage &image, int radius)
{
    if (radius < 1)
        return;
    const int w = image.width(), h = image.height();
    std::vector<int> acc(4);
    for (int pass = 0; pass < 3; ++pass) {
        for (int horizontal = 0; horizontal < 2; ++horizontal) {
            QImage src = image.copy();
            const int lines = horizontal ? h : w;
            const int len = horizontal ? w : h;
            for (int l = 0; l < lines; ++l) {
                auto at = [&](int i) {
                    i = std::clamp(i, 0, len - 1);
                    return horizontal ? reinterpret_cast<const QRgb *>(src.constScanLine(l))[i]
                                      : reinterpret_cast<const QRgb *>(src.constScanLine(i))[l];
                };
                int sa = 0, sr = 0, sg = 0, sb = 0;
                for (int i = -radius; i <= radius; ++i) {
                    const QRgb c = at(i);
                    sa += qAlpha(c); sr += qRed(c); sg += qGreen(c); sb += qBlue(c);
                }
                const int n = 2 * radius + 1;
                for (int i = 0; i < len; ++i) {
                    const QRgb out = qRgba(sr / n, sg / n, sb / n, sa / n);
                    if (horizontal)
                        reinterpret_cast<QRgb *>(image.scanLine(l))[i] = out;
                    else
                        reinterpret_cast<QRgb *>(image.scanLine(i))[l] = out;
                    const QRgb add = at(i + radius + 1), sub = at(i - radius);
                    sa += qAlpha(add) - qAlpha(sub);
                    sr += qRed(add) - qRed(sub);
                    sg += qGreen(add) - qGreen(sub);
                    sb += qBlue(add) - qBlue(sub);
                }
            }
        }
    }
}

QPainterPath needlePath(double halfWidth, double length)
{
    // A slender lozenge along +y (towards the red north end at -y).
    QPainterPath path;
    path.moveTo(0, -length);
    path.lineTo(halfWidth, 0);
    path.lineTo(0, length);
    path.lineTo(-halfWidth, 0);
    path.closeSubpath();
    return path;
}

void drawCase(QPainter &p)
{
    p.fillRect(QRectF(0, 0, kPhotoWidthPx, kPhotoHeightPx), kCaseWood);
}

void drawRim(QPainter &p)
{
    // Metal reflects its surroundings: bright and dark bands around the ring.
    QConicalGradient brass(kPivot, 90 - kCardTurnDeg);
    const QColor stops[] = {{214, 170, 84}, {250, 222, 140}, {180, 130, 52}, {120, 82, 30},
                            {206, 160, 74}, {246, 212, 128}, {150, 104, 40}, {214, 170, 84}};
    for (int i = 0; i < 8; ++i)
        brass.setColorAt(i / 7.0, stops[i]);
    p.setPen(Qt::NoPen);
    p.setBrush(brass);
    p.drawEllipse(kPivot, kRimOuter, kRimOuter);

    // A bevel: the outer edge rounds away into shadow, the inner lip catches
    // the light, with a dark groove between.
    QRadialGradient bevel(kPivot, kRimOuter);
    const double in = kRimInner / kRimOuter;
    bevel.setColorAt(in, QColor(255, 240, 190, 150));
    bevel.setColorAt(in + 0.02, QColor(255, 230, 160, 0));
    bevel.setColorAt(in + 0.07, QColor(60, 36, 10, 0));
    bevel.setColorAt(in + 0.09, QColor(60, 36, 10, 150));
    bevel.setColorAt(in + 0.11, QColor(255, 236, 170, 60));
    bevel.setColorAt(0.93, QColor(0, 0, 0, 0));
    bevel.setColorAt(1.0, QColor(30, 16, 4, 200));
    p.setBrush(bevel);
    p.drawEllipse(kPivot, kRimOuter, kRimOuter);
}

void drawCard(QPainter &p)
{
    // Lit from the upper left, a little darker towards the lower right.
    QLinearGradient light(QPointF(0, 0), QPointF(kPhotoWidthPx, kPhotoHeightPx));
    light.setColorAt(0, kPaper.lighter(104));
    light.setColorAt(1, kPaper.darker(112));
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawEllipse(kPivot, kCardRadius, kCardRadius);
}

void drawScale(QPainter &p)
{
    p.save();
    p.translate(kPivot);
    p.rotate(kCardTurnDeg);
    QPen line(kInk, 1.1);
    line.setCapStyle(Qt::FlatCap);
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), kScaleOuter, kScaleOuter);
    p.drawEllipse(QPointF(0, 0), kScaleOuter + 4, kScaleOuter + 4);
    p.drawEllipse(QPointF(0, 0), kScaleInner, kScaleInner);

    // Fine ticks every degree, longer every five and ten.
    for (int deg = 0; deg < 360; ++deg) {
        const double length = deg % 10 == 0 ? 14 : deg % 5 == 0 ? 10 : 6;
        QPen tick(kInk, deg % 10 == 0 ? 1.3 : 0.8);
        tick.setCapStyle(Qt::FlatCap);
        p.setPen(tick);
        const QPointF d = direction(deg);
        p.drawLine(d * kScaleOuter, d * (kScaleOuter - length));
    }

    // Numbers every ten degrees, upright towards the rim.
    const QFont numberFont = sceneFont("DejaVu Serif", 11, false);
    const QFontMetricsF metrics(numberFont);
    p.setFont(numberFont);
    p.setPen(kInk);
    for (int deg = 0; deg < 360; deg += 10) {
        const QString text = QString::number(deg);
        const QRectF ink = metrics.tightBoundingRect(text);
        p.save();
        p.rotate(deg);
        p.drawText(QPointF(-ink.center().x(), -kNumberRadius - ink.center().y()), text);
        p.restore();
    }
    p.restore();
}

void drawRose(QPainter &p)
{
    p.save();
    p.translate(kPivot);
    p.rotate(kCardTurnDeg);

    // The eight-pointed star: each point has a dark half and an open half.
    p.setPen(QPen(kInk, 1.0));
    for (int i = 0; i < 8; ++i) {
        const bool cardinal = i % 2 == 0;
        const double tip = cardinal ? 126 : 88;
        const double base = cardinal ? 16 : 12;
        p.save();
        p.rotate(i * 45);
        QPainterPath dark;
        dark.moveTo(0, -tip);
        dark.lineTo(base, -base);
        dark.lineTo(0, 0);
        dark.closeSubpath();
        QPainterPath open;
        open.moveTo(0, -tip);
        open.lineTo(-base, -base);
        open.lineTo(0, 0);
        open.closeSubpath();
        p.setBrush(QColor(kInk.red(), kInk.green(), kInk.blue(), cardinal ? 235 : 200));
        p.drawPath(dark);
        p.setBrush(Qt::NoBrush);
        p.drawPath(open);
        p.restore();
    }
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), 132, 132);
    p.drawEllipse(QPointF(0, 0), 60, 60);

    // The points N and NW, set upright along their radius.
    const QFont letters = sceneFont("DejaVu Serif", 34, true);
    const QFontMetricsF metrics(letters);
    p.setFont(letters);
    p.setPen(kInk);
    const struct { const char *text; double deg; } points[] = {{"N", 0}, {"NW", 315}};
    for (const auto &pt : points) {
        const QString text = QString::fromLatin1(pt.text);
        const QRectF ink = metrics.tightBoundingRect(text);
        p.save();
        p.rotate(pt.deg);
        p.drawText(QPointF(-ink.center().x(), -kPointLetterRadius - ink.center().y()), text);
        p.restore();
    }
    p.restore();
}

// Renders `draw` into a transparent layer, blurs it and paints it as a shadow.
template <typename Draw>
void drawShadow(QPainter &p, int scale, QPointF offset, double blur, int alpha, Draw draw)
{
    QImage layer(kPhotoWidthPx * scale, kPhotoHeightPx * scale, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing);
        lp.scale(scale, scale);
        lp.translate(offset);
        lp.setPen(Qt::NoPen);
        lp.setBrush(QColor(40, 22, 8, alpha));
        draw(lp);
    }
    blurImage(layer, int(std::lround(blur * scale)));
    p.save();
    p.resetTransform();
    p.drawImage(0, 0, layer);
    p.restore();
}

void drawNeedle(QPainter &p)
{
    p.save();
    p.translate(kPivot);
    p.rotate(kNeedleTurnDeg);
    // Two facets either side of the ridge: one faces the light, one turns away.
    QPainterPath lit;
    lit.moveTo(0, -kNeedleLength);
    lit.lineTo(-kNeedleHalfWidth, 0);
    lit.lineTo(0, kNeedleLength);
    lit.closeSubpath();
    QPainterPath shade;
    shade.moveTo(0, -kNeedleLength);
    shade.lineTo(kNeedleHalfWidth, 0);
    shade.lineTo(0, kNeedleLength);
    shade.closeSubpath();
    QLinearGradient steelLit(0, -kNeedleLength, 0, kNeedleLength);
    steelLit.setColorAt(0, QColor(200, 204, 210));
    steelLit.setColorAt(0.45, QColor(244, 246, 248));
    steelLit.setColorAt(1, QColor(150, 156, 164));
    QLinearGradient steelShade(0, -kNeedleLength, 0, kNeedleLength);
    steelShade.setColorAt(0, QColor(120, 126, 134));
    steelShade.setColorAt(0.5, QColor(150, 156, 164));
    steelShade.setColorAt(1, QColor(80, 86, 94));
    p.setPen(Qt::NoPen);
    p.fillPath(lit, steelLit);
    p.fillPath(shade, steelShade);

    // The red marking over the north half, stopping short of the tip.
    const double redFrom = 26, redTo = 0.8 * kNeedleLength;
    const double w = kNeedleHalfWidth * (1 - redFrom / kNeedleLength);
    const double wTo = kNeedleHalfWidth * (1 - redTo / kNeedleLength);
    QPainterPath red;
    red.moveTo(-w + 0.8, -redFrom);
    red.lineTo(w - 0.8, -redFrom);
    red.lineTo(wTo - 0.6, -redTo);
    red.lineTo(-wTo + 0.6, -redTo);
    red.closeSubpath();
    p.fillPath(red, kNeedleRed);
    QLinearGradient redShade(-kNeedleHalfWidth, 0, kNeedleHalfWidth, 0);
    redShade.setColorAt(0, QColor(255, 160, 140, 70));
    redShade.setColorAt(0.5, QColor(255, 255, 255, 0));
    redShade.setColorAt(0.51, QColor(0, 0, 0, 40));
    redShade.setColorAt(1, QColor(0, 0, 0, 90));
    p.fillPath(red, redShade);

    // The ridge catches a thin line of light.
    p.setPen(QPen(QColor(255, 255, 255, 120), 0.7));
    p.drawLine(QPointF(0, -kNeedleLength), QPointF(0, kNeedleLength));
    p.restore();
}

void drawCap(QPainter &p)
{
    p.setPen(Qt::NoPen);
    // Collar under the dome.
    p.setBrush(QColor(92, 60, 20));
    p.drawEllipse(kPivot, kCapRadius + 2, kCapRadius + 2);
    QRadialGradient dome(kPivot, kCapRadius, kPivot + QPointF(-7, -8));
    dome.setColorAt(0, QColor(255, 246, 206));
    dome.setColorAt(0.18, QColor(240, 200, 110));
    dome.setColorAt(0.55, QColor(186, 132, 52));
    dome.setColorAt(0.85, QColor(110, 70, 24));
    dome.setColorAt(1, QColor(70, 42, 12));
    p.setBrush(dome);
    p.drawEllipse(kPivot, kCapRadius, kCapRadius);
    // Reflected light on the far side of the dome.
    QRadialGradient bounce(kPivot + QPointF(8, 9), 8);
    bounce.setColorAt(0, QColor(230, 180, 90, 110));
    bounce.setColorAt(1, QColor(230, 180, 90, 0));
    p.setBrush(bounce);
    p.drawEllipse(kPivot, kCapRadius, kCapRadius);
}

// Per-pixel finishing: aged paper, brushed and tarnished brass, wood grain,
// the glass reflection, a vignette and film grain.
void finish(QImage &image, int scale)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double u = (x + 0.5) / scale;
            const double v = (y + 0.5) / scale;
            const double du = u - kPivot.x(), dv = v - kPivot.y();
            const double r = std::hypot(du, dv);
            const double angle = std::atan2(dv, du);
            double cr = qRed(line[x]), cg = qGreen(line[x]), cb = qBlue(line[x]);

            if (r < kRimInner) {
                // Yellowed towards the edge, blotchy stains, foxing and fibres.
                const double edge = smoothstep(110, kRimInner, r);
                const double stain = fractalNoise(u / 70, v / 70, 4, kSeedStain) - 0.5;
                const double fox = smoothstep(0.72, 0.86, fractalNoise(u / 9, v / 9, 3, kSeedFoxing));
                const double fibre = valueNoise(u * 1.3, v * 0.35, kSeedFibre) - 0.5;
                const double shade = 1 + 0.22 * stain - 0.10 * edge + 0.05 * fibre - 0.18 * fox;
                cr *= shade * (1 - 0.02 * edge);
                cg *= shade * (1 - 0.06 * edge - 0.03 * fox);
                cb *= shade * (1 - 0.16 * edge - 0.10 * fox - 0.05 * std::max(0.0, stain));
                // The rim shades the card next to it.
                const double rimShadow = smoothstep(kRimInner - 16, kRimInner, r);
                const double s = 1 - 0.45 * rimShadow;
                cr *= s; cg *= s; cb *= s;
            } else if (r < kRimOuter) {
                // Fine circular brushing and dark tarnish in patches.
                const double brush = fractalNoise(angle * kRimOuter / 14, r * 1.6, 3, kSeedBrush) - 0.5;
                const double tarnish = smoothstep(0.55, 0.8, fractalNoise(u / 22, v / 22, 4, kSeedPatina));
                const double s = 1 + 0.16 * brush - 0.30 * tarnish;
                cr *= s; cg *= s * (1 + 0.02 * tarnish); cb *= s * (1 + 0.08 * tarnish);
            } else {
                // Walnut: wavy grain running roughly along the case.
                const double wobble = fractalNoise(u / 40, v / 40, 3, kSeedWood);
                const double grain = 0.5 + 0.5 * std::sin((u * 0.9 + v * 0.35) * 0.45 + 9 * wobble);
                const double s = 0.75 + 0.45 * grain;
                cr *= s; cg *= s; cb *= s;
                const double falloff = 1 - 0.5 * smoothstep(kRimOuter, kRimOuter + 30, r);
                cr *= falloff; cg *= falloff; cb *= falloff;
            }

            // Glass cover: a broad soft sheen falling from the upper right.
            const double across = (u * 0.8 + v * 0.6) - 190;
            const double sheen = 0.10 * std::exp(-across * across / (2 * 38 * 38));
            cr += (255 - cr) * sheen; cg += (255 - cg) * sheen; cb += (255 - cb) * sheen;

            // Vignette around the middle of the shown part.
            const double vx = (u - kPhotoShownWidthPx / 2.0) / (kPhotoShownWidthPx * 0.75);
            const double vy = (v - kPhotoHeightPx / 2.0) / (kPhotoHeightPx * 0.62);
            const double vig = 1 - 0.45 * smoothstep(0.45, 1.15, std::hypot(vx, vy));
            // Warm cast of old tungsten light.
            cr *= vig * 1.03; cg *= vig; cb *= vig * 0.92;

            // Film grain, per device pixel.
            const double g = (latticeValue(x, y, kSeedGrain + std::uint32_t(scale)) - 0.5) * 9;
            line[x] = qRgb(std::clamp(int(cr + g), 0, 255), std::clamp(int(cg + g), 0, 255),
                           std::clamp(int(cb + g), 0, 255));
        }
    }
}

} // namespace

QImage drawPhoto(int scale)
{
    QImage image(kPhotoWidthPx * scale, kPhotoHeightPx * scale, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);

    drawCase(p);
    drawRim(p);
    drawCard(p);
    drawScale(p);
    drawRose(p);
    drawShadow(p, scale, kNeedleShadowOffset, kNeedleShadowBlur, 150, [](QPainter &lp) {
        lp.translate(kPivot);
        lp.rotate(kNeedleTurnDeg);
        lp.drawPath(needlePath(kNeedleHalfWidth, kNeedleLength));
    });
    drawNeedle(p);
    drawShadow(p, scale, kCapShadowOffset, kCapShadowBlur, 170,
               [](QPainter &lp) { lp.drawEllipse(kPivot, kCapRadius + 2, kCapRadius + 2); });
    drawCap(p);
    p.end();

    finish(image, scale);
    return image;
}

} // namespace imagegen
