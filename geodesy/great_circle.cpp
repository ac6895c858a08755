#include "geodesy/great_circle.h"

#include <cmath>
#include <limits>

#include "geodesy/great_circle_trace.h"

namespace geodesy {
namespace {

// The half turn as six decimals. It is also the degree factor's numerator,
// so converting there and back cancels and the shortening never shifts the
// reported azimuth.
constexpr double kHalfTurnRadians = 3.141592;
constexpr double kFullTurnRadians = 2 * kHalfTurnRadians;
constexpr double kRadiansPerDegree = kHalfTurnRadians / 180;
constexpr double kEarthRadiusKm = 6356.775;
constexpr double kLongitudeNudge = 0.0001; // radians
constexpr double kDueSouthGuard = -0.9999999; // azimuth cosines below read due south
constexpr double kFullCircleDeg = 360;

// Int(x + 0.5): halves go up.
double roundHalfUp(double x)
{
    return std::floor(x + 0.5);
}

// Arc-tangent of sqrt(1 - v * v) / v, plus a half turn for a negative v: the
// arc-cosine of v in 0..kHalfTurnRadians. An exactly zero v would divide by
// zero; the quotient's limit, +infinity, is taken instead, whose arc-tangent
// is a quarter turn.
double arcCosine(double v)
{
    const double quotient = v != 0 ? std::sqrt(1 - v * v) / v : std::numeric_limits<double>::infinity();
    double angle = std::atan(quotient);
    if (v < 0)
        angle = angle + kHalfTurnRadians;
    return angle;
}

} // namespace

AzimuthDistanceTrace traceAzimuthDistance(double lat1, double lon1, double lat2, double lon2)
{
    AzimuthDistanceTrace t;
    t.X1 = lon1 > 0 ? lon1 * kRadiansPerDegree : (lon1 + kFullCircleDeg) * kRadiansPerDegree;
    t.X2 = lon2 > 0 ? lon2 * kRadiansPerDegree : (lon2 + kFullCircleDeg) * kRadiansPerDegree;
    t.Y1 = lat1 * kRadiansPerDegree;
    t.Y2 = lat2 * kRadiansPerDegree;

    // The nudge keeps the longitude difference off a whole turn, so the
    // central angle never reaches 0 and its sine stays a usable divisor,
    // even for coinciding points.
    t.D = t.X1 - t.X2 + kLongitudeNudge;
    if (t.D < 0)
        t.D = t.D + kFullTurnRadians;

    const double sinY1 = std::sin(t.Y1), cosY1 = std::cos(t.Y1);
    const double sinY2 = std::sin(t.Y2), cosY2 = std::cos(t.Y2);
    t.C = (sinY1 * sinY2) + ((cosY1 * cosY2) * std::cos(t.D));
    t.d = arcCosine(t.C);

    t.Z = ((sinY2 - t.C * sinY1) / std::sin(t.d)) / cosY1;
    // Near -1, 1 - Z * Z loses every digit; such points lie due south.
    t.azimuthMagnitude = t.Z < kDueSouthGuard ? kHalfTurnRadians : arcCosine(t.Z);

    // Point 2 west of point 1: the azimuth lies in the western half.
    t.A = t.D < kHalfTurnRadians ? -t.azimuthMagnitude + kFullTurnRadians : t.azimuthMagnitude;

    t.result.azimuth = roundHalfUp(t.A / kRadiansPerDegree);
    t.result.distance = roundHalfUp(kEarthRadiusKm * t.d);
    return t;
}

AzimuthDistanceResult AzimuthDistance(double lat1, double lon1, double lat2, double lon2)
{
    return traceAzimuthDistance(lat1, lon1, lat2, lon2).result;
}

} // namespace geodesy
