// SPDX-License-Identifier: GPL-3.0-or-later
// Tag to name: a pattern of placeholders ("%N - %K - %S") and free text gives every file a new
// name, and possibly new directories below its own, from its ID3v1.1 tag.
#pragma once

#include "core/fileset.h"
#include "core/progress.h"
#include "core/renamepipeline.h"
#include "core/status.h"
#include "tags/id3v1tag.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace varnolite {

/// The pattern expanded for a tag, cut into its path parts: directories where the pattern has a
/// "\" or "/" of its own, the file name last. Placeholders (upper case only):
///   %N counter, two digits at least    %T track, two digits at least    %S title
///   %K artist    %A album    %C comment    %J year    %G genre name ("-" for none)
///   %U the first run of digits in the comment
/// Any other "%x" is dropped with its "%", and a "%" that ends the pattern too. Every blank is
/// then replaced by `blankReplacement`. A "\" or "/" that comes from a value (or from the blank
/// replacement) becomes "_": only the pattern separates directories.
QStringList expandTagPatternParts(QStringView pattern, const Id3v1Tag& tag, quint32 counter,
                                  QStringView blankReplacement);

/// The expansion as one text, its parts joined by "/".
QString ExpandTagPattern(QStringView pattern, const Id3v1Tag& tag, quint32 counter,
                         QStringView blankReplacement);

/// The extension a file named `fileName` gets: ".mp3" for an MP3 file (any letter case);
/// any other file keeps its own extension (from its last "." on; none when it has none).
QString tagNameExtension(QStringView fileName);

enum class EmptyName
{
    GetsExtension, // the batch: an empty name part is still followed by the extension
    StaysEmpty,    // the example: the extension only after a name
};

/// The relative path of an expansion: every part loses the illegal characters of a file name and
/// the blanks at both ends; a directory part that is then "." or ".." becomes "_", and an empty
/// one joins its neighbours. The extension is appended to the name part; a file name that is
/// then empty, "." or ".." becomes "_".
QString tagPatternPath(const QStringList& parts, QStringView extension,
                       EmptyName empty = EmptyName::GetsExtension);

/// The batch of a file set: every file (directories are left out; the caller expands them
/// first when recursing) renamed to its directory followed by the path of its expansion. The
/// counter starts at 1 and restarts in every directory. Files without a tag, or that cannot be
/// read, are named from empty fields and genre "-".
RenameBatch BuildTagNameBatch(const FileSet& files, const QString& pattern,
                              const QString& blankReplacement, const ProgressHook& progress = {});

/// "Beispiel: " and the relative path the pattern makes for a file (counter 1).
QString tagNameExample(const QString& path, const QString& pattern,
                       const QString& blankReplacement);

/// The placeholders in the order of their check boxes, with the separator of "Trenner ('-')".
const QStringList& tagPlaceholders(); // "%N", "%T", "%S", "%K", "%A", "%C", "%J", "%G", "%U"
QString separatorPlaceholder();       // "-"

/// The pattern box at the moment a check box (or the separator button) is clicked.
struct PatternBox
{
    QString text;
    qsizetype selectionStart = 0;
    qsizetype selectionLength = 0;
    bool hadFocus = false;         // the box had the keyboard focus just before the click
    qsizetype rememberedCaret = 0; // its caret at that moment
    bool showing = true;           // the box is visible (it then gets the focus back)
};

struct ToggledPattern
{
    QString text;
    std::optional<qsizetype> caret; // where the caret goes when the box gets the focus back
};

/// What a click on a placeholder's check box (or, with "-" and checked, the separator button)
/// makes of the pattern. Checking adds the placeholder (after a blank unless the box is empty)
/// at the caret when the box had the focus, else at the end, once only ("-" any number of
/// times); unchecking deletes its first occurrence with the blanks and dashes that follow, and
/// one blank left at the end. Nothing happens while the tag-to-name page is not active.
ToggledPattern TogglePlaceholder(const PatternBox& box, QStringView placeholder, bool checked,
                                 bool pageActive);

/// Whether a check box shows as checked: its placeholder occurs in the pattern.
bool placeholderChecked(QStringView pattern, QStringView placeholder);

/// Pattern files (".vtn"): the first line is the pattern.
/// The pattern of a file; nullopt for an empty file.
Result<std::optional<QString>> readTagNamePatternFile(const QString& path);
/// Writes the pattern and CR LF.
Status writeTagNamePatternFile(const QString& path, const QString& pattern);
/// The names of the ".vtn" files of a directory, without the extension, sorted.
QStringList listTagNamePatternFiles(const QString& directory);

} // namespace varnolite
