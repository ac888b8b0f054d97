#pragma once
// Numbers in list texts: leading white space is skipped, an optional sign is
// taken, then decimal digits up to the first non-digit; no digits give 0.
// Numbers become texts in plain decimal: no plus sign, no leading zeros, no
// separators.

#include <QString>

#include <climits>

inline int decimalToInt(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    long long value = 0;
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

inline QString intToDecimal(int value) { return QString::number(value); }
