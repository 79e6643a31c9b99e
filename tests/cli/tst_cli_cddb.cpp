// SPDX-License-Identifier: GPL-3.0-or-later
// discid, cddb and list2name through the real command line, against a CDDB server on
// 127.0.0.1 that runs in this process while the command runs.
#include "clirunner.h"

#include "../support/cddbserver.h"
#include "../support/testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSignalSpy>

#include <discid/discid.h>

using namespace Qt::StringLiterals;
using testfiles::tree;
using testfiles::write;
using testserver::TestCddbServer;

namespace {

// Runs the command while this process's event loop serves the test server.
CliResult runServed(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(VARNOLITE_CLI), args);
    p.closeWriteChannel();
    QSignalSpy done(&p, &QProcess::finished);
    if (!done.wait(60000))
        p.kill();
    return resultOf(p);
}

// An MPEG-1 Layer III stream at 128 kbit/s lasting `seconds`.
QByteArray mpegStream(int seconds)
{
    QByteArray frame(417, '\0');
    frame[0] = '\xff';
    frame[1] = '\xfb';
    frame[2] = '\x90';
    frame[3] = '\x64';
    const qsizetype size = qsizetype(seconds) * 16000;
    QByteArray bytes;
    while (bytes.size() + frame.size() <= size)
        bytes += frame;
    return bytes + frame.left(size - bytes.size());
}

QByteArray record(const QByteArray& discTitle, const QList<QByteArray>& titles)
{
    QByteArray r = "# xmcd CD database file\r\nDISCID=09013303\r\nDTITLE=" + discTitle +
                   "\r\nDYEAR=1999\r\nDGENRE=Rock\r\n";
    for (qsizetype i = 0; i < titles.size(); ++i)
        r += "TTITLE" + QByteArray::number(i) + '=' + titles[i] + "\r\n";
    return r + "EXTD=\r\n";
}

struct Workspace : CliWorkspace
{
    TestCddbServer server;
    // An album of three MP3 files of 100 seconds (disc id 09013303).
    QString album(const QString& name = u"Music/old"_s) const
    {
        for (int i = 1; i <= 3; ++i)
            write(path(name + u"/track%1.mp3"_s.arg(i)), mpegStream(100));
        return path(name);
    }
    CliResult cli(const QStringList& args) const { return runServed(withDataDir(args)); }
    QStringList server1() const
    {
        return {u"--server"_s, u"127.0.0.1:%1"_s.arg(server.cddbpPort()), u"--no-second-server"_s,
                u"--email"_s, u"me@example.org"_s};
    }
};

const QString kQuery = u"cddb query 09013303 3 150 7650 15300 306"_s;

} // namespace

class TestCliCddb : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void discIdAgreesWithLibdiscid();
    void discIdOfFiles();
    void namesAndTagsAnAlbum_data();
    void namesAndTagsAnAlbum();
    void recordsCannotLeaveTheAlbum();
    void lookupFailures();
    void listFiles();
};

void TestCliCddb::discIdAgreesWithLibdiscid()
{
    QRandomGenerator random(4242);
    for (int round = 0; round < 20; ++round) {
        const int tracks = random.bounded(1, 100);
        int offsets[100] = {};
        QStringList words;
        qint64 at = round % 4 == 0 ? random.bounded(150, 30000) : 150;
        const int longest = qMin(75 * 600, (75 * 79 * 60 - int(at)) / tracks);
        for (int t = 1; t <= tracks; ++t) {
            offsets[t] = int(at);
            words.append(QString::number(at));
            at += random.bounded(75 * 4, longest + 1);
        }
        offsets[0] = int(at);
        DiscId* disc = discid_new();
        QVERIFY(discid_put(disc, 1, tracks, offsets));
        const QString expected = QString::fromLatin1(discid_get_freedb_id(disc));
        discid_free(disc);
        const CliResult r = runCli(
            {u"discid"_s, u"--toc"_s, words.join(u' '), u"--leadout"_s, QString::number(at)});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.section(u'\n', 0, 0), expected);
    }
}

void TestCliCddb::discIdOfFiles()
{
    Workspace w;
    const QString album = w.album();
    CliResult r = w.cli({u"discid"_s, album});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, u"09013303\n"_s + kQuery + u'\n');
    r = w.cli({u"discid"_s, u"--json"_s, album + u"/track1.mp3"_s});
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QCOMPARE(o.value(u"discId"_s).toString(), u"03006601"_s);
    QCOMPARE(o.value(u"discSeconds"_s).toInt(), 102);
    QCOMPARE(w.cli({u"discid"_s, u"--toc"_s, u"150"_s}).exitCode, 2);
    QCOMPARE(w.cli({u"discid"_s, u"--cd=/nonexistent/cdrom"_s}).exitCode, 1);
}

void TestCliCddb::namesAndTagsAnAlbum_data()
{
    QTest::addColumn<bool>("http");
    QTest::addColumn<int>("pieceSize");
    QTest::newRow("cddbp") << false << 0;
    QTest::newRow("cddbp, odd pieces") << false << 5;
    QTest::newRow("http") << true << 0;
}

void TestCliCddb::namesAndTagsAnAlbum()
{
    QFETCH(bool, http);
    QFETCH(int, pieceSize);
    Workspace w;
    w.server.pieceSize = pieceSize;
    w.server.queryAnswers[kQuery] =
        "211 Found inexact matches, list follows (until terminating `.')\r\n"
        "misc 09013303 Someone / Else\r\n"
        "rock 09013303 Band / Best Of\r\n.\r\n";
    w.server.records[u"rock 09013303"_s] =
        record("Band / Best Of", {"Opener", "Foo/Bar", "Last Song."});
    const QString album = w.album();
    QStringList args = QStringList{u"cddb"_s} + w.server1();
    if (http) {
        // With --http the port given with --server is the HTTP port (80 otherwise).
        args[2] = u"127.0.0.1:%1"_s.arg(w.server.httpPort());
        args += {u"--http"_s};
    }
    args += {u"--pick"_s,   u"2"_s,       u"--tag"_s, u"--year"_s, u"2001"_s,
             u"--format"_s, u"%N - %S"_s, u"--yes"_s, album};
    const CliResult r = w.cli(args);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY(r.err.contains(u"1) misc 09013303 Someone / Else"_s));
    QCOMPARE(tree(w.path(u"Music"_s)),
             (QStringList{u"Band - Best Of"_s, u"Band - Best Of/01 - Opener.mp3"_s,
                          u"Band - Best Of/02 - Foo-Bar.mp3"_s,
                          u"Band - Best Of/03 - Last Song..mp3"_s}));
    const CliResult tags = w.cli(
        {u"tag"_s, u"show"_s, u"--json"_s, w.path(u"Music/Band - Best Of/02 - Foo-Bar.mp3"_s)});
    const QJsonObject t = QJsonDocument::fromJson(tags.out.toUtf8()).array().at(0).toObject();
    QCOMPARE(t.value(u"title"_s).toString(), u"Foo-Bar"_s);
    QCOMPARE(t.value(u"artist"_s).toString(), u"Band"_s);
    QCOMPARE(t.value(u"album"_s).toString(), u"Best Of"_s);
    QCOMPARE(t.value(u"year"_s).toString(), u"2001"_s);
    QCOMPARE(t.value(u"track"_s).toString(), u"2"_s);
    QCOMPARE(t.value(u"comment"_s).toString(), u"Track 2"_s);
    // One batch, taken back by one undo.
    QCOMPARE(w.cli({u"undo"_s}).exitCode, 0);
    QCOMPARE(tree(w.path(u"Music"_s)), (QStringList{u"old"_s, u"old/track1.mp3"_s,
                                                    u"old/track2.mp3"_s, u"old/track3.mp3"_s}));
}

void TestCliCddb::recordsCannotLeaveTheAlbum()
{
    Workspace w;
    w.server.records[u"rock 0a0b0c0d"_s] = record("../../evil", {"../../evil", "a/b", ".."});
    const QString album = w.album(u"top/Music/old"_s);
    const CliResult r = w.cli(QStringList{u"cddb"_s} + w.server1() +
                              QStringList{u"--fixed"_s, u"rock"_s, u"0a0b0c0d"_s, u"--format"_s,
                                          u"%S"_s, u"--yes"_s, album});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QStringList all = tree(w.path(u"top"_s));
    QCOMPARE(all.filter(u".mp3"_s).size(), 3);
    for (const QString& entry : all)
        QVERIFY2(entry.startsWith(u"Music"_s), qPrintable(all.join(u' ')));
    QCOMPARE(w.server.commands.value(1), u"cddb read rock 0a0b0c0d"_s);
}

void TestCliCddb::lookupFailures()
{
    Workspace w;
    const QString album = w.album();
    CliResult r = w.cli(QStringList{u"cddb"_s} + w.server1() + QStringList{u"--yes"_s, album});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(u"No match for disk ID."_s), qPrintable(r.err));
    // Several matches and no terminal: --pick is needed.
    w.server.queryAnswers[kQuery] =
        "211 Found inexact matches, list follows (until terminating `.')\r\n"
        "misc 09013303 A / B\r\nrock 09013303 C / D\r\n.\r\n";
    r = w.cli(QStringList{u"cddb"_s} + w.server1() + QStringList{u"--yes"_s, album});
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.err.contains(u"--pick"_s));
    QCOMPARE(tree(w.path(u"Music"_s)).size(), 4);
    // A log file only when asked for.
    QVERIFY(!QFile::exists(w.path(u"data/mp3varnolite_cddb.log"_s)));
    w.cli(QStringList{u"cddb"_s} + w.server1() + QStringList{u"--log"_s, u"-n"_s, album});
    QVERIFY(QFile::exists(w.path(u"data/mp3varnolite_cddb.log"_s)));
}

void TestCliCddb::listFiles()
{
    Workspace w;
    // A plain list.
    QString album = w.album(u"plain"_s);
    write(w.path(u"names.txt"_s), "7 Seven\r\n12 Twelve\r\n\r\n");
    CliResult r = w.cli({u"list2name"_s, u"--plain"_s, u"--no-number"_s, u"--add-mp3"_s, u"--yes"_s,
                         w.path(u"names.txt"_s), album});
    QCOMPARE(r.exitCode, 1); // the third file has no name and keeps its own
    QCOMPARE(tree(album), (QStringList{u"07 Seven.mp3"_s, u"12 Twelve.mp3"_s, u"track3.mp3"_s}));

    // An SFV file.
    album = w.album(u"sfv"_s);
    write(w.path(u"album.sfv"_s),
          "; checksums\r\n01 - Intro.mp3 1A2B3C4D\r\n02 - Middle.mp3 00000000\r\n"
          "03 - Outro.mp3 FFFFFFFF\r\n");
    r = w.cli({u"list2name"_s, u"--sfv"_s, u"--yes"_s, w.path(u"album.sfv"_s), album});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(tree(album),
             (QStringList{u"01 - Intro.mp3"_s, u"02 - Middle.mp3"_s, u"03 - Outro.mp3"_s}));

    // A .qdb file: the records of three tracks are offered, sorted.
    album = w.album(u"Music/qdb"_s);
    write(w.path(u"discs.qdb"_s), "# xmcd\r\n" + record("Zed / Three", {"a", "b", "c"}) + ".\r\n" +
                                      record("Alpha / Three", {"x", "y", "z"}) + ".\r\n");
    r = w.cli({u"list2name"_s, u"--qdb"_s, u"--pick"_s, u"1"_s, u"--yes"_s, w.path(u"discs.qdb"_s),
               album});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.err.contains(u"1) Alpha / Three\n2) Zed / Three"_s));
    QCOMPARE(tree(w.path(u"Music"_s)),
             (QStringList{u"Alpha - Three"_s, u"Alpha - Three/01 x.mp3"_s,
                          u"Alpha - Three/02 y.mp3"_s, u"Alpha - Three/03 z.mp3"_s}));
}

QTEST_GUILESS_MAIN(TestCliCddb)
#include "tst_cli_cddb.moc"
