// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/wave.h"

namespace varnolite {

bool ReadWaveHeader(const ByteSource& source, WaveHeader& header)
{
    header = WaveHeader{};
    if (source.size() < 180)
        return false;
    const auto bytes = source.read(0, 44);
    if (!bytes || !bytes->startsWith("RIFF"))
        return false;
    ByteReader r(*bytes, 4);
    header.riffSize = *r.u32le();
    r.skip(8); // "WAVE" "fmt "
    header.formatSize = *r.u32le();
    header.formatTag = *r.u16le();
    header.channels = *r.u16le();
    header.samplesPerSecond = *r.u32le();
    header.averageBytesPerSecond = *r.u32le();
    header.blockAlign = *r.u16le();
    header.bitsPerSample = *r.u16le();
    r.skip(4); // "data"
    header.dataSize = *r.u32le();
    return header.formatTag != 0x55;
}

bool ReadWaveHeader(const QString& path, WaveHeader& header)
{
    header = WaveHeader{};
    auto source = FileSource::open(path);
    return source.ok() && ReadWaveHeader(source.value(), header);
}

qint64 WaveSeconds(const WaveHeader& header)
{
    if (header.samplesPerSecond == 0 || header.blockAlign == 0 || header.riffSize < 36)
        return 0;
    return (qint64(header.riffSize) - 36) / header.samplesPerSecond / header.blockAlign;
}

} // namespace varnolite
