// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/filemask.h"

#include "core/caseless.h"

namespace varnolite {

namespace {

// Wildcard match of a case-folded pattern against a name; '*' matches any run, '?' one character.
bool wildcardMatch(QStringView pattern, QStringView name)
{
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1; // position after the last '*' seen
    qsizetype starN = 0;  // name position that star is currently made to cover up to
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = ++p;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || pattern[p] == foldCase(name[n].unicode()))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

FileMask::FileMask(const QString& mask)
    : m_text(mask)
{
    const QStringList parts = mask.split(u';');
    for (const QString& part : parts) {
        const QString pattern = foldedCopy(part.trimmed());
        if (pattern.isEmpty())
            continue;
        if (pattern == u"*" || pattern == u"*.*") {
            m_patterns.clear();
            return;
        }
        m_patterns.append(pattern);
    }
}

FileMask FileMask::fromFilterText(const QString& filterText)
{
    return FileMask(maskPartOf(filterText));
}

bool FileMask::matches(QStringView name) const
{
    if (m_patterns.isEmpty())
        return true;
    for (const QString& pattern : m_patterns) {
        // "*.mp3" and the like: a star and a literal suffix, by far the most common mask.
        const QStringView tail = QStringView(pattern).sliced(1);
        if (pattern.startsWith(u'*') && !tail.contains(u'*') && !tail.contains(u'?')) {
            if (endsWithCaseless(name, tail))
                return true;
        } else if (wildcardMatch(pattern, name)) {
            return true;
        }
        if (pattern.endsWith(u".*") && wildcardMatch(QStringView(pattern).chopped(2), name))
            return true;
    }
    return false;
}

QString maskPartOf(const QString& filterText)
{
    const qsizetype blank = filterText.indexOf(u' ');
    return blank > 0 ? filterText.left(blank) : filterText;
}

} // namespace varnolite
