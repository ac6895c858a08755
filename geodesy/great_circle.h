#pragma once
// Great-circle beam heading and distance on a spherical earth.

namespace geodesy {

// Both values hold whole numbers.
struct AzimuthDistanceResult
{
    double azimuth = 0; // degrees clockwise from north, 0..360; due north reads 360
    double distance = 0; // kilometres, 0..19970
};

// Initial great-circle azimuth from point 1 to point 2 and the distance
// between them, on a sphere of radius 6356.775 km.
//
// @param[in] lat1 latitude of point 1 (degrees, north positive)
// @param[in] lon1 longitude of point 1 (degrees, east positive)
// @param[in] lat2 latitude of point 2 (degrees, north positive)
// @param[in] lon2 longitude of point 2 (degrees, east positive)
//
// The longitude difference carries a nudge of 0.0001 radian, so coinciding
// points read 270 degrees and a distance of 0 or 1 km, and points a few
// sub-squares apart on one meridian read slightly off 360 or 180. Results are
// rounded half up. Never fails: inputs that no locator decodes to (exact
// poles, non-finite values) may give NaN.
AzimuthDistanceResult AzimuthDistance(double lat1, double lon1, double lat2, double lon2);

} // namespace geodesy
