// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/inidocument.h"

#include "core/textcodec.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasLineBreakOrNul(QStringView text)
{
    for (QChar c : text) {
        if (c == u'\r' || c == u'\n' || c == u'\0')
            return true;
    }
    return false;
}

} // namespace

IniDocument::Line IniDocument::parseLine(QString text)
{
    Line line;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        if (close > 0) {
            line.kind = LineKind::Section;
            line.name = trimmed.mid(1, close - 1).trimmed();
        }
    } else if (!trimmed.startsWith(u';')) {
        const qsizetype eq = trimmed.indexOf(u'=');
        if (eq > 0) {
            line.name = trimmed.left(eq).trimmed();
            if (!line.name.isEmpty()) {
                line.kind = LineKind::Key;
                line.value = trimmed.mid(eq + 1).trimmed();
            }
        }
    }
    line.text = std::move(text);
    return line;
}

IniDocument IniDocument::parse(QByteArrayView bytes)
{
    IniDocument doc;
    const QStringList lines = decodeTextLines(bytes);
    doc.m_lines.reserve(lines.size());
    for (const QString& text : lines)
        doc.m_lines.append(parseLine(text));
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    QStringList lines;
    lines.reserve(m_lines.size());
    for (const Line& line : m_lines)
        lines.append(line.text);
    return encodeTextLines(lines);
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != LineKind::Section)
        ++i;
    return i;
}

qsizetype IniDocument::findSection(QStringView section, qsizetype* end) const
{
    const QStringView wanted = section.trimmed();
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == LineKind::Section && sameName(m_lines[i].name, wanted)) {
            if (end)
                *end = sectionEnd(i);
            return i;
        }
    }
    return -1;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const
{
    qsizetype end = 0;
    const qsizetype header = findSection(section, &end);
    if (header < 0)
        return std::nullopt;
    const QStringView wanted = key.trimmed();
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line& line = m_lines[i];
        if (line.kind != LineKind::Key || !sameName(line.name, wanted))
            continue;
        const QString& v = line.value;
        if (v.size() >= 2 && v.front() == v.back() && (v.front() == u'"' || v.front() == u'\''))
            return v.mid(1, v.size() - 2);
        return v;
    }
    return std::nullopt;
}

QString IniDocument::value(QStringView section, QStringView key, const QString& fallback) const
{
    return value(section, key).value_or(fallback);
}

bool IniDocument::hasSection(QStringView section) const
{
    return findSection(section) >= 0;
}

QStringList IniDocument::sections() const
{
    QStringList names;
    QSet<QString> seen;
    for (const Line& line : m_lines) {
        if (line.kind == LineKind::Section && !seen.contains(line.name.toCaseFolded())) {
            seen.insert(line.name.toCaseFolded());
            names.append(line.name);
        }
    }
    return names;
}

QStringList IniDocument::keys(QStringView section) const
{
    QStringList names;
    qsizetype end = 0;
    const qsizetype header = findSection(section, &end);
    if (header < 0)
        return names;
    QSet<QString> seen;
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line& line = m_lines[i];
        if (line.kind == LineKind::Key && !seen.contains(line.name.toCaseFolded())) {
            seen.insert(line.name.toCaseFolded());
            names.append(line.name);
        }
    }
    return names;
}

bool IniDocument::isValidSectionName(QStringView name)
{
    const QStringView t = name.trimmed();
    return !t.isEmpty() && !t.contains(u']') && !hasLineBreakOrNul(name);
}

bool IniDocument::isValidKey(QStringView key)
{
    const QStringView t = key.trimmed();
    return !t.isEmpty() && !t.contains(u'=') && !t.startsWith(u'[') && !t.startsWith(u';') &&
           !hasLineBreakOrNul(key);
}

bool IniDocument::isValidValue(QStringView value)
{
    return !hasLineBreakOrNul(value);
}

Status IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    if (!isValidSectionName(section))
        return {ErrorCode::InvalidArgument, u"invalid section name \"%1\""_s.arg(section)};
    if (!isValidKey(key))
        return {ErrorCode::InvalidArgument, u"invalid key \"%1\""_s.arg(key)};
    if (!isValidValue(value))
        return {ErrorCode::InvalidArgument, u"a value cannot hold a line break"_s};

    const QString name = key.trimmed();
    qsizetype end = 0;
    const qsizetype header = findSection(section, &end);
    if (header < 0) {
        if (!m_lines.isEmpty() && !m_lines.back().text.trimmed().isEmpty())
            m_lines.append(Line{});
        m_lines.append(parseLine(u'[' + section.trimmed() + u']'));
        m_lines.append(parseLine(name + u'=' + value));
        return {};
    }
    qsizetype insertAt = header + 1;
    for (qsizetype i = header + 1; i < end; ++i) {
        Line& line = m_lines[i];
        if (line.kind != LineKind::Key)
            continue;
        if (sameName(line.name, name)) {
            line = parseLine(line.name + u'=' + value); // keeps the key as spelt in the file
            return {};
        }
        insertAt = i + 1;
    }
    m_lines.insert(insertAt, parseLine(name + u'=' + value));
    return {};
}

void IniDocument::eraseSection(QStringView section)
{
    qsizetype end = 0;
    for (qsizetype header = findSection(section, &end); header >= 0;
         header = findSection(section, &end)) {
        m_lines.remove(header, end - header);
    }
}

} // namespace varnolite
