#include "window/recent_searches.h"

QString emptyRecentRow()
{
    return QStringLiteral("...");
}

QString recentSearchRow(const QString &locator, const QString &distance, const QString &azimuth)
{
    return locator + QLatin1String("---") + distance + QLatin1String("Km---") + azimuth + QChar(0x00B0);
}

void addRecentSearch(RecentSearches &list, const QString &row)
{
    auto &r = list.rows;
    const QString empty = emptyRecentRow();
    auto write = [&](int i) {
        r[i] = row;
        list.rowShown[i] = true;
    };
    // The rules are tried in this order, each seeing what the ones before
    // it wrote; from any state that the list can reach, exactly one writes.
    if (r[2] != empty && r[3] == empty) {
        write(3);
        r[0] = empty;
        return;
    }
    if (r[1] != empty && r[2] == empty) {
        write(2);
        r[3] = empty;
    }
    if (r[0] != empty && r[1] == empty) {
        write(1);
        r[2] = empty;
    }
    if (r[0] == empty) {
        write(0);
        list.headingShown = true;
        r[1] = empty;
    }
}
