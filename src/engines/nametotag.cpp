// SPDX-License-Identifier: GPL-3.0-or-later
#include "engines/nametotag.h"

#include "core/fileattributes.h"
#include "core/integers.h"
#include "core/paths.h"
#include "tags/genres.h"

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

// The names of the directories of a path, nearest last ("/a/b/c" gives a, b, c).
QStringList directoryNames(QStringView directory)
{
    QStringList names;
    for (const QStringView part : directory.split(u'/', Qt::SkipEmptyParts))
        names.append(part.toString());
    return names;
}

QString trimmed(QString text, QStringView blank)
{
    if (blank.size() != 1)
        return text;
    const QChar c = blank.front();
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == c)
        ++from;
    while (to > from && text[to - 1] == c)
        --to;
    return text.sliced(from, to - from);
}

// A year or track cut to its length that is no whole number keeps the old value.
QString numberOr(QString text, qsizetype length, const QString& old)
{
    text.truncate(length);
    return parsePlatformInteger(text) ? text : old;
}

// The six text fields that names and typed values fill, with their typed value and the
// preset's pattern for them.
struct TextField
{
    TagField field;
    QString Id3v1Tag::*member;
    QString TypedTag::*typed;
    QString Tname2tagrec::*presetPattern;
    qsizetype maxLength; // of a typed value; -1 for none
};

const std::array<TextField, 6>& textFields()
{
    static const std::array<TextField, 6> fields = {{
        {TagField::Title, &Id3v1Tag::title, &TypedTag::title, &Tname2tagrec::tagtitel, -1},
        {TagField::Artist, &Id3v1Tag::artist, &TypedTag::artist, &Tname2tagrec::tagartist, -1},
        {TagField::Album, &Id3v1Tag::album, &TypedTag::album, &Tname2tagrec::tagalbum, -1},
        {TagField::Comment, &Id3v1Tag::comment, &TypedTag::comment, &Tname2tagrec::tagcomment, -1},
        {TagField::Year, &Id3v1Tag::year, &TypedTag::year, &Tname2tagrec::tagyear, 4},
        {TagField::Track, &Id3v1Tag::track, &TypedTag::track, &Tname2tagrec::tagtrack, 3},
    }};
    return fields;
}

bool hasNoGenre(const Id3v1Tag& tag)
{
    return tag.genre < 0 || tag.genre >= kNoGenre;
}

} // namespace

Id3v1Tag ParseNameToTag(const QString& fileName, const QString& directory, const Id3v1Tag& old,
                        const NamePattern& pattern)
{
    Id3v1Tag tag = old;
    for (QString* field :
         {&tag.title, &tag.artist, &tag.album, &tag.comment, &tag.year, &tag.track})
        field->clear();

    const QStringList directories = directoryNames(directory);
    const auto level = [&](qsizetype up) { // 0: the file's own directory
        return up < directories.size() ? directories[directories.size() - 1 - up] : QString();
    };

    PieceTable table;
    if (pattern.usePreset) {
        const Tname2tagrec& p = pattern.preset;
        CutByPattern(p.filename, fileName, table, PieceEnd::BeforeExtension);
        CutByPattern(p.dir1, level(1), table, PieceEnd::TextEnd);
        CutByPattern(p.dir2, level(0), table, PieceEnd::TextEnd);
        tag.title = FillFromPieces(p.tagtitel, table);
        tag.artist = FillFromPieces(p.tagartist, table);
        tag.album = FillFromPieces(p.tagalbum, table);
        tag.year = FillFromPieces(p.tagyear, table);
        tag.track = FillFromPieces(p.tagtrack, table);
        tag.comment = FillFromPieces(p.tagcomment, table);
    } else {
        // Both "\" and "/" in the quick pattern stand for a directory level.
        QString quick = pattern.quickPattern;
        quick.replace(u'\\', u'/');
        QString text = fileName;
        const qsizetype levels = quick.count(u'/');
        for (qsizetype up = 0; up < levels; ++up)
            text = level(up) + u'/' + text;
        CutByPattern(quick, text, table, PieceEnd::BeforeExtension);
        tag.title = FillFromPieces(u"%S", table);
        tag.artist = FillFromPieces(u"%K", table);
        tag.album = FillFromPieces(u"%A", table);
        tag.year = FillFromPieces(u"%J", table);
        tag.track = FillFromPieces(u"%N", table);
        tag.comment = FillFromPieces(u"%C", table);
    }

    tag.year = numberOr(tag.year, 4, old.year);
    tag.track = numberOr(tag.track, 3, old.track);
    const QString& blank = pattern.blankReplacement;
    tag.album = trimmed(tag.album, blank);
    tag.title = trimmed(tag.title, blank);
    tag.comment = trimmed(tag.comment, blank);
    tag.artist = trimmed(tag.artist, blank);
    return tag;
}

std::optional<Id3v1Tag> tagToWrite(const QString& path, const Id3v1Tag& old, bool hadTag,
                                   const NameToTagRequest& request)
{
    if (hadTag && request.onlyUntagged)
        return std::nullopt;
    const bool fromName = request.source == TagSource::FromName;
    Id3v1Tag tag = old;
    if (fromName) {
        tag = ParseNameToTag(fileNameOf(path), directoryOf(path), old, request.pattern);
        if (request.pattern.usePreset) {
            for (const TextField& f : textFields()) {
                if ((request.pattern.preset.*f.presetPattern)
                        .compare(u"%OLD", Qt::CaseInsensitive) == 0)
                    tag.*f.member = old.*f.member;
            }
        }
    }
    for (const TextField& f : textFields()) {
        const bool locked = request.isLocked(f.field);
        if (fromName == locked) {
            const QString& typed = request.typed.*f.typed;
            tag.*f.member = f.maxLength < 0 ? typed : typed.left(f.maxLength);
        }
        if (request.leaveOld && locked)
            tag.*f.member = old.*f.member;
    }
    const bool genreLocked = request.isLocked(TagField::Genre);
    if (!genreLocked || (fromName && hasNoGenre(old))) {
        if (const std::optional<int> genre = genreNumber(request.typed.genre, Qt::CaseInsensitive))
            tag.genre = *genre;
    }
    if (tag.year.isEmpty() && !old.year.isEmpty())
        tag.year = old.year;
    if (request.leaveOld && genreLocked)
        tag.genre = old.genre;
    return tag;
}

QList<TagWriteReport> WriteTags(const FileSet& files, const NameToTagRequest& request,
                                const ProgressHook& progress)
{
    QList<TagWriteReport> reports;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString& path = files[i];
        if (progress)
            progress(i + 1, files.size());
        if (HasFileAttributes(path, FileAttribute::Directory))
            continue;
        TagWriteReport report{path, false, {}};
        if (request.onlyUntagged) {
            // A tagged file is skipped before it is opened for writing, so a read-only one is
            // not reported.
            Id3v1Tag existing;
            if (ReadTag(path, existing)) {
                report.skipped = true;
                reports.append(report);
                continue;
            }
        }
        report.result = updateTagIf(
            path,
            [&](Id3v1Tag& tag, bool hadTag) {
                const std::optional<Id3v1Tag> next = tagToWrite(path, tag, hadTag, request);
                if (!next) {
                    report.skipped = true;
                    return false;
                }
                const QString fileName = tag.fileName;
                tag = *next;
                tag.fileName = fileName;
                return true;
            },
            request.write);
        reports.append(report);
    }
    return reports;
}

} // namespace varnolite
