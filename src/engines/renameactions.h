// SPDX-License-Identifier: GPL-3.0-or-later
// The thirteen clean-up actions on file names, and the string operations behind them (the
// rename action language calls the same operations). Positions count from 1; "digit" means 0-9
// and "capital" A-Z only. Every operation works on the whole name, extension included.
#pragma once

#include "core/fileset.h"
#include "core/renamepipeline.h"
#include "core/status.h"

#include <QString>

namespace varnolite {

/// Every occurrence of `x` replaced by `y`, scanning left to right; after a replacement the
/// character right after the inserted text is not examined. A "." standing fourth from the end
/// (the dot of a three-letter extension) is never replaced. An empty `x` puts `y` before every
/// character. A replacement that makes the name longer stops at 4096 characters.
QString ReplaceEvery(QStringView name, QStringView x, QStringView y);

/// The first occurrence of `x` replaced by `y`; an empty `x` changes nothing.
QString ReplaceFirst(QStringView name, QStringView x, QStringView y);

/// A short release-group tag glued to the title with a dash removed ("Song-NBD.mp3").
QString RemoveGroupName(QStringView name);

/// Everything before the first two adjacent digits that have a character after them.
QString CutToNumber(QStringView name);

enum class UnbracketRule
{
    Numbers,
    AnyPair
};
enum class UnbracketPlace
{
    Front,
    Anywhere
};

/// Removes brackets: two-digit numbers in brackets, or the first bracket pair; at the front of
/// the name or anywhere. "(" ")" and "[" "]" count alike.
QString Unbracket(QStringView name, UnbracketRule rule, UnbracketPlace place);

/// Every run of spaces made one space.
QString CollapseSpaces(QStringView name);

/// A "0" before a leading single digit.
QString PadNumber(QStringView name);

/// `text` inserted before every capital but the last character.
QString InsertBeforeCapitals(QStringView name, QStringView text);

enum class PositionEdit
{
    Delete,
    Insert
};

/// Deletes `count` characters at `position`, or inserts `blank` `count` times there. A name is
/// never made longer than 4096 characters by the insertion.
QString EditAtPosition(QStringView name, qint64 position, qint64 count, PositionEdit edit,
                       QStringView blank);

/// "[number ]artist<sep>title.ext" turned into "[number ]title<sep>artist.ext". The separator
/// must be one character.
QString SwapArtistTitle(QStringView name, QStringView separator, QStringView blank);

/// `increment` added to the number formed by the first two characters (the platform's integer
/// rules); the sum put in front with a "0" when it is below 10.
QString AddToNumber(QStringView name, qint64 increment);

/// Case change by a mode text: "Aaa" sentence case, "Aa" word case, "AA" upper, "aa" lower (the
/// mode is recognised by its case pattern). Only a-z are capitalised at word starts; the
/// whole-name modes and the lower-casing use the full case mapping.
QString ChangeCase(QStringView name, QStringView mode);

/// The filler put around the standard separator ("Zwischen \"Teilen\"").
QString SpaceParts(QStringView name, QStringView separator, QStringView filler);

/// The actions tab: which actions are checked and what their controls hold.
struct RenameActionOptions
{
    bool removeGroupName = false; // 1 "Groupname entfernen"
    bool replaceChars = false;    // 2 "entfernen": `replaceWhat` by `replaceWith`
    QString replaceWhat = QStringLiteral("_");
    QString replaceWith = QStringLiteral(" ");
    bool cutToNumber = false; // 3 "bis zur Nummer kürzen"
    bool unbracket = false;   // 4 "entklammer"
    UnbracketRule unbracketRule = UnbracketRule::Numbers;
    UnbracketPlace unbracketPlace = UnbracketPlace::Front;
    bool collapseSpaces = false;       // 5 "kürze mehr als ein Leerzeichen"
    bool padNumber = false;            // 6 "Nummer vorne 2-stellig machen"
    bool insertBeforeCapitals = false; // 7 "vor Grossbuchstaben"
    QString capitalsText = QStringLiteral(" ");
    bool replaceText = false; // 8 "Erstes"/"Jedes" `search` "durch" `replacement`
    bool replaceFirstOnly = true;
    QString search;
    QString replacement;
    bool editAtPosition = false; // 9 "Bei Zeichen" `position`, `count`: delete or insert
    QString position = QStringLiteral("1");
    QString count = QStringLiteral("1");
    PositionEdit positionEdit = PositionEdit::Delete;
    bool swapArtistTitle = false; // 10 "Künstler<->Titel tauschen"
    bool addToNumber = false;     // 11 "Bei Nummer ... addieren"
    QString increment = QStringLiteral("1");
    bool changeCase = false; // 12 "Gross/Kleinschreibung:"
    QString caseMode;        // "Aaa", "Aa", "AA", "aa"; empty: no change
    bool spaceParts = false; // 13 "Zwischen \"Teilen\""
    QString partsFiller = QStringLiteral(" ");

    QString blankReplacement = QStringLiteral(" "); // "Zwischenräume als"
    QString separator = QStringLiteral("-");        // "Standard Trenner"

    bool anyChecked() const;
};

/// The text that stands for a blank in generated names, from the box "Zwischenräume als" (and
/// the third argument of the action language's "ins"): " " for "Leerzeichen", "_" for
/// "Unterstriche", "." for "Punkte", otherwise the typed text.
QString blankReplacementFor(const QString& boxText);

/// The texts the editable combos stand for: their first two items give fixed texts, anything
/// else typed stands for itself.
QString replaceWhatText(const QString& comboText); // "Unterstriche" _, "Punkte" .
QString replaceWithText(const QString& comboText); // "Leerzeichen" blank, "nichts" nothing
QString fillerText(const QString& comboText);      // "Leerzeichen" blank, "Punkte" .
/// The case mode of the list `wiegross` by its item index (-1 or beyond: none).
QString caseModeOfItem(int index);

/// Checks the number fields of the checked actions: a position, count or increment that is not
/// a whole number is an error (and nothing may be renamed).
Status checkRenameActions(const RenameActionOptions& options);

/// Applies every checked action in the fixed order, each on the result of the one before.
/// Number fields that are not whole numbers skip their action (checkRenameActions reports them).
QString ApplyRenameActions(QStringView name, const RenameActionOptions& options);

/// The batch of a file set: each entry renamed in its own directory to its name after the
/// actions and the illegal-character replacement. The caller expands directories first.
RenameBatch BuildActionBatch(const FileSet& files, const RenameActionOptions& options);

/// "Beispiel: " and what the actions make of a name.
QString actionExample(QStringView name, const RenameActionOptions& options);

/// "Keine Aktionen gewählt - NIX ZU TUN :("
QString noActionsMessage();
/// "Keine Datei[n] gewählt - NIX ZU TUN :("
QString noFilesMessage();
/// "Beispiel: "
QString examplePrefix();

/// The new full path of an entry renamed to `newName` in its own directory. The name can never
/// leave that directory: "/" and control characters become "_", and an empty name, "." or ".."
/// becomes "_".
QString targetInDirectory(const QString& entry, const QString& newName);

} // namespace varnolite
