// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/textcodec.h"

#include <array>

namespace varnolite {

namespace {

// Bytes 0x80..0x9F of Windows-1252; the undefined ones keep their own number.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The byte for one UTF-16 unit, or -1 when the code page has no such character.
int windows1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (std::size_t i = 0; i < kHighControlRange.size(); ++i) {
        if (kHighControlRange[i] == c)
            return int(0x80 + i);
    }
    return -1;
}

QString decodeLine(QByteArrayView line)
{
    return isValidUtf8(line) ? QString::fromUtf8(line) : decodeWindows1252(line);
}

} // namespace

QString decodeWindows1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        dst[i] = (b >= 0x80 && b < 0xA0) ? kHighControlRange[b - 0x80] : char16_t(b);
    }
    return out;
}

QByteArray encodeWindows1252(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i; // one character outside the code page, one '?'
            out.append('?');
            continue;
        }
        const int b = windows1252Byte(c);
        out.append(b < 0 ? '?' : char(b));
    }
    return out;
}

bool fitsWindows1252(QStringView text)
{
    for (QChar c : text) {
        if (windows1252Byte(c.unicode()) < 0)
            return false;
    }
    return true;
}

bool isValidUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int extra;
        unsigned lowest; // smallest code point allowed for this length (no overlong forms)
        unsigned cp;
        if ((b & 0xE0) == 0xC0) {
            extra = 1;
            lowest = 0x80;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            lowest = 0x800;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            lowest = 0x10000;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (n - i <= extra)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char c = p[i + k];
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

QString decodeText(QByteArrayView bytes)
{
    while (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    QString out;
    out.reserve(bytes.size());
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        out += decodeLine(bytes.sliced(start, end - start));
        start = end;
    }
    return out;
}

QStringList decodeTextLines(QByteArrayView bytes)
{
    const QString text = decodeText(bytes);
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype lf = text.indexOf(u'\n', start);
        if (lf < 0) {
            lines.append(text.sliced(start));
            break;
        }
        const qsizetype end = (lf > start && text[lf - 1] == u'\r') ? lf - 1 : lf;
        lines.append(text.sliced(start, end - start));
        start = lf + 1;
    }
    return lines;
}

QByteArray encodeTextLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    return out;
}

} // namespace varnolite
