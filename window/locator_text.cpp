#include "window/locator_text.h"

qsizetype CharacterCount(const QString& text) {
    qsizetype count = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate()) {
            --count;
            ++i;
        }
    }
    return count;
}

QString LocatorUpperCase(const QString& text) {
    QString upper = text.toUpper();
    if (upper.toUpper() == upper) return upper;
    upper = text;
    for (QChar& c : upper) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    }
    return upper;
}
