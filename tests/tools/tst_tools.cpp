// SPDX-License-Identifier: GPL-3.0-or-later
// Playlists, the report, WAV header removal and Joliet names.
#include "core/fileset.h"
#include "core/renamepipeline.h"
#include "core/undolog.h"
#include "tools/joliet.h"
#include "tools/playlist.h"
#include "tools/report.h"
#include "tools/wavcut.h"

#include "../support/testfiles.h"

using namespace Qt::StringLiterals;
using namespace varnolite;
using testfiles::read;
using testfiles::tree;
using testfiles::write;

namespace {

QString stream(const QString& name)
{
    return QFINDTESTDATA(u"../tags/data/streams/"_s + name);
}

// A copy of a stream test file under `dir`.
QString copyStream(const QTemporaryDir& dir, const QString& name, const QString& as = {})
{
    const QString to = dir.filePath(as.isEmpty() ? name : as);
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::copy(stream(name), to);
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    return to;
}

QStringList reportOf(const QString& dir, const FileMask& mask = FileMask(u"*.mp3"_s))
{
    QStringList lines;
    writeReportLines(dir, mask, [&](const QString& line) { lines.append(line); });
    return lines;
}

} // namespace

class TestTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void playlistWriting();
    void playlistQuestion();
    void automaticPlaylist_data();
    void automaticPlaylist();
    void playlistReading();

    void reportOrderAndLines();
    void reportOfAnEmptyDirectory();
    void reportFile();

    void wavHeaderRemoval();
    void wavHeaderLeftAlone();

    void jolietNames_data();
    void jolietNames();
    void jolietBatch();
};

void TestTools::playlistWriting()
{
    QTemporaryDir dir;
    const QString list = dir.filePath(u"Album/Album.m3u"_s);
    QDir().mkpath(dir.filePath(u"Album/CD2"_s));
    const QStringList files{dir.filePath(u"Album/01 a.mp3"_s),
                            dir.filePath(u"Album/CD2/02 b.mp3"_s),
                            dir.filePath(u"Other/03 Größe.mp3"_s)};
    QVERIFY(writePlaylist(list, files, {}).ok());
    QCOMPARE(read(list), QByteArray("01 a.mp3\r\nCD2/02 b.mp3\r\n../Other/03 Gr\xC3\xB6\xC3\x9F"
                                    "e.mp3\r\n"));
}

void TestTools::playlistQuestion()
{
    QTemporaryDir dir;
    const QString list = dir.filePath(u"l.m3u"_s);
    write(list, "old.mp3"); // no line end at the end
    int asked = 0;
    const auto answer = [&](ExistingPlaylist a) {
        return [&asked, a] {
            ++asked;
            return a;
        };
    };
    QCOMPARE(
        writePlaylist(list, {dir.filePath(u"x.mp3"_s)}, answer(ExistingPlaylist::Cancel)).code(),
        ErrorCode::Cancelled);
    QCOMPARE(read(list), QByteArray("old.mp3"));
    QVERIFY(writePlaylist(list, {dir.filePath(u"x.mp3"_s)}, answer(ExistingPlaylist::Append)).ok());
    QCOMPARE(read(list), QByteArray("old.mp3\r\nx.mp3\r\n"));
    QVERIFY(
        writePlaylist(list, {dir.filePath(u"y.mp3"_s)}, answer(ExistingPlaylist::Replace)).ok());
    QCOMPARE(read(list), QByteArray("y.mp3\r\n"));
    // No entries: asked, nothing written.
    QVERIFY(writePlaylist(list, {}, answer(ExistingPlaylist::Replace)).ok());
    QCOMPARE(read(list), QByteArray("y.mp3\r\n"));
    QCOMPARE(asked, 4);
    QVERIFY(writePlaylist(dir.filePath(u"new.m3u"_s), {}, answer(ExistingPlaylist::Cancel)).ok());
    QVERIFY(!QFile::exists(dir.filePath(u"new.m3u"_s)));
    QCOMPARE(asked, 4); // a new playlist is not asked about
}

void TestTools::automaticPlaylist_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("path");
    QTest::newRow("directory name") << u"<directoryname>.m3u"_s << u"/Rock/Live/Live.m3u"_s;
    QTest::newRow("fixed name") << u"best.m3u"_s << u"/Rock/Live/best.m3u"_s;
}

void TestTools::automaticPlaylist()
{
    QFETCH(QString, pattern);
    QFETCH(QString, path);
    QCOMPARE(automaticPlaylistPath(u"/Rock/Live/01 a.mp3"_s, pattern), path);
}

void TestTools::playlistReading()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(u"lists/a.mp3"_s);
    const QString b = dir.filePath(u"elsewhere/b.mp3"_s);
    const QString c = dir.filePath(u"lists/sub/c.mp3"_s);
    const QString d = dir.filePath(u"lists/d é.mp3"_s);
    for (const QString& f : {a, b, c, d})
        write(f);
    const QString list = dir.filePath(u"lists/l.m3u"_s);
    write(list, "#EXTM3U\n"
                "\n"
                "#EXTINF:123,Artist - a\n"
                "a.mp3\n" +
                    b.toUtf8() +
                    "\n"
                    "sub\\c.mp3\r\n"
                    "missing.mp3\n"
                    "file://" +
                    QUrl::toPercentEncoding(d, "/") +
                    "\n"
                    "d \xE9.mp3\n"); // Windows-1252 line
    const auto files = readPlaylist(list);
    QVERIFY(files.ok());
    QCOMPARE(files.value(), (QStringList{a, b, c, d, d}));
    QVERIFY(!readPlaylist(dir.filePath(u"none.m3u"_s)).ok());
}

void TestTools::reportOrderAndLines()
{
    QTemporaryDir dir;
    const QString root = dir.filePath(u"Mp3"_s);
    copyStream(dir, u"cbr128.mp3"_s, u"Mp3/b.mp3"_s);
    copyStream(dir, u"mono64.mp3"_s, u"Mp3/A.mp3"_s);
    copyStream(dir, u"cbr128.mp3"_s, u"Mp3/live/x.mp3"_s);
    write(root + u"/tiny.mp3"_s, "abc");
    write(root + u"/notes.txt"_s, "text");
    write(root + u"/fake.mp3"_s, QByteArray(1000, 'z')); // no frame: left out
    QCOMPARE(reportOf(root),
             (QStringList{
                 u"Filename;Filesize;Songlength;Mpeg-Type;Encoder"_s, QString(), root,
                 u"A.mp3;24449;00:00:03;Mpeg 1.0 Layer III 64kbit;Encoder nicht erkannt"_s,
                 u"b.mp3;48900;00:00:03;Mpeg 1.0 Layer III 128kbit;Encoder nicht erkannt"_s,
                 u"tiny.mp3;0;00:00:00;Mpeg Unknown Layer Unknown 0kbit;Encoder nicht erkannt"_s,
                 QString(), root + u"/live"_s,
                 u"x.mp3;48900;00:00:03;Mpeg 1.0 Layer III 128kbit;Encoder nicht erkannt"_s}));
}

void TestTools::reportOfAnEmptyDirectory()
{
    QTemporaryDir dir;
    QCOMPARE(reportOf(dir.path()), (QStringList{reportHeader(), QString(), dir.path()}));
}

void TestTools::reportFile()
{
    QTemporaryDir dir;
    copyStream(dir, u"cbr128.mp3"_s, u"m/a.mp3"_s);
    const QString out = dir.filePath(u"report.txt"_s);
    write(out, "old content that is longer than the report will be, to see it replaced as a whole");
    QVERIFY(writeReport(out, dir.filePath(u"m"_s), FileMask(u"*.mp3"_s)).ok());
    QCOMPARE(read(out), (reportOf(dir.filePath(u"m"_s)).join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
    QCOMPARE(writeReport(out, dir.filePath(u"none"_s), FileMask()).code(), ErrorCode::NotFound);
}

void TestTools::wavHeaderRemoval()
{
    QTemporaryDir dir;
    const QByteArray payload = read(stream(u"riff-payload.mp3"_s));
    QVERIFY(payload.startsWith("\xFF\xFB\x90\x44"));
    const QString at58 = copyStream(dir, u"riff-mp3-at-58.wav"_s, u"w/a.wav"_s);
    const QString at126 = copyStream(dir, u"riff-mp3-at-126.wav"_s, u"w/sub/b.wav"_s);
    write(dir.filePath(u"w/~a.wav"_s), "someone else's file");

    FileSet set{dir.filePath(u"w"_s)};
    ExpandRecursive(set, FileMask(u"*.wav"_s));
    qsizetype changed = 0;
    QList<qsizetype> steps;
    const QList<PathError> errors = removeWaveHeaders(
        set, [&](qsizetype done, qsizetype) { steps.append(done); }, &changed);
    QVERIFY(errors.isEmpty());
    QCOMPARE(changed, 2);
    QCOMPARE(steps.size(), set.size());
    QCOMPARE(read(at58), payload);
    QCOMPARE(read(at126), payload);
    QCOMPARE(read(dir.filePath(u"w/~a.wav"_s)), QByteArray("someone else's file"));
    QCOMPARE(tree(dir.filePath(u"w"_s)).size(), 4);
}

void TestTools::wavHeaderLeftAlone()
{
    QTemporaryDir dir;
    const QString pcm = copyStream(dir, u"pcm-22khz-stereo.wav"_s);
    const QString mp3 = copyStream(dir, u"cbr128.mp3"_s);
    const QString readOnly = copyStream(dir, u"riff-mp3-at-58.wav"_s, u"ro.wav"_s);
    QFile::setPermissions(readOnly, QFile::ReadOwner);
    // PCM audio with the frame pattern inside it is not cut.
    QByteArray pcmWithPattern = read(pcm);
    pcmWithPattern.replace(1000, 4, "\xFF\xFB\x90\x44");
    write(pcm, pcmWithPattern);
    const QByteArray pcmBefore = read(pcm);
    const QByteArray mp3Before = read(mp3);
    const QByteArray roBefore = read(readOnly);

    QCOMPARE(removeWaveHeader(pcm).removed, 0);
    QCOMPARE(removeWaveHeader(mp3).removed, 0);
    const WaveCutResult ro = removeWaveHeader(readOnly);
    QCOMPARE(ro.status.code(), ErrorCode::ReadOnly);
    QCOMPARE(read(pcm), pcmBefore);
    QCOMPARE(read(mp3), mp3Before);
    QCOMPARE(read(readOnly), roBefore);
}

void TestTools::jolietNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cut");
    QTest::newRow("74 with .mp3") << QString(70, u'A') + u".mp3"_s << QString(60, u'A') + u".mp3"_s;
    QTest::newRow("exactly 64") << QString(60, u'B') + u".mp3"_s << QString(60, u'B') + u".mp3"_s;
    QTest::newRow("65 without dot") << QString(65, u'C') << QString(64, u'C');
    QTest::newRow("long extension")
        << QString(60, u'D') + u".backup-copy"_s << QString(52, u'D') + u".backup-copy"_s;
    QTest::newRow("extension of 64 and more")
        << u"x."_s + QString(70, u'e') << u"x."_s + QString(62, u'e');
    QTest::newRow("no split surrogate pair")
        << QString(62, u'E') + u"\U0001F3B5\U0001F3B5.mp3"_s << QString(60, u'E') + u".mp3"_s;
    QTest::newRow("surrogate pair at the cut")
        << QString(59, u'F') + u"\U0001F3B5x.mp3"_s << QString(59, u'F') + u".mp3"_s;
}

void TestTools::jolietNames()
{
    QFETCH(QString, name);
    QFETCH(QString, cut);
    QCOMPARE(jolietName(name), cut);
    QVERIFY(jolietName(name).size() <= 64);
    QCOMPARE(exceedsJolietLength(name), name.size() > 64);
}

void TestTools::jolietBatch()
{
    QTemporaryDir dir;
    const QString long1 = dir.filePath(QString(70, u'a') + u" one.mp3"_s);
    const QString long2 = dir.filePath(QString(70, u'a') + u" two.mp3"_s);
    const QString long3 = dir.filePath(u"sub/"_s + QString(80, u's') + u".mp3"_s);
    const QString taken = dir.filePath(QString(60, u's') + u".mp3"_s); // in the root, not in sub
    const QString existing = dir.filePath(u"sub/"_s + QString(60, u'S') + u".MP3"_s);
    for (const QString& f : {long1, long2, long3, taken, existing})
        write(f);
    QDir().mkpath(dir.filePath(QString(70, u'd')));

    FileSet set{dir.path()};
    ExpandRecursive(set, FileMask(u"*.mp3"_s));
    RenameBatch batch = buildJolietBatch(set);
    QCOMPARE(batch.size(), 3);
    // From the last file to the first; the second equal name gets "~1".
    QCOMPARE(batch.sources, (QStringList{long2, long1, long3}));
    QCOMPARE(batch.targets[1], dir.filePath(QString(60, u'a') + u".mp3"_s));
    QCOMPARE(batch.targets[0], dir.filePath(QString(58, u'a') + u"~1.mp3"_s));
    QCOMPARE(batch.targets[2], dir.filePath(u"sub/"_s + QString(58, u's') + u"~1.mp3"_s));

    UndoLog log = UndoLog::inDirectory(dir.filePath(u"data"_s));
    RenameOptions options;
    options.showPreview = false;
    const RenameReport report = ApplyRenameBatch(batch, options, log);
    QVERIFY(report.errors.isEmpty());
    QCOMPARE(report.renamed, 3);
    QCOMPARE(log.headers().size(), 1); // a header of its own
    FileSet again{dir.path()};
    ExpandRecursive(again, FileMask(u"*.mp3"_s));
    QVERIFY(buildJolietBatch(again).isEmpty()); // a second run changes nothing
}

QTEST_GUILESS_MAIN(TestTools)
#include "tst_tools.moc"
