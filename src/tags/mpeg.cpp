// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/mpeg.h"

#include "tags/id3v2.h"

#include <cerrno>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

constexpr int kSampleRates[4][4] = {
    {0, 0, 0, 0},
    {44100, 48000, 32000, 0}, // MPEG 1 (index 3 is reserved)
    {22050, 24000, 16000, 0}, // MPEG 2
    {11025, 12000, 8000, 0},  // MPEG 2.5
};

// kbit/s by [MPEG 1 or not][layer - 1][index]
constexpr int kBitrates[2][3][16] = {
    {
        // MPEG 2 and 2.5
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
    },
    {
        // MPEG 1
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    },
};

constexpr int kAnalysisChunk = 16384;

// The version member from header bits 20-19.
int versionFromBits(int bits)
{
    constexpr int map[4] = {3, 0, 2, 1};
    return map[bits & 3];
}

int bitrateKbit(int version, int layer, int index)
{
    if (version < 1 || version > 3 || layer < 1 || layer > 3)
        return 0;
    return kBitrates[version == 1 ? 1 : 0][layer - 1][index & 15];
}

// 48 for Layer I (in bytes), 144 for Layer II and Layer III of MPEG 1, 72 for Layer III of
// MPEG 2 and 2.5.
int lengthFactor(int version, int layer)
{
    if (layer == 1)
        return 48;
    return layer == 3 && version != 1 ? 72 : 144;
}

int frameLengthOf(int version, int layer, qint64 bitsPerSecond, int sampleRate, int padding)
{
    if (sampleRate <= 0)
        return 0;
    if (layer == 1)
        return int((12 * bitsPerSecond / sampleRate + padding) * 4);
    return int(lengthFactor(version, layer) * bitsPerSecond / sampleRate + padding);
}

// Bytes of side information after the header, where a Xing header begins.
int sideInfoSize(int version, int channelMode)
{
    const bool mono = channelMode == 3;
    if (version == 1)
        return mono ? 17 : 32;
    return mono ? 9 : 17;
}

quint32 u32be(QByteArrayView b, qsizetype at)
{
    return quint32(quint8(b[at])) << 24 | quint32(quint8(b[at + 1])) << 16 |
           quint32(quint8(b[at + 2])) << 8 | quint32(quint8(b[at + 3]));
}

// Where the search for the first frame starts: after an ID3v2 tag that is well formed and lies
// inside the file, else at the start (the window then slides over whatever is there).
qint64 searchStart(const ByteSource& source)
{
    const auto head = source.read(0, 10);
    if (!head)
        return 0;
    const std::optional<Id3v2Header> header = parseId3v2Header(*head);
    if (!header || header->tagEnd() > source.size())
        return 0;
    return header->tagEnd();
}

void resetStreamInfo(StreamInfo& s)
{
    s = StreamInfo{};
}

// The Xing or LAME "Info" header where the standard puts it: a VBR file's frame count gives its
// average bit rate and its play time.
// Where a Xing (or "Info") header of the frame at `frameStart` begins, or -1: after the side
// information, and 2 bytes later when the frame carries a CRC.
qint64 xingOffset(const ByteSource& source, qint64 afterHeader, int version, int channelMode,
                  bool crc)
{
    const qint64 at = afterHeader + sideInfoSize(version, channelMode);
    for (const qint64 candidate : {at, crc ? at + 2 : -1}) {
        if (candidate < 0)
            continue;
        if (const auto tag = source.read(candidate, 4); tag && (*tag == "Xing" || *tag == "Info"))
            return candidate;
    }
    return -1;
}

void applyXing(const ByteSource& source, qint64 pos, StreamInfo& s)
{
    const qint64 at = xingOffset(source, pos + 4, s.version, s.channelMode, !s.noCrc);
    const auto xing = at < 0 ? std::nullopt : source.read(at, 12);
    if (!xing)
        return;
    const quint32 flags = u32be(*xing, 4);
    const quint32 frames = u32be(*xing, 8);
    if (!(flags & 1) || frames == 0)
        return;
    // The frames counted there follow the frame that holds the header.
    const qint64 bytes = qMax<qint64>(0, s.fileSize - pos - s.frameLength);
    s.frameLength = int(qMin<qint64>(bytes / frames, std::numeric_limits<int>::max()));
    const int samplesPerFrame = s.layer == 1 ? 384 : (s.layer == 3 && s.version != 1 ? 576 : 1152);
    // The average over the whole stream, rounded: a 320 kbit/s CBR file shows 320.
    s.bitrate = int(
        std::llround(double(bytes) * 8 * s.sampleRate / (double(frames) * samplesPerFrame * 1000)));
    s.duration = qint64(frames) * samplesPerFrame / s.sampleRate;
}

void guessEncoder(const ByteSource& source, qint64 pos, StreamInfo& s)
{
    // Audio Catalyst writes its VBR header at the fixed place of MPEG 1 stereo, all flags set.
    if (const auto x = source.read(pos + 36, 8);
        x && x->startsWith("Xing") && quint8((*x)[7]) == 0x0F)
        s.encoder = u"Audio Catalyst VBR"_s;
    const auto b = source.read(pos, 8);
    if (!b)
        return;
    const auto byte = [&](int i) { return quint8((*b)[i]); };
    if (byte(3) == 0x04)
        s.encoder = byte(6) == 0x0F ? u"Mp3 Compressor"_s : u"RadiumCodec|Xing 2.20"_s;
    if (byte(3) == 0x44) {
        if (byte(7) == 0)
            s.encoder = u"l3Enc"_s;
        else if (byte(6) == 1)
            s.encoder = u"Audioactive P. Studio"_s;
        else
            s.encoder = u"mp3 Producer"_s;
    }
    if (byte(3) & 0x08)
        s.encoder = u"Audio Catalyst"_s;
    if (byte(3) == 0x4C)
        s.encoder = u"Audio Catalyst VBR"_s;
}

// Reads a byte source front to back through a buffer, one byte at a time where needed.
class StreamReader
{
public:
    StreamReader(const ByteSource& source, qint64 position)
        : m_source(source)
        , m_pos(position)
    {}
    qint64 position() const { return m_pos; }
    void seek(qint64 position) { m_pos = position; }
    bool atEnd() const { return m_pos >= m_source.size(); }
    std::optional<quint8> byte()
    {
        if (m_pos < m_bufferStart || m_pos >= m_bufferStart + m_buffer.size()) {
            const qint64 length = qMin<qint64>(1 << 16, m_source.size() - m_pos);
            const auto data = length > 0 ? m_source.read(m_pos, length) : std::nullopt;
            if (!data)
                return std::nullopt;
            m_buffer = *data;
            m_bufferStart = m_pos;
        }
        return quint8(m_buffer[m_pos++ - m_bufferStart]);
    }
    std::optional<QByteArray> bytes(qint64 n)
    {
        auto data = m_source.read(m_pos, n);
        if (data)
            m_pos += n;
        return data;
    }

private:
    const ByteSource& m_source;
    qint64 m_pos;
    QByteArray m_buffer;
    qint64 m_bufferStart = 0;
};

bool decodeFrameHeader(quint32 h, FrameHeader& f)
{
    f = FrameHeader{};
    f.versionBits = int((h >> 19) & 3);
    f.layerBits = int((h >> 17) & 3);
    f.protectionBit = int((h >> 16) & 1);
    f.bitrateIndex = int((h >> 12) & 15);
    f.sampleRateIndex = int((h >> 10) & 3);
    f.paddingBit = int((h >> 9) & 1);
    f.channelMode = int((h >> 6) & 3);
    if (f.versionBits == 1 || f.layerBits == 0 || f.bitrateIndex == 15 || f.sampleRateIndex == 3)
        return false;
    const int version = versionFromBits(f.versionBits);
    const int layer = 4 - f.layerBits;
    f.bitrate = bitrateKbit(version, layer, f.bitrateIndex) * 1000;
    f.sampleRate = kSampleRates[version][f.sampleRateIndex];
    f.frameLength = frameLengthOf(version, layer, f.bitrate, f.sampleRate, f.paddingBit);
    return f.frameLength > 4;
}

} // namespace

QString StreamInfo::encoderUnknown()
{
    return u"Encoder nicht erkannt"_s;
}

bool DecodeFrameHeader(quint32 h, StreamInfo& s)
{
    s.version = 0;
    s.layer = 0;
    s.sampleRate = 0;
    s.bitrate = 0;
    s.channelMode = 0;
    s.copyright = false;
    s.original = false;
    s.noCrc = false;
    s.paddingBit = false;
    s.frameLength = 0;
    if ((h >> 21) != 0x7FF)
        return false;
    s.version = quint8(versionFromBits(int((h >> 19) & 3)));
    if (s.version == 0)
        return false;
    const int layerBits = int((h >> 17) & 3);
    s.layer = quint8(layerBits ? 4 - layerBits : 0);
    s.sampleRate = kSampleRates[s.version][(h >> 10) & 3];
    s.noCrc = (h >> 16) & 1;
    s.copyright = (h >> 3) & 1;
    s.original = (h >> 2) & 1;
    s.channelMode = quint8((h >> 6) & 3);
    s.paddingBit = (h >> 9) & 1;
    if (s.layer >= 1)
        s.bitrate = bitrateKbit(s.version, s.layer, int((h >> 12) & 15));
    s.duration = s.bitrate ? s.fileSize * 8 / (qint64(s.bitrate) * 1000) : 0;
    s.frameLength = s.sampleRate > 0 ? frameLengthOf(s.version, s.layer, qint64(s.bitrate) * 1000,
                                                     s.sampleRate, s.paddingBit)
                                     : 0;
    return s.version > 0 && s.layer > 0 && s.bitrate > 0 && s.sampleRate > 0;
}

int AnalyzeMpegFile(const ByteSource& source, StreamInfo& s)
{
    resetStreamInfo(s);
    const qint64 size = source.size();
    if (size <= 5)
        return 0;
    s.fileSize = size;

    qint64 filePos = searchStart(source); // the position of the next read
    qint64 pos = filePos;                 // the offset of the current 32-bit window
    bool valid = false;
    bool atEnd = false;
    for (;;) {
        pos = filePos;
        const auto window = source.read(pos, 4);
        if (!window) {
            atEnd = true;
            break;
        }
        filePos = pos + 4;
        quint32 h = u32be(*window, 0);
        valid = DecodeFrameHeader(h, s);
        // Slide the window a byte at a time through chunks of the file.
        while (!valid && filePos < size) {
            const qint64 length = qMin<qint64>(kAnalysisChunk, size - filePos);
            const auto chunk = source.read(filePos, length);
            if (!chunk)
                break;
            filePos += length;
            for (char c : *chunk) {
                if (valid)
                    break;
                ++pos;
                h = (h << 8) | quint8(c);
                valid = DecodeFrameHeader(h, s);
            }
        }
        const qint64 room = s.fileSize - pos - s.frameLength + (s.noCrc ? 2 : 0);
        if (valid && room > 0) {
            filePos = qMin(size, pos + s.frameLength + 4); // the 4 bytes after the frame
        } else {
            valid = false;
            resetStreamInfo(s);
            s.fileSize = size;
        }
        atEnd = filePos >= size;
        if (valid || atEnd)
            break;
    }
    if (atEnd) {
        resetStreamInfo(s);
        s.fileSize = size;
        return -1;
    }
    // The play time counts the bytes from the first frame on (an ID3v2 tag with a picture in
    // front of the audio adds nothing to it).
    s.duration = (size - pos) * 8 / (qint64(s.bitrate) * 1000);
    applyXing(source, pos, s);
    guessEncoder(source, pos, s);
    return 0;
}

int AnalyzeMpegFile(const QString& path, StreamInfo& s)
{
    resetStreamInfo(s);
    auto source = FileSource::open(path);
    if (!source.ok()) {
        // A missing file and a directory are no MPEG files; anything else is an open failure.
        const int error = source.status().systemError();
        return error == ENOENT || error == ENOTDIR || error == EISDIR ? -1 : error;
    }
    return AnalyzeMpegFile(CachedSource(source.value()), s);
}

MpegMeasurement MeasureMpegLength(const ByteSource& source)
{
    MpegMeasurement m;
    StreamReader in(source, searchStart(source));
    FrameHeader& first = m.header;
    for (;;) {
        // Sync search, one byte at a time.
        const auto b = in.byte();
        if (!b)
            return m;
        if (*b != 0xFF)
            continue;
        auto c = in.byte();
        while (c && *c == 0xFF)
            c = in.byte();
        if (!c)
            return m;
        if ((*c & 0xE0) != 0xE0)
            continue;
        const qint64 headerPos = in.position() - 2;
        const auto rest = in.bytes(2);
        if (!rest)
            return m;
        const quint32 h = 0xFF000000u | quint32(*c) << 16 | quint32(quint8((*rest)[0])) << 8 |
                          quint32(quint8((*rest)[1]));
        if (decodeFrameHeader(h, first)) {
            const auto next = source.read(headerPos + first.frameLength, 4);
            if (!next)
                return m;
            FrameHeader scratch;
            if (decodeFrameHeader(u32be(*next, 0), scratch)) {
                in.seek(headerPos + 4);
                break;
            }
        }
        in.seek(headerPos + 1);
    }

    // Xing header after the side information of the first frame.
    const qint64 afterHeader = in.position();
    const int version = versionFromBits(first.versionBits);
    const qint64 xingAt =
        xingOffset(source, afterHeader, version, first.channelMode, first.protectionBit == 0);
    XingInfo& x = m.xing;
    if (xingAt >= 0) {
        StreamReader r(source, xingAt + 4);
        const auto flags = r.bytes(4);
        bool complete = flags.has_value();
        if (complete) {
            x.present = true;
            const quint32 f = u32be(*flags, 0);
            const auto number = [&](quint32& out) {
                const auto v = r.bytes(4);
                if (v)
                    out = u32be(*v, 0);
                complete = complete && v;
            };
            if (f & 1)
                number(x.frames);
            if (f & 2)
                number(x.bytes);
            if (f & 4) {
                const auto toc = r.bytes(100);
                if (toc)
                    x.toc = *toc;
                complete = complete && toc;
            }
            if (f & 8)
                number(x.quality);
        }
        if (complete)
            in.seek(afterHeader + first.frameLength);
    }

    const int factor = lengthFactor(version, 4 - first.layerBits);
    if (x.present) {
        if (x.frames == 0 || x.bytes == 0)
            return m; // a damaged VBR header gives no length
        m.bitrate = std::llrint(double(x.bytes) / x.frames * first.sampleRate / factor);
    } else {
        m.bitrate = first.bitrate;
    }
    if (m.bitrate <= 0)
        return m;
    m.seconds = std::llrint(double(source.size() - in.position()) * 8 / double(m.bitrate));
    m.ok = true;
    return m;
}

QString FormatDuration(qint64 seconds)
{
    const auto two = [](qint64 v) { return QString::number(v).rightJustified(2, u'0'); };
    return two(seconds / 3600) + u':' + two((seconds % 3600) / 60) + u':' + two(seconds % 60);
}

QString versionName(int version)
{
    static const QString names[4] = {u"Unknown"_s, u"1.0"_s, u"2.0"_s, u"2.5"_s};
    return version >= 0 && version < 4 ? names[version] : names[0];
}

QString layerName(int layer)
{
    static const QString names[4] = {u"Unknown"_s, u"I"_s, u"II"_s, u"III"_s};
    return layer >= 0 && layer < 4 ? names[layer] : names[0];
}

QString channelModeName(int mode)
{
    static const QString names[4] = {u"Stereo"_s, u"Joint-Stereo"_s, u"Dual-Channel"_s,
                                     u"Single-Channel"_s};
    return names[mode & 3];
}

} // namespace varnolite
