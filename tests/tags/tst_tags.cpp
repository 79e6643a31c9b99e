// SPDX-License-Identifier: GPL-3.0-or-later
// The tag formats on bytes: ID3v1.1, Lyrics3 v1 and v2, the ID3v2 header, the genre table and
// the tag display.
#include "core/bytesource.h"
#include "tags/genres.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/lyrics3.h"
#include "tags/tagdisplay.h"
#include "tags/tagtext.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace varnolite;

namespace {

const QByteArray kAudio(300, '\xAA');

// An ID3v1.1 tag from its parts.
QByteArray id3v1(QByteArrayView title, QByteArrayView comment30, quint8 track, quint8 genre,
                 bool v11 = true)
{
    QByteArray t = "TAG";
    const auto pad = [](QByteArrayView s, int w) {
        QByteArray b = s.toByteArray();
        b.resize(w, '\0');
        return b;
    };
    t += pad(title, 30) + pad("Artist", 30) + pad("Album", 30) + pad("1999", 4);
    QByteArray comment = pad(comment30, 30);
    if (v11) {
        comment[28] = '\0';
        comment[29] = char(track);
    }
    t += comment;
    t += char(genre);
    return t;
}

bool readBytes(const QByteArray& bytes, Id3v1Tag& tag)
{
    return ReadTag(BufferSource(bytes), tag);
}

// A record as it comes back after writing it: what a file holding `tail` reads as.
Id3v1Tag roundTrip(const Id3v1Tag& tag, bool useLyrics3 = true)
{
    QByteArray file = kAudio;
    if (useLyrics3 && needsLyrics3v2(tag))
        file += renderLyrics3v2(tag).bytes;
    file += renderId3v1(tag);
    Id3v1Tag back;
    readBytes(file, back);
    return back;
}

Id3v1Tag sampleTag()
{
    Id3v1Tag tag;
    tag.title = u"Title"_s;
    tag.artist = u"Artist"_s;
    tag.album = u"Album"_s;
    tag.year = u"1999"_s;
    tag.comment = u"Hello"_s;
    tag.track = u"5"_s;
    tag.genre = 17;
    return tag;
}

} // namespace

class TestTags : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void genreTable();
    void tagText();

    void tagPresence_data();
    void tagPresence();
    void id3v1Fields_data();
    void id3v1Fields();
    void renderedId3v1();
    void trackAndGenreBytes_data();
    void trackAndGenreBytes();
    void id3v2Marker_data();
    void id3v2Marker();

    void lyrics3v2ExactBytes_data();
    void lyrics3v2ExactBytes();
    void longTitleGoesIntoEtt();
    void extraFieldsSurviveOnlyInABlock();
    void damagedLyrics3v2_data();
    void damagedLyrics3v2();
    void lyrics3v1Blocks();
    void lyrics3LimitsAreNeverExceeded();
    void trailingTagsStarts_data();
    void trailingTagsStarts();

    void everyPrefixReadsSafely();
    void recordsRoundTrip();

    void id3v2Headers_data();
    void id3v2Headers();

    void tagDisplayLabels();
    void tagPanelOverSeveralFiles();
};

void TestTags::genreTable()
{
    QCOMPARE(genreNameList().size(), 148);
    QCOMPARE(GenreNames(0), u"Blues"_s);
    QCOMPARE(GenreNames(17), u"Rock"_s);
    QCOMPARE(GenreNames(147), u"Synthpop"_s);
    QCOMPARE(GenreNames(-1), u"-"_s);
    QCOMPARE(GenreNames(148), u"-"_s);
    QCOMPARE(genreNumber(u"Jpop"), 146);
    QCOMPARE(genreNumber(u"hip-hop", Qt::CaseInsensitive), 7);
    QCOMPARE(genreNumber(u"hip-hop"), std::nullopt);
    QCOMPARE(genreNumber(u"-"), kNoGenre);
    for (const QString& name : genreNameList())
        QVERIFY(name.size() <= 25);
}

void TestTags::tagText()
{
    QCOMPARE(TrimTagText(u"abc \0 \0"_s), u"abc"_s);
    QCOMPARE(TrimTagText(u"  a b"_s), u"  a b"_s);
    QCOMPARE(TrimTagText(u" \0"_s), QString());
    QCOMPARE(PadTagText(u"abc", 30), QByteArray("abc") + QByteArray(27, '\0'));
    QCOMPARE(PadTagText(u"Motörhead - Ace of Spades (1980)", 30),
             QByteArray("Mot\xF6rhead - Ace of Spades (198"));
    QCOMPARE(PadTagText(u"東京", 4), QByteArray("??\0\0", 4));
    QCOMPARE(tagTextLength(u"x\U0001F3B5"), 2);
}

void TestTags::tagPresence_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("found");
    const QByteArray tag = id3v1("T", "C", 1, 2);
    QTest::newRow("137 bytes") << (QByteArray(9, 'x') + tag) << false;
    QTest::newRow("138 bytes") << (QByteArray(10, 'x') + tag) << true;
    QTest::newRow("TAG in the 9 bytes before") << (QByteArray("xxxTAGxxxx") + tag) << false;
    QTest::newRow("no TAG") << (kAudio + QByteArray(128, 'T')) << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestTags::tagPresence()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, found);
    Id3v1Tag tag;
    tag.title = u"stale"_s;
    tag.genre = 3;
    QCOMPARE(readBytes(file, tag), found);
    if (!found) {
        QVERIFY(tag.title.isEmpty());
        QCOMPARE(tag.genre, -1);
    }
}

void TestTags::id3v1Fields_data()
{
    QTest::addColumn<QByteArray>("tag");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("track");
    QTest::addColumn<int>("genre");
    QTest::newRow("v1.1") << id3v1("abc", "Hello", 5, 17) << u"abc"_s << u"Hello"_s << u"5"_s << 17;
    QTest::newRow("v1.0 comment of 30")
        << id3v1("t", "123456789012345678901234567890", 0, 0, false) << u"t"_s
        << u"123456789012345678901234567890"_s << QString::number('0') << 0;
    QTest::newRow("trailing blanks go")
        << id3v1("abc   ", "x  ", 0, 147) << u"abc"_s << u"x"_s << u"0"_s << 147;
    QTest::newRow("genre 255 is none")
        << id3v1("a", "", 1, 255) << u"a"_s << QString() << u"1"_s << 148;
    QTest::newRow("genre 200 is none")
        << id3v1("a", "", 1, 200) << u"a"_s << QString() << u"1"_s << 148;
    QTest::newRow("Windows-1252") << id3v1("Mot\xF6rhead \x80", "", 0, 0) << u"Motörhead €"_s
                                  << QString() << u"0"_s << 0;
}

void TestTags::id3v1Fields()
{
    QFETCH(QByteArray, tag);
    QFETCH(QString, title);
    QFETCH(QString, comment);
    QFETCH(QString, track);
    QFETCH(int, genre);
    Id3v1Tag read;
    QVERIFY(readBytes(kAudio + tag, read));
    QCOMPARE(read.title, title);
    QCOMPARE(read.artist, u"Artist"_s);
    QCOMPARE(read.album, u"Album"_s);
    QCOMPARE(read.year, u"1999"_s);
    QCOMPARE(read.comment, comment);
    QCOMPARE(read.track, track);
    QCOMPARE(read.genre, genre);
    QCOMPARE(read.lyricsKind, LyricsKind::None);
}

void TestTags::renderedId3v1()
{
    Id3v1Tag tag = sampleTag();
    tag.title = u"abc"_s;
    const QByteArray bytes = renderId3v1(tag);
    QCOMPARE(bytes.size(), 128);
    QCOMPARE(bytes, id3v1("abc", "Hello", 5, 17));
}

void TestTags::trackAndGenreBytes_data()
{
    QTest::addColumn<QString>("track");
    QTest::addColumn<int>("genre");
    QTest::addColumn<int>("trackByte");
    QTest::addColumn<int>("genreByte");
    QTest::newRow("300 is 44") << u"300"_s << 0 << 44 << 0;
    QTest::newRow("x leaves the comment byte") << u"x"_s << 147 << int('Z') << 147;
    QTest::newRow("empty leaves it") << QString() << 1 << int('Z') << 1;
    QTest::newRow("never read genre") << u"7"_s << -1 << 7 << 255;
    QTest::newRow("no genre") << u"0"_s << 148 << 0 << 255;
}

void TestTags::trackAndGenreBytes()
{
    QFETCH(QString, track);
    QFETCH(int, genre);
    QFETCH(int, trackByte);
    QFETCH(int, genreByte);
    Id3v1Tag tag;
    tag.comment = u"123456789012345678901234567890Z"_s.mid(1); // 30th character 'Z'
    tag.track = track;
    tag.genre = genre;
    const QByteArray bytes = renderId3v1(tag);
    QCOMPARE(int(quint8(bytes[126])), trackByte);
    QCOMPARE(int(quint8(bytes[127])), genreByte);
}

void TestTags::id3v2Marker_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("version");
    QTest::newRow("v4") << QByteArray("ID3\x04\x00", 5) << 4;
    QTest::newRow("v3") << QByteArray("ID3\x03\x00", 5) << 3;
    QTest::newRow("byte 3 is FF") << QByteArray("ID3\xFF\x00", 5) << 0;
    QTest::newRow("byte 4 is FF") << QByteArray("ID3\x03\xFF", 5) << 0;
    QTest::newRow("no ID3") << QByteArray("\xFF\xFB\x90\x44\x00", 5) << 0;
}

void TestTags::id3v2Marker()
{
    QFETCH(QByteArray, head);
    QFETCH(int, version);
    Id3v1Tag tag;
    QVERIFY(readBytes(head + kAudio + id3v1("t", "", 0, 0), tag));
    QCOMPARE(int(tag.id3v2Version), version);
}

void TestTags::lyrics3v2ExactBytes_data()
{
    QTest::addColumn<QString>("lyrics");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QByteArray>("block");
    const QByteArray title40 = "0123456789012345678901234567890123456789";
    QTest::newRow("lyrics") << u"la la"_s << QString()
                            << "LYRICSBEGIN"
                               "IND0000211"
                               "LYR00005la la"
                               "ETT00040" +
                                   title40 + "000082LYRICS200";
    QTest::newRow("author") << QString() << u"X"_s
                            << "LYRICSBEGIN"
                               "IND0000200"
                               "AUT00001X"
                               "ETT00040" +
                                   title40 + "000078LYRICS200";
}

void TestTags::lyrics3v2ExactBytes()
{
    QFETCH(QString, lyrics);
    QFETCH(QString, author);
    QFETCH(QByteArray, block);
    Id3v1Tag tag;
    tag.title = u"0123456789012345678901234567890123456789"_s;
    tag.lyrics = lyrics;
    tag.author = author;
    QVERIFY(needsLyrics3v2(tag));
    QCOMPARE(renderLyrics3v2(tag).bytes, block);
    const Id3v1Tag back = roundTrip(tag);
    QCOMPARE(back.lyricsKind, LyricsKind::V2);
    QCOMPARE(back.title, tag.title);
    QCOMPARE(back.lyrics, lyrics);
    QCOMPARE(back.author, author);
}

void TestTags::longTitleGoesIntoEtt()
{
    Id3v1Tag tag = sampleTag();
    tag.title = u"A title of forty-five characters, or so: 45!"_s + u'x';
    QCOMPARE(tag.title.size(), 45);
    const Id3v1Tag withBlock = roundTrip(tag, true);
    QCOMPARE(withBlock.title, tag.title);
    QVERIFY(renderLyrics3v2(tag).bytes.contains(QByteArray("ETT00045" + tag.title.toLatin1())));
    QCOMPARE(renderId3v1(tag).mid(3, 30), tag.title.left(30).toLatin1());
    const Id3v1Tag without = roundTrip(tag, false);
    QCOMPARE(without.title, tag.title.left(30));
    QCOMPARE(without.lyricsKind, LyricsKind::None);
}

void TestTags::extraFieldsSurviveOnlyInABlock()
{
    const QByteArray block = "LYRICSBEGIN"
                             "IND0000210"
                             "XYZ00003abc"
                             "INF00002hi"
                             "000042LYRICS200";
    Id3v1Tag tag;
    QVERIFY(readBytes(kAudio + block + id3v1("t", "", 0, 0), tag));
    QCOMPARE(tag.lyricsKind, LyricsKind::V2);
    QCOMPARE(tag.info, u"hi"_s);
    QCOMPARE(tag.extraFields.fields, (QList<LyricsField>{{u"XYZ"_s, u"00003"_s, u"abc"_s}}));
    // Written back after the known fields.
    QCOMPARE(renderLyrics3v2(tag).bytes, QByteArray("LYRICSBEGIN"
                                                    "IND0000200"
                                                    "INF00002hi"
                                                    "XYZ00003abc"
                                                    "000042LYRICS200"));
    // Without a reason for a block, the extra field is lost.
    tag.info.clear();
    QVERIFY(!needsLyrics3v2(tag));
}

void TestTags::damagedLyrics3v2_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<LyricsKind>("kind");
    QTest::addColumn<QString>("info");
    QTest::newRow("size text 00a12")
        << QByteArray("LYRICSBEGININF00a12hello000024LYRICS200") << LyricsKind::None << QString();
    QTest::newRow("second field damaged keeps the first")
        << QByteArray("LYRICSBEGININF00002hiLYR0x001a000030LYRICS200") << LyricsKind::None
        << u"hi"_s;
    QTest::newRow("field running past the size field")
        << QByteArray("LYRICSBEGININF00002hiLYR00099abc000032LYRICS200") << LyricsKind::V2
        << u"hi"_s;
    QTest::newRow("block size not a number")
        << QByteArray("LYRICSBEGININF00002hi0000x1LYRICS200") << LyricsKind::None << QString();
    QTest::newRow("block size points elsewhere")
        << QByteArray("LYRICSBEGININF00002hi000022LYRICS200") << LyricsKind::None << QString();
    QTest::newRow("block size beyond the file")
        << QByteArray("INF00002hi999999LYRICS200") << LyricsKind::None << QString();
}

void TestTags::damagedLyrics3v2()
{
    QFETCH(QByteArray, block);
    QFETCH(LyricsKind, kind);
    QFETCH(QString, info);
    Id3v1Tag tag;
    QVERIFY(readBytes(kAudio + block + id3v1("Title", "", 0, 0), tag)); // ID3v1 still counts
    QCOMPARE(tag.title, u"Title"_s);
    QCOMPARE(tag.lyricsKind, kind);
    QCOMPARE(tag.info, info);
}

void TestTags::lyrics3v1Blocks()
{
    // A block of exactly 5109 bytes.
    const QByteArray text = QByteArray(5088, 'l') + 'X';
    const QByteArray full = kAudio + "LYRICSBEGIN" + text + "LYRICSEND" + id3v1("t", "", 0, 0);
    Id3v1Tag tag;
    QVERIFY(readBytes(full, tag));
    QCOMPARE(tag.lyricsKind, LyricsKind::V1);
    QCOMPARE(tag.lyrics.size(), 5089);
    QCOMPARE(trailingTagsStart(BufferSource(full)), kAudio.size());

    // A shorter block: found by its LYRICSBEGIN, never cutting into the audio data.
    const QByteArray shortBlock = kAudio + "LYRICSBEGINshort songLYRICSEND" + id3v1("t", "", 0, 0);
    QVERIFY(readBytes(shortBlock, tag));
    QCOMPARE(tag.lyrics, u"short song"_s);
    QCOMPARE(trailingTagsStart(BufferSource(shortBlock)), kAudio.size());

    // LYRICSEND without a beginning: the block stays.
    const QByteArray orphan = kAudio + "LYRICSEND" + id3v1("t", "", 0, 0);
    QVERIFY(readBytes(orphan, tag));
    QCOMPARE(tag.lyricsKind, LyricsKind::V1);
    QVERIFY(tag.lyrics.isEmpty());
    QCOMPARE(trailingTagsStart(BufferSource(orphan)), orphan.size() - 128);
}

void TestTags::lyrics3LimitsAreNeverExceeded()
{
    Id3v1Tag tag;
    tag.lyrics = QString(150000, u'a');
    tag.info = QString(600000, u'i');
    tag.author = QString(300, u'w');
    tag.extraFields.fields.append({u"XYZ"_s, u"99999"_s, QString(500000, u'x')});
    for (int i = 0; i < 10; ++i)
        tag.extraFields.fields.append(
            {u"X%1"_s.arg(i, 2, 10, QChar(u'0')), u"99999"_s, QString(99999, u'e')});
    const Lyrics3Block block = renderLyrics3v2(tag);
    QVERIFY(block.cutFields.contains(u"LYR"_s));
    QVERIFY(block.cutFields.contains(u"INF"_s));
    QVERIFY(block.cutFields.contains(u"X00"_s)); // the block limit cut extra fields too
    QVERIFY(block.bytes.size() <= 999999 + 15);
    QVERIFY(block.bytes.size() > 999999 + 15 - 13); // nothing cut beyond what had to go
    const Id3v1Tag back = roundTrip(tag);
    QCOMPARE(back.lyricsKind, LyricsKind::V2);
    // The long fields share what room there is; the short one stays whole.
    QVERIFY(back.lyrics.size() > 70000); // 13 long fields in 999999 bytes
    QCOMPARE(back.info.size(), back.lyrics.size());
    QCOMPARE(back.extraFields.fields.back().data.size(), back.lyrics.size());
    QCOMPARE(back.author.size(), 250);
    QVERIFY(block.bytes.endsWith("LYRICS200"));
}

void TestTags::trailingTagsStarts_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("start");
    const QByteArray block1000 =
        "LYRICSBEGIN" + QByteArray("INF00981") + QByteArray(981, 'i') + "001000LYRICS200";
    QTest::newRow("ID3v1 and a block of 1000")
        << (kAudio + block1000 + id3v1("t", "", 0, 0)) << qint64(kAudio.size());
    QTest::newRow("block without ID3v1") << (kAudio + block1000) << qint64(kAudio.size());
    QTest::newRow("ID3v1 only") << (kAudio + id3v1("t", "", 0, 0)) << qint64(kAudio.size());
    QTest::newRow("nothing") << kAudio << qint64(kAudio.size());
    QTest::newRow("damaged size stays")
        << (kAudio + "LYRICSBEGIN" + "INF00002hi" + "000099LYRICS200" + id3v1("t", "", 0, 0))
        << qint64(kAudio.size() + 36);
}

void TestTags::trailingTagsStarts()
{
    QFETCH(QByteArray, file);
    QFETCH(qint64, start);
    QCOMPARE(trailingTagsStart(BufferSource(file)), start);
}

void TestTags::everyPrefixReadsSafely()
{
    Id3v1Tag tag = sampleTag();
    tag.title = QString(40, u't');
    tag.lyrics = u"la la"_s;
    tag.extraFields.fields.append({u"XYZ"_s, u"00003"_s, u"abc"_s});
    const QByteArray file = QByteArray("ID3\x03\x00\x00\x00\x00\x00\x00", 10) + kAudio +
                            renderLyrics3v2(tag).bytes + renderId3v1(tag);
    for (qsizetype n = 0; n <= file.size(); ++n) {
        Id3v1Tag read;
        readBytes(file.left(n), read); // must not crash or read outside the buffer
        trailingTagsStart(BufferSource(file.left(n)));
        const qsizetype cut = file.size() - n; // and every suffix as well
        Id3v1Tag tail;
        if (readBytes(file.mid(cut), tail))
            QVERIFY(trailingTagsStart(BufferSource(file.mid(cut))) <= file.size() - cut);
    }
}

void TestTags::recordsRoundTrip()
{
    Id3v1Tag tag = sampleTag();
    tag.artist = u"An artist whose name is longer than thirty"_s;
    tag.album = u"Ålbum"_s;
    tag.info = u"line 1\r\nline 2"_s;
    tag.author = u"Me"_s;
    tag.imageLinks = u"C:\\cover.jpg||Cover||[00:00]\r\n"_s;
    tag.extraFields.fields.append({u"XYZ"_s, u"00003"_s, u"abc"_s});
    Id3v1Tag back = roundTrip(tag);
    QCOMPARE(back.lyricsKind, LyricsKind::V2);
    back.lyricsKind = tag.lyricsKind;
    QCOMPARE(back, tag);
}

void TestTags::id3v2Headers_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("tagEnd");
    QTest::newRow("size 0,0,2,1") << QByteArray("ID3\x03\x00\x00\x00\x00\x02\x01", 10) << true
                                  << qint64(267);
    QTest::newRow("v4 with footer")
        << QByteArray("ID3\x04\x00\x10\x00\x00\x02\x01", 10) << true << qint64(277);
    QTest::newRow("v3 footer flag means nothing")
        << QByteArray("ID3\x03\x00\x10\x00\x00\x00\x01", 10) << true << qint64(11);
    QTest::newRow("largest") << QByteArray("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10) << true
                             << qint64(10 + 268435455);
    QTest::newRow("size byte with top bit")
        << QByteArray("ID3\x03\x00\x00\x00\x00\x80\x00", 10) << false << qint64(0);
    QTest::newRow("version FF") << QByteArray("ID3\xFF\x00\x00\x00\x00\x00\x00", 10) << false
                                << qint64(0);
    QTest::newRow("short") << QByteArray("ID3\x03\x00") << false << qint64(0);
    QTest::newRow("no ID3") << QByteArray("ID4\x03\x00\x00\x00\x00\x00\x00", 10) << false
                            << qint64(0);
}

void TestTags::id3v2Headers()
{
    QFETCH(QByteArray, head);
    QFETCH(bool, valid);
    QFETCH(qint64, tagEnd);
    const std::optional<Id3v2Header> header = parseId3v2Header(head);
    QCOMPARE(header.has_value(), valid);
    if (valid)
        QCOMPARE(header->tagEnd(), tagEnd);
}

void TestTags::tagDisplayLabels()
{
    Id3v1Tag tag;
    tag.lyricsKind = LyricsKind::V2;
    tag.id3v2Version = 4;
    QCOMPARE(tagKindText(tag), u"Lyrics3v2 TAG gefunden!"_s);
    QCOMPARE(id3v2Text(tag), u"ID3v2.4 TAG gefunden!"_s);
    tag.lyricsKind = LyricsKind::None;
    tag.id3v2Version = 0;
    QCOMPARE(tagKindText(tag), u"ID3v1 TAG gefunden!"_s);
    QVERIFY(id3v2Text(tag).isEmpty());
    QCOMPARE(noTagText(), u"Kein TAG gefunden"_s);
    QVERIFY(isExtendedTagText(QString(31, u'x')));
    QVERIFY(!isExtendedTagText(QString(30, u'x')));
}

void TestTags::tagPanelOverSeveralFiles()
{
    Id3v1Tag first = sampleTag();
    Id3v1Tag second = sampleTag();
    second.title = u"Other title"_s;
    second.genre = 18;

    TagPanel panel = ShowTagInfo(TagPanel{}, first, false, true);
    QCOMPARE(panel.title, u"Title"_s);
    QCOMPARE(panel.genre, u"Rock"_s);
    const TagPanel shared = ShowTagInfo(panel, second, true, true);
    QVERIFY(shared.title.isEmpty());
    QCOMPARE(shared.artist, u"Artist"_s);
    QVERIFY(shared.genre.isEmpty());
    // A field stays empty once the files disagreed.
    Id3v1Tag third = sampleTag();
    QVERIFY(ShowTagInfo(shared, third, true, true).title.isEmpty());

    const TagPanel last = ShowTagInfo(panel, second, true, false);
    QCOMPARE(last.title, u"Other title"_s);
    QCOMPARE(last.genre, u"Techno"_s);
}

QTEST_GUILESS_MAIN(TestTags)
#include "tst_tags.moc"
