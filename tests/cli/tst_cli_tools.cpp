// SPDX-License-Identifier: GPL-3.0-or-later
#include "clirunner.h"

#include "../support/testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;
using testfiles::read;
using testfiles::tree;
using testfiles::write;

namespace {

struct Workspace : CliWorkspace
{
    QString copy(const QString& stream, const QString& as) const
    {
        const QString to = path(as);
        QDir().mkpath(QFileInfo(to).absolutePath());
        QFile::copy(QFINDTESTDATA(u"../tags/data/streams/"_s + stream), to);
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
        return to;
    }
};

} // namespace

class TestCliTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void info();
    void report();
    void playlists();
    void wavcut();
    void joliet();
};

void TestCliTools::info()
{
    Workspace w;
    const QString mp3 = w.copy(u"picture-vbr.mp3"_s, u"a.mp3"_s);
    const QString wav = w.copy(u"pcm-8khz-mono.wav"_s, u"b.wav"_s);
    const CliResult r = w.cli({u"info"_s, u"--json"_s, mp3, wav});
    QCOMPARE(r.exitCode, 0);
    const QJsonArray array = QJsonDocument::fromJson(r.out.toUtf8()).array();
    QCOMPARE(array.size(), 2);
    const QJsonObject m = array[0].toObject();
    for (const QString& key :
         {u"duration"_s, u"fileSize"_s, u"version"_s, u"layer"_s, u"sampleRate"_s, u"bitrate"_s,
          u"channelMode"_s, u"copyright"_s, u"original"_s, u"noCrc"_s, u"paddingBit"_s,
          u"frameLength"_s, u"encoder"_s, u"measuredOk"_s, u"measuredBitrate"_s,
          u"measuredSeconds"_s, u"labels"_s, u"result"_s})
        QVERIFY2(m.contains(key), qPrintable(key));
    QCOMPARE(m[u"kind"_s].toString(), u"mpeg"_s);
    QCOMPARE(m[u"duration"_s].toInt(), 3);
    QCOMPARE(m[u"labels"_s][u"type"_s].toString(), u"Mpeg 1.0 Layer III"_s);
    QCOMPARE(m[u"labels"_s][u"sampling"_s].toString(), u"44100Hz Joint-Stereo"_s);
    QVERIFY(!m.contains(u"wave"_s));
    const QJsonObject v = array[1].toObject();
    QCOMPARE(v[u"kind"_s].toString(), u"wave"_s);
    QCOMPARE(v[u"wave"_s][u"samplesPerSecond"_s].toInt(), 8000);
    QCOMPARE(v[u"labels"_s][u"type"_s].toString(), u"PCM Wave"_s);
    QCOMPARE(v[u"labels"_s][u"sampling"_s].toString(), u"8000Hz mono"_s);

    const CliResult text = w.cli({u"info"_s, mp3});
    QVERIFY2(text.out.contains(u"  00:00:03\n  44100Hz Joint-Stereo\n"_s), qPrintable(text.out));
    QCOMPARE(w.cli({u"info"_s, w.path(u"gone.mp3"_s)}).exitCode, 1);
}

void TestCliTools::report()
{
    Workspace w;
    w.copy(u"cbr128.mp3"_s, u"Mp3/b.mp3"_s);
    w.copy(u"mono64.mp3"_s, u"Mp3/A.MP3"_s);
    w.copy(u"pcm-8khz-mono.wav"_s, u"Mp3/c.wav"_s);
    const CliResult r = w.cli({u"report"_s, w.path(u"Mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out,
             u"Filename;Filesize;Songlength;Mpeg-Type;Encoder\n\n"_s + w.path(u"Mp3"_s) +
                 u"\nA.MP3;24449;00:00:03;Mpeg 1.0 Layer III 64kbit;Encoder nicht erkannt\n"
                 "b.mp3;48900;00:00:03;Mpeg 1.0 Layer III 128kbit;Encoder nicht erkannt\n"_s);
    // Into a file with CR LF, with another mask.
    QCOMPARE(
        w.cli({u"report"_s, u"-o"_s, w.path(u"r.txt"_s), u"--mask"_s, u"*.wav"_s, w.path(u"Mp3"_s)})
            .exitCode,
        0);
    QVERIFY(read(w.path(u"r.txt"_s))
                .startsWith("Filename;Filesize;Songlength;Mpeg-Type;Encoder\r\n\r\n"));
    QCOMPARE(w.cli({u"report"_s, w.path(u"Mp3/b.mp3"_s)}).exitCode, 1);
}

void TestCliTools::playlists()
{
    Workspace w;
    write(w.path(u"m/a.mp3"_s));
    write(w.path(u"m/sub/b.mp3"_s));
    const QString list = w.path(u"m/list.m3u"_s);
    QCOMPARE(
        w.cli({u"playlist"_s, u"write"_s, list, w.path(u"m/a.mp3"_s), w.path(u"m/sub/b.mp3"_s)})
            .exitCode,
        0);
    QCOMPARE(read(list), QByteArray("a.mp3\r\nsub/b.mp3\r\n"));
    // It exists now: without a terminal, --append or --replace must be given.
    CliResult r = w.cli({u"playlist"_s, u"write"_s, list, w.path(u"m/a.mp3"_s)});
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(read(list), QByteArray("a.mp3\r\nsub/b.mp3\r\n"));
    QCOMPARE(w.cli({u"playlist"_s, u"write"_s, u"--append"_s, list, w.path(u"m/a.mp3"_s)}).exitCode,
             0);
    QCOMPARE(read(list), QByteArray("a.mp3\r\nsub/b.mp3\r\na.mp3\r\n"));

    r = w.cli({u"playlist"_s, u"read"_s, list});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, w.path(u"m/a.mp3\n"_s) + w.path(u"m/sub/b.mp3\n"_s) + w.path(u"m/a.mp3\n"_s));
    QCOMPARE(
        w.cli({u"playlist"_s, u"write"_s, u"--replace"_s, u"-r"_s, list, w.path(u"m"_s)}).exitCode,
        0);
    QCOMPARE(read(list), QByteArray("sub/b.mp3\r\na.mp3\r\n"));
}

void TestCliTools::wavcut()
{
    Workspace w;
    const QString a = w.copy(u"riff-mp3-at-58.wav"_s, u"w/a.wav"_s);
    const QString b = w.copy(u"pcm-8khz-mono.wav"_s, u"w/b.wav"_s);
    const QByteArray pcm = read(b);
    const CliResult r = w.cli({u"wavcut"_s, u"-r"_s, u"--mask"_s, u"*.wav"_s, w.path(u"w"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, a + u": 58 bytes of header removed\n"_s);
    QCOMPARE(read(a), read(QFINDTESTDATA(u"../tags/data/streams/riff-payload.mp3"_s)));
    QCOMPARE(read(b), pcm);
}

void TestCliTools::joliet()
{
    Workspace w;
    const QString longName = QString(70, u'x') + u".mp3"_s;
    write(w.path(u"j/"_s + longName), "audio");
    CliResult r = w.cli({u"joliet"_s, u"--yes"_s, w.path(u"j/"_s + longName)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(tree(w.path(u"j"_s)), QStringList{QString(60, u'x') + u".mp3"_s});
    QCOMPARE(w.cli({u"undo"_s}).exitCode, 0);
    QCOMPARE(tree(w.path(u"j"_s)), QStringList{longName});
    r = w.cli({u"joliet"_s, u"--yes"_s, w.path(u"j/"_s + QString(3, u'y'))});
    QCOMPARE(r.exitCode, 1); // a missing path
}

QTEST_GUILESS_MAIN(TestCliTools)
#include "tst_cli_tools.moc"
