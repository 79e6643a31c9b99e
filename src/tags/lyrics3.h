// SPDX-License-Identifier: GPL-3.0-or-later
// Lyrics3 blocks: the text tag between the audio data and the ID3v1 tag.
//
// Version 1: "LYRICSBEGIN", the song text (at most 5089 bytes), "LYRICSEND".
// Version 2: "LYRICSBEGIN", fields (3-letter id, 5 decimal digits of length, data), 6 decimal
// digits giving the bytes from "LYRICSBEGIN" up to them, "LYRICS200".
#pragma once

#include "core/bytesource.h"
#include "core/safefile.h"
#include "core/status.h"
#include "tags/id3v1tag.h"

#include <QByteArray>
#include <QStringList>

namespace varnolite {

/// Reads the Lyrics3 block that ends right before the ID3v1 tag (the last 128 bytes of the
/// source) into the record: lyricsKind, lyrics, info, author, imageLinks, extraFields, and the
/// full title, artist and album. Needs the ID3v1 fields decoded already. Reading never goes
/// past the block's size field; a damaged size field ends it with lyricsKind None.
void ReadLyrics3(const ByteSource& source, Id3v1Tag& tag);

/// Whether a tag written with Lyrics3 in use gets a version 2 block: a title, artist or album
/// longer than 30 characters, or any of info, lyrics, author, image links.
bool needsLyrics3v2(const Id3v1Tag& tag);

struct Lyrics3Block
{
    QByteArray bytes;
    QStringList cutFields; // ids of fields cut so the block could be written at all
};

/// The version 2 block of a record. Field data is limited to 99999 bytes and the block to
/// 999999 bytes by its size fields; when they would not fit, the longest fields are cut to one
/// common length (never written invalid) and named in cutFields.
Lyrics3Block renderLyrics3v2(const Id3v1Tag& tag);

/// One Lyrics3v2 field: the id, the data length as five digits, the data (8 + length bytes).
QByteArray WriteLyricsField(QStringView id, QByteArrayView data);

/// Where the trailing tags of a file begin: before the ID3v1 tag and the Lyrics3 block in front
/// of it. A block whose "LYRICSBEGIN" is not where its size says is left in place, so nothing
/// is ever cut from the audio data. A version 1 block is found by its "LYRICSBEGIN" within the
/// 5100 bytes before "LYRICSEND".
qint64 trailingTagsStart(const ByteSource& source);

/// Removes an ID3v1 tag and a Lyrics3 block from the end of a file.
Status StripTrailingTags(const QString& path, ReadOnlyFiles readOnly);

} // namespace varnolite
