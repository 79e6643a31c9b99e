// SPDX-License-Identifier: GPL-3.0-or-later
#include "engines/regexlist.h"

#include "core/paths.h"
#include "core/safefile.h"
#include "core/textcodec.h"
#include "engines/renameactions.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

// Bounds on the work of one match attempt: a catastrophic pattern fails fast instead of hanging.
const QString kLimits = u"(*LIMIT_MATCH=1000000)(*LIMIT_DEPTH=10000)"_s;

std::pair<QString, QString> splitExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return {name, QString()};
    return {name.left(dot), name.mid(dot)};
}

} // namespace

std::optional<QString> RegexReplace(const QString& text, const QString& expression,
                                    const QString& replacement)
{
    if (expression.isEmpty() || expression == u"()")
        return std::nullopt;
    const QRegularExpression re(kLimits + expression);
    if (!re.isValid())
        return std::nullopt;
    QString out;
    qsizetype copied = 0; // text before this is in `out`
    qsizetype from = 0;
    while (from <= text.size()) {
        const QRegularExpressionMatch m = re.match(text, from);
        if (!m.isValid())
            return std::nullopt; // the engine gave up: a limit was hit
        if (!m.hasMatch())
            break;
        const qsizetype start = m.capturedStart();
        const qsizetype end = m.capturedEnd();
        out += QStringView(text).sliced(copied, start - copied);
        out += replacement;
        copied = end;
        if (end > start) {
            from = end;
            continue;
        }
        // An empty match: keep the next character and move past it.
        if (end >= text.size())
            break;
        const qsizetype step = text[end].isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        out += QStringView(text).sliced(end, step);
        copied = end + step;
        from = end + step;
    }
    out += QStringView(text).sliced(copied);
    return out;
}

QString ruleSeparator()
{
    return u" => "_s;
}

RegexRule parseRule(const QString& line)
{
    const qsizetype at = line.indexOf(ruleSeparator());
    if (at < 0)
        return {QString(), line};
    return {line.left(at), line.mid(at + ruleSeparator().size())};
}

QString ruleLine(const RegexRule& rule)
{
    return rule.expression + ruleSeparator() + rule.replacement;
}

namespace {

std::optional<QString> throughList(QString base, const QList<RegexRule>& rules)
{
    for (qsizetype i = rules.size() - 1; i >= 0; --i) {
        const std::optional<QString> next =
            RegexReplace(base, rules[i].expression, rules[i].replacement);
        if (!next)
            return std::nullopt;
        base = *next;
    }
    return base;
}

} // namespace

std::optional<QString> ApplyExpressionList(const QString& name, const QList<RegexRule>& rules)
{
    const auto [base, extension] = splitExtension(name);
    const std::optional<QString> result = throughList(base, rules);
    if (!result)
        return std::nullopt;
    return *result + extension;
}

RenameBatch BuildRegexBatch(const FileSet& files, const QList<RegexRule>& rules)
{
    RenameBatch batch;
    for (const QString& entry : files) {
        const std::optional<QString> name = ApplyExpressionList(fileNameOf(entry), rules);
        batch.append(entry, name ? targetInDirectory(entry, *name) : entry);
    }
    return batch;
}

QString regexSampleName()
{
    return u"01 artist - song.mp3"_s;
}

QString invalidExpressionText()
{
    return u"No valid expression"_s;
}

std::optional<QString> regexExample(const QString& name, const QList<RegexRule>& rules,
                                    const RegexRule& typed)
{
    const auto [base, extension] = splitExtension(name.isEmpty() ? regexSampleName() : name);
    std::optional<QString> result = throughList(base, rules);
    if (result)
        result = RegexReplace(*result, typed.expression, typed.replacement);
    if (!result)
        return std::nullopt;
    return result->isEmpty() ? *result : *result + extension;
}

Result<QList<RegexRule>> readRegexFile(const QString& path)
{
    auto bytes = readFileBytes(path, 16 * 1024 * 1024);
    if (!bytes.ok())
        return bytes.status();
    QList<RegexRule> rules;
    for (const QString& line : decodeTextLines(bytes.value()))
        rules.append(parseRule(line));
    return rules;
}

Status writeRegexFile(const QString& path, const QList<RegexRule>& rules)
{
    QStringList lines;
    for (const RegexRule& rule : rules)
        lines.append(ruleLine(rule));
    return writeFileAtomically(path, encodeTextLines(lines));
}

const QList<RegexMenuEntry>& regexRulesMenu()
{
    static const QList<RegexMenuEntry> entries = {
        {u"Any Character\t."_s, u"."_s},
        {u"Character in Group\t[ ]"_s, u"[ ]"_s},
        {u"Character not in Group\t[^ ]"_s, u"[^ ]"_s},
        {u"Beginning of line\t^"_s, u"^"_s},
        {u"End of line\t$"_s, u"$"_s},
        {u"Tagged Expression\t( )"_s, u"( )"_s},
        {u"Or\t|"_s, u"|"_s},
        {u"0 or more matches\t*"_s, u"*"_s},
        {u"1 or more matches\t+"_s, u"+"_s},
        {u"-"_s, QString()},
        {u"Alphanumeric Characters\t[0-z]"_s, u"[0-z]"_s},
        {u"Alphabetic Characters\t[A-z]"_s, u"[A-z]"_s},
        {u"Numeric Characters\t[0-9]"_s, u"[0-9]"_s},
    };
    return entries;
}

} // namespace varnolite
