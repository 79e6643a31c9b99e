// SPDX-License-Identifier: GPL-3.0-or-later
// Comparing names without regard to letter case, fast for the ASCII letters that most names
// consist of (these run once per file of a collection).
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

namespace varnolite {

/// The case-folded form of one UTF-16 unit.
inline char16_t foldCase(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return QChar::toCaseFolded(c);
}

/// The case-folded copy of a text, unit by unit.
inline QString foldedCopy(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < text.size(); ++i)
        dst[i] = foldCase(text[i].unicode());
    return out;
}

/// Compares two texts unit by unit after case folding: negative, 0 or positive.
inline int compareCaseless(QStringView a, QStringView b)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = foldCase(a[i].unicode());
        const char16_t y = foldCase(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

/// Whether `text` ends with `foldedSuffix` (already case-folded) without regard to case.
inline bool endsWithCaseless(QStringView text, QStringView foldedSuffix)
{
    if (text.size() < foldedSuffix.size())
        return false;
    const qsizetype offset = text.size() - foldedSuffix.size();
    for (qsizetype i = 0; i < foldedSuffix.size(); ++i) {
        if (foldCase(text[offset + i].unicode()) != foldedSuffix[i].unicode())
            return false;
    }
    return true;
}

} // namespace varnolite
