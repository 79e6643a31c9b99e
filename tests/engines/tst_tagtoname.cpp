// SPDX-License-Identifier: GPL-3.0-or-later
// Tag to name: the pattern expansion, the path it becomes, the batch, the placeholder toggling
// and the pattern files.
#include "engines/tagtoname.h"

#include "core/undolog.h"
#include "tags/id3v1.h"

#include "../support/testfiles.h"

using namespace Qt::StringLiterals;
using namespace varnolite;

namespace {

Id3v1Tag sampleTag()
{
    Id3v1Tag t;
    t.title = u"Song"_s;
    t.artist = u"Band"_s;
    t.album = u"Album"_s;
    t.year = u"1999"_s;
    t.comment = u"Track 05 of 12"_s;
    t.track = u"7"_s;
    t.genre = 17;
    return t;
}

// A small file with an ID3v1.1 tag.
void writeTagged(const QString& path, const Id3v1Tag& tag)
{
    QVERIFY(testfiles::write(path, QByteArray(64, '\xff')));
    QVERIFY(WriteTag(path, tag, {}).status.ok());
}

} // namespace

class TestTagToName : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void names_data();
    void names();
    void tagsNeverLeaveTheTree_data();
    void tagsNeverLeaveTheTree();
    void batchCountsPerDirectoryAndSkipsDirectories();
    void batchRenamesIntoNewDirectoriesWithOneUndoEntry();
    void example();
    void toggle_data();
    void toggle();
    void patternFiles();
};

void TestTagToName::names_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<Id3v1Tag>("tag");
    QTest::addColumn<int>("counter");
    QTest::addColumn<QString>("blank");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("expected");

    const Id3v1Tag t = sampleTag();
    const auto with = [&](auto change) {
        Id3v1Tag c = t;
        change(c);
        return c;
    };
    const auto row = [](const char* name, const QString& pattern, const Id3v1Tag& tag, int counter,
                        const QString& blank, const QString& expected,
                        const QString& fileName = u"x.mp3"_s) {
        QTest::newRow(name) << pattern << tag << counter << blank << fileName << expected;
    };
    row("counter 1", u"%N - %K - %S"_s, t, 1, u" "_s, u"01 - Band - Song.mp3"_s);
    row("counter 10", u"%N - %K - %S"_s, t, 10, u" "_s, u"10 - Band - Song.mp3"_s);
    row("counter 100", u"%N - %K - %S"_s, t, 100, u" "_s, u"100 - Band - Song.mp3"_s);
    row("blank _", u"%N - %K - %S"_s, t, 1, u"_"_s, u"01_-_Band_-_Song.mp3"_s);
    row("blank .", u"%N - %K - %S"_s, t, 1, u"."_s, u"01.-.Band.-.Song.mp3"_s);
    row("blank in a value", u"%S"_s, with([](Id3v1Tag& c) { c.title = u"My Song"_s; }), 1, u"_"_s,
        u"My_Song.mp3"_s);
    row("longer blank", u"%N %S"_s, t, 1, u"~~"_s, u"01~~Song.mp3"_s);
    row("track", u"%T %S"_s, t, 1, u" "_s, u"07 Song.mp3"_s);
    row("track 12", u"%T %S"_s, with([](Id3v1Tag& c) { c.track = u"12"_s; }), 1, u" "_s,
        u"12 Song.mp3"_s);
    row("track 0", u"%T %S"_s, with([](Id3v1Tag& c) { c.track = u"0"_s; }), 1, u" "_s,
        u"00 Song.mp3"_s);
    row("number from comment", u"%U %S"_s, t, 1, u" "_s, u"05 Song.mp3"_s);
    row("comment without digits", u"%U %S"_s, with([](Id3v1Tag& c) { c.comment = u"live"_s; }), 1,
        u" "_s, u"Song.mp3"_s);
    row("year and genre", u"%J %G"_s, t, 1, u" "_s, u"1999 Rock.mp3"_s);
    row("no tag", u"%J %G"_s, Id3v1Tag(), 1, u" "_s, u"-.mp3"_s);
    row("genre above 147", u"%G"_s, with([](Id3v1Tag& c) { c.genre = 148; }), 1, u" "_s,
        u"-.mp3"_s);
    row("unknown codes vanish", u"%s %X 100%"_s, t, 1, u" "_s, u"100.mp3"_s);
    row("directories by backslash", u"%K\\%A\\%N %S"_s, t, 1, u" "_s, u"Band/Album/01 Song.mp3"_s);
    row("directories by slash", u"%K/%A/%N %S"_s, t, 1, u" "_s, u"Band/Album/01 Song.mp3"_s);
    row("blanks trimmed in every part", u" %K \\ %S "_s, t, 1, u" "_s, u"Band/Song.mp3"_s);
    row("empty first part", u"\\%S"_s, t, 1, u" "_s, u"Song.mp3"_s);
    row("illegal characters", u"%S"_s, with([](Id3v1Tag& c) { c.title = u"What? \"Yes\""_s; }), 1,
        u" "_s, u"What_ 'Yes'.mp3"_s);
    row("a WAV file keeps its extension", u"%S"_s, t, 1, u" "_s, u"Song.wav"_s, u"take.wav"_s);
    row("an MP3 extension in capitals", u"%S"_s, t, 1, u" "_s, u"Song.mp3"_s, u"X.MP3"_s);
    row("no extension", u"%S"_s, t, 1, u" "_s, u"Song"_s, u"track"_s);
    row("empty pattern", QString(), t, 1, u" "_s, u".mp3"_s);
    row("umlauts and CJK", u"%K - %S"_s, with([](Id3v1Tag& c) {
            c.artist = u"Motörhead"_s;
            c.title = u"東京 Ünïcode"_s;
        }),
        1, u"_"_s, u"Motörhead_-_東京_Ünïcode.mp3"_s);
}

void TestTagToName::names()
{
    QFETCH(QString, pattern);
    QFETCH(Id3v1Tag, tag);
    QFETCH(int, counter);
    QFETCH(QString, blank);
    QFETCH(QString, fileName);
    QFETCH(QString, expected);
    const QStringList parts = expandTagPatternParts(pattern, tag, quint32(counter), blank);
    QCOMPARE(tagPatternPath(parts, tagNameExtension(fileName)), expected);
}

void TestTagToName::tagsNeverLeaveTheTree_data()
{
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("blank");
    QTest::addColumn<QString>("expected");
    for (const QString& pattern : {u"%K\\%A\\%N %S"_s, u"%K/%A/%N %S"_s}) {
        const QByteArray p = pattern.toUtf8();
        const auto row = [&](const char* name, const QString& artist, const QString& expected) {
            QTest::addRow("%s %s", p.constData(), name) << artist << pattern << u" "_s << expected;
        };
        row("..", u".."_s, u"_/Album/01 Song"_s);
        row("../..", u"../.."_s, u".._../Album/01 Song"_s);
        row("a/b", u"a/b"_s, u"a_b/Album/01 Song"_s);
        row("a\\b", u"a\\b"_s, u"a_b/Album/01 Song"_s);
        row("/", u"/"_s, u"_/Album/01 Song"_s);
    }
    // The file has no extension, so nothing hides a name "." or "..".
    QTest::newRow("name ..") << u".."_s << u"%K"_s << u" "_s << u"_"_s;
    QTest::newRow("name .") << u"."_s << u"%K"_s << u" "_s << u"_"_s;
    QTest::newRow("empty name") << QString() << u"%K"_s << u" "_s << u"_"_s;
    QTest::newRow("blank replacement /") << u"a b"_s << u"%K"_s << u"/"_s << u"a_b"_s;
}

void TestTagToName::tagsNeverLeaveTheTree()
{
    QFETCH(QString, artist);
    QFETCH(QString, pattern);
    QFETCH(QString, blank);
    QFETCH(QString, expected);
    Id3v1Tag tag = sampleTag();
    tag.artist = artist;
    QTemporaryDir dir;
    const QString file = dir.filePath(u"music/track"_s);
    writeTagged(file, tag);
    const RenameBatch batch = BuildTagNameBatch({file}, pattern, blank);
    QCOMPARE(batch.targets, QStringList{dir.filePath(u"music/"_s) + expected});
}

void TestTagToName::batchCountsPerDirectoryAndSkipsDirectories()
{
    QTemporaryDir dir;
    const Id3v1Tag t = sampleTag();
    for (const char* name : {"A/x.mp3", "A/y.mp3", "B/z.mp3"})
        writeTagged(dir.filePath(QString::fromUtf8(name)), t);
    testfiles::write(dir.filePath(u"A/untagged.mp3"_s), QByteArray(300, 'x'));
    const FileSet set{dir.filePath(u"A"_s), dir.filePath(u"A/untagged.mp3"_s),
                      dir.filePath(u"A/x.mp3"_s), dir.filePath(u"A/y.mp3"_s),
                      dir.filePath(u"B/z.mp3"_s)};
    qsizetype steps = 0;
    const RenameBatch batch =
        BuildTagNameBatch(set, u"%N %G"_s, u" "_s, [&](qsizetype, qsizetype) { ++steps; });
    QCOMPARE(batch.sources, set.sliced(1));
    QCOMPARE(batch.targets,
             (QStringList{dir.filePath(u"A/01 -.mp3"_s), dir.filePath(u"A/02 Rock.mp3"_s),
                          dir.filePath(u"A/03 Rock.mp3"_s), dir.filePath(u"B/01 Rock.mp3"_s)}));
    QCOMPARE(steps, set.size());
}

void TestTagToName::batchRenamesIntoNewDirectoriesWithOneUndoEntry()
{
    QTemporaryDir dir;
    Id3v1Tag t = sampleTag();
    writeTagged(dir.filePath(u"in/a.mp3"_s), t);
    t.title = u"Other"_s;
    writeTagged(dir.filePath(u"in/b.wav"_s), t);
    const FileSet set{dir.filePath(u"in/a.mp3"_s), dir.filePath(u"in/b.wav"_s)};
    RenameBatch batch = BuildTagNameBatch(set, u"%K\\%A\\%N %S"_s, u" "_s);
    UndoLog log(dir.filePath(u"undo.log"_s));
    const RenameReport report = ApplyRenameBatch(batch, RenameOptions{}, log);
    QVERIFY(report.errors.isEmpty());
    QCOMPARE(testfiles::tree(dir.filePath(u"in"_s)),
             (QStringList{u"Band"_s, u"Band/Album"_s, u"Band/Album/01 Song.mp3"_s,
                          u"Band/Album/02 Other.wav"_s}));
    log.loadHeaders();
    QCOMPARE(log.headers().size(), 1);
    QVERIFY(log.undoLast().failures.isEmpty());
    QCOMPARE(testfiles::tree(dir.filePath(u"in"_s)),
             (QStringList{u"Band"_s, u"Band/Album"_s, u"a.mp3"_s, u"b.wav"_s}));
}

void TestTagToName::example()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"x.mp3"_s);
    writeTagged(file, sampleTag());
    QCOMPARE(tagNameExample(file, u"%K\\%A\\%N %S"_s, u" "_s),
             u"Beispiel: Band/Album/01 Song.mp3"_s);
    QCOMPARE(tagNameExample(file, QString(), u" "_s), u"Beispiel: "_s);
    QCOMPARE(tagNameExample(dir.filePath(u"missing.mp3"_s), u"%G %S"_s, u" "_s),
             u"Beispiel: -.mp3"_s);
}

void TestTagToName::toggle_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");
    QTest::addColumn<bool>("hadFocus");
    QTest::addColumn<QString>("placeholder");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("pageActive");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("caret"); // -1: the caret is not moved

    // The remembered caret is the selection start; the caret goes 3 further (within the text).
    QTest::newRow("add at the end")
        << u"%S"_s << 0 << 0 << false << u"%K"_s << true << true << u"%S %K"_s << 3;
    QTest::newRow("separator") << u"%S %K"_s << 0 << 0 << false << u"-"_s << true << true
                               << u"%S %K -"_s << 3;
    QTest::newRow("remove with its separator")
        << u"%S %K -"_s << 0 << 0 << false << u"%K"_s << false << true << u"%S"_s << 2;
    QTest::newRow("remove at the start")
        << u"%N - %S"_s << 0 << 0 << false << u"%N"_s << false << true << u"%S"_s << 2;
    QTest::newRow("remove at the end")
        << u"%S - %N"_s << 0 << 0 << false << u"%N"_s << false << true << u"%S -"_s << 3;
    QTest::newRow("already there")
        << u"%S %K"_s << 0 << 0 << false << u"%K"_s << true << true << u"%S %K"_s << 3;
    QTest::newRow("separator again")
        << u"%S -"_s << 0 << 0 << false << u"-"_s << true << true << u"%S - -"_s << 3;
    QTest::newRow("into an empty box")
        << QString() << 0 << 0 << false << u"%S"_s << true << true << u"%S"_s << 2;
    QTest::newRow("at the caret") << u"%N %S"_s << 2 << 0 << true << u"%K"_s << true << true
                                  << u"%N %K %S"_s << 5;
    QTest::newRow("over the selection")
        << u"%N XX %S"_s << 2 << 3 << true << u"%K"_s << true << true << u"%N %K %S"_s << 5;
    QTest::newRow("not there") << u"%S"_s << 0 << 0 << false << u"%K"_s << false << true << u"%S"_s
                               << 2;
    QTest::newRow("page not active")
        << u"%S"_s << 0 << 0 << false << u"%K"_s << true << false << u"%S"_s << -1;
}

void TestTagToName::toggle()
{
    QFETCH(QString, text);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionLength);
    QFETCH(bool, hadFocus);
    QFETCH(QString, placeholder);
    QFETCH(bool, checked);
    QFETCH(bool, pageActive);
    QFETCH(QString, expected);
    QFETCH(int, caret);
    PatternBox box;
    box.text = text;
    box.selectionStart = selectionStart;
    box.selectionLength = selectionLength;
    box.hadFocus = hadFocus;
    box.rememberedCaret = selectionStart;
    const ToggledPattern result = TogglePlaceholder(box, placeholder, checked, pageActive);
    QCOMPARE(result.text, expected);
    QCOMPARE(result.caret.value_or(-1), caret);
    // A check box set to match the pattern changes nothing.
    if (placeholder != u"-") {
        box.text = result.text;
        const bool matching = placeholderChecked(result.text, placeholder);
        QCOMPARE(TogglePlaceholder(box, placeholder, matching, pageActive).text, result.text);
    }
}

void TestTagToName::patternFiles()
{
    QTemporaryDir dir;
    const QString two = dir.filePath(u"b.vtn"_s);
    testfiles::write(two, "%N %S\r\n%K\r\n");
    QCOMPARE(readTagNamePatternFile(two).value(), std::optional<QString>(u"%N %S"_s));
    testfiles::write(dir.filePath(u"empty.vtn"_s));
    QCOMPARE(readTagNamePatternFile(dir.filePath(u"empty.vtn"_s)).value(), std::nullopt);
    QVERIFY(!readTagNamePatternFile(dir.filePath(u"missing.vtn"_s)).ok());
    QVERIFY(writeTagNamePatternFile(dir.filePath(u"A.VTN"_s), u"%K\\%S"_s).ok());
    QCOMPARE(testfiles::read(dir.filePath(u"A.VTN"_s)), QByteArray("%K\\%S\r\n"));
    QVERIFY(!writeTagNamePatternFile(dir.filePath(u"x.vtn"_s), u"a\nb"_s).ok());
    testfiles::write(dir.filePath(u"other.txt"_s));
    QCOMPARE(listTagNamePatternFiles(dir.path()), (QStringList{u"A"_s, u"b"_s, u"empty"_s}));
}

QTEST_GUILESS_MAIN(TestTagToName)
#include "tst_tagtoname.moc"
