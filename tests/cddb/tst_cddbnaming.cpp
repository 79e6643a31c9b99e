// SPDX-License-Identifier: GPL-3.0-or-later
// Naming an album from a record, a plain list, an SFV file and a .qdb file.
#include "cddb/naming.h"

#include "core/undolog.h"
#include "tags/genres.h"

#include "../support/testfiles.h"

using namespace Qt::StringLiterals;
using namespace varnolite;
using testfiles::tree;

namespace {

QString record(const QString& discTitle, const QStringList& titles)
{
    QString r = u"# xmcd CD database file\r\nDISCID=0a0b0c0d\r\nDTITLE="_s + discTitle +
                u"\r\nDYEAR=1999\r\nDGENRE=Rock\r\n"_s;
    for (qsizetype i = 0; i < titles.size(); ++i)
        r += u"TTITLE"_s + QString::number(i) + u'=' + titles[i] + u"\r\n"_s;
    return r + u"EXTD=\r\nEXTT0=\r\nPLAYORDER=\r\n.\r\n"_s;
}

struct Album
{
    QTemporaryDir tmp;
    QString dir;
    FileSet files;
    explicit Album(int count, const QString& name = u"old album"_s, const QString& ext = u".mp3"_s)
    {
        dir = tmp.filePath(u"Music/"_s + name);
        for (int i = 1; i <= count; ++i) {
            const QString path = dir + u"/track" + QString::number(i) + ext;
            testfiles::write(path, QByteArray(300, '\xff'));
            files.append(path);
        }
    }
    QStringList names() const { return tree(tmp.filePath(u"Music"_s)); }
};

QStringList targetNames(const RenameBatch& batch, const QString& root)
{
    QStringList out;
    for (const QString& t : batch.targets)
        out.append(QDir(root).relativeFilePath(t));
    return out;
}

} // namespace

class TestCddbNaming : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanFields_data();
    void cleanFields();
    void namesFromARecord();
    void namesNeverLeaveTheAlbum_data();
    void namesNeverLeaveTheAlbum();
    void tags_data();
    void tags();
    void applyRenamesAndTags();
    void plainLists_data();
    void plainLists();
    void sfv();
    void qdb();
};

void TestCddbNaming::cleanFields_data()
{
    QTest::addColumn<QString>("slice");
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << u"TTITLE0=Song\r\n"_s << u"Song"_s;
    QTest::newRow("continuation joined")
        << u"TTITLE5=A very long ti\r\nTTITLE5=tle\r\n"_s << u"A very long title"_s;
    QTest::newRow("slash becomes dash") << u"TTITLE0=Foo/Bar\r\n"_s << u"Foo-Bar"_s;
    QTest::newRow("illegal characters")
        << u"TTITLE0=What? \"Yes\": no*\r\n"_s << u"What_ 'Yes'_ no_"_s;
    QTest::newRow("other keys in the slice")
        << u"DTITLE=Artist / Album\r\nDYEAR=1999\r\nDGENRE=Rock\r\n"_s << u"Artist - Album"_s;
    QTest::newRow("a value with =") << u"TTITLE0=E=mc2\r\n"_s << u"E=mc2"_s;
}

void TestCddbNaming::cleanFields()
{
    QFETCH(QString, slice);
    QFETCH(QString, value);
    QCOMPARE(cleanRecordField(slice), value);
}

void TestCddbNaming::namesFromARecord()
{
    Album album(4);
    CddbNamingOptions o;
    o.fileNamePattern = u"%N %K - %S"_s;
    o.blankReplacement = u"_"_s;
    const QString r =
        record(u"Artist / Album"_s, {u"One"_s, u"Two"_s, u"Song"_s, u"A long ti"_s})
            .replace(u"TTITLE3=A long ti\r\n"_s, u"TTITLE3=A long ti\r\nTTITLE3=tle\r\n"_s);
    CddbNamingPlan plan = planCddbNaming(r, u"rock"_s, u"Artist / Album"_s, album.files, o);
    QCOMPARE(targetNames(plan.batch, album.tmp.filePath(u"Music"_s)),
             (QStringList{u"Artist_-_Album"_s, u"old album/01_Artist_-_One.mp3"_s,
                          u"old album/02_Artist_-_Two.mp3"_s, u"old album/03_Artist_-_Song.mp3"_s,
                          u"old album/04_Artist_-_A_long_title.mp3"_s}));
    QCOMPARE(plan.genre, 17);
    QCOMPARE(planCddbNaming(r, u"nonsense"_s, QString(), album.files, o).genre, 12);

    // Without the directory; more files than titles: the rest keep their names.
    o.renameDirectory = false;
    plan = planCddbNaming(record(u"Artist / Album"_s, {u"One"_s, u"Two"_s}), QString(), QString(),
                          album.files, o);
    QCOMPARE(plan.batch.size(), 2);
    QCOMPARE(plan.unnamed, album.files.mid(2));
    // A record without titles names nothing at all.
    plan = planCddbNaming(u"210 rock x\r\n.\r\n"_s, QString(), QString(), album.files, o);
    QVERIFY(plan.batch.isEmpty());
}

void TestCddbNaming::namesNeverLeaveTheAlbum_data()
{
    QTest::addColumn<QString>("discTitle");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("../../evil") << u"Artist / Album"_s << u"../../evil"_s << u"%S"_s;
    QTest::newRow("a/b") << u"Artist / Album"_s << u"a/b"_s << u"%S"_s;
    QTest::newRow("..") << u"Artist / Album"_s << u".."_s << u"%S"_s;
    QTest::newRow("disc title ..") << u".."_s << u"x"_s << u"%S"_s;
    QTest::newRow("disc title ../../x") << u"../../x"_s << u"x"_s << u"%S"_s;
    QTest::newRow("empty title") << u"Artist / Album"_s << QString() << u"%S"_s;
    QTest::newRow("backslashes") << u"a\\..\\b"_s << u"..\\..\\evil"_s << u"%S"_s;
}

void TestCddbNaming::namesNeverLeaveTheAlbum()
{
    QFETCH(QString, discTitle);
    QFETCH(QString, title);
    QFETCH(QString, pattern);
    Album album(1, u"album"_s, QString());
    CddbNamingOptions o;
    o.fileNamePattern = pattern;
    const CddbNamingPlan plan =
        planCddbNaming(record(discTitle, {title}), QString(), QString(), album.files, o);
    const QString music = album.tmp.filePath(u"Music/"_s);
    for (qsizetype i = 0; i < plan.batch.size(); ++i) {
        const QString target = plan.batch.targets[i];
        const QString parent = i == 0 && plan.batch.size() == 2 ? music : album.dir + u'/';
        QVERIFY2(target.startsWith(parent), qPrintable(target));
        const QString leaf = target.mid(parent.size());
        QVERIFY2(!leaf.isEmpty() && !leaf.contains(u'/') && leaf != u"." && leaf != u"..",
                 qPrintable(target));
    }
}

void TestCddbNaming::tags_data()
{
    QTest::addColumn<bool>("sampler");
    QTest::addColumn<QString>("chosenTitle");
    QTest::addColumn<QString>("trackTitle");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QStringList>("expected"); // title, artist, album, comment, track
    QTest::newRow("normal album") << false << u"Artist / Album"_s << u"Song"_s << QString()
                                  << QStringList{u"Song"_s, u"Artist"_s, u"Album"_s, u"Track 2"_s,
                                                 u"2"_s};
    QTest::newRow("no slash in the match")
        << false << u"Just A Title"_s << u"Song"_s << u"c"_s
        << QStringList{u"Song"_s, QString(), u"Just A Title"_s, u"c"_s, u"2"_s};
    QTest::newRow("sampler") << true << u"Various / Hits"_s << u"Band / Tune"_s << QString()
                             << QStringList{u"Tune"_s, u"Band"_s, u"Various / Hits"_s, u"Track 2"_s,
                                            u"2"_s};
    QTest::newRow("sampler without a separator")
        << true << u"Various / Hits"_s << u"Tune"_s << QString()
        << QStringList{u"Tune"_s, QString(), u"Various / Hits"_s, u"Track 2"_s, u"2"_s};
    QTest::newRow("slash in a title")
        << false << u"A / B"_s << u"Foo/Bar"_s << QString()
        << QStringList{u"Foo-Bar"_s, u"A"_s, u"B"_s, u"Track 2"_s, u"2"_s};
}

void TestCddbNaming::tags()
{
    QFETCH(bool, sampler);
    QFETCH(QString, chosenTitle);
    QFETCH(QString, trackTitle);
    QFETCH(QString, comment);
    QFETCH(QStringList, expected);
    Album album(2);
    CddbNamingOptions o;
    o.writeTags = true;
    o.sampler = sampler;
    o.comment = comment;
    o.year = u"19991"_s;
    o.genre = u"jazz"_s;
    const CddbNamingPlan plan = planCddbNaming(record(u"A / B"_s, {u"x"_s, trackTitle}), u"rock"_s,
                                               chosenTitle, album.files, o);
    const Id3v1Tag t = plan.tags.value(album.files[1]);
    QCOMPARE((QStringList{t.title, t.artist, t.album, t.comment, t.track}), expected);
    QCOMPARE(t.year, u"1999"_s);
    QCOMPARE(t.genre, 8); // Jazz, whatever the category
}

void TestCddbNaming::applyRenamesAndTags()
{
    Album album(3);
    // An existing Lyrics3 text stays when the record's fields are written.
    Id3v1Tag lyrics;
    lyrics.lyrics = u"la la la"_s;
    QVERIFY(WriteTag(album.files[0], lyrics, {}).status.ok());
    CddbNamingOptions o;
    o.writeTags = true;
    CddbNamingPlan plan =
        planCddbNaming(record(u"Artist / Album"_s, {u"One"_s, u"Two"_s, u"Three"_s}), u"rock"_s,
                       u"Artist / Album"_s, album.files, o);
    UndoLog log(album.tmp.filePath(u"undo.log"_s));
    int previews = 0;
    RenameHooks hooks;
    hooks.preview = [&](QList<PreviewLine>& lines) {
        ++previews;
        lines[2].checked = false; // the second file stays as it is
        return PreviewDecision::Ok;
    };
    const CddbNamingReport report = applyCddbNaming(plan, RenameOptions{}, log, hooks, {});
    QCOMPARE(previews, 1);
    QVERIFY(report.rename.errors.isEmpty() && report.tagErrors.isEmpty());
    QCOMPARE(album.names(),
             (QStringList{u"Artist - Album"_s, u"Artist - Album/01 One.mp3"_s,
                          u"Artist - Album/03 Three.mp3"_s, u"Artist - Album/track2.mp3"_s}));
    const QString moved = album.tmp.filePath(u"Music/Artist - Album/"_s);
    Id3v1Tag t;
    QVERIFY(ReadTag(moved + u"01 One.mp3"_s, t));
    QCOMPARE(t.title, u"One"_s);
    QCOMPARE(t.lyrics, u"la la la"_s);
    QVERIFY(!ReadTag(moved + u"track2.mp3"_s, t)); // dropped in the preview: no tag
    log.loadHeaders();
    QCOMPARE(log.headers().size(), 1);

    // A cancelled preview renames and tags nothing.
    Album other(1);
    plan = planCddbNaming(record(u"A / B"_s, {u"x"_s}), QString(), QString(), other.files, o);
    hooks.preview = [](QList<PreviewLine>&) { return PreviewDecision::Cancel; };
    QVERIFY(applyCddbNaming(plan, RenameOptions{}, log, hooks, {}).rename.cancelled);
    QVERIFY(!ReadTag(other.files[0], t));
}

void TestCddbNaming::plainLists_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("numbering");
    QTest::addColumn<bool>("addMp3");
    QTest::addColumn<QStringList>("names"); // "" for a file that keeps its name
    QTest::newRow("no numbering") << QStringList{u"7 Seven"_s, u"12 Twelve"_s, u"  (Intro) "_s}
                                  << false << true
                                  << QStringList{u"07 Seven.mp3"_s, u"12 Twelve.mp3"_s,
                                                 u"Intro).mp3"_s};
    QTest::newRow("numbering") << QStringList{u"Name"_s, u"Other"_s, u"Third"_s} << true << false
                               << QStringList{u"01 Name"_s, u"02 Other"_s, u"03 Third"_s};
    QTest::newRow("shorter list and an empty line")
        << QStringList{u"One.mp3"_s, u"   "_s} << true << false
        << QStringList{u"01 One.mp3"_s, QString(), QString()};
    QTest::newRow("names that would leave the folder")
        << QStringList{u"../evil"_s, u".."_s, u"a/b"_s} << false << false
        << QStringList{u".._evil"_s, u"_"_s, u"a_b"_s};
}

void TestCddbNaming::plainLists()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, numbering);
    QFETCH(bool, addMp3);
    QFETCH(QStringList, names);
    QStringList got;
    for (const auto& name : plainListNames(lines, names.size(), numbering, addMp3))
        got.append(name.value_or(QString()));
    QCOMPARE(got, names);
    QVERIFY(plainListNeedsExtension({u" Name "_s}));
    QVERIFY(!plainListNeedsExtension({u"01 Name.mp3"_s}));
}

void TestCddbNaming::sfv()
{
    const QStringList lines = {u"; made by a tool"_s, QString(), u"01 - Intro.mp3 1A2B3C4D"_s,
                               u"no-checksum"_s, u"  02 - Outro.mp3   DEADBEEF  "_s};
    QStringList got;
    for (const auto& name : sfvNames(lines, 4))
        got.append(name.value_or(u"<none>"_s));
    QCOMPARE(got,
             (QStringList{u"01 - Intro.mp3"_s, u"<none>"_s, u"02 - Outro.mp3"_s, u"<none>"_s}));

    Album album(3);
    const RenameBatch batch = listNamingBatch(album.files, sfvNames(lines, 3));
    QCOMPARE(targetNames(batch, album.dir),
             (QStringList{u"01 - Intro.mp3"_s, u"02 - Outro.mp3"_s}));
    QCOMPARE(batch.sources, (QStringList{album.files[0], album.files[2]}));
}

void TestCddbNaming::qdb()
{
    QStringList lines = {u"# xmcd"_s, u"#"_s};
    const auto add = [&](const QString& id, const QString& title, int tracks) {
        lines += {u"DISCID="_s + id, u"DTITLE="_s + title};
        for (int i = 0; i < tracks; ++i)
            lines.append(u"TTITLE%1=%2 %3"_s.arg(i).arg(title.section(u' ', -1)).arg(i + 1));
        lines += {u"EXTD="_s, u"."_s, u"# xmcd"_s};
    };
    add(u"1a2b3c0a"_s, u"Zed / Last"_s, 10);
    add(u"0000000b"_s, u"Other / Eleven"_s, 11);
    add(u"4d5e6f0a"_s, u"Alpha / First"_s, 10);
    add(u"zzzzzzzz"_s, u"Broken / Id"_s, 10);
    QVERIFY(isQdbFile(lines));
    QCOMPARE(qdbDiscTitles(lines, 10), (QStringList{u"Alpha / First"_s, u"Zed / Last"_s}));
    QVERIFY(qdbDiscTitles(QStringList{u"nothing"_s, u"here"_s, u"# xmcd"_s}, 10).isEmpty());

    const QString r = qdbRecord(lines, u"Alpha / First"_s);
    QVERIFY(r.startsWith(u"DTITLE=Alpha / First\r\n"_s));
    QVERIFY(r.endsWith(u"\r\n."_s));
    QVERIFY(!r.contains(u"Zed"_s));
    Album album(10);
    const CddbNamingPlan plan = planCddbNaming(r, QString(), u"Alpha / First"_s, album.files, {});
    QCOMPARE(plan.batch.size(), 11);
    QVERIFY(plan.batch.targets[0].endsWith(u"/Alpha - First"_s));
    QVERIFY(plan.batch.targets[10].endsWith(u"/10 First 10.mp3"_s));
    QCOMPARE(plan.genre, 12);
}

QTEST_GUILESS_MAIN(TestCddbNaming)
#include "tst_cddbnaming.moc"
