// SPDX-License-Identifier: GPL-3.0-or-later
#include "clirunner.h"

#include "../support/testfiles.h"

#include <QElapsedTimer>

using namespace Qt::StringLiterals;
using testfiles::tree;
using testfiles::write;

namespace {

using Workspace = CliWorkspace;

} // namespace

class TestCliEngines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void names_data();
    void names();
    void namesFollowTheSettings();
    void namesFromFiles();
    void invalidRegexLeavesNamesAndEndsQuickly();
    void renamingWithEachEngine();
    void badOptions_data();
    void badOptions();
};

void TestCliEngines::names_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out");
    QTest::newRow("order given does not matter")
        << QStringList{u"actions"_s,     u"--case"_s,      u"Aa"_s, u"--replace-underscores"_s,
                       u"my_song.mp3"_s, u"an_other.mp3"_s}
        << u"My Song.mp3\nAn Other.mp3\n"_s;
    QTest::newRow("dots deleted") << QStringList{u"actions"_s, u"--replace-dots"_s, u"--with"_s,
                                                 QString(), u"a.b.c.mp3"_s}
                                  << u"abc.mp3\n"_s;
    QTest::newRow("illegal characters")
        << QStringList{u"actions"_s, u"--replace-first"_s, u"x"_s, u"a:b?"_s, u"x.mp3"_s}
        << u"a_b_.mp3\n"_s;
    QTest::newRow("unbracket numbers anywhere")
        << QStringList{u"actions"_s, u"--unbracket"_s, u"numbers"_s,
                       u"--where"_s, u"anywhere"_s,    u"Song (01) [02] (Live).mp3"_s}
        << u"Song 01 02 (Live).mp3\n"_s;
    QTest::newRow("space parts") << QStringList{u"actions"_s, u"--space-parts"_s,
                                                u"01-Artist-Title.mp3"_s}
                                 << u"01 - Artist - Title.mp3\n"_s;
    QTest::newRow("expr") << QStringList{u"expr"_s, u"--from"_s,  u"%n - %a - %t"_s,
                                         u"--to"_s, u"%a - %t"_s, u"01 - Artist - Title.mp3"_s}
                          << u"Artist - Title.mp3\n"_s;
    QTest::newRow("expr on the source")
        << QStringList{u"expr"_s,    u"--from"_s,       u"%a - %b"_s, u"--to"_s,
                       u"%b - %a"_s, u"--commands"_s,   u"s(_/ )"_s,  u"--apply-to"_s,
                       u"source"_s,  u"A_x - B_y.mp3"_s}
        << u"B y - A x.mp3\n"_s;
    QTest::newRow("expr directory")
        << QStringList{u"expr"_s, u"--commands"_s, u"short()"_s, u"--as-directory"_s, u"my.album"_s}
        << u"my\n"_s;
    QTest::newRow("regex, last rule first")
        << QStringList{u"regex"_s, u"--rule"_s, u"a => b"_s, u"--rule"_s, u"b => c"_s, u"a.mp3"_s}
        << u"b.mp3\n"_s;
    QTest::newRow("umlauts pass") << QStringList{u"actions"_s, u"--case"_s, u"AA"_s,
                                                 u"größe 東京.mp3"_s}
                                  << u"GRÖSSE 東京.MP3\n"_s;
}

void TestCliEngines::names()
{
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    Workspace w;
    const CliResult r = w.cli(QStringList{u"names"_s} + args);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, out);
}

void TestCliEngines::namesFollowTheSettings()
{
    Workspace w;
    QCOMPARE(w.cli({u"settings"_s, u"set"_s, u"options"_s, u"zwischenraumwahl_Text"_s,
                    u"Unterstriche"_s})
                 .exitCode,
             0);
    QCOMPARE(w.cli({u"settings"_s, u"set"_s, u"options"_s, u"trenner_Text"_s, u"+"_s}).exitCode, 0);
    CliResult r =
        w.cli({u"names"_s, u"actions"_s, u"--swap-artist-title"_s, u"01 Song_+_Title.mp3"_s});
    QCOMPARE(r.out, u"01 Title_+_Song.mp3\n"_s);
    r = w.cli({u"names"_s, u"actions"_s, u"--insert-at"_s, u"3"_s, u"2"_s, u"01Song.mp3"_s});
    QCOMPARE(r.out, u"01__Song.mp3\n"_s);
    r = w.cli({u"names"_s, u"actions"_s, u"--insert-at"_s, u"3"_s, u"1"_s, u"--blank"_s, u"."_s,
               u"01Song.mp3"_s});
    QCOMPARE(r.out, u"01.Song.mp3\n"_s);
}

void TestCliEngines::namesFromFiles()
{
    Workspace w;
    write(w.path(u"e.qxn"_s), "%n - %a\r\n%a\r\ngk(AA)\r\n");
    write(w.path(u"l.rex"_s), "x => y\r\ny => z\r\n");
    CliResult r = w.cli({u"names"_s, u"expr"_s, u"--file"_s, w.path(u"e.qxn"_s), u"--commands"_s,
                         u"gk(aa)"_s, u"01 - ArTiSt.mp3"_s});
    QCOMPARE(r.out, u"artist.mp3\n"_s);
    r = w.cli({u"names"_s, u"regex"_s, u"--rules"_s, w.path(u"l.rex"_s), u"--rule"_s, u"z => w"_s,
               u"x.mp3"_s});
    QCOMPARE(r.out, u"y.mp3\n"_s); // z=>w, then y=>z (no y), then x=>y
}

void TestCliEngines::invalidRegexLeavesNamesAndEndsQuickly()
{
    Workspace w;
    CliResult r =
        w.cli({u"names"_s, u"regex"_s, u"--rule"_s, u"() => x"_s, u"a.mp3"_s, u"b.mp3"_s});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, u"a.mp3\nb.mp3\n"_s);
    QVERIFY(r.err.contains(u"No valid expression"_s));

    QElapsedTimer timer;
    timer.start();
    r = w.cli(
        {u"names"_s, u"regex"_s, u"--rule"_s, u"(a+)+$ => x"_s, QString(60, u'a') + u"!.mp3"_s});
    QCOMPARE(r.out, QString(60, u'a') + u"!.mp3\n"_s);
    QVERIFY(timer.elapsed() < 10000);
}

void TestCliEngines::renamingWithEachEngine()
{
    Workspace w;
    write(w.path(u"m/my_album/my_song.mp3"_s));
    write(w.path(u"m/my_album/01 - x.mp3"_s));
    // Content first, then the folder; one undo takes all back.
    CliResult r = w.cli(
        {u"actions"_s, u"-y"_s, u"-r"_s, u"--replace-underscores"_s, w.path(u"m/my_album"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(tree(w.path(u"m"_s)),
             (QStringList{u"my album"_s, u"my album/01 - x.mp3"_s, u"my album/my song.mp3"_s}));
    r = w.cli({u"expr"_s, u"-y"_s, u"-r"_s, u"--commands"_s, u"gk(AA)"_s, w.path(u"m/my album"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(tree(w.path(u"m"_s)),
             (QStringList{u"MY ALBUM"_s, u"MY ALBUM/01 - X.MP3"_s, u"MY ALBUM/MY SONG.MP3"_s}));
    r = w.cli({u"regex"_s, u"-y"_s, u"-r"_s, u"--rule"_s, u" => _"_s, w.path(u"m/MY ALBUM"_s)});
    QCOMPARE(r.exitCode, 2); // an empty expression is no valid rule: nothing renamed
    r = w.cli({u"regex"_s, u"-y"_s, u"-r"_s, u"--rule"_s, u"  => _"_s, // a blank becomes "_"
               w.path(u"m/MY ALBUM"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(tree(w.path(u"m"_s)),
             (QStringList{u"MY_ALBUM"_s, u"MY_ALBUM/01_-_X.MP3"_s, u"MY_ALBUM/MY_SONG.MP3"_s}));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(w.cli({u"undo"_s}).exitCode, 0);
    QCOMPARE(tree(w.path(u"m"_s)),
             (QStringList{u"my_album"_s, u"my_album/01 - x.mp3"_s, u"my_album/my_song.mp3"_s}));
}

void TestCliEngines::badOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("no action") << QStringList{u"actions"_s, u"x"_s} << u"Keine Aktionen gewählt"_s;
    QTest::newRow("bad increment")
        << QStringList{u"actions"_s, u"--add"_s, u"-"_s, u"x"_s} << u"not a valid integer value"_s;
    QTest::newRow("bad case") << QStringList{u"actions"_s, u"--case"_s, u"Title"_s, u"x"_s}
                              << u"--case takes"_s;
    QTest::newRow("expr without anything")
        << QStringList{u"expr"_s, u"--from"_s, u"%a"_s, u"x"_s} << u"needs --from and --to"_s;
    QTest::newRow("regex without rules") << QStringList{u"regex"_s, u"x"_s} << u"needs --rule"_s;
    QTest::newRow("invalid rule") << QStringList{u"regex"_s, u"--rule"_s, u"a( => b"_s, u"x"_s}
                                  << u"No valid expression"_s;
}

void TestCliEngines::badOptions()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    Workspace w;
    write(w.path(u"x"_s));
    const CliResult r = w.cli(args.mid(0, args.size() - 1) + QStringList{w.path(u"x"_s)});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(tree(w.tmp.path()), QStringList{u"x"_s});
}

QTEST_GUILESS_MAIN(TestCliEngines)
#include "tst_cli_engines.moc"
