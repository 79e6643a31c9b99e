// SPDX-License-Identifier: GPL-3.0-or-later
// tag2name, name2tag and presets through the real command line.
#include "clirunner.h"

#include "../support/testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;
using testfiles::tree;
using testfiles::write;

namespace {

struct Workspace : CliWorkspace
{
    // A small file, tagged with the given field options of "tag set" (none: no tag).
    void file(const QString& name, const QStringList& fields = {}) const
    {
        QVERIFY(write(path(name), QByteArray(400, '\xff')));
        if (!fields.isEmpty())
            QCOMPARE(
                cli(QStringList{u"tag"_s, u"set"_s} + fields + QStringList{path(name)}).exitCode,
                0);
    }
    // title, artist, album, year, track, comment of a file's tag.
    QStringList fields(const QString& name) const
    {
        const CliResult r = cli({u"tag"_s, u"show"_s, u"--json"_s, path(name)});
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).array().at(0).toObject();
        QStringList out;
        for (const char* key : {"title", "artist", "album", "year", "track", "comment"})
            out.append(o.value(QLatin1StringView(key)).toString());
        return out;
    }
};

} // namespace

class TestCliTagNames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tagToNameSortsIntoDirectoriesAndUndoes();
    void tagsCannotMoveFilesOutOfTheTree_data();
    void tagsCannotMoveFilesOutOfTheTree();
    void nameToTagByPresets();
    void nameToTagLocksAndDryRun();
    void nameToTagPlaylistAndUntagged();
    void presets();
    void badUsage_data();
    void badUsage();
};

void TestCliTagNames::tagToNameSortsIntoDirectoriesAndUndoes()
{
    Workspace w;
    w.file(u"in/a.mp3"_s,
           {u"--artist"_s, u"Band"_s, u"--album"_s, u"Album"_s, u"--title"_s, u"My Song"_s});
    w.file(u"in/b.wav"_s,
           {u"--artist"_s, u"Band"_s, u"--album"_s, u"Album"_s, u"--title"_s, u"Take"_s});
    w.file(u"in/sub/c.MP3"_s, {u"--title"_s, u"Deep"_s, u"--track"_s, u"7"_s});
    // -r collects by the file mask (*.mp3); the WAV file is named explicitly.
    CliResult r = w.cli({u"tag2name"_s, u"--pattern"_s, u"%K\\%A\\%N %S"_s, u"--blank"_s, u"_"_s,
                         u"-r"_s, u"--yes"_s, w.path(u"in"_s), w.path(u"in/b.wav"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(tree(w.path(u"in"_s)),
             (QStringList{u"Band"_s, u"Band/Album"_s, u"Band/Album/01_My_Song.mp3"_s,
                          u"Band/Album/02_Take.wav"_s, u"sub"_s, u"sub/01_Deep.mp3"_s}));
    r = w.cli({u"undo"_s, u"--list"_s});
    QCOMPARE(r.out.count(u'\n'), 1);
    QCOMPARE(w.cli({u"undo"_s}).exitCode, 0);
    QCOMPARE(tree(w.path(u"in"_s)), (QStringList{u"Band"_s, u"Band/Album"_s, u"a.mp3"_s, u"b.wav"_s,
                                                 u"sub"_s, u"sub/c.MP3"_s}));

    // A pattern file; the track placeholder.
    write(w.path(u"p.vtn"_s), "%T %S\r\nignored\r\n");
    r = w.cli({u"tag2name"_s, u"--pattern-file"_s, w.path(u"p.vtn"_s), u"-n"_s,
               w.path(u"in/sub/c.MP3"_s)});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.contains(u"c.MP3  ->  07 Deep.mp3"_s), qPrintable(r.out));
}

void TestCliTagNames::tagsCannotMoveFilesOutOfTheTree_data()
{
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("pattern");
    for (const QString& pattern : {u"%K\\%A\\%N %S"_s, u"%K/%A/%N %S"_s}) {
        for (const QString& artist : {u".."_s, u"../.."_s, u"a/b"_s})
            QTest::addRow("%s %s", qPrintable(artist), qPrintable(pattern)) << artist << pattern;
    }
}

void TestCliTagNames::tagsCannotMoveFilesOutOfTheTree()
{
    QFETCH(QString, artist);
    QFETCH(QString, pattern);
    Workspace w;
    w.file(u"top/in/x.mp3"_s,
           {u"--artist"_s, artist, u"--album"_s, u"Album"_s, u"--title"_s, u"Song"_s});
    const CliResult r =
        w.cli({u"tag2name"_s, u"--pattern"_s, pattern, u"--yes"_s, w.path(u"top/in/x.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    const QStringList inside = tree(w.path(u"top/in"_s));
    QVERIFY2(inside.filter(u"01 Song.mp3"_s).size() == 1, qPrintable(inside.join(u' ')));
    QCOMPARE(tree(w.path(u"top"_s)).filter(u".mp3"_s).size(), 1);
    QVERIFY(inside.filter(u"01 Song.mp3"_s).front().endsWith(u"/Album/01 Song.mp3"));
}

void TestCliTagNames::nameToTagByPresets()
{
    Workspace w;
    w.file(u"Music/Band - Album (1999)/01 Song.mp3"_s);
    w.file(u"Music/Hits (2000)/03 Band - Song.mp3"_s,
           {u"--year"_s, u"2001"_s, u"--genre"_s, u"Rock"_s});
    CliResult r = w.cli({u"name2tag"_s, u"--preset"_s, u"Normal Album"_s,
                         w.path(u"Music/Band - Album (1999)/01 Song.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, u"Tagged 1 of 1 file.\n"_s);
    QCOMPARE(w.fields(u"Music/Band - Album (1999)/01 Song.mp3"_s),
             (QStringList{u"Song"_s, u"Band"_s, u"Album"_s, u"1999"_s, u"1"_s, u"Track 01"_s}));
    r = w.cli({u"name2tag"_s, u"--preset"_s, u"Sampler/Compilation"_s,
               w.path(u"Music/Hits (2000)/03 Band - Song.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(w.fields(u"Music/Hits (2000)/03 Band - Song.mp3"_s),
             (QStringList{u"Song"_s, u"Band"_s, u"Hits"_s, u"2000"_s, u"3"_s, u"Track 03"_s}));
    r = w.cli({u"tag"_s, u"show"_s, w.path(u"Music/Hits (2000)/03 Band - Song.mp3"_s)});
    QVERIFY2(r.out.contains(u"17 (Rock)"_s), qPrintable(r.out)); // the genre stays

    // The quick pattern reads directory levels for its separators.
    w.file(u"Music/Band/Album/02 Quick.mp3"_s);
    r = w.cli({u"name2tag"_s, u"--pattern"_s, u"%K/%A\\%N %S"_s,
               w.path(u"Music/Band/Album/02 Quick.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(w.fields(u"Music/Band/Album/02 Quick.mp3"_s),
             (QStringList{u"Quick"_s, u"Band"_s, u"Album"_s, QString(), u"2"_s, QString()}));
}

void TestCliTagNames::nameToTagLocksAndDryRun()
{
    Workspace w;
    const QString old = u"--artist=Old Artist"_s;
    w.file(u"Band - Album (1999)/01 Song.mp3"_s, {old, u"--comment"_s, u"Old"_s});
    w.file(u"Band - Album (1999)/02 Next.mp3"_s, {old, u"--comment"_s, u"Old"_s});
    const QString dir = w.path(u"Band - Album (1999)"_s);

    CliResult r = w.cli({u"name2tag"_s, u"-r"_s, u"--dry-run"_s, u"--lock"_s, u"artist=Typed"_s,
                         u"--lock"_s, u"genre=rock"_s, dir});
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = r.out.split(u'\n');
    QVERIFY2(lines[0].startsWith(u"FILE"_s) && lines[0].contains(u"COMMENT"_s), qPrintable(r.out));
    QVERIFY2(lines[1].contains(u"Typed"_s) && lines[1].contains(u"Rock"_s), qPrintable(r.out));
    QVERIFY(r.out.endsWith(u"Nothing written (dry run).\n"_s));
    QCOMPARE(w.fields(u"Band - Album (1999)/01 Song.mp3"_s)[1], u"Old Artist"_s);

    r = w.cli({u"name2tag"_s, u"-r"_s, u"--lock"_s, u"artist=Typed"_s, u"--lock"_s, u"comment"_s,
               u"--leave-old"_s, dir});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(w.fields(u"Band - Album (1999)/02 Next.mp3"_s),
             (QStringList{u"Next"_s, u"Old Artist"_s, u"Album"_s, u"1999"_s, u"2"_s, u"Old"_s}));
    r = w.cli(
        {u"name2tag"_s, u"-r"_s, u"--lock"_s, u"artist=Typed"_s, u"--lock"_s, u"comment"_s, dir});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(w.fields(u"Band - Album (1999)/02 Next.mp3"_s),
             (QStringList{u"Next"_s, u"Typed"_s, u"Album"_s, u"1999"_s, u"2"_s, QString()}));
}

void TestCliTagNames::nameToTagPlaylistAndUntagged()
{
    Workspace w;
    w.file(u"Live/01 One.mp3"_s);
    w.file(u"Live/02 Two.mp3"_s, {u"--title"_s, u"Kept"_s});
    QCOMPARE(w.cli({u"settings"_s, u"set"_s, u"Ansicht+Gewähltes"_s, u"schnelltaggen_Checked"_s,
                    u"True"_s})
                 .exitCode,
             0);
    QCOMPARE(
        w.cli({u"settings"_s, u"set"_s, u"Ansicht+Gewähltes"_s, u"fast_tag_Text"_s, u"%N %S"_s})
            .exitCode,
        0);
    CliResult r = w.cli({u"name2tag"_s, u"--only-untagged"_s, u"--playlist"_s,
                         w.path(u"Live/01 One.mp3"_s), w.path(u"Live/02 Two.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, u"Tagged 1 of 2 files (1 skipped: already tagged).\n"_s);
    QCOMPARE(w.fields(u"Live/01 One.mp3"_s)[0], u"One"_s);
    QCOMPARE(w.fields(u"Live/02 Two.mp3"_s)[0], u"Kept"_s);
    QCOMPARE(testfiles::read(w.path(u"Live/Live.m3u"_s)),
             QByteArray("01 One.mp3\r\n02 Two.mp3\r\n"));

    // An existing playlist needs a decision without a terminal; with one it is replaced.
    r = w.cli({u"name2tag"_s, u"--playlist=all.m3u"_s, w.path(u"Live/01 One.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    r = w.cli({u"name2tag"_s, u"--playlist=all.m3u"_s, w.path(u"Live/02 Two.mp3"_s)});
    QCOMPARE(r.exitCode, 2);
    r = w.cli({u"name2tag"_s, u"--playlist=all.m3u"_s, u"--playlist-mode"_s, u"replace"_s,
               w.path(u"Live/02 Two.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(testfiles::read(w.path(u"Live/all.m3u"_s)), QByteArray("02 Two.mp3\r\n"));
}

void TestCliTagNames::presets()
{
    Workspace w;
    CliResult r = w.cli({u"presets"_s, u"list"_s});
    QCOMPARE(r.out, u"Normal Album\nSampler/Compilation\n"_s);
    QCOMPARE(w.cli({u"presets"_s, u"add"_s, u"Mine"_s}).exitCode, 0);
    QCOMPARE(w.cli({u"presets"_s, u"set"_s, u"Mine"_s, u"filename"_s, u"%N. %S"_s}).exitCode, 0);
    QCOMPARE(w.cli({u"presets"_s, u"set"_s, u"Mine"_s, u"title"_s, u"%S"_s}).exitCode, 0);
    QCOMPARE(w.cli({u"presets"_s, u"set"_s, u"Mine"_s, u"comment"_s, u"%OLD"_s}).exitCode, 0);
    QCOMPARE(w.cli({u"presets"_s, u"remove"_s, u"Normal Album"_s}).exitCode, 0);
    r = w.cli({u"presets"_s, u"list"_s});
    QCOMPARE(r.out, u"Sampler/Compilation\nMine\n"_s);
    r = w.cli({u"presets"_s, u"show"_s, u"Mine"_s});
    QVERIFY2(r.out.contains(u"\nfilename=%N. %S\n"_s), qPrintable(r.out));
    const QByteArray ini = testfiles::read(w.path(u"data/mp3varnolite.ini"_s));
    QVERIFY2(ini.contains("[name2tag]\r\nAnzahl=2\r\nname0=Sampler/Compilation\r\n"), ini);
    QVERIFY(ini.contains("name1=Mine\r\ndir1_1=\r\ndir2_1=\r\nfilename1=%N. %S\r\n"));

    // The new preset at work, keeping the old comment.
    w.file(u"x/07. Seven.mp3"_s, {u"--comment"_s, u"mine"_s});
    r = w.cli({u"name2tag"_s, u"--preset"_s, u"Mine"_s, w.path(u"x/07. Seven.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(w.fields(u"x/07. Seven.mp3"_s),
             (QStringList{u"Seven"_s, QString(), QString(), QString(), u"0"_s, u"mine"_s}));

    QCOMPARE(w.cli({u"presets"_s, u"add"_s, u"Mine"_s}).exitCode, 1);
    QCOMPARE(w.cli({u"presets"_s, u"remove"_s, u"Nope"_s}).exitCode, 1);
    QCOMPARE(w.cli({u"presets"_s, u"show"_s, u"Nope"_s}).exitCode, 1);
    QCOMPARE(w.cli({u"presets"_s, u"set"_s, u"Mine"_s, u"genre"_s, u"x"_s}).exitCode, 2);
}

void TestCliTagNames::badUsage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("tag2name without a pattern") << QStringList{u"tag2name"_s, u"x.mp3"_s};
    QTest::newRow("tag2name with both") << QStringList{u"tag2name"_s,       u"--pattern"_s, u"%S"_s,
                                                       u"--pattern-file"_s, u"p.vtn"_s,     u"x"_s};
    QTest::newRow("unknown lock") << QStringList{u"name2tag"_s, u"--lock"_s, u"mood=x"_s, u"x"_s};
    QTest::newRow("unknown genre")
        << QStringList{u"name2tag"_s, u"--lock"_s, u"genre=Polka2"_s, u"x"_s};
    QTest::newRow("bad track") << QStringList{u"name2tag"_s, u"--lock"_s, u"track=300"_s, u"x"_s};
    QTest::newRow("unknown preset") << QStringList{u"name2tag"_s, u"--preset"_s, u"Nope"_s, u"x"_s};
    QTest::newRow("preset and pattern")
        << QStringList{u"name2tag"_s, u"--preset"_s, u"x"_s, u"--pattern"_s, u"%S"_s, u"x"_s};
    QTest::newRow("no file") << QStringList{u"name2tag"_s};
}

void TestCliTagNames::badUsage()
{
    QFETCH(QStringList, args);
    Workspace w;
    const CliResult r = w.cli(args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(!r.err.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliTagNames)
#include "tst_cli_tagnames.moc"
