// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/integers.h"

#include <limits>

namespace varnolite {

std::optional<qint32> parsePlatformInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    int base = 10;
    if (i < text.size() && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' &&
               (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;
    quint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        value = value * quint64(base) + quint64(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (base == 16) {
        const auto bits = qint32(quint32(value));
        return negative ? qint32(0u - quint32(bits)) : bits;
    }
    if (negative ? value > 0x80000000ull : value > 0x7FFFFFFFull)
        return std::nullopt;
    return negative ? qint32(-qint64(value)) : qint32(value);
}

qint32 looseNumber(QStringView text)
{
    if (const std::optional<qint32> n = parsePlatformInteger(text))
        return *n;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = qMin<qint64>(value * 10 + (c.unicode() - u'0'), std::numeric_limits<qint32>::max());
    }
    return qint32(value);
}

} // namespace varnolite
