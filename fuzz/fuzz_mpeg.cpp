// SPDX-License-Identifier: GPL-3.0-or-later
// MPEG and WAV analysis on any bytes: no crash, no read outside the buffer, no division by
// zero, values that stay within what the bytes allow, and the same results when the bytes are
// read through the block cache the file readers use.
#include "check.h"
#include "core/bytesource.h"
#include "tags/fileinfo.h"
#include "tags/mpeg.h"
#include "tags/wave.h"

#include <cstdint>
#include <cstdlib>

using namespace varnolite;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const BufferSource source(bytes);

    StreamInfo s;
    const int result = AnalyzeMpegFile(source, s);
    check(result == 0 || result == -1);
    check(s.duration >= 0 && s.frameLength >= 0 && s.bitrate >= 0);
    if (result == 0 && size > 5) {
        check(s.fileSize == qint64(size));
        check(s.version >= 1 && s.version <= 3 && s.layer >= 1 && s.layer <= 3);
        mpegLabels(s);
    }

    const MpegMeasurement m = MeasureMpegLength(source);
    check(!m.ok || (m.bitrate > 0 && m.seconds >= 0));

    WaveHeader w;
    if (ReadWaveHeader(source, w))
        check(WaveSeconds(w) >= 0 && !waveLabels(w, qint64(size)).length.isEmpty());

    // Small blocks, so that reads cross them often.
    const CachedSource cached(source, 64, 3);
    StreamInfo viaCache;
    check(AnalyzeMpegFile(cached, viaCache) == result);
    check(viaCache.duration == s.duration && viaCache.bitrate == s.bitrate &&
          viaCache.frameLength == s.frameLength && viaCache.encoder == s.encoder);
    const MpegMeasurement m2 = MeasureMpegLength(cached);
    check(m2.ok == m.ok && m2.bitrate == m.bitrate && m2.seconds == m.seconds);
    for (qint64 offset : {qint64(0), qint64(size / 2), qint64(size) - 3}) {
        for (qint64 length : {qint64(0), qint64(1), qint64(70), qint64(200)})
            check(cached.read(offset, length) == source.read(offset, length));
    }
    return 0;
}
