#pragma once
// The "Ultime ricerche" list: four row labels used as a ring under a heading.
//
// There is no counter: where the next entry goes follows from which rows are
// empty. Each entry also empties the row after it, so once the ring has
// wrapped it shows the three latest results and one "..." row marking where
// the next one will go. Entries never move.

#include <QString>

#include <array>

inline constexpr int kRecentRows = 4;

struct RecentSearches
{
    std::array<QString, kRecentRows> rows; // captions of the four row labels, top first
    bool headingShown = false;
    std::array<bool, kRecentRows> rowShown{};
};

// The caption of a row that holds no entry.
QString emptyRecentRow();

// One row: "JN45OL--- 472Km--- 328°" from the texts of the second locator,
// distance and azimuth boxes exactly as they stand.
QString recentSearchRow(const QString &locator, const QString &distance, const QString &azimuth);

// Puts `row` into the next place of the ring and shows what must be shown.
void addRecentSearch(RecentSearches &list, const QString &row);
