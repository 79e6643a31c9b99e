// SPDX-License-Identifier: GPL-3.0-or-later
// The rename action language: a "Von" pattern cuts a name into pieces (%x codes), a "Nach"
// pattern builds the new name from them, and a command list such as «s(_/ )gk(Aa)» runs on the
// old name or on the result.
#pragma once

#include "core/fileset.h"
#include "core/renamepipeline.h"
#include "core/status.h"
#include "engines/piecetable.h"

#include <QList>
#include <QString>

#include <optional>

namespace varnolite {

/// What the commands use of the settings.
struct ActionContext
{
    QString blankReplacement = QStringLiteral(" "); // "Zwischenräume als"
    QString separator = QStringLiteral("-");        // "Standard Trenner"
    QString partsFiller = QStringLiteral(" ");      // the filler of "Zwischen \"Teilen\""
};

/// Runs the commands of a list on a name, left to right. Unknown commands and commands
/// without the arguments they need change nothing.
QString RunActionList(QString list, QStringView name, const ActionContext& context);

/// The piece table of an expression holds at most this many slots; further placeholders are
/// ignored.
inline constexpr qsizetype kMaxPieces = 100;

/// Cuts `name` into pieces by the "Von" pattern (see ApplyExpression); the "Nach" pattern is
/// filled from them by FillFromPieces.
PieceTable cutExpressionPieces(QString pattern, QString name);

enum class ActionsApplyTo
{
    Source,
    Result
}; // "Quelle", "Ergebnis"

struct Expression
{
    QString from;     // "Von"
    QString to;       // "Nach"
    QString commands; // the command list
    ActionsApplyTo applyTo = ActionsApplyTo::Result;
};

enum class EntryKind
{
    File,
    Directory
};

/// The new name (last path component only) of an entry named `name`: the commands on the old
/// name ("Quelle"), the pieces of "Von" put together by "Nach" (both empty: "%a"), the
/// extension added back for files, then the commands on the result ("Ergebnis").
QString ApplyExpression(QStringView name, EntryKind kind, const Expression& expression,
                        const ActionContext& context);

/// Whether the command has anything to do: patterns usable or commands given.
bool expressionIsUsable(const Expression& expression);

/// The batch of a file set: every entry renamed in its own directory (directories by the
/// directory rule). The caller expands directories first.
RenameBatch BuildExpressionBatch(const FileSet& files, const Expression& expression,
                                 const ActionContext& context);

/// "Beispiel: " and what the expression makes of a file name.
QString expressionExample(QStringView name, const Expression& expression,
                          const ActionContext& context);

/// The fields a ".qxn" file sets: its first three lines; a missing line sets nothing.
struct ExpressionFile
{
    std::optional<QString> from;
    std::optional<QString> to;
    std::optional<QString> commands;
};
Result<ExpressionFile> readExpressionFile(const QString& path);
Status writeExpressionFile(const QString& path, const Expression& expression);
/// The names of the ".qxn" files of a directory, without the extension, sorted.
QStringList listExpressionFiles(const QString& directory);

/// The command menu: its caption and the text it appends.
struct CommandMenuEntry
{
    QString caption;
    QString text;
};
const QList<CommandMenuEntry>& commandMenu();

/// The command list after choosing a menu entry: the entry's text appended, and the caret
/// position right after its "(".
std::pair<QString, qsizetype> appendCommand(const QString& list, const CommandMenuEntry& entry);

} // namespace varnolite
