#include "window/shown_results.h"

#include "geodesy/great_circle.h"
#include "geodesy/locator.h"
#include "window/locator_text.h"
#include "window/number_text.h"

namespace {

// Shown for the azimuth and the distance when the locators cannot be used.
const QString kErrorMark = QStringLiteral("??????");

} // namespace

ShownResults shownResults(const QString &firstBox, const QString &secondBox, const QLocale &locale)
{
    const geodesy::LocatorCheck check = geodesy::NormaliseLocators(firstBox.toStdString(), secondBox.toStdString());
    const geodesy::Position first = geodesy::DecodeLocator(check.locator1);
    const geodesy::Position second = geodesy::DecodeLocator(check.locator2);

    ShownResults shown;
    shown.firstTooLong = check.firstTooLong;
    shown.inputInvalid = check.inputInvalid;
    // Even locators that cannot be used decode to numbers, and the window
    // shows them.
    shown.firstLatitude = generalText(first.latitude, locale);
    shown.firstLongitude = generalText(-first.longitude, locale);
    shown.secondLatitude = generalText(second.latitude, locale);
    shown.secondLongitude = generalText(-second.longitude, locale);

    if (check.inputInvalid) {
        shown.calculatedAzimuth = shown.distance = shown.azimuth = kErrorMark;
    } else {
        const geodesy::AzimuthDistanceResult result =
            geodesy::AzimuthDistance(first.latitude, first.longitude, second.latitude, second.longitude);
        shown.calculatedAzimuth = signPositionText(result.azimuth);
        shown.distance = signPositionText(result.distance);
        // The arithmetic gives some heading even for one point; there is none.
        shown.azimuth = sameStation(firstBox, secondBox) ? QStringLiteral("0") : shown.calculatedAzimuth;
    }
    shown.pointerTip = pointerTipForAzimuthText(shown.azimuth);
    return shown;
}

std::optional<PointerTip> pointerTipForAzimuthText(QStringView azimuthText)
{
    const std::optional<double> azimuth = leadingNumber(azimuthText);
    return azimuth ? pointerTipForAzimuth(*azimuth) : std::nullopt;
}
