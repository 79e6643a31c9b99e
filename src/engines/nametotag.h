// SPDX-License-Identifier: GPL-3.0-or-later
// Name to tag: ID3v1.1 fields cut out of a file's name and the names of its directories by a
// preset or a quick pattern, or typed values written into every file, with a lock per field.
#pragma once

#include "core/fileset.h"
#include "core/progress.h"
#include "core/status.h"
#include "engines/piecetable.h"
#include "engines/presets.h"
#include "tags/id3v1.h"

#include <QString>

#include <array>
#include <optional>

namespace varnolite {

/// How names are read: by an album preset, or by the one quick pattern ("schnelles Taggen",
/// e.g. "%N %A - %S"; every "\" or "/" in it takes one more directory level in front of the
/// file name).
struct NamePattern
{
    bool usePreset = true;
    Tname2tagrec preset;
    QString quickPattern = QStringLiteral("%N %A - %S");
    QString blankReplacement = QStringLiteral(" ");
};

/// The tag with title, artist, album, comment, year and track taken from the name of a file
/// (`fileName`, in the directory `directory`); the other members are those of `old`. A year
/// (first 4 characters) or track (first 3) that is no whole number keeps the old value; the
/// blank replacement (when it is one character) is trimmed off album, title, comment and artist.
Id3v1Tag ParseNameToTag(const QString& fileName, const QString& directory, const Id3v1Tag& old,
                        const NamePattern& pattern);

enum class TagSource
{
    FromName,    // "Hole von Name": fields from the names; a locked field takes the typed value
    TypedValues, // "TAG schreiben": the typed values; a locked field is left alone
};

enum class TagField
{
    Title,
    Artist,
    Album,
    Year,
    Genre,
    Comment,
    Track
};
inline constexpr int kTagFieldCount = 7;

/// The values typed into the page's fields; the genre is the genre box's text.
struct TypedTag
{
    QString title;
    QString artist;
    QString album;
    QString year;
    QString genre;
    QString comment;
    QString track;
};

struct NameToTagRequest
{
    TagSource source = TagSource::FromName;
    NamePattern pattern;
    TypedTag typed;
    std::array<bool, kTagFieldCount> locked{}; // indexed by TagField
    bool leaveOld = false;     // "wenn locked, altes belassen": a locked field keeps its value
    bool onlyUntagged = false; // "nur wenn kein Tag vorhanden"
    WriteTagOptions write;     // "Schreibschutz beachten", "Lyrics3v2.00 Tag benutzen ..."

    bool isLocked(TagField field) const { return locked[size_t(field)]; }
};

/// The tag a file gets: nullopt when it is skipped (it has a tag and only untagged files are
/// asked for). `old` is the file's tag as read (empty when it has none).
std::optional<Id3v1Tag> tagToWrite(const QString& path, const Id3v1Tag& old, bool hadTag,
                                   const NameToTagRequest& request);

/// What happened to one file.
struct TagWriteReport
{
    QString path;
    bool skipped = false;
    WriteTagResult result;
};

/// Writes the tag of every file of the set (directories are left out; the caller expands them
/// first when recursing) through the tag writer, reading and writing each file once. Failures
/// do not stop the run. The automatic playlist, when wanted, is the caller's to write first.
QList<TagWriteReport> WriteTags(const FileSet& files, const NameToTagRequest& request,
                                const ProgressHook& progress = {});

} // namespace varnolite
