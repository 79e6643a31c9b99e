// SPDX-License-Identifier: GPL-3.0-or-later
// MPEG audio analysis: the first frame header of a file, its play time, bit rate and encoder
// guess, and a second, stream-based measurement that checks two consecutive frames.
//
// Frame header, 32 bits big-endian: sync (11 bits), version (2: 0 MPEG 2.5, 2 MPEG 2, 3 MPEG 1),
// layer (2: 1 III, 2 II, 3 I), protection, bit-rate index (4), sampling-rate index (2), padding,
// private, channel mode (2), mode extension (2), copyright, original, emphasis (2).
#pragma once

#include "core/bytesource.h"

#include <QByteArray>
#include <QString>

namespace varnolite {

struct StreamInfo
{
    qint64 duration = 0; // play time in whole seconds
    qint64 fileSize = 0; // the whole file, tags included
    quint8 version = 0;  // 0 none, 1 MPEG 1, 2 MPEG 2, 3 MPEG 2.5
    quint8 layer = 0;    // 0 none, 1, 2, 3
    int sampleRate = 0;  // Hz
    int bitrate = 0;     // kbit/s
    quint8 channelMode = 0;
    bool copyright = false;
    bool original = false;
    bool noCrc = false;
    bool paddingBit = false;
    int frameLength = 0; // bytes
    QString encoder = encoderUnknown();

    /// "Encoder nicht erkannt"
    static QString encoderUnknown();
};

/// Decodes a frame header into `s` (all header members reset first; `duration` from
/// `s.fileSize`). Valid when version, layer, bit rate and sampling rate are all known.
bool DecodeFrameHeader(quint32 header, StreamInfo& s);

/// Result of AnalyzeMpegFile: 0 success, -1 no usable frame (or no file), otherwise the errno
/// with which opening the file failed.
int AnalyzeMpegFile(const QString& path, StreamInfo& s);
/// The same on bytes: 0 or -1.
int AnalyzeMpegFile(const ByteSource& source, StreamInfo& s);

/// The header as the stream measurement decodes it.
struct FrameHeader
{
    int versionBits = 0;
    int layerBits = 0;
    int protectionBit = 0;
    int bitrateIndex = 0;
    int sampleRateIndex = 0;
    int paddingBit = 0;
    int channelMode = 0;
    int bitrate = 0;    // bit/s
    int sampleRate = 0; // Hz
    int frameLength = 0;
};

struct XingInfo
{
    bool present = false;
    quint32 frames = 0;
    quint32 bytes = 0;
    QByteArray toc; // 100 bytes when present
    quint32 quality = 0;
};

struct MpegMeasurement
{
    bool ok = false;
    qint64 bitrate = 0; // average, bit/s
    qint64 seconds = 0;
    FrameHeader header;
    XingInfo xing;
};

/// Finds two consecutive valid frames, reads a Xing (or LAME "Info") header where the standard
/// puts it, and gives the average bit rate and the length in whole seconds.
MpegMeasurement MeasureMpegLength(const ByteSource& source);

/// Whole seconds as "hh:mm:ss", every part at least two digits.
QString FormatDuration(qint64 seconds);

/// "Unknown", "1.0", "2.0", "2.5"
QString versionName(int version);
/// "Unknown", "I", "II", "III"
QString layerName(int layer);
/// "Stereo", "Joint-Stereo", "Dual-Channel", "Single-Channel"
QString channelModeName(int mode);

} // namespace varnolite
