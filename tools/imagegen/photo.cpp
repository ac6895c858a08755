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

#include "noise.h"

namespace imagegen {

namespace {

constexpr double kPi = std::numbers::pi;

// Scene layout (scale-1 pixels).
const QPointF kPivot(100, 292); // centre of the card and of the pivot cap
constexpr double kCardRadius = 226; // the card runs under the rim's inner edge
constexpr double kRimInner = 226;
constexpr double kRimOuter = 288;
constexpr double kCardTurnDeg = 14; // the card's north, clockwise from straight up
constexpr double kScaleOuter = 212; // degree scale band
constexpr double kScaleInner = 172;
constexpr double kNumberRadius = 186;
constexpr double kPointLetterRadius = 146;
constexpr double kNeedleTurnDeg = -40; // the red end points up and to the left
constexpr double kNeedleLength = 250; // from the pivot to either tip
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
constexpr std::uint32_t kSeedWear = 0x3ea7u;

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
                    sa += qAlpha(c);
                    sr += qRed(c);
                    sg += qGreen(c);
                    sb += qBlue(c);
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
    const QColor stops[] = {{200, 150, 62},  {255, 232, 150}, {196, 140, 50}, {96, 60, 18},  {170, 118, 40},
                            {252, 220, 130}, {214, 160, 66},  {120, 78, 24},  {200, 150, 62}};
    // The pattern repeats three times round the ring, so that the short arc
    // in the picture still shows several bright and dark reflections.
    constexpr int kStops = sizeof stops / sizeof stops[0];
    constexpr int kRepeats = 3;
    for (int rep = 0; rep < kRepeats; ++rep)
        for (int i = 0; i < kStops; ++i)
            brass.setColorAt((rep + i / double(kStops - 1)) / kRepeats, stops[i]);
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
    const struct
    {
        const char *text;
        double deg;
    } points[] = {{"N", 0}, {"NW", 315}};
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
template<typename Draw>
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

// Scene coordinates of device pixel (x, y) and its polar position about the pivot.
struct ScenePoint
{
    double u, v, r, angle;
};

ScenePoint scenePoint(int x, int y, int scale)
{
    const double u = (x + 0.5) / scale;
    const double v = (y + 0.5) / scale;
    const double du = u - kPivot.x(), dv = v - kPivot.y();
    return {u, v, std::hypot(du, dv), std::atan2(dv, du)};
}

QRgb toRgb(double r, double g, double b, int alpha = 255)
{
    return qRgba(std::clamp(int(std::lround(r)), 0, 255), std::clamp(int(std::lround(g)), 0, 255),
                 std::clamp(int(std::lround(b)), 0, 255), alpha);
}

// Brushed, tarnished brass on the rim and walnut grain on the case around it.
void weatherRimAndCase(QImage &image, int scale)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const ScenePoint s = scenePoint(x, y, scale);
            double cr = qRed(line[x]), cg = qGreen(line[x]), cb = qBlue(line[x]);
            if (s.r < kRimOuter) {
                // Fine circular brushing, and dull patches where the lacquer has gone.
                const double brush = fractalNoise(s.angle * kRimOuter / 14, s.r * 1.6, 3, kSeedBrush) - 0.5;
                const double tarnish = smoothstep(0.6, 0.85, fractalNoise(s.u / 12, s.v / 12, 4, kSeedPatina));
                const double k = 1 + 0.18 * brush - 0.18 * tarnish;
                cr *= k;
                cg *= k * (1 + 0.02 * tarnish);
                cb *= k * (1 + 0.08 * tarnish);
            } else {
                // Walnut: wavy grain running roughly along the case, darker away from the rim.
                const double wobble = fractalNoise(s.u / 40, s.v / 40, 3, kSeedWood);
                const double grain = 0.5 + 0.5 * std::sin((s.u * 0.9 + s.v * 0.35) * 0.45 + 9 * wobble);
                const double k = (0.75 + 0.45 * grain) * (1 - 0.5 * smoothstep(kRimOuter, kRimOuter + 30, s.r));
                cr *= k;
                cg *= k;
                cb *= k;
            }
            line[x] = toRgb(cr, cg, cb);
        }
    }
}

// The card layer (premultiplied, transparent outside the card): yellowed
// towards the edge, blotchy stains, foxing, paper fibres, rubbed print and
// the shade of the rim next to it.
void ageCard(QImage &card, int scale)
{
    for (int y = 0; y < card.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(card.scanLine(y));
        for (int x = 0; x < card.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            if (alpha == 0)
                continue;
            const ScenePoint s = scenePoint(x, y, scale);
            const double unpremultiply = 255.0 / alpha;
            double cr = qRed(line[x]) * unpremultiply, cg = qGreen(line[x]) * unpremultiply,
                   cb = qBlue(line[x]) * unpremultiply;

            const double inkiness = std::max(0.0, 1 - (cr + cg + cb) / (3.0 * 200));
            const double wear = 0.22 * smoothstep(0.5, 0.8, fractalNoise(s.u / 3.5, s.v / 3.5, 3, kSeedWear));
            cr += (kPaper.red() - cr) * wear * inkiness;
            cg += (kPaper.green() - cg) * wear * inkiness;
            cb += (kPaper.blue() - cb) * wear * inkiness;

            const double edge = smoothstep(110, kRimInner, s.r);
            const double stain = fractalNoise(s.u / 70, s.v / 70, 4, kSeedStain) - 0.5;
            const double fox = smoothstep(0.78, 0.9, fractalNoise(s.u / 5, s.v / 5, 3, kSeedFoxing));
            const double fibre = valueNoise(s.u * 1.3, s.v * 0.35, kSeedFibre) - 0.5;
            const double rimShade = 1 - 0.45 * smoothstep(kRimInner - 16, kRimInner, s.r);
            const double k = (1 + 0.20 * stain - 0.10 * edge + 0.05 * fibre - 0.12 * fox) * rimShade;
            cr *= k * (1 - 0.02 * edge);
            cg *= k * (1 - 0.06 * edge - 0.03 * fox);
            cb *= k * (1 - 0.16 * edge - 0.10 * fox - 0.05 * std::max(0.0, stain));

            const double a = alpha / 255.0;
            line[x] = toRgb(cr * a, cg * a, cb * a, alpha);
        }
    }
}

// What the camera and the glass add: the rim and case slightly out of focus,
// a broad sheen on the glass, a vignette, a warm cast and film grain.
void photograph(QImage &image, int scale)
{
    QImage soft = image.copy();
    blurImage(soft, scale);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const auto *softLine = reinterpret_cast<const QRgb *>(soft.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const ScenePoint s = scenePoint(x, y, scale);
            const double focus = smoothstep(kScaleOuter + 6, kRimOuter, s.r);
            double cr = qRed(line[x]) + (qRed(softLine[x]) - qRed(line[x])) * focus;
            double cg = qGreen(line[x]) + (qGreen(softLine[x]) - qGreen(line[x])) * focus;
            double cb = qBlue(line[x]) + (qBlue(softLine[x]) - qBlue(line[x])) * focus;

            // Glass cover: a broad soft sheen falling from the upper right.
            const double across = (s.u * 0.8 + s.v * 0.6) - 190;
            const double sheen = 0.10 * std::exp(-across * across / (2 * 38 * 38));
            cr += (255 - cr) * sheen;
            cg += (255 - cg) * sheen;
            cb += (255 - cb) * sheen;

            // A window mirrored in the glass: a soft bright patch over the rim.
            const double wx = (s.u - 150) / 46, wy = (s.v - 70) / 22;
            const double window = 0.09 * (1 - smoothstep(0.6, 1.0, std::max(std::abs(wx), std::abs(wy))));
            cr += (255 - cr) * window;
            cg += (255 - cg) * window;
            cb += (255 - cb) * window;

            // Vignette around the middle of the part the window shows.
            const double vx = (s.u - kPhotoShownWidthPx / 2.0) / (kPhotoShownWidthPx * 0.75);
            const double vy = (s.v - kPhotoHeightPx / 2.0) / (kPhotoHeightPx * 0.62);
            const double vignette = 1 - 0.45 * smoothstep(0.45, 1.15, std::hypot(vx, vy));
            // Warm cast of old tungsten light.
            cr *= vignette * 1.03;
            cg *= vignette;
            cb *= vignette * 0.92;

            // Film grain, per device pixel.
            const double g = (latticeValue(x, y, kSeedGrain + std::uint32_t(scale)) - 0.5) * 9;
            line[x] = toRgb(cr + g, cg + g, cb + g);
        }
    }
}

} // namespace

QImage drawPhoto(int scale)
{
    const int width = kPhotoWidthPx * scale, height = kPhotoHeightPx * scale;
    QImage image(width, height, QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        drawCase(p);
        drawRim(p);
    }
    weatherRimAndCase(image, scale);

    QImage card(width, height, QImage::Format_ARGB32_Premultiplied);
    card.fill(Qt::transparent);
    {
        QPainter p(&card);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(scale, scale);
        drawCard(p);
        drawScale(p);
        drawRose(p);
    }
    ageCard(card, scale);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(0, 0, card);
    p.scale(scale, scale);
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

    photograph(image, scale);
    return image;
}

} // namespace imagegen
