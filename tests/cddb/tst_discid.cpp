// SPDX-License-Identifier: GPL-3.0-or-later
// Disc ids from tables of contents and from files, checked against libdiscid.
#include "cddb/discid.h"

#include "tags/mpeg.h"
#include "tags/wave.h"

#include "../support/testfiles.h"

#include <QRandomGenerator>

#include <discid/discid.h>

using namespace Qt::StringLiterals;
using namespace varnolite;

namespace {

// An MPEG-1 Layer III stream at 128 kbit/s and 44.1 kHz lasting `seconds` (both analyses).
QByteArray mpegStream(int seconds)
{
    const qsizetype size = qsizetype(seconds) * 128000 / 8;
    QByteArray frame(417, '\0');
    frame[0] = '\xff';
    frame[1] = '\xfb';
    frame[2] = '\x90';
    frame[3] = '\x64';
    QByteArray bytes;
    bytes.reserve(size);
    while (bytes.size() + frame.size() <= size)
        bytes += frame;
    bytes += frame.left(size - bytes.size());
    return bytes;
}

// A PCM WAV header (44.1 kHz, 16-bit stereo) whose RIFF size says `riffSize`.
QByteArray waveHeader(quint32 riffSize)
{
    QByteArray h("RIFF");
    const auto le32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            h.append(char((v >> (8 * i)) & 0xff));
    };
    const auto le16 = [&](quint16 v) {
        h.append(char(v & 0xff));
        h.append(char(v >> 8));
    };
    le32(riffSize);
    h += "WAVEfmt ";
    le32(16);
    le16(1);
    le16(2);
    le32(44100);
    le32(44100 * 4);
    le16(4);
    le16(16);
    h += "data";
    le32(riffSize - 36);
    h += QByteArray(200, '\0');
    return h;
}

} // namespace

class TestDiscId : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void format_data();
    void format();
    void cdTable();
    void sameAsLibdiscid();
    void refusedTables();
    void fromFiles_data();
    void fromFiles();
};

void TestDiscId::format_data()
{
    QTest::addColumn<qint64>("checksum");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<qint64>("tracks");
    QTest::addColumn<QString>("id");
    QTest::newRow("three files") << qint64(9) << qint64(307) << qint64(3) << u"09013303"_s;
    QTest::newRow("lower case") << qint64(0xab) << qint64(0xcdef) << qint64(0x1f) << u"abcdef1f"_s;
    QTest::newRow("256 tracks widen") << qint64(1) << qint64(2) << qint64(256) << u"010002100"_s;
    QTest::newRow("65536 seconds widen")
        << qint64(1) << qint64(65536) << qint64(2) << u"011000002"_s;
}

void TestDiscId::format()
{
    QFETCH(qint64, checksum);
    QFETCH(qint64, length);
    QFETCH(qint64, tracks);
    QFETCH(QString, id);
    QCOMPARE(formatDiscId(checksum, length, tracks), id);
    QCOMPARE(digitSum(0), 0);
    QCOMPARE(digitSum(306), 9);
}

void TestDiscId::cdTable()
{
    // Track 1 at 00:02:00, track 2 at 03:30:12 and 04:00:50 long.
    const DiscToc toc = tocFromTable({150, 15762}, 15762 + 18050 + 2).value();
    QCOMPARE(toc.offsets, (QList<qint64>{150, 15762}));
    QCOMPARE(toc.discSeconds, 448);
    QCOMPARE(toc.discId, u"0501c002"_s);
    QCOMPARE(cddbQueryLine(toc), u"cddb query 0501c002 2 150 15762 448"_s);
    // A hidden pregap: the first track does not start at 150.
    QCOMPARE(tocFromTable({33000, 40000}, 90000).value().discSeconds, 1200 - 440);
}

void TestDiscId::sameAsLibdiscid()
{
    QRandomGenerator random(20261211);
    for (int round = 0; round < 40; ++round) {
        const int tracks = round == 0 ? 1 : round == 1 ? 99 : random.bounded(1, 100);
        int offsets[100] = {};
        QList<qint64> list;
        qint64 at = round % 3 == 0 ? random.bounded(150, 20000) : 150;
        // A CD holds at most about 80 minutes.
        const int longest = qMin(75 * 600, (75 * 79 * 60 - int(at)) / tracks);
        for (int t = 1; t <= tracks; ++t) {
            offsets[t] = int(at);
            list.append(at);
            at += random.bounded(75 * 4, longest + 1);
        }
        offsets[0] = int(at);
        DiscId* disc = discid_new();
        QVERIFY2(discid_put(disc, 1, tracks, offsets), discid_get_error_msg(disc));
        const QString expected = QString::fromLatin1(discid_get_freedb_id(disc));
        discid_free(disc);
        const DiscToc toc = tocFromTable(list, at).value();
        QCOMPARE(toc.discId, expected);
        QCOMPARE(toc.trackCount, tracks);
    }
}

void TestDiscId::refusedTables()
{
    QVERIFY(!tocFromTable({}, 1000).ok());
    QList<qint64> many;
    for (int i = 0; i < 100; ++i)
        many.append(150 + i * 1000);
    QVERIFY(!tocFromTable(many, 200000).ok());
    QVERIFY(!tocFromTable({150, 100}, 1000).ok());
    const auto missing = tocFromCd(u"/nonexistent/cdrom"_s);
    QVERIFY(!missing.ok());
    QVERIFY(!missing.status().message().isEmpty());
}

void TestDiscId::fromFiles_data()
{
    QTest::addColumn<QStringList>("kinds"); // "mp3:<seconds>" or "wav:<riff size>" or "junk"
    QTest::addColumn<QList<qint64>>("offsets");
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("id");
    QTest::newRow("three MP3 files of 100 seconds")
        << QStringList{u"mp3:100"_s, u"mp3:100"_s, u"mp3:100"_s} << QList<qint64>{150, 7650, 15300}
        << qint64(306) << u"09013303"_s;
    QTest::newRow("a WAV of 240 seconds, an MP3 of 180")
        << QStringList{u"wav:42336036"_s, u"mp3:180"_s} << QList<qint64>{150, 18000} << qint64(422)
        << u"1101a602"_s;
    QTest::newRow("a single file")
        << QStringList{u"mp3:100"_s} << QList<qint64>{150} << qint64(102) << u"03006601"_s;
    QTest::newRow("a file no analysis reads")
        << QStringList{u"mp3:100"_s, u"junk"_s, u"mp3:100"_s} << QList<qint64>{150, 7650, 7650}
        << qint64(204) << u"0600cd03"_s;
}

void TestDiscId::fromFiles()
{
    QFETCH(QStringList, kinds);
    QFETCH(QList<qint64>, offsets);
    QFETCH(qint64, seconds);
    QFETCH(QString, id);
    QTemporaryDir dir;
    FileSet files;
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        const QString path = dir.filePath(QString::number(i));
        const QString kind = kinds[i].section(u':', 0, 0);
        const qint64 value = kinds[i].section(u':', 1).toLongLong();
        QByteArray bytes = kind == u"mp3"   ? mpegStream(int(value))
                           : kind == u"wav" ? waveHeader(quint32(value))
                                            : QByteArray(3000, 'j');
        QVERIFY(testfiles::write(path, bytes));
        files.append(path);
        if (kind == u"mp3") { // the fixture lasts what it says for both analyses
            StreamInfo s;
            QCOMPARE(AnalyzeMpegFile(path, s), 0);
            QCOMPARE(s.duration, value);
        }
    }
    const DiscToc toc = tocFromFiles(files).value();
    QCOMPARE(toc.offsets, offsets);
    QCOMPARE(toc.discSeconds, seconds);
    QCOMPARE(toc.discId, id);
    QCOMPARE(toc.trackCount, kinds.size());
    QVERIFY(!toc.discId.contains(QRegularExpression(u"[A-F]"_s)));
    QVERIFY(!tocFromFiles({dir.filePath(u"missing"_s)}).ok());
}

QTEST_GUILESS_MAIN(TestDiscId)
#include "tst_discid.moc"
