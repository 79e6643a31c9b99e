// SPDX-License-Identifier: GPL-3.0-or-later
// An INI file in memory, with the rules of the Windows private-profile functions: sections and
// keys compare without regard to case, values are trimmed and lose one pair of enclosing double
// or single quotes on reading, the first of several equal sections or keys is the one that counts,
// and every line that is not touched (comments, unknown sections, odd lines) is kept as it was.
#pragma once

#include "core/status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace varnolite {

class IniDocument
{
public:
    IniDocument() = default;

    /// Parses the bytes of a file (text decoding as for every text file of the program).
    static IniDocument parse(QByteArrayView bytes);
    /// The file's bytes: UTF-8, lines ended by CR LF.
    QByteArray toBytes() const;

    bool isEmpty() const { return m_lines.isEmpty(); }

    /// The value of a key, trimmed and without one pair of enclosing quotes; nullopt when the
    /// section or the key is missing.
    std::optional<QString> value(QStringView section, QStringView key) const;
    QString value(QStringView section, QStringView key, const QString& fallback) const;

    bool hasSection(QStringView section) const;
    /// Section names in file order, each once.
    QStringList sections() const;
    /// Key names of a section in file order, each once, spelt as in the file.
    QStringList keys(QStringView section) const;

    /// Replaces the value in place, or adds the key at the end of its section, or adds the section
    /// at the end of the document. Names and values that the file syntax cannot hold (line breaks,
    /// NUL, "=" in a key, "]" in a section name, empty names) are refused.
    Status setValue(const QString& section, const QString& key, const QString& value);

    /// Removes every section of that name with all its lines.
    void eraseSection(QStringView section);

    /// Whether a name can be a section name, a key, or a value of this file syntax.
    static bool isValidSectionName(QStringView name);
    static bool isValidKey(QStringView key);
    static bool isValidValue(QStringView value);

private:
    enum class LineKind
    {
        Other,
        Section,
        Key
    };
    struct Line
    {
        QString text;
        LineKind kind = LineKind::Other;
        QString name;  // section name or key, trimmed
        QString value; // raw value of a key line, trimmed
    };
    static Line parseLine(QString text);

    // Index of the first header of that section, or -1; the section's lines run to `end`.
    qsizetype findSection(QStringView section, qsizetype* end = nullptr) const;
    qsizetype sectionEnd(qsizetype header) const;

    QList<Line> m_lines;
};

} // namespace varnolite
