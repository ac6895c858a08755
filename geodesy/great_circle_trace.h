#pragma once
// Every intermediate value of one azimuth and distance calculation, so that
// tests can follow the arithmetic step by step. Not needed by callers who
// only want the result (see great_circle.h).

#include "geodesy/great_circle.h"

namespace geodesy {

struct AzimuthDistanceTrace
{
    double X1 = 0, X2 = 0; // longitudes, radians east of Greenwich, 0..2 pi
    double Y1 = 0, Y2 = 0; // latitudes, radians
    double D = 0; // longitude difference with the nudge, radians
    double C = 0; // cosine of the central angle
    double d = 0; // central angle, radians
    double Z = 0; // cosine of the azimuth
    double azimuthMagnitude = 0; // radians, 0..pi, before the side is chosen
    double A = 0; // azimuth, radians, 0..2 pi
    AzimuthDistanceResult result;
};

AzimuthDistanceTrace traceAzimuthDistance(double lat1, double lon1, double lat2, double lon2);

} // namespace geodesy
