// SPDX-License-Identifier: GPL-3.0-or-later
// Tags in real files: writing, removing, read-only files, and files of other taggers.
#include "tags/genres.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/lyrics3.h"
#include "tags/tagremoval.h"

#include "../support/testfiles.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace varnolite;
using testfiles::read;
using testfiles::write;

namespace {

const QByteArray kAudio(2000, '\xAA');

// A copy of a test data file in `dir`.
QString copyData(const QTemporaryDir& dir, const QString& name)
{
    const QString from = QFINDTESTDATA(u"data/"_s + name);
    const QString to = dir.filePath(name);
    QFile::remove(to);
    return QFile::copy(from, to) && QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner)
               ? to
               : QString();
}

// What mutagen reads from the ID3v1 tag of a file, as JSON.
QJsonObject mutagenId3v1(const QString& path)
{
    QProcess p;
    p.start(u"/usr/bin/python3"_s, {u"-c"_s, uR"(
import json, sys
from mutagen.id3 import ParseID3v1
with open(sys.argv[1], 'rb') as f:
    f.seek(-128, 2)
    frames = ParseID3v1(f.read(128))
print(json.dumps({k: str(v) for k, v in (frames or {}).items()}))
)"_s,
                                    path});
    p.waitForFinished();
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

Id3v1Tag sample()
{
    Id3v1Tag tag;
    tag.title = u"Ace of Spades"_s;
    tag.artist = u"Motörhead"_s;
    tag.album = u"Ace of Spades"_s;
    tag.year = u"1980"_s;
    tag.comment = u"Bronze"_s;
    tag.track = u"1"_s;
    tag.genre = 137;
    return tag;
}

} // namespace

class TestTagFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writeAndReadBack();
    void rewritingTheSameTagChangesNothing();
    void writeReplacesLyricsBlockAndTag();
    void readOnlyFiles();
    void stripTrailingTags();
    void stripId3v2();
    void stripId3v2RefusesDamage();
    void removalCommands();

    void tagsOfOtherTaggersRead();
    void tagsWrittenHereReadInMutagen();
    void strippedId3v2LeavesExactlyTheAudio_data();
    void strippedId3v2LeavesExactlyTheAudio();
};

void TestTagFiles::writeAndReadBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.mp3"_s);
    write(path, kAudio);
    Id3v1Tag tag = sample();
    tag.title = QString(45, u't');
    const WriteTagResult result = WriteTag(path, tag, {});
    QVERIFY(result.status.ok());
    Id3v1Tag back;
    QVERIFY(ReadTag(path, back));
    QCOMPARE(back.fileName, path);
    QCOMPARE(back.title, tag.title);
    QCOMPARE(back.lyricsKind, LyricsKind::V2);
    QVERIFY(read(path).startsWith(kAudio));

    // A directory or a missing file has no tag and cannot be written.
    QVERIFY(!ReadTag(dir.path(), back));
    QVERIFY(!ReadTag(dir.filePath(u"missing"_s), back));
    QVERIFY(!WriteTag(dir.path(), tag, {}).status.ok());
}

void TestTagFiles::rewritingTheSameTagChangesNothing()
{
    QTemporaryDir dir;
    const QString path = copyData(dir, u"id3v1-by-id3v2.mp3"_s);
    const QByteArray before = read(path);
    Id3v1Tag tag;
    QVERIFY(ReadTag(path, tag));
    const WriteTagResult result = WriteTag(path, tag, {});
    QVERIFY(result.status.ok());
    QVERIFY(result.unchanged);
    QCOMPARE(read(path), before);
}

void TestTagFiles::writeReplacesLyricsBlockAndTag()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.mp3"_s);
    Id3v1Tag tag = sample();
    tag.lyrics = QString(3000, u'l');
    write(path, kAudio);
    QVERIFY(WriteTag(path, tag, {}).status.ok());
    tag.lyrics = u"short"_s;
    QVERIFY(WriteTag(path, tag, {}).status.ok());
    const QByteArray bytes = read(path);
    QVERIFY(bytes.startsWith(kAudio));
    QCOMPARE(bytes.size(), kAudio.size() + renderLyrics3v2(tag).bytes.size() + 128);

    WriteTagOptions noLyrics;
    noLyrics.useLyrics3 = false;
    QVERIFY(WriteTag(path, tag, noLyrics).status.ok());
    QCOMPARE(read(path), kAudio + renderId3v1(tag));
}

void TestTagFiles::readOnlyFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"ro.mp3"_s);
    write(path, kAudio);
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    const Id3v1Tag tag = sample();

    WriteTagOptions respect;
    respect.readOnly = ReadOnlyFiles::Respect;
    QCOMPARE(WriteTag(path, tag, respect).status.code(), ErrorCode::ReadOnly);
    QVERIFY(removeTags(path, TagRemoval::Id3v2, ReadOnlyFiles::Respect)
                .ok()); // no ID3v2: nothing to do
    QCOMPARE(removeTags(path, TagRemoval::All, ReadOnlyFiles::Respect).code(), ErrorCode::Ok);
    QCOMPARE(read(path), kAudio);

    // Overridden: written, and read-only again afterwards.
    QVERIFY(WriteTag(path, tag, {}).status.ok());
    QCOMPARE(read(path), kAudio + renderId3v1(tag));
    QCOMPARE(QFile::permissions(path) & (QFile::WriteOwner | QFile::ReadOwner), QFile::ReadOwner);

    // Stripping an ID3v2 tag respects it too.
    write(dir.filePath(u"v2.mp3"_s), QByteArray("ID3\x03\x00\x00\x00\x00\x00\x02xx", 12) + kAudio);
    QVERIFY(QFile::setPermissions(dir.filePath(u"v2.mp3"_s), QFile::ReadOwner));
    QCOMPARE(StripId3v2Tag(dir.filePath(u"v2.mp3"_s), ReadOnlyFiles::Respect).status.code(),
             ErrorCode::ReadOnly);
    QVERIFY(StripId3v2Tag(dir.filePath(u"v2.mp3"_s), ReadOnlyFiles::Override).removed);
    QCOMPARE(read(dir.filePath(u"v2.mp3"_s)), kAudio);
    QCOMPARE(QFile::permissions(dir.filePath(u"v2.mp3"_s)) & QFile::WriteOwner,
             QFile::Permissions());
}

void TestTagFiles::stripTrailingTags()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.mp3"_s);
    const QByteArray block1000 =
        "LYRICSBEGIN" + QByteArray("INF00981") + QByteArray(981, 'i') + "001000LYRICS200";
    write(path, kAudio + block1000 + renderId3v1(sample()));
    QVERIFY(StripTrailingTags(path, ReadOnlyFiles::Override).ok());
    QCOMPARE(read(path), kAudio); // 128 + 1000 + 15 bytes shorter

    const QByteArray v1 =
        kAudio + "LYRICSBEGIN" + QByteArray(5089, 'x') + "LYRICSEND" + renderId3v1(sample());
    write(path, v1);
    QVERIFY(StripTrailingTags(path, ReadOnlyFiles::Override).ok());
    QCOMPARE(read(path), kAudio);

    QVERIFY(StripTrailingTags(path, ReadOnlyFiles::Override).ok()); // nothing to do
    QCOMPARE(read(path), kAudio);
}

void TestTagFiles::stripId3v2()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.mp3"_s);
    // Size bytes 0, 0, 2, 1: 257 bytes of tag data, the audio starts at 267.
    const QByteArray tag = QByteArray("ID3\x03\x00\x00\x00\x00\x02\x01", 10) + QByteArray(257, 'p');
    write(path, tag + kAudio);
    write(path + u'~', "someone's backup");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    const StripId3v2Result result = StripId3v2Tag(path, ReadOnlyFiles::Override);
    QVERIFY(result.status.ok());
    QVERIFY(result.removed);
    QCOMPARE(read(path), kAudio);
    QCOMPARE(read(path + u'~'), QByteArray("someone's backup"));
    QCOMPARE(QFile::permissions(path) & QFile::ReadOther, QFile::ReadOther);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // No ID3v2 tag: byte for byte unchanged.
    const StripId3v2Result none = StripId3v2Tag(path, ReadOnlyFiles::Override);
    QVERIFY(none.status.ok());
    QVERIFY(!none.removed);
    QCOMPARE(read(path), kAudio);

    // A version 4 tag with footer: 10 more bytes.
    write(path, QByteArray("ID3\x04\x00\x10\x00\x00\x00\x05", 10) + "12345" +
                    QByteArray("3DI\x04\x00\x10\x00\x00\x00\x05", 10) + kAudio);
    QVERIFY(StripId3v2Tag(path, ReadOnlyFiles::Override).removed);
    QCOMPARE(read(path), kAudio);
}

void TestTagFiles::stripId3v2RefusesDamage()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.mp3"_s);
    const QList<QByteArray> damaged = {
        QByteArray("ID3\x03\x00\x00\x00\x00\x7F\x7F", 10) + kAudio, // reaches past the end
        QByteArray("ID3\x03\x00\x00\x00\x00\x80\x00", 10) + kAudio, // not synchsafe
    };
    for (const QByteArray& bytes : damaged) {
        write(path, bytes);
        const StripId3v2Result r = StripId3v2Tag(path, ReadOnlyFiles::Override);
        QCOMPARE(r.status.code(), ErrorCode::InvalidData);
        QCOMPARE(read(path), bytes);
    }
}

void TestTagFiles::removalCommands()
{
    QTemporaryDir dir;
    Id3v1Tag tag = sample();
    tag.title = QString(40, u'T');
    const QByteArray id3v2 = QByteArray("ID3\x03\x00\x00\x00\x00\x00\x04", 10) + "abcd";
    const QByteArray full = id3v2 + kAudio + renderLyrics3v2(tag).bytes + renderId3v1(tag);
    const QString all = dir.filePath(u"all.mp3"_s);
    const QString lyrics = dir.filePath(u"lyrics.mp3"_s);
    const QString untagged = dir.filePath(u"untagged.mp3"_s);
    const QString plain = dir.filePath(u"plain.mp3"_s);
    write(all, full);
    write(lyrics, full);
    write(untagged, kAudio);
    write(plain, kAudio + renderId3v1(sample()));
    QDir(dir.path()).mkdir(u"folder"_s);

    QList<qsizetype> steps;
    const ProgressHook progress = [&](qsizetype done, qsizetype) { steps.append(done); };
    QVERIFY(
        RemoveTags({all, dir.filePath(u"folder"_s)}, ReadOnlyFiles::Override, progress).isEmpty());
    QCOMPARE(read(all), kAudio);
    QCOMPARE(steps, (QList<qsizetype>{1, 2}));

    QVERIFY(
        removeTags(FileSet{lyrics, untagged, plain}, TagRemoval::Lyrics3, ReadOnlyFiles::Override)
            .isEmpty());
    Id3v1Tag cut = tag;
    cut.title = tag.title.left(30);
    QCOMPARE(read(lyrics), id3v2 + kAudio + renderId3v1(cut));
    // A file without ID3v1 receives an empty one; a file without Lyrics3 stays as it was.
    QCOMPARE(read(untagged), kAudio + renderId3v1(Id3v1Tag{}));
    QCOMPARE(read(untagged).right(2), QByteArray("\x00\xFF", 2));
    QCOMPARE(read(plain), kAudio + renderId3v1(sample()));

    const QList<PathError> errors = removeTags(FileSet{dir.filePath(u"gone.mp3"_s)},
                                               TagRemoval::Id3v2, ReadOnlyFiles::Override);
    QCOMPARE(errors.size(), 1);
}

void TestTagFiles::tagsOfOtherTaggersRead()
{
    QTemporaryDir dir;
    Id3v1Tag tag;
    QVERIFY(ReadTag(copyData(dir, u"id3v1-by-id3v2.mp3"_s), tag));
    QCOMPARE(tag.title, u"Ace of Spades"_s);
    QCOMPARE(tag.artist, u"Motörhead"_s);
    QCOMPARE(tag.album, u"Ace of Spades"_s);
    QCOMPARE(tag.year, u"1980"_s);
    QCOMPARE(tag.comment, u"Bronze"_s);
    QCOMPARE(tag.track, u"1"_s);
    QCOMPARE(tag.genre, 137);
    QCOMPARE(tag.id3v2Version, 0);

    QVERIFY(ReadTag(copyData(dir, u"id3v1-and-id3v23-by-mutagen.mp3"_s), tag));
    QCOMPARE(tag.title, u"Björk Song"_s);
    QCOMPARE(tag.artist, u"Björk"_s);
    QCOMPARE(tag.album, u"Homogenic"_s);
    QCOMPARE(tag.year, u"1997"_s);
    QVERIFY(tag.comment.isEmpty()); // mutagen writes no ID3v1 comment
    QCOMPARE(tag.track, u"3"_s);
    QCOMPARE(GenreNames(tag.genre), u"Electronic"_s);
    QCOMPARE(tag.id3v2Version, 3);

    QVERIFY(!ReadTag(copyData(dir, u"id3v23-picture-by-eyed3.mp3"_s), tag));
    QCOMPARE(tag.id3v2Version, 3);
}

void TestTagFiles::tagsWrittenHereReadInMutagen()
{
    QTemporaryDir dir;
    const QString path = copyData(dir, u"audio-only.mp3"_s);
    Id3v1Tag tag = sample();
    tag.title = QString(40, u'x'); // the ID3v1 tag keeps 30, the rest goes to Lyrics3
    QVERIFY(WriteTag(path, tag, {}).status.ok());
    const QJsonObject m = mutagenId3v1(path);
    QCOMPARE(m[u"TIT2"_s].toString(), QString(30, u'x'));
    QCOMPARE(m[u"TPE1"_s].toString(), u"Motörhead"_s);
    QCOMPARE(m[u"TALB"_s].toString(), u"Ace of Spades"_s);
    QCOMPARE(m[u"TDRC"_s].toString(), u"1980"_s);
    QCOMPARE(m[u"COMM"_s].toString(), u"Bronze"_s);
    QCOMPARE(m[u"TRCK"_s].toString(), u"1"_s);
    QCOMPARE(m[u"TCON"_s].toString(), u"137"_s); // mutagen gives the genre byte
}

void TestTagFiles::strippedId3v2LeavesExactlyTheAudio_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("trailing"); // bytes after the audio that must stay
    QTest::newRow("eyeD3, picture") << u"id3v23-picture-by-eyed3.mp3"_s << 0;
    QTest::newRow("mutagen, with ID3v1") << u"id3v1-and-id3v23-by-mutagen.mp3"_s << 128;
}

void TestTagFiles::strippedId3v2LeavesExactlyTheAudio()
{
    QFETCH(QString, file);
    QFETCH(int, trailing);
    QTemporaryDir dir;
    const QString path = copyData(dir, file);
    const QByteArray before = read(path);
    QVERIFY(StripId3v2Tag(path, ReadOnlyFiles::Override).removed);
    const QByteArray audio = read(QFINDTESTDATA(u"data/audio-only.mp3"_s));
    const QByteArray after = read(path);
    QCOMPARE(after.left(after.size() - trailing), audio);
    QCOMPARE(after, before.right(after.size()));
}

QTEST_GUILESS_MAIN(TestTagFiles)
#include "tst_tagfiles.moc"
