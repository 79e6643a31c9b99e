// SPDX-License-Identifier: GPL-3.0-or-later
// The canonical 44-byte header of a RIFF WAVE file, read little-endian:
// "RIFF", RIFF size, "WAVE", "fmt ", format size, format tag (1 PCM, 0x55 MPEG Layer III),
// channels, samples per second, average bytes per second, block align, bits per sample,
// "data", data size.
#pragma once

#include "core/bytesource.h"

#include <QString>

namespace varnolite {

struct WaveHeader
{
    quint32 riffSize = 0;
    quint32 formatSize = 0;
    quint16 formatTag = 0;
    quint16 channels = 0;
    quint32 samplesPerSecond = 0;
    quint32 averageBytesPerSecond = 0;
    quint16 blockAlign = 0;
    quint16 bitsPerSample = 0;
    quint32 dataSize = 0;
};

/// Reads the header of a RIFF file of at least 180 bytes; true unless it carries MPEG Layer III
/// (format tag 0x55), which is analysed as MPEG instead.
bool ReadWaveHeader(const ByteSource& source, WaveHeader& header);
bool ReadWaveHeader(const QString& path, WaveHeader& header);

/// The play time in whole seconds: (RIFF size - 36) div samples per second div block align;
/// 0 when a divisor is 0 or the size is too small.
qint64 WaveSeconds(const WaveHeader& header);

} // namespace varnolite
