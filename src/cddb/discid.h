// SPDX-License-Identifier: GPL-3.0-or-later
// The table of contents a CDDB lookup sends: track starts in CD frames (75 a second), the disc
// length, and the eight-digit disc id computed from them; from an audio CD or from the files
// of an album.
#pragma once

#include "core/fileset.h"
#include "core/progress.h"
#include "core/status.h"

#include <QList>
#include <QString>

namespace varnolite {

inline constexpr int kFramesPerSecond = 75;

struct DiscToc
{
    QString discId; // checksum, length field and track count in lower-case hexadecimal
    int trackCount = 0;
    QList<qint64> offsets;  // start of every track in frames
    qint64 discSeconds = 0; // the last number of the query
    friend bool operator==(const DiscToc&, const DiscToc&) = default;
};

/// The disc id: the checksum (2 hexadecimal digits at least), the length field (4 at least) and
/// the track count (2 at least), lower case; a field grows when its value needs more digits.
QString formatDiscId(qint64 checksum, qint64 lengthField, qint64 trackCount);

/// The sum of the decimal digits of a non-negative number.
qint64 digitSum(qint64 value);

/// The table of contents of a CD from its track starts (absolute frames, track 1 normally at
/// 150) and its lead-out: the checksum adds the digit sums of every start's whole seconds, and
/// the disc length is lead-out div 75 minus the first start div 75, as the freedb disc id has it.
/// Fails for no tracks or more than 99.
Result<DiscToc> tocFromTable(const QList<qint64>& offsets, qint64 leadOut);

/// Reads the table of contents of the audio CD in `device` ("/dev/cdrom" when empty).
Result<DiscToc> tocFromCd(const QString& device);

/// The table of contents of an album's files, one track per file in order: a PCM WAV file
/// counts its play time, an MPEG file its measured length plus 2 seconds; a file neither
/// analysis reads counts 0. Fails when a file cannot be opened.
Result<DiscToc> tocFromFiles(const FileSet& files, const ProgressHook& progress = {});

/// The query line without its line end: "cddb query <id> <n> <offsets...> <seconds>".
QString cddbQueryLine(const DiscToc& toc);

} // namespace varnolite
