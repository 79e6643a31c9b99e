// SPDX-License-Identifier: GPL-3.0-or-later
// Naming an album from a description: an xmcd disc record (from a CDDB server or a ".qdb"
// file), a plain list of names, or an SFV checksum file. The files are paired with the names in
// order; the result is a rename batch for the pipeline and, for records, the tags to write.
#pragma once

#include "core/fileset.h"
#include "core/renamepipeline.h"
#include "tags/id3v1.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace varnolite {

/// The value of a record field from the lines of its slice ("TTITLE5=Long ti" and its
/// continuation "TTITLE5=tle"): the values of the lines with the slice's first key, joined,
/// without line ends. Comment lines and lines of other keys are left out.
QString recordFieldValue(QStringView slice);

/// The value fit for a file name: recordFieldValue with every "/" turned into "-" and the
/// illegal characters of a file name replaced.
QString cleanRecordField(QStringView slice);

/// The fields of an xmcd record, found by their keys.
struct XmcdRecord
{
    QString discTitle;       // "DTITLE", continuation lines joined
    QStringList trackTitles; // "TTITLE0", "TTITLE1", ... up to the first missing number
    bool hasDiscTitle = false;
};
XmcdRecord parseXmcdRecord(QStringView text);

struct CddbNamingOptions
{
    QString fileNamePattern = QStringLiteral("%N %S"); // "dateiformat"
    QString blankReplacement = QStringLiteral(" ");
    bool renameDirectory = true; // "Verzeichnis mitbenennen"
    bool writeTags = false;      // "direkt ID3 Tag schreiben"
    bool sampler = false;        // "Sampler": track titles carry the artist
    QString year;                // "Jahr"
    QString genre;               // "Genre": a genre name
    QString comment;             // "Kommentar"
};

/// What naming from a record does: the batch (the album directory first, when it is renamed,
/// then the files in order) and the tag of every file, keyed by its path.
struct CddbNamingPlan
{
    RenameBatch batch;
    QHash<QString, Id3v1Tag> tags;
    QStringList unnamed; // files the record has no title for: they keep their names
    QString artist;
    QString album;
    QString discTitle;
    int genre = 12;
};

/// Plans the naming of `files` (one album, in track order) from a record. `category` is the
/// chosen match's category (empty for a ".qdb" record) and gives the genre of the names;
/// `chosenTitle` the chosen match's "artist / title" (empty: the record's own disc title).
/// Names never leave the album's directory, and no entry is renamed to an empty name.
CddbNamingPlan planCddbNaming(const QString& record, const QString& category,
                              const QString& chosenTitle, const FileSet& files,
                              const CddbNamingOptions& options);

/// Writes the planned tags of the files that stay in the batch (after a preview): the
/// record's fields go into each file's tag, whose other fields (Lyrics3 and the rest) stay.
QList<PathError> writePlannedTags(const CddbNamingPlan& plan, const QStringList& sources,
                                  const WriteTagOptions& options);

/// Runs a plan: the preview (always shown when there is a hook), the tags of the entries kept,
/// then the renames through the pipeline.
struct CddbNamingReport
{
    RenameReport rename;
    QList<PathError> tagErrors;
};
CddbNamingReport applyCddbNaming(CddbNamingPlan plan, RenameOptions renameOptions, UndoLog& log,
                                 const RenameHooks& hooks, const WriteTagOptions& tagOptions);

// --- list files ------------------------------------------------------------------------------

/// Whether a plain list's first line (trimmed) lacks ".mp3", so ".mp3" may be offered.
bool plainListNeedsExtension(const QStringList& lines);

/// The names of a plain list for `count` files, in order: leading blanks and "(" removed, a
/// number put in front (numbering) or a one-digit number made two digits, trailing blanks
/// removed, ".mp3" appended when asked, illegal characters replaced. A line that gives no name
/// (an empty one, or the list ending first) gives nullopt: that file keeps its name.
QList<std::optional<QString>> plainListNames(const QStringList& lines, qsizetype count,
                                             bool numbering, bool addMp3);

/// The names of an SFV file for `count` files: every line that is no comment (";") and not
/// empty gives the name before its last blank (the checksum goes).
QList<std::optional<QString>> sfvNames(const QStringList& lines, qsizetype count);

/// The batch pairing files with names, each renamed in its own directory; files without a name
/// are left out.
RenameBatch listNamingBatch(const FileSet& files, const QList<std::optional<QString>>& names);

/// A ".qdb" file: whether "# xmcd" stands on its first or second line.
bool isQdbFile(const QStringList& lines);
/// The disc titles of the records for `trackCount` tracks (the last two hexadecimal digits of
/// their "DISCID"), sorted, as the choice offers them.
QStringList qdbDiscTitles(const QStringList& lines, qsizetype trackCount);
/// The record whose first "DTITLE" value begins the chosen title: from that line through the
/// next line holding a single ".". Empty when there is none.
QString qdbRecord(const QStringList& lines, const QString& chosenTitle);

} // namespace varnolite
