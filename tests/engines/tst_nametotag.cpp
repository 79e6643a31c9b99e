// SPDX-License-Identifier: GPL-3.0-or-later
// Name to tag: cutting names into pieces, the fields made from them, the locks, and the album
// presets of the settings file.
#include "engines/nametotag.h"

#include "../support/testfiles.h"

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace varnolite;

namespace {

// The old tag of the edge cases: year 2001, track 9, the other fields set.
Id3v1Tag oldTag()
{
    Id3v1Tag t;
    t.title = u"Old Title"_s;
    t.artist = u"Old Artist"_s;
    t.album = u"Old Album"_s;
    t.comment = u"Old Comment"_s;
    t.year = u"2001"_s;
    t.track = u"9"_s;
    t.genre = 17;
    return t;
}

NamePattern preset(int index)
{
    NamePattern p;
    p.usePreset = true;
    p.preset = builtinPresets()[index];
    return p;
}

NamePattern quick(const QString& pattern, const QString& blank = u" "_s)
{
    NamePattern p;
    p.usePreset = false;
    p.quickPattern = pattern;
    p.blankReplacement = blank;
    return p;
}

// title, artist, album, year, track, comment
QStringList fields(const Id3v1Tag& t)
{
    return {t.title, t.artist, t.album, t.year, t.track, t.comment};
}

} // namespace

class TestNameToTag : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cut_data();
    void cut();
    void parse_data();
    void parse();
    void locksAndModes_data();
    void locksAndModes();
    void writeTagsOnFiles();
    void presetsInTheSettings();
};

void TestNameToTag::cut_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("toEnd");
    QTest::addColumn<QStringList>("expected"); // "key=value" per record, "" for a keyless one

    QTest::newRow("file name") << u"%N %S"_s << u"01 Song.mp3"_s << false
                               << QStringList{u"N=01"_s, u"S=Song"_s};
    QTest::newRow("to the end") << u"%N %S"_s << u"01 Song.mp3"_s << true
                                << QStringList{u"N=01"_s, u"S=Song.mp3"_s};
    QTest::newRow("closing literal")
        << u"%A (%J)"_s << u"Hits (2000)"_s << true << QStringList{u"A=Hits"_s, u"J=2000"_s};
    QTest::newRow("closing literal missing")
        << u"%A (%J)"_s << u"Hits 2000"_s << true << QStringList{u"A=Hits 2000"_s, u"J="_s};
    QTest::newRow("literal at the first position does not end a value")
        << u"%A-%B"_s << u"-x-y"_s << true << QStringList{u"A=-x-y"_s, u"B=x-y"_s};
    QTest::newRow("percent at the end")
        << u"%A%"_s << u"abc"_s << true << QStringList{u"A=abc"_s, QString()};
    QTest::newRow("no placeholder") << u"abc"_s << u"abc"_s << true << QStringList{};
    QTest::newRow("leading literal skipped")
        << u"CD %N"_s << u"my CD 07"_s << true << QStringList{u"N=07"_s};
}

void TestNameToTag::cut()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, toEnd);
    QFETCH(QStringList, expected);
    PieceTable table;
    CutByPattern(pattern, text, table, toEnd ? PieceEnd::TextEnd : PieceEnd::BeforeExtension);
    QStringList got;
    for (const Texpstrarr& r : table)
        got.append(r.used ? QString(r.key) + u'=' + r.value : QString());
    QCOMPARE(got, expected);
    // The first record of a key wins when filling.
    table.append({u'N', u"later"_s, true});
    if (!expected.isEmpty() && expected.front().startsWith(u"N="))
        QCOMPARE(FillFromPieces(u"[%N]%", table), u'[' + expected.front().mid(2) + u']');
}

void TestNameToTag::parse_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<NamePattern>("pattern");
    QTest::addColumn<QStringList>("expected"); // title, artist, album, year, track, comment

    QTest::newRow("Normal Album") << u"/Music/Band - Album (1999)/01 Song.mp3"_s << preset(0)
                                  << QStringList{u"Song"_s, u"Band"_s, u"Album"_s,
                                                 u"1999"_s, u"01"_s,   u"Track 01"_s};
    QTest::newRow("Sampler/Compilation")
        << u"/Music/Hits (2000)/03 Band - Song.mp3"_s << preset(1)
        << QStringList{u"Song"_s, u"Band"_s, u"Hits"_s, u"2000"_s, u"03"_s, u"Track 03"_s};
    QTest::newRow("quick") << u"/Music/Band/01 Album - Song.mp3"_s << quick(u"%N %A - %S"_s)
                           << QStringList{u"Song"_s, QString(), u"Album"_s,
                                          u"2001"_s, u"01"_s,   QString()};
    QTest::newRow("quick with backslashes")
        << u"/Music/Band/Album/01 Song.mp3"_s << quick(u"%K\\%A\\%N %S"_s)
        << QStringList{u"Song"_s, u"Band"_s, u"Album"_s, u"2001"_s, u"01"_s, QString()};
    QTest::newRow("quick with slashes")
        << u"/Music/Band/Album/01 Song.mp3"_s << quick(u"%K/%A/%N %S"_s)
        << QStringList{u"Song"_s, u"Band"_s, u"Album"_s, u"2001"_s, u"01"_s, QString()};
    QTest::newRow("track that is no number keeps the old one")
        << u"/Music/Band/Song.mp3"_s << quick(u"%N %A - %S"_s)
        << QStringList{u"Song"_s, QString(), u"Song"_s, u"2001"_s, u"9"_s, QString()};
    QTest::newRow("year cut to four characters")
        << u"/m/x/19999 Song.mp3"_s << quick(u"%J %S"_s)
        << QStringList{u"Song"_s, QString(), QString(), u"1999"_s, u"9"_s, QString()};
    QTest::newRow("blank replacement trimmed")
        << u"/m/x/01-_My_Song_.mp3"_s << quick(u"%N-%S"_s, u"_"_s)
        << QStringList{u"My_Song"_s, QString(), QString(), u"2001"_s, u"01"_s, QString()};
    QTest::newRow("umlauts and CJK")
        << u"/Musik/Motörhead-Ace (1980)/01 東京 Ünïcode.mp3"_s << preset(0)
        << QStringList{u"東京 Ünïcode"_s, u"Motörhead"_s, u"Ace"_s,
                       u"1980"_s,         u"01"_s,        u"Track 01"_s};
    QTest::newRow("WAV file") << u"/Music/Band - Album (1999)/02 Take.wav"_s << preset(0)
                              << QStringList{u"Take"_s, u"Band"_s, u"Album"_s,
                                             u"1999"_s, u"02"_s,   u"Track 02"_s};
}

void TestNameToTag::parse()
{
    QFETCH(QString, path);
    QFETCH(NamePattern, pattern);
    QFETCH(QStringList, expected);
    const qsizetype slash = path.lastIndexOf(u'/');
    const Id3v1Tag tag = ParseNameToTag(path.mid(slash + 1), path.left(slash), oldTag(), pattern);
    QCOMPARE(fields(tag), expected);
    QCOMPARE(tag.genre, 17);
}

void TestNameToTag::locksAndModes_data()
{
    QTest::addColumn<NameToTagRequest>("request");
    QTest::addColumn<Id3v1Tag>("old");
    QTest::addColumn<QStringList>("expected"); // title, artist, album, year, track, comment
    QTest::addColumn<int>("genre");

    const QString path = u"/Music/Band - Album (1999)/01 Song.mp3"_s;
    const QStringList fromName{u"Song"_s, u"Band"_s, u"Album"_s, u"1999"_s, u"01"_s, u"Track 01"_s};
    const auto request = [](TagSource source) {
        NameToTagRequest r;
        r.source = source;
        r.pattern = preset(0);
        r.typed = {u"T"_s, u"Typed Band"_s, u"A"_s, u"1985"_s, u"Polka"_s, u"C"_s, u"12"_s};
        return r;
    };
    auto r = request(TagSource::FromName);
    r.typed.genre.clear();
    QTest::newRow("from name") << r << oldTag() << fromName << 17;

    r = request(TagSource::FromName);
    r.locked[size_t(TagField::Artist)] = true;
    QStringList e = fromName;
    e[1] = u"Typed Band"_s;
    QTest::newRow("locked artist takes the typed value") << r << oldTag() << e << 75;

    r.leaveOld = true;
    e[1] = u"Old Artist"_s;
    QTest::newRow("locked artist with leave-old keeps the old one") << r << oldTag() << e << 75;

    r = request(TagSource::TypedValues);
    r.locked[size_t(TagField::Genre)] = true;
    QTest::newRow("typed values, genre locked")
        << r << oldTag() << QStringList{u"T"_s, u"Typed Band"_s, u"A"_s, u"1985"_s, u"12"_s, u"C"_s}
        << 17;

    r = request(TagSource::TypedValues);
    r.typed = {};
    r.locked[size_t(TagField::Album)] = true;
    QTest::newRow("typed empty values empty the fields but the year")
        << r << oldTag()
        << QStringList{QString(), QString(), u"Old Album"_s, u"2001"_s, QString(), QString()} << 17;

    r = request(TagSource::TypedValues);
    r.typed.year = u"198512"_s;
    r.typed.track = u"1234"_s;
    QTest::newRow("typed year and track are cut")
        << r << oldTag()
        << QStringList{u"T"_s, u"Typed Band"_s, u"A"_s, u"1985"_s, u"123"_s, u"C"_s} << 75;

    const auto genreRow = [&](const char* name, const QString& text, int expected) {
        auto g = request(TagSource::TypedValues);
        g.typed.genre = text;
        QTest::newRow(name) << g << oldTag() << QStringList{u"T"_s,    u"Typed Band"_s, u"A"_s,
                                                            u"1985"_s, u"12"_s,         u"C"_s}
                            << expected;
    };
    genreRow("genre by name, any case", u"rock"_s, 17);
    genreRow("genre none", u"-"_s, 148);
    genreRow("no genre name", u"Polka2"_s, 17);

    r = request(TagSource::FromName);
    r.locked[size_t(TagField::Genre)] = true;
    QTest::newRow("locked genre stays") << r << oldTag() << fromName << 17;
    Id3v1Tag noGenre = oldTag();
    noGenre.genre = 148;
    QTest::newRow("locked genre fills a file without one") << r << noGenre << fromName << 75;
    r.leaveOld = true;
    QTest::newRow("locked genre with leave-old") << r << noGenre << fromName << 148;

    r = request(TagSource::FromName);
    r.typed.genre.clear();
    r.pattern.preset.tagcomment = u"%old"_s;
    e = fromName;
    e[5] = u"Old Comment"_s;
    QTest::newRow("%OLD keeps the old value") << r << oldTag() << e << 17;
}

void TestNameToTag::locksAndModes()
{
    QFETCH(NameToTagRequest, request);
    QFETCH(Id3v1Tag, old);
    QFETCH(QStringList, expected);
    QFETCH(int, genre);
    const std::optional<Id3v1Tag> tag =
        tagToWrite(u"/Music/Band - Album (1999)/01 Song.mp3"_s, old, true, request);
    QVERIFY(tag);
    QCOMPARE(fields(*tag), expected);
    QCOMPARE(tag->genre, genre);
    request.onlyUntagged = true;
    QVERIFY(!tagToWrite(u"/x.mp3"_s, old, true, request));
    QVERIFY(tagToWrite(u"/x.mp3"_s, Id3v1Tag(), false, request));
}

void TestNameToTag::writeTagsOnFiles()
{
    QTemporaryDir dir;
    const QString album = dir.filePath(u"Band - Album (1999)/"_s);
    testfiles::write(album + u"01 Song.mp3"_s, QByteArray(500, '\xff'));
    testfiles::write(album + u"02 Tagged.mp3"_s, QByteArray(500, '\xff'));
    Id3v1Tag existing = oldTag();
    QVERIFY(WriteTag(album + u"02 Tagged.mp3"_s, existing, {}).status.ok());
    testfiles::write(album + u"03 Locked.mp3"_s, QByteArray(500, '\xff'));
    QVERIFY(::chmod(QFile::encodeName(album + u"03 Locked.mp3"_s).constData(), 0444) == 0);

    NameToTagRequest request;
    request.pattern = preset(0);
    request.onlyUntagged = true;
    request.write.readOnly = ReadOnlyFiles::Respect;
    const FileSet set{dir.filePath(u"Band - Album (1999)"_s), album + u"01 Song.mp3"_s,
                      album + u"02 Tagged.mp3"_s, album + u"03 Locked.mp3"_s};
    qsizetype steps = 0;
    const QList<TagWriteReport> reports =
        WriteTags(set, request, [&](qsizetype, qsizetype) { ++steps; });
    QCOMPARE(steps, 4);
    QCOMPARE(reports.size(), 3);
    QVERIFY(reports[0].result.status.ok() && !reports[0].skipped);
    QVERIFY(reports[1].skipped);
    QVERIFY(!reports[2].result.status.ok());

    Id3v1Tag written;
    QVERIFY(ReadTag(album + u"01 Song.mp3"_s, written));
    QCOMPARE(fields(written),
             (QStringList{u"Song"_s, u"Band"_s, u"Album"_s, u"1999"_s, u"1"_s, u"Track 01"_s}));
    QCOMPARE(QFileInfo(album + u"01 Song.mp3"_s).size(), 500 + 128);
    Id3v1Tag untouched;
    QVERIFY(ReadTag(album + u"02 Tagged.mp3"_s, untouched));
    QCOMPARE(untouched.title, u"Old Title"_s);
    QCOMPARE(QFileInfo(album + u"03 Locked.mp3"_s).size(), 500);
}

void TestNameToTag::presetsInTheSettings()
{
    IniDocument doc;
    QCOMPARE(readPresets(doc), builtinPresets());
    QCOMPARE(builtinPresets()[0].name, u"Normal Album"_s);
    QCOMPARE(builtinPresets()[1].filename, u"%N %K-%S"_s);

    // Written: "Anzahl", then the ten keys of every preset in order.
    doc = IniDocument::parse("[name2tag]\r\nstale=1\r\n[other]\r\na=b\r\n");
    QVERIFY(writePresets(doc, builtinPresets()).ok());
    QStringList keys = doc.keys(u"name2tag");
    QCOMPARE(keys.size(), 21);
    QCOMPARE(keys.mid(0, 12),
             (QStringList{u"Anzahl"_s, u"name0"_s, u"dir1_0"_s, u"dir2_0"_s, u"filename0"_s,
                          u"tagtitel0"_s, u"tagartist0"_s, u"tagcomment0"_s, u"tagtrack0"_s,
                          u"tagalbum0"_s, u"tagyear0"_s, u"name1"_s}));
    QCOMPARE(doc.value(u"name2tag", u"Anzahl"), std::optional<QString>(u"2"_s));
    QCOMPARE(doc.value(u"other", u"a"), std::optional<QString>(u"b"_s));
    QCOMPARE(readPresets(doc), builtinPresets());

    // Removing the second of three.
    Tname2tag three = builtinPresets();
    three.append({u"Mine"_s, u"%K"_s, u"%A"_s, u"%N - %S"_s, u"%S"_s, u"%K"_s, u"%OLD"_s, u"%N"_s,
                  u"%A"_s, u"%OLD"_s});
    three.removeAt(1);
    QVERIFY(writePresets(doc, three).ok());
    QCOMPARE(doc.value(u"name2tag", u"Anzahl"), std::optional<QString>(u"2"_s));
    QCOMPARE(readPresets(doc)[1].name, u"Mine"_s);
    QCOMPARE(findPreset(readPresets(doc), u"Mine"), 1);
    QCOMPARE(findPreset(readPresets(doc), u"mine"), -1);

    // Missing keys read as empty, a missing count as 0, a damaged count is capped.
    doc = IniDocument::parse("[name2tag]\r\nAnzahl=1\r\n");
    QCOMPARE(readPresets(doc), (Tname2tag{Tname2tagrec{}}));
    doc = IniDocument::parse("[name2tag]\r\nname0=x\r\n");
    QVERIFY(readPresets(doc).isEmpty());
    doc = IniDocument::parse("[name2tag]\r\nAnzahl=2147483647\r\nname0=x\r\n");
    QCOMPARE(readPresets(doc).size(), 2);

    Tname2tagrec p;
    QVERIFY(presetField(p, u"year"));
    *presetField(p, u"year") = u"%J"_s;
    QCOMPARE(p.tagyear, u"%J"_s);
    QVERIFY(!presetField(p, u"genre"));
    QCOMPARE(presetFieldNames().size(), 9);
}

QTEST_GUILESS_MAIN(TestNameToTag)
#include "tst_nametotag.moc"
