// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing the trailing tags of an MP3 file: the ID3v1.1 tag (the last 128 bytes)
// and the Lyrics3 block before it.
//
// ID3v1.1: "TAG", title 30, artist 30, album 30, year 4, comment 30 (28 when byte 125 is zero
// and byte 126 the track), genre 1 (255 for none); texts Windows-1252, padded with NUL.
#pragma once

#include "core/bytesource.h"
#include "core/safefile.h"
#include "core/status.h"
#include "tags/id3v1tag.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace varnolite {

/// Fills the record from the end of the source (and the ID3v2 marker at its start); true when
/// an ID3v1 tag was found. The record's fields are reset first; `fileName` is not touched here.
/// Reads the first 5 and the last 137 bytes, and the Lyrics3 block when there is one.
bool ReadTag(const ByteSource& source, Id3v1Tag& tag);

/// ReadTag on a file; sets `fileName` when a tag was found. A missing file, a directory or a
/// file that cannot be opened reads as no tag.
bool ReadTag(const QString& path, Id3v1Tag& tag);

/// The 128 bytes of the ID3v1.1 tag of a record.
QByteArray renderId3v1(const Id3v1Tag& tag);

struct WriteTagOptions
{
    ReadOnlyFiles readOnly = ReadOnlyFiles::Override; // "Schreibschutz beachten" off
    bool useLyrics3 = true; // "Lyrics3v2.00 Tag benutzen bei langen Beschreibungen"
};

struct WriteTagResult
{
    Status status;
    QStringList cutFields;  // Lyrics3v2 fields cut to fit the format's size fields
    bool unchanged = false; // the file already ended with exactly these tags
};

/// Replaces the file's trailing ID3v1 tag and Lyrics3 block by the record: a Lyrics3v2 block
/// when Lyrics3 is in use and the record needs one (long title, artist or album, info, lyrics,
/// author or image links), then the ID3v1 tag. The replaced bytes are put back if the write
/// fails, so the file never loses its tag.
WriteTagResult WriteTag(const QString& path, const Id3v1Tag& tag, const WriteTagOptions& options);

/// Reads a file's tag (a file without one gives an empty record), lets `change` edit it and
/// writes it back as WriteTag does, through one open file.
WriteTagResult updateTag(const QString& path, const std::function<void(Id3v1Tag&)>& change,
                         const WriteTagOptions& options);

/// updateTag where `change` also learns whether the file had a tag, and decides whether
/// anything is written: false leaves the file as it is (the result then says unchanged).
WriteTagResult updateTagIf(const QString& path,
                           const std::function<bool(Id3v1Tag&, bool hadTag)>& change,
                           const WriteTagOptions& options);

} // namespace varnolite
