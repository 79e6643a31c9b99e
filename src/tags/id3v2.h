// SPDX-License-Identifier: GPL-3.0-or-later
// The ID3v2 tag at the start of a file, as far as finding and removing it needs: "ID3", major
// version, revision, flags, and the tag size as a synchsafe number (7 bits per byte) in bytes
// 6 to 9. The audio data start 10 + size bytes in (10 more for a version 4 tag with footer).
#pragma once

#include "core/safefile.h"
#include "core/status.h"

#include <QByteArrayView>

#include <optional>

namespace varnolite {

struct Id3v2Header
{
    quint8 version = 0;
    quint8 revision = 0;
    quint8 flags = 0;
    quint32 size = 0;

    bool hasFooter() const { return version == 4 && (flags & 0x10); }
    /// Where the audio data begin.
    qint64 tagEnd() const { return 10 + qint64(size) + (hasFooter() ? 10 : 0); }
};

/// The version the tag display shows: byte 3 when the bytes start with "ID3" and neither byte 3
/// nor byte 4 is 0xFF, else 0.
quint8 id3v2VersionOf(QByteArrayView head);

/// The header in the first 10 bytes, or nullopt when they are not a well-formed ID3v2 header
/// (no "ID3", a version or revision byte 0xFF, a size byte with its top bit set).
std::optional<Id3v2Header> parseId3v2Header(QByteArrayView head);

struct StripId3v2Result
{
    Status status;
    bool removed = false; // false also when there was no tag to remove
};

/// Removes an ID3v2 tag from the start of a file: the audio data after it are copied into a new
/// file in the same directory, which is synced and renamed over the original (the file keeps its
/// permission bits). A file without "ID3" stays as it is; a malformed header, or a tag that
/// reaches past the end of the file, leaves the file unchanged and fails.
StripId3v2Result StripId3v2Tag(const QString& path, ReadOnlyFiles readOnly);

} // namespace varnolite
