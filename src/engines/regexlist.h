// SPDX-License-Identifier: GPL-3.0-or-later
// Lists of regular-expression replacements applied to file names.
#pragma once

#include "core/fileset.h"
#include "core/renamepipeline.h"
#include "core/status.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace varnolite {

/// Every non-overlapping match of `expression` in `text`, left to right, replaced by
/// `replacement` taken literally ("$1" stays "$1"); matching is case-sensitive. nullopt when the
/// expression is invalid: empty, "()", not compilable, or a match that hits the engine's match
/// or stack limits (so a catastrophic pattern ends quickly instead of hanging). An empty match
/// is replaced and the scan moves on by one character.
std::optional<QString> RegexReplace(const QString& text, const QString& expression,
                                    const QString& replacement);

/// One entry of the list: "expression => replacement".
struct RegexRule
{
    QString expression;
    QString replacement;
    friend bool operator==(const RegexRule&, const RegexRule&) = default;
};

/// The separator of a list entry's two parts: " => ".
QString ruleSeparator();
/// A list entry read from its line: the expression before the first " => ", the replacement
/// after it (a line without " => " has an empty expression).
RegexRule parseRule(const QString& line);
/// The line of a list entry.
QString ruleLine(const RegexRule& rule);

/// The name run through the list, from its last entry to its first, on the name without its
/// extension; nullopt as soon as an entry is invalid.
std::optional<QString> ApplyExpressionList(const QString& name, const QList<RegexRule>& rules);

/// The batch of a file set: every entry renamed in its own directory to its name after the list.
/// When the list is invalid for a name, that entry keeps its name. A result is held inside its
/// directory ("/" and control characters become "_").
RenameBatch BuildRegexBatch(const FileSet& files, const QList<RegexRule>& rules);

/// "01 artist - song.mp3", the example's name when no file is selected.
QString regexSampleName();
/// "No valid expression"
QString invalidExpressionText();

/// The example: the sample (or the selected name) through the list, then through the pair being
/// typed; nullopt when that is invalid (an empty expression always is).
std::optional<QString> regexExample(const QString& name, const QList<RegexRule>& rules,
                                    const RegexRule& typed);

/// The entries of a ".rex" file, in order (one per line).
Result<QList<RegexRule>> readRegexFile(const QString& path);
/// Writes the entries, one per line (UTF-8, CR LF).
Status writeRegexFile(const QString& path, const QList<RegexRule>& rules);

/// The menu of expression building blocks: caption and the text appended to the expression.
struct RegexMenuEntry
{
    QString caption;
    QString text; // empty for the separator line
};
const QList<RegexMenuEntry>& regexRulesMenu();

} // namespace varnolite
