// SPDX-License-Identifier: GPL-3.0-or-later
// MPEG and WAV analysis on bytes, and the file panel's texts.
#include "core/bytesource.h"
#include "tags/fileinfo.h"
#include "tags/mpeg.h"
#include "tags/wave.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace varnolite;

Q_DECLARE_METATYPE(varnolite::FileInfoKind)

namespace {

QByteArray bytesOf(std::initializer_list<quint32> values)
{
    QByteArray out;
    for (quint32 v : values)
        out.append(char(v & 0xFF));
    return out;
}

QByteArray be32(quint32 v)
{
    return bytesOf({v >> 24, v >> 16, v >> 8, v});
}

QByteArray le32(quint32 v)
{
    return bytesOf({v, v >> 8, v >> 16, v >> 24});
}

QByteArray le16(quint16 v)
{
    return bytesOf({v, quint32(v) >> 8});
}

// A file of `size` bytes whose first bytes are `head`, the rest zero.
QByteArray fileOf(QByteArray head, qsizetype size)
{
    head.resize(size, '\0');
    return head;
}

// `count` frames of the header 0xFFFB9044 (417 bytes each).
QByteArray frames(int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += fileOf(be32(0xFFFB9044), 417);
    return out;
}

QByteArray waveHeader(quint32 riffSize, quint16 tag, quint16 channels, quint32 rate,
                      quint16 blockAlign, quint16 bits)
{
    return "RIFF" + le32(riffSize) + "WAVEfmt " + le32(16) + le16(tag) + le16(channels) +
           le32(rate) + le32(rate * blockAlign) + le16(blockAlign) + le16(bits) + "data" +
           le32(riffSize - 36);
}

StreamInfo analyse(const QByteArray& bytes, int* result = nullptr)
{
    StreamInfo s;
    const int r = AnalyzeMpegFile(BufferSource(bytes), s);
    if (result)
        *result = r;
    return s;
}

} // namespace

class TestMpeg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frameHeaders_data();
    void frameHeaders();
    void fourMillionBytes();
    void tinyFiles();
    void framesThatDoNotFit();
    void id3v2TagIsSkipped();
    void xingHeader_data();
    void xingHeader();
    void encoderGuess_data();
    void encoderGuess();
    void everyPrefixIsSafe();
    void measureNeedsTwoFrames();

    void waveHeaders();
    void durations_data();
    void durations();
    void megabytes_data();
    void megabytes();
    void panelChoice_data();
    void panelChoice();
};

void TestMpeg::frameHeaders_data()
{
    QTest::addColumn<quint32>("header");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("bitrate");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<int>("frameLength");
    QTest::newRow("MPEG 1 L3 128k 44.1k") << 0xFFFB9044u << true << 1 << 3 << 128 << 44100 << 417;
    QTest::newRow("with padding") << 0xFFFB9244u << true << 1 << 3 << 128 << 44100 << 418;
    QTest::newRow("MPEG 2 L3 64k 22.05k") << 0xFFF38044u << true << 2 << 3 << 64 << 22050 << 208;
    QTest::newRow("MPEG 2.5 L3 8k 8k") << 0xFFE31844u << true << 3 << 3 << 8 << 8000 << 72;
    QTest::newRow("MPEG 1 L1 32k 44.1k") << 0xFFFF1044u << true << 1 << 1 << 32 << 44100 << 32;
    QTest::newRow("MPEG 1 L2 384k 48k") << 0xFFFDE444u << true << 1 << 2 << 384 << 48000 << 1152;
    QTest::newRow("reserved version") << 0xFFEB9044u << false << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("reserved layer") << 0xFFF99044u << false << 1 << 0 << 0 << 44100 << 0;
    QTest::newRow("free format") << 0xFFFB0044u << false << 1 << 3 << 0 << 44100 << 0;
    QTest::newRow("bad bit rate") << 0xFFFBF044u << false << 1 << 3 << 0 << 44100 << 0;
    QTest::newRow("reserved sampling rate") << 0xFFFB9C44u << false << 1 << 3 << 128 << 0 << 0;
    QTest::newRow("no sync") << 0xFFDB9044u << false << 0 << 0 << 0 << 0 << 0;
}

void TestMpeg::frameHeaders()
{
    QFETCH(quint32, header);
    QFETCH(bool, valid);
    QFETCH(int, version);
    QFETCH(int, layer);
    QFETCH(int, bitrate);
    QFETCH(int, sampleRate);
    QFETCH(int, frameLength);
    StreamInfo s;
    QCOMPARE(DecodeFrameHeader(header, s), valid);
    QCOMPARE(int(s.version), version);
    QCOMPARE(int(s.layer), layer);
    QCOMPARE(s.bitrate, bitrate);
    QCOMPARE(s.sampleRate, sampleRate);
    QCOMPARE(s.frameLength, frameLength);
}

void TestMpeg::fourMillionBytes()
{
    int result = -2;
    const StreamInfo s = analyse(fileOf(be32(0xFFFB9044), 4000000), &result);
    QCOMPARE(result, 0);
    QCOMPARE(s.version, 1);
    QCOMPARE(s.layer, 3);
    QCOMPARE(s.bitrate, 128);
    QCOMPARE(s.sampleRate, 44100);
    QCOMPARE(s.frameLength, 417);
    QCOMPARE(s.duration, 250);
    QCOMPARE(s.channelMode, 1);
    QVERIFY(s.noCrc && s.original && !s.copyright && !s.paddingBit);
    const FileInfoLabels l = mpegLabels(s, QLocale(QLocale::German));
    QCOMPARE(l.type, u"Mpeg 1.0 Layer III"_s);
    QCOMPARE(l.length, u"00:04:10"_s);
    QCOMPARE(l.sampling, u"44100Hz Joint-Stereo"_s);
    QCOMPARE(l.bits, u"128kbit 9592 frames"_s);
    QCOMPARE(l.size, u"4000000 (3,8MB)"_s);
}

void TestMpeg::tinyFiles()
{
    for (const QByteArray& bytes : {QByteArray(), QByteArray("\xFF\xFB\x90\x44\x00", 5)}) {
        int result = -2;
        const StreamInfo s = analyse(bytes, &result);
        QCOMPARE(result, 0);
        QCOMPARE(s.fileSize, 0);
        QCOMPARE(s.version, 0);
        const FileInfoLabels l = mpegLabels(s);
        QCOMPARE(l.type, u"Mpeg Unknown Layer Unknown"_s);
        QCOMPARE(l.length, u"00:00:00"_s);
        QVERIFY(l.bits.isEmpty());
        QCOMPARE(l.encoder, u"Encoder nicht erkannt"_s);
    }
}

void TestMpeg::framesThatDoNotFit()
{
    // The last 4 bytes of the file are the 4 right after its first frame: no usable frame.
    int result = 0;
    analyse(fileOf(be32(0xFFFB9044), 417 + 4), &result);
    QCOMPARE(result, -1);
    // One byte more and it is found.
    analyse(fileOf(be32(0xFFFB9044), 417 + 5), &result);
    QCOMPARE(result, 0);
    // A header whose frame would reach past the end is dropped; nothing else: -1.
    analyse(QByteArray(100, 'x') + fileOf(be32(0xFFFB9044), 300), &result);
    QCOMPARE(result, -1);
    // Found after leading junk: the window slides byte by byte.
    const StreamInfo s = analyse(QByteArray(1000, 'x') + frames(3), &result);
    QCOMPARE(result, 0);
    QCOMPARE(s.duration, (3 * 417) * 8 / 128000);
}

void TestMpeg::id3v2TagIsSkipped()
{
    // A tag of 20000 bytes whose picture data is full of false MPEG 2.5 headers.
    QByteArray picture;
    while (picture.size() < 20000)
        picture += be32(0xFFE31844) + "junk";
    picture.resize(20000);
    const quint32 size = 20000;
    const QByteArray tag =
        QByteArray("ID3\x03\x00\x00", 6) +
        bytesOf({(size >> 21) & 0x7F, (size >> 14) & 0x7F, (size >> 7) & 0x7F, size & 0x7F}) +
        picture;
    const QByteArray audio = fileOf(be32(0xFFFB9044), 1000000);
    int result = -2;
    const StreamInfo s = analyse(tag + audio, &result);
    QCOMPARE(result, 0);
    QCOMPARE(s.version, 1);
    QCOMPARE(s.fileSize, tag.size() + audio.size());
    QCOMPARE(s.duration, 1000000 * 8 / 128000); // the tag adds nothing to the play time
    const QByteArray tagged = tag + frames(100);
    const MpegMeasurement m = MeasureMpegLength(BufferSource(tagged));
    QVERIFY(m.ok);
    QCOMPARE(m.header.sampleRate, 44100);

    // A tag that claims more than the file holds is slid over as before.
    QByteArray broken = tag + audio;
    broken[6] = 0x7F;
    analyse(broken, &result);
    QCOMPARE(result, 0);
}

void TestMpeg::xingHeader_data()
{
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<int>("frameLength");
    QTest::addColumn<int>("bitrate");
    QTest::addColumn<int>("duration");
    QTest::newRow("all four flags") << 15u << 833 << 255 << 156;
    QTest::newRow("frames and bytes only") << 3u << 833 << 255 << 156;
    QTest::newRow("no frame count") << 14u << 417 << 128 << 312;
}

void TestMpeg::xingHeader()
{
    QFETCH(quint32, flags);
    QFETCH(int, frameLength);
    QFETCH(int, bitrate);
    QFETCH(int, duration);
    QByteArray head = be32(0xFFFB9044) + QByteArray(32, '\0') + "Xing" + be32(flags) + be32(6000);
    const StreamInfo s = analyse(fileOf(head, 5000000));
    QCOMPARE(s.frameLength, frameLength);
    QCOMPARE(s.bitrate, bitrate);
    QCOMPARE(s.duration, duration);

    // A frame count of 0 leaves the header's values.
    head = be32(0xFFFB9044) + QByteArray(32, '\0') + "Xing" + be32(15) + be32(0);
    QCOMPARE(analyse(fileOf(head, 5000000)).bitrate, 128);
}

void TestMpeg::encoderGuess_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QString>("encoder");
    QTest::newRow("0x4C") << be32(0xFFFB904C) << u"Audio Catalyst VBR"_s;
    QTest::newRow("bit 3") << be32(0xFFFB9048) << u"Audio Catalyst"_s;
    QTest::newRow("0x44 l3Enc") << be32(0xFFFB9044) << u"l3Enc"_s;
    QTest::newRow("0x44 producer")
        << (be32(0xFFFB9044) + QByteArray("\0\0\0\x01", 4)) << u"mp3 Producer"_s;
    QTest::newRow("0x44 studio") << (be32(0xFFFB9044) + QByteArray("\0\0\x01\x01", 4))
                                 << u"Audioactive P. Studio"_s;
    QTest::newRow("0x04 compressor")
        << (be32(0xFFFB9004) + QByteArray("\0\0\x0F\0", 4)) << u"Mp3 Compressor"_s;
    QTest::newRow("0x04 radium") << be32(0xFFFB9004) << u"RadiumCodec|Xing 2.20"_s;
    QTest::newRow("other") << be32(0xFFFB9064) << u"Encoder nicht erkannt"_s;
}

void TestMpeg::encoderGuess()
{
    QFETCH(QByteArray, head);
    QFETCH(QString, encoder);
    QCOMPARE(analyse(fileOf(head, 10000)).encoder, encoder);
}

void TestMpeg::everyPrefixIsSafe()
{
    const QByteArray file = QByteArray("ID3\x04\x00\x10\x00\x00\x00\x20", 10) +
                            QByteArray(32, 'p') + QByteArray(10, 'f') + be32(0xFFFB9044) +
                            QByteArray(32, '\0') + "Xing" + be32(15) + be32(3) + frames(3);
    for (qsizetype n = 0; n <= file.size(); ++n) {
        StreamInfo s;
        const int r = AnalyzeMpegFile(BufferSource(file.left(n)), s);
        QVERIFY(r == 0 || r == -1);
        MeasureMpegLength(BufferSource(file.left(n)));
        WaveHeader w;
        ReadWaveHeader(BufferSource(file.left(n)), w);
    }
}

void TestMpeg::measureNeedsTwoFrames()
{
    const QByteArray single = QByteArray(500, 'x') + frames(1);
    QVERIFY(!MeasureMpegLength(BufferSource(single)).ok);
    const QByteArray several = QByteArray(500, 'x') + frames(300);
    const MpegMeasurement many = MeasureMpegLength(BufferSource(several));
    QVERIFY(many.ok);
    QCOMPARE(many.bitrate, 128000);
    QCOMPARE(many.seconds, std::llrint((300 * 417 - 4) * 8 / 128000.0));
    QCOMPARE(many.header.frameLength, 417);
}

void TestMpeg::waveHeaders()
{
    // 44100 Hz stereo 16 bit, RIFF size 10 584 036: 60 seconds, 1411 kbit.
    WaveHeader h;
    QVERIFY(ReadWaveHeader(BufferSource(fileOf(waveHeader(10584036, 1, 2, 44100, 4, 16), 200)), h));
    QCOMPARE(WaveSeconds(h), 60);
    const FileInfoLabels l = waveLabels(h, 10584044);
    QCOMPARE(l.type, u"PCM Wave"_s);
    QCOMPARE(l.length, u"00:01:00"_s);
    QCOMPARE(l.sampling, u"44100Hz stereo"_s);
    QCOMPARE(l.bits, u"1411kbit "_s);
    QVERIFY(l.encoder.isEmpty());

    QVERIFY(!ReadWaveHeader(BufferSource(fileOf(waveHeader(1000, 1, 1, 8000, 2, 16), 179)), h));
    QVERIFY(ReadWaveHeader(BufferSource(fileOf(waveHeader(1000, 1, 1, 8000, 2, 16), 180)), h));
    QCOMPARE(waveLabels(h, 180).sampling, u"8000Hz mono"_s);
    QVERIFY(!ReadWaveHeader(BufferSource(fileOf(waveHeader(1000, 0x55, 2, 44100, 1, 0), 500)), h));
    QCOMPARE(h.formatTag, 0x55);
    QVERIFY(!ReadWaveHeader(BufferSource(fileOf("RIFX", 500)), h));
    // Zero divisors and a size below the header give 0 seconds.
    QVERIFY(ReadWaveHeader(BufferSource(fileOf(waveHeader(1000, 1, 1, 0, 0, 16), 500)), h));
    QCOMPARE(WaveSeconds(h), 0);
    QVERIFY(ReadWaveHeader(BufferSource(fileOf(waveHeader(20, 1, 1, 8000, 2, 16), 500)), h));
    QCOMPARE(WaveSeconds(h), 0);
}

void TestMpeg::durations_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << qint64(0) << u"00:00:00"_s;
    QTest::newRow("3725") << qint64(3725) << u"01:02:05"_s;
    QTest::newRow("360000") << qint64(360000) << u"100:00:00"_s;
    QTest::newRow("beyond 16 bits") << qint64(70000) << u"19:26:40"_s;
}

void TestMpeg::durations()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(FormatDuration(seconds), text);
}

void TestMpeg::megabytes_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("4 MiB") << qint64(4194304) << u"4"_s;
    QTest::newRow("3.75 MiB") << qint64(3932160) << u"3,8"_s;
    QTest::newRow("half") << qint64(524288) << u",5"_s;
    QTest::newRow("just below 0.05") << qint64(52428) << QString();
    QTest::newRow("0.05") << qint64(52429) << u",1"_s;
    QTest::newRow("8 GiB") << qint64(8) * 1024 * 1024 * 1024 << u"8192"_s;
}

void TestMpeg::megabytes()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(megabytesText(bytes, QLocale(QLocale::German)), text);
    QCOMPARE(megabytesText(bytes, QLocale::c()), QString(text).replace(u',', u'.'));
}

void TestMpeg::panelChoice_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<bool>("onlyRegistered");
    QTest::addColumn<FileInfoKind>("kind");
    QTest::newRow("mp3 extension") << u"a.Mp3"_s << QByteArray() << true << FileInfoKind::Mpeg;
    QTest::newRow("sync bytes") << u"a.bin"_s << QByteArray("\xFF\xFB") << false
                                << FileInfoKind::Mpeg;
    QTest::newRow("sync bytes, registered only")
        << u"a.bin"_s << QByteArray("\xFF\xFB") << true << FileInfoKind::None;
    QTest::newRow("ID3") << u"a.bin"_s << QByteArray("ID3\x03") << true << FileInfoKind::Mpeg;
    QTest::newRow("wav extension")
        << u"a.WAV"_s << QByteArray("xxxx") << true << FileInfoKind::Wave;
    QTest::newRow("RIFF") << u"a"_s << QByteArray("RIFF") << false << FileInfoKind::Wave;
    QTest::newRow("RIFF, registered only")
        << u"a"_s << QByteArray("RIFF") << true << FileInfoKind::None;
    QTest::newRow("F0 is not above F0")
        << u"a"_s << QByteArray("\xFF\xF0") << false << FileInfoKind::None;
}

void TestMpeg::panelChoice()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, first);
    QFETCH(bool, onlyRegistered);
    QFETCH(FileInfoKind, kind);
    QCOMPARE(fileInfoKind(name, first, onlyRegistered), kind);
}

QTEST_GUILESS_MAIN(TestMpeg)
#include "tst_mpeg.moc"
