#pragma once
// What the calculation shows for the texts of the two locator boxes: the
// window writes these texts into its boxes, and the comparison tool in
// tools/numbers prints them, so both show the outcome of one rule.

#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

#include "window/pointer_geometry.h"

struct ShownResults
{
    // The first locator is too long: the window says so before it writes
    // anything. Such a pair is always invalid too.
    bool firstTooLong = false;
    // The pair cannot be used: the locator boxes are emptied and the distance
    // box gets the error mark before the coordinates are written.
    bool inputInvalid = false;

    // The hidden coordinate boxes: latitude, then longitude positive west.
    QString firstLatitude;
    QString firstLongitude;
    QString secondLatitude;
    QString secondLongitude;

    // The azimuth as calculated, written before the distance so that the new
    // recent-searches row carries it; the error mark for an invalid pair.
    QString calculatedAzimuth;
    QString distance;
    // What the azimuth box shows in the end: "0" for the same station, whose
    // row keeps the calculated azimuth; otherwise the calculated azimuth.
    QString azimuth;
    // Where the pointer goes for that final azimuth.
    std::optional<PointerTip> pointerTip;
};

// Everything the calculation shows for the two locator boxes' texts as the
// boxes hold them (upper-cased as typed), with the coordinates in `locale`.
// The boxes name the same station when their texts are equal, not when the
// locators decode to the same point.
ShownResults shownResults(const QString &firstBox, const QString &secondBox, const QLocale &locale);

// Where the pointer's tip goes for the text of the azimuth box: the number
// at the front of the text, if any fits the pointer's angle. Empty leaves the
// pointer where it is.
std::optional<PointerTip> pointerTipForAzimuthText(QStringView azimuthText);
