// SPDX-License-Identifier: GPL-3.0-or-later
// File name masks of the explorer view's filter: '*' and '?' wildcards, letter case ignored.
#pragma once

#include <QString>
#include <QStringList>

namespace varnolite {

class FileMask
{
public:
    /// A mask such as "*.mp3"; several masks may be given separated by ';' ("*.mp3;*.wav").
    /// Blanks around each mask are ignored; an empty mask matches every name. As on Windows, a
    /// mask ending in ".*" also matches names without an extension, so "*.*" matches all.
    explicit FileMask(const QString& mask = QString());

    /// The mask of the filter box text: the text up to its first blank, or the whole text when
    /// its first blank is its first character or it has none ("*.mp3 (Mp3's)" gives "*.mp3").
    static FileMask fromFilterText(const QString& filterText);

    bool matches(QStringView name) const;
    const QString& text() const { return m_text; }

private:
    QString m_text;
    QStringList m_patterns; // case-folded; empty means everything matches
};

/// The mask part of a filter box text, see FileMask::fromFilterText.
QString maskPartOf(const QString& filterText);

} // namespace varnolite
