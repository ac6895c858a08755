// libFuzzer target for the locator arithmetic.
//
// The input bytes are split at the first 0xFF byte into the texts of the two
// locator boxes (0xFF never occurs in UTF-8, so any other byte, well formed or
// not, can still appear in either text; without a 0xFF the second text is
// empty). They go through the same calls as one calculation of the window:
// NormaliseLocators, DecodeLocator on both normalised locators, then
// AzimuthDistance on the two positions, also when the pair is invalid.
//
// Any crash, sanitizer report or broken promise of the library aborts:
// - the decoded position of any text is finite;
// - `firstTooLong` never comes without `inputInvalid`;
// - for a valid pair both positions lie within -90..90 and -180..180, the
//   azimuth within 0..360 and the distance within 0..19970, both whole.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "geodesy/great_circle.h"
#include "geodesy/locator.h"

namespace {

// Prints what broke and stops; libFuzzer then saves the input as a crash.
[[noreturn]] void broken(const char *promise, double a, double b)
{
    std::fprintf(stderr, "broken promise: %s (values %.17g, %.17g)\n", promise, a, b);
    std::abort();
}

bool whole(double x)
{
    return std::isfinite(x) && std::floor(x) == x;
}

bool within(double x, double low, double high)
{
    return x >= low && x <= high;
}

void checkPosition(const geodesy::Position &p, bool valid)
{
    if (!std::isfinite(p.latitude) || !std::isfinite(p.longitude)) {
        broken("decoded position is finite", p.latitude, p.longitude);
    }
    if (valid && (!within(p.latitude, -90, 90) || !within(p.longitude, -180, 180))) {
        broken("decoded position of a valid locator lies on the earth", p.latitude, p.longitude);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::size_t separator = input.find('\xFF');
    const std::string_view first = input.substr(0, separator);
    const std::string_view second =
        separator == std::string_view::npos ? std::string_view() : input.substr(separator + 1);

    const geodesy::LocatorCheck check = geodesy::NormaliseLocators(first, second);
    if (check.firstTooLong && !check.inputInvalid) {
        broken("a first locator that is too long makes the pair invalid", 0, 0);
    }
    const bool valid = !check.inputInvalid;

    const geodesy::Position p1 = geodesy::DecodeLocator(check.locator1);
    const geodesy::Position p2 = geodesy::DecodeLocator(check.locator2);
    checkPosition(p1, valid);
    checkPosition(p2, valid);

    const geodesy::AzimuthDistanceResult r =
        geodesy::AzimuthDistance(p1.latitude, p1.longitude, p2.latitude, p2.longitude);
    if (valid) {
        if (!whole(r.azimuth) || !within(r.azimuth, 0, 360)) {
            broken("azimuth of a valid pair is a whole number within 0..360", r.azimuth, r.distance);
        }
        if (!whole(r.distance) || !within(r.distance, 0, 19970)) {
            broken("distance of a valid pair is a whole number within 0..19970", r.azimuth, r.distance);
        }
    }
    return 0;
}
