#include "window/locator_text.h"

#include <algorithm>
#include <utility>

#include "geodesy/locator.h"

namespace {

// Upper-casing works through the text in pieces of this many UTF-16 units:
// QString::toUpper takes time growing with the square of the length for
// texts full of letters whose upper case is longer (ß, ŉ), and a pasted
// megabyte of them would otherwise freeze the window for many seconds.
constexpr qsizetype kUpperCasePiece = 256;

// The full Unicode upper case of `text`, the same as text.toUpper(): each
// character's upper case depends on that character alone, so the pieces can
// be upper-cased one by one as long as no pair of surrogates is split.
QString upperCase(const QString &text)
{
    if (text.size() <= kUpperCasePiece)
        return text.toUpper();
    QString upper;
    upper.reserve(text.size() + text.size() / 8);
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = std::min(start + kUpperCasePiece, text.size());
        if (end < text.size() && text.at(end - 1).isHighSurrogate() && text.at(end).isLowSurrogate())
            --end;
        upper += QStringView(text).sliced(start, end - start).toString().toUpper();
        start = end;
    }
    return upper;
}

} // namespace

qsizetype codePointCount(const QString &text)
{
    qsizetype count = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate()) {
            --count;
            ++i;
        }
    }
    return count;
}

bool hasLocatorLength(const QString &text)
{
    return std::cmp_equal(codePointCount(text), geodesy::kLocatorLength);
}

QString locatorUpperCase(const QString &text)
{
    QString upper = upperCase(text);
    if (upperCase(upper) == upper)
        return upper;
    upper = text;
    for (QChar &c : upper) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return upper;
}
