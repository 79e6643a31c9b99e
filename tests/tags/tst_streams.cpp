// SPDX-License-Identifier: GPL-3.0-or-later
// Files from real encoders (lame, ffmpeg, sox) analysed here and by ffprobe.
#include "core/bytesource.h"
#include "tags/fileinfo.h"
#include "tags/mpeg.h"
#include "tags/wave.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace varnolite;

namespace {

struct Probe
{
    int sampleRate = 0;
    int channels = 0;
    QString codec;
    double duration = 0;
};

Probe ffprobe(const QString& path)
{
    QProcess p;
    p.start(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-select_streams"_s, u"a:0"_s, u"-show_entries"_s,
                           u"stream=codec_name,sample_rate,channels:format=duration"_s, u"-of"_s,
                           u"json"_s, path});
    p.waitForFinished();
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    const QJsonObject stream = o[u"streams"_s].toArray().at(0).toObject();
    return {stream[u"sample_rate"_s].toString().toInt(), stream[u"channels"_s].toInt(),
            stream[u"codec_name"_s].toString(),
            o[u"format"_s][u"duration"_s].toString().toDouble()};
}

int versionOfRate(int rate)
{
    switch (rate) {
    case 44100:
    case 48000:
    case 32000:
        return 1;
    case 22050:
    case 24000:
    case 16000:
        return 2;
    default:
        return 3;
    }
}

QString stream(const QString& name)
{
    return QFINDTESTDATA(u"data/streams/"_s + name);
}

} // namespace

class TestStreams : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mp3FilesAgreeWithFfprobe_data();
    void mp3FilesAgreeWithFfprobe();
    void wavFilesAgreeWithFfprobe_data();
    void wavFilesAgreeWithFfprobe();
    void mp3InsideRiffIsAnalysedAsMpeg();
};

void TestStreams::mp3FilesAgreeWithFfprobe_data()
{
    QTest::addColumn<QString>("file");
    const QStringList files = QDir(QFileInfo(stream(u"cbr128.mp3"_s)).absolutePath())
                                  .entryList({u"*.mp3"_s}, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 12);
    for (const QString& f : files)
        QTest::newRow(qPrintable(f)) << f;
}

void TestStreams::mp3FilesAgreeWithFfprobe()
{
    QFETCH(QString, file);
    const QString path = stream(file);
    const Probe probe = ffprobe(path);
    QCOMPARE(probe.codec, u"mp3"_s);

    StreamInfo s;
    QCOMPARE(AnalyzeMpegFile(path, s), 0);
    QCOMPARE(int(s.layer), 3);
    QCOMPARE(s.sampleRate, probe.sampleRate);
    QCOMPARE(int(s.version), versionOfRate(probe.sampleRate));
    QCOMPARE(s.channelMode == 3, probe.channels == 1);
    QVERIFY2(qAbs(double(s.duration) - probe.duration) < 1.0,
             qPrintable(u"%1 s here, %2 s by ffprobe"_s.arg(s.duration).arg(probe.duration)));

    auto source = FileSource::open(path);
    const MpegMeasurement m = MeasureMpegLength(source.value());
    QVERIFY(m.ok);
    QCOMPARE(m.header.sampleRate, probe.sampleRate);
    QVERIFY2(qAbs(double(m.seconds) - probe.duration) < 1.0,
             qPrintable(u"measured %1 s, ffprobe %2 s"_s.arg(m.seconds).arg(probe.duration)));
}

void TestStreams::wavFilesAgreeWithFfprobe_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("8 kHz mono") << u"pcm-8khz-mono.wav"_s;
    QTest::newRow("22 kHz stereo") << u"pcm-22khz-stereo.wav"_s;
}

void TestStreams::wavFilesAgreeWithFfprobe()
{
    QFETCH(QString, file);
    const QString path = stream(file);
    const Probe probe = ffprobe(path);
    WaveHeader h;
    QVERIFY(ReadWaveHeader(path, h));
    QCOMPARE(int(h.samplesPerSecond), probe.sampleRate);
    QCOMPARE(int(h.channels), probe.channels);
    QCOMPARE(h.formatTag, 1);
    QVERIFY(qAbs(double(WaveSeconds(h)) - probe.duration) < 1.0);
    const FileInfoLabels l = fileInfoLabels(path, FileInfoKind::Wave);
    QCOMPARE(l.type, u"PCM Wave"_s);
    QCOMPARE(l.length, u"00:00:03"_s);
}

void TestStreams::mp3InsideRiffIsAnalysedAsMpeg()
{
    for (const QString& file : {u"riff-mp3-at-58.wav"_s, u"riff-mp3-at-126.wav"_s}) {
        const QString path = stream(file);
        WaveHeader h;
        QVERIFY(!ReadWaveHeader(path, h)); // format tag 0x55
        const FileInfoLabels l = fileInfoLabels(path, FileInfoKind::Wave);
        QCOMPARE(l.type, u"Mpeg 1.0 Layer III"_s);
        QCOMPARE(l.sampling, u"44100Hz Joint-Stereo"_s);
        QCOMPARE(l.length, u"00:00:03"_s);
    }
}

QTEST_GUILESS_MAIN(TestStreams)
#include "tst_streams.moc"
