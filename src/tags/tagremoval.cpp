// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/tagremoval.h"

#include "core/fileattributes.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/lyrics3.h"

#include <cerrno>

namespace varnolite {

namespace {

Status removeLyrics3(const QString& path, ReadOnlyFiles readOnly)
{
    Id3v1Tag tag;
    const bool hasTag = ReadTag(path, tag);
    if (hasTag && tag.lyricsKind == LyricsKind::None)
        return {}; // nothing to remove: the file stays byte for byte
    // Written back without Lyrics3; a file without an ID3v1 tag receives an empty one.
    WriteTagOptions options;
    options.readOnly = readOnly;
    options.useLyrics3 = false;
    return WriteTag(path, tag, options).status;
}

} // namespace

Status removeTags(const QString& path, TagRemoval what, ReadOnlyFiles readOnly)
{
    if (HasFileAttributes(path, FileAttribute::Directory))
        return Status::fromErrno(EISDIR, path);
    switch (what) {
    case TagRemoval::All:
        if (Status s = StripTrailingTags(path, readOnly); !s.ok())
            return s;
        return StripId3v2Tag(path, readOnly).status;
    case TagRemoval::Id3v2:
        return StripId3v2Tag(path, readOnly).status;
    case TagRemoval::Lyrics3:
        return removeLyrics3(path, readOnly);
    }
    return {};
}

QList<PathError> removeTags(const FileSet& files, TagRemoval what, ReadOnlyFiles readOnly,
                            const ProgressHook& progress)
{
    QList<PathError> errors;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (!HasFileAttributes(files[i], FileAttribute::Directory)) {
            if (const Status s = removeTags(files[i], what, readOnly); !s.ok())
                errors.append({files[i], s.message()});
        }
        if (progress)
            progress(i + 1, files.size());
    }
    return errors;
}

QList<PathError> RemoveTags(const FileSet& files, ReadOnlyFiles readOnly,
                            const ProgressHook& progress)
{
    return removeTags(files, TagRemoval::All, readOnly, progress);
}

} // namespace varnolite
