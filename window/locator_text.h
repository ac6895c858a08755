#pragma once
// Text rules of the two locator boxes.

#include <QString>

// Number of characters (code points) in `text`, counted as the locator check
// counts the same text in UTF-8: a pair of UTF-16 surrogates is one
// character, and so is a surrogate without its partner.
qsizetype codePointCount(const QString &text);

// Whether `text` has the length of a full locator; a second locator of that
// length is calculated as soon as it is typed.
bool hasLocatorLength(const QString &text);

// `text` in upper case, as the locator boxes show it. Letters beyond a..z
// take their Unicode upper case (é becomes É, ß becomes SS). Should the
// upper case of some text not be its own upper case, only a..z are mapped,
// so that upper-casing the result again changes nothing and the boxes'
// change handlers cannot call each other without end.
QString locatorUpperCase(const QString &text);

// Whether the two locator boxes name the same station: then there is no beam
// heading to show, whatever the arithmetic gives for it.
inline bool sameStation(const QString &first, const QString &second)
{
    return first == second;
}
