// SPDX-License-Identifier: GPL-3.0-or-later
#include "clirunner.h"

#include "../support/testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;
using testfiles::read;
using testfiles::write;

namespace {

const QByteArray kAudio(1500, '\xAA');

struct Workspace : CliWorkspace
{
    QJsonObject show(const QString& file) const
    {
        const CliResult r = cli({u"tag"_s, u"show"_s, u"--json"_s, file});
        return QJsonDocument::fromJson(r.out.toUtf8()).array().at(0).toObject();
    }
    // Runs the command line with a file-size limit of `kib` KiB.
    CliResult limited(int kib, const QStringList& args) const
    {
        return runProgram(u"/bin/bash"_s,
                          QStringList{u"-c"_s, u"ulimit -f %1; exec \"$0\" \"$@\""_s.arg(kib),
                                      QStringLiteral(VARNOLITE_CLI), u"--data-dir"_s,
                                      tmp.filePath(u"data"_s)} +
                              args);
    }
};

} // namespace

class TestCliTag : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showPrintsTheRecord();
    void setChangesOnlyTheNamedFields();
    void setChecksItsValues_data();
    void setChecksItsValues();
    void lyricsAndTheSettings();
    void readOnlyFilesFollowTheSettings();
    void strip();
    void genres();
    void sizeLimitLeavesFilesAsTheyWere();
};

void TestCliTag::showPrintsTheRecord()
{
    Workspace w;
    QVERIFY(QFile::copy(QFINDTESTDATA(u"../tags/data/id3v1-and-id3v23-by-mutagen.mp3"_s),
                        w.path(u"m.mp3"_s)));
    write(w.path(u"none.mp3"_s), kAudio);
    const CliResult r =
        w.cli({u"tag"_s, u"show"_s, u"--json"_s, w.path(u"m.mp3"_s), w.path(u"none.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    const QJsonArray array = QJsonDocument::fromJson(r.out.toUtf8()).array();
    QCOMPARE(array.size(), 2);
    const QJsonObject m = array[0].toObject();
    QStringList keys = m.keys();
    keys.sort();
    QCOMPARE(keys, (QStringList{u"album"_s, u"artist"_s, u"author"_s, u"comment"_s,
                                u"extraFields"_s, u"genre"_s, u"genreName"_s, u"hasTag"_s,
                                u"id3v2Version"_s, u"imageLinks"_s, u"info"_s, u"lyrics"_s,
                                u"lyricsKind"_s, u"path"_s, u"title"_s, u"track"_s, u"year"_s}));
    QCOMPARE(m[u"title"_s].toString(), u"Björk Song"_s);
    QCOMPARE(m[u"genre"_s].toInt(), 52);
    QCOMPARE(m[u"genreName"_s].toString(), u"Electronic"_s);
    QCOMPARE(m[u"id3v2Version"_s].toInt(), 3);
    QCOMPARE(m[u"hasTag"_s].toBool(), true);
    QCOMPARE(array[1][u"hasTag"_s].toBool(), false);

    const CliResult text = w.cli({u"tag"_s, u"show"_s, w.path(u"m.mp3"_s)});
    QVERIFY(text.out.contains(u"  artist:       Björk\n"_s));
    QVERIFY(text.out.contains(u"  genre:        52 (Electronic)\n"_s));

    const CliResult missing = w.cli({u"tag"_s, u"show"_s, w.path(u"nope.mp3"_s)});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY(missing.err.contains(u"nope.mp3: No such file or directory"_s));
}

void TestCliTag::setChangesOnlyTheNamedFields()
{
    Workspace w;
    QVERIFY(QFile::copy(QFINDTESTDATA(u"../tags/data/id3v1-by-id3v2.mp3"_s), w.path(u"a.mp3"_s)));
    QFile::setPermissions(w.path(u"a.mp3"_s), QFile::ReadOwner | QFile::WriteOwner);
    const CliResult r = w.cli({u"tag"_s, u"set"_s, u"--title"_s, u"Overkill"_s, u"--genre"_s,
                               u"heavy metal"_s, u"--track"_s, u"2"_s, w.path(u"a.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    const QJsonObject t = w.show(w.path(u"a.mp3"_s));
    QCOMPARE(t[u"title"_s].toString(), u"Overkill"_s);
    QCOMPARE(t[u"artist"_s].toString(), u"Motörhead"_s);
    QCOMPARE(t[u"album"_s].toString(), u"Ace of Spades"_s);
    QCOMPARE(t[u"year"_s].toString(), u"1980"_s);
    QCOMPARE(t[u"comment"_s].toString(), u"Bronze"_s);
    QCOMPARE(t[u"track"_s].toString(), u"2"_s);
    QCOMPARE(t[u"genreName"_s].toString(), u"Heavy Metal"_s);

    // Setting what is there already leaves the file byte for byte.
    const QByteArray before = read(w.path(u"a.mp3"_s));
    QCOMPARE(w.cli({u"tag"_s, u"set"_s, u"--title"_s, u"Overkill"_s, w.path(u"a.mp3"_s)}).exitCode,
             0);
    QCOMPARE(read(w.path(u"a.mp3"_s)), before);

    // A file without a tag gets one; genre by number and "-".
    write(w.path(u"b.mp3"_s), kAudio);
    QCOMPARE(w.cli({u"tag"_s, u"set"_s, u"--genre"_s, u"17"_s, w.path(u"b.mp3"_s)}).exitCode, 0);
    QCOMPARE(w.show(w.path(u"b.mp3"_s))[u"genreName"_s].toString(), u"Rock"_s);
    QCOMPARE(w.cli({u"tag"_s, u"set"_s, u"--genre"_s, u"-"_s, w.path(u"b.mp3"_s)}).exitCode, 0);
    QCOMPARE(read(w.path(u"b.mp3"_s)).back(), '\xFF');
}

void TestCliTag::setChecksItsValues_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("genre") << QStringList{u"--genre"_s, u"Krautrock"_s} << u"unknown genre"_s;
    QTest::newRow("track") << QStringList{u"--track"_s, u"300"_s} << u"0 to 255"_s;
    QTest::newRow("both lyrics") << QStringList{u"--lyrics"_s, u"a"_s, u"--lyrics-file"_s, u"f"_s}
                                 << u"not both"_s;
}

void TestCliTag::setChecksItsValues()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    Workspace w;
    write(w.path(u"a.mp3"_s), kAudio);
    const CliResult r =
        w.cli(QStringList{u"tag"_s, u"set"_s} + args + QStringList{w.path(u"a.mp3"_s)});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(read(w.path(u"a.mp3"_s)), kAudio);
}

void TestCliTag::lyricsAndTheSettings()
{
    Workspace w;
    write(w.path(u"a.mp3"_s), kAudio);
    write(w.path(u"lyrics.txt"_s), "first line\nsecond line\n");
    QCOMPARE(w.cli({u"tag"_s, u"set"_s, u"--lyrics-file"_s, w.path(u"lyrics.txt"_s), u"--author"_s,
                    u"Me"_s, u"--image-link"_s, u"a.jpg||A||[00:10]"_s, u"--image-link"_s,
                    u"b.jpg||B||[  :  ]"_s, w.path(u"a.mp3"_s)})
                 .exitCode,
             0);
    const QJsonObject t = w.show(w.path(u"a.mp3"_s));
    QCOMPARE(t[u"lyricsKind"_s].toInt(), 2);
    QCOMPARE(t[u"lyrics"_s].toString(), u"first line\r\nsecond line\r\n"_s);
    QCOMPARE(t[u"imageLinks"_s].toString(), u"a.jpg||A||[00:10]\r\nb.jpg||B||[  :  ]\r\n"_s);

    // "lyrcstag" off in the settings: no block, and the long title is cut with a warning.
    QCOMPARE(
        w.cli({u"settings"_s, u"set"_s, u"options"_s, u"lyrcstag_Checked"_s, u"False"_s}).exitCode,
        0);
    const CliResult r =
        w.cli({u"tag"_s, u"set"_s, u"--title"_s, QString(40, u'x'), w.path(u"a.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.contains(u"title cut to 30 characters"_s), qPrintable(r.err));
    QCOMPARE(read(w.path(u"a.mp3"_s)).size(), kAudio.size() + 128);
    QCOMPARE(w.cli({u"tag"_s, u"set"_s, u"--lyrics3"_s, u"--title"_s, QString(40, u'x'),
                    w.path(u"a.mp3"_s)})
                 .exitCode,
             0);
    QCOMPARE(w.show(w.path(u"a.mp3"_s))[u"title"_s].toString(), QString(40, u'x'));
}

void TestCliTag::readOnlyFilesFollowTheSettings()
{
    Workspace w;
    write(w.path(u"ro.mp3"_s), kAudio);
    QFile::setPermissions(w.path(u"ro.mp3"_s), QFile::ReadOwner);
    QCOMPARE(
        w.cli({u"settings"_s, u"set"_s, u"options"_s, u"achtungschreibschutz_Checked"_s, u"True"_s})
            .exitCode,
        0);
    CliResult r = w.cli({u"tag"_s, u"set"_s, u"--title"_s, u"x"_s, w.path(u"ro.mp3"_s)});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(u"read-only"_s), qPrintable(r.err));
    QCOMPARE(read(w.path(u"ro.mp3"_s)), kAudio);
    r = w.cli(
        {u"tag"_s, u"set"_s, u"--ignore-readonly"_s, u"--title"_s, u"x"_s, w.path(u"ro.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(read(w.path(u"ro.mp3"_s)).size(), kAudio.size() + 128);
    QCOMPARE(QFile::permissions(w.path(u"ro.mp3"_s)) & QFile::WriteOwner, QFile::Permissions());
}

void TestCliTag::strip()
{
    Workspace w;
    const QByteArray id3v2 = QByteArray("ID3\x03\x00\x00\x00\x00\x00\x04", 10) + "abcd";
    write(w.path(u"d/a.mp3"_s), id3v2 + kAudio);
    write(w.path(u"d/b.mp3"_s), id3v2 + kAudio);
    QCOMPARE(w.cli({u"tag"_s, u"set"_s, u"--lyrics"_s, u"x"_s, w.path(u"d/a.mp3"_s),
                    w.path(u"d/b.mp3"_s)})
                 .exitCode,
             0);
    QCOMPARE(w.cli({u"tag"_s, u"strip"_s, w.path(u"d/a.mp3"_s)}).exitCode, 2);
    QCOMPARE(w.cli({u"tag"_s, u"strip"_s, u"--lyrics3"_s, w.path(u"d/a.mp3"_s)}).exitCode, 0);
    QCOMPARE(read(w.path(u"d/a.mp3"_s)).size(), id3v2.size() + kAudio.size() + 128);
    QCOMPARE(w.cli({u"tag"_s, u"strip"_s, u"--id3v2"_s, w.path(u"d/a.mp3"_s)}).exitCode, 0);
    QCOMPARE(read(w.path(u"d/a.mp3"_s)).size(), kAudio.size() + 128);
    QCOMPARE(w.cli({u"tag"_s, u"strip"_s, u"--all"_s, u"-r"_s, w.path(u"d"_s)}).exitCode, 0);
    QCOMPARE(read(w.path(u"d/a.mp3"_s)), kAudio);
    QCOMPARE(read(w.path(u"d/b.mp3"_s)), kAudio);
}

void TestCliTag::genres()
{
    Workspace w;
    const CliResult r = w.cli({u"tag"_s, u"genres"_s});
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 148);
    QCOMPARE(lines.front(), u"0\tBlues"_s);
    QCOMPARE(lines.back(), u"147\tSynthpop"_s);
}

void TestCliTag::sizeLimitLeavesFilesAsTheyWere()
{
    Workspace w;
    // 1500 bytes of audio and a tag: a Lyrics3 block of 2000 bytes cannot fit below 2 KiB.
    write(w.path(u"a.mp3"_s), kAudio);
    QCOMPARE(w.cli({u"tag"_s, u"set"_s, u"--title"_s, u"kept"_s, w.path(u"a.mp3"_s)}).exitCode, 0);
    const QByteArray before = read(w.path(u"a.mp3"_s));
    CliResult r =
        w.limited(2, {u"tag"_s, u"set"_s, u"--lyrics"_s, QString(2000, u'l'), w.path(u"a.mp3"_s)});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(u"too large"_s), qPrintable(r.err));
    QCOMPARE(read(w.path(u"a.mp3"_s)), before);

    // Removing an ID3v2 tag writes a new file, which cannot be written either.
    const QByteArray tagged =
        QByteArray("ID3\x03\x00\x00\x00\x00\x00\x04", 10) + "abcd" + QByteArray(3000, '\xAA');
    write(w.path(u"v2.mp3"_s), tagged);
    r = w.limited(2, {u"tag"_s, u"strip"_s, u"--id3v2"_s, w.path(u"v2.mp3"_s)});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(read(w.path(u"v2.mp3"_s)), tagged);
    QCOMPARE(QDir(w.tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

QTEST_GUILESS_MAIN(TestCliTag)
#include "tst_cli_tag.moc"
