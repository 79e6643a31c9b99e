// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/bytesource.h"
#include "core/integers.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace varnolite;

class TestBytes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void platformIntegers_data();
    void platformIntegers();
    void looseNumbers_data();
    void looseNumbers();
    void readerStopsAtTheEnd();
    void sourcesReadOnlyWhatIsThere();
};

void TestBytes::platformIntegers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << u"300"_s << true << 300;
    QTest::newRow("negative") << u"-7"_s << true << -7;
    QTest::newRow("plus") << u"+7"_s << true << 7;
    QTest::newRow("leading blanks") << u"  42"_s << true << 42;
    QTest::newRow("trailing blank") << u"42 "_s << false << 0;
    QTest::newRow("hex dollar") << u"$FF"_s << true << 255;
    QTest::newRow("hex 0x") << u"0x1f"_s << true << 31;
    QTest::newRow("hex x") << u"x1f"_s << true << 31;
    QTest::newRow("hex X with sign") << u"-X10"_s << true << -16;
    QTest::newRow("hex all bits") << u"$FFFFFFFF"_s << true << -1;
    QTest::newRow("largest") << u"2147483647"_s << true << 2147483647;
    QTest::newRow("smallest") << u"-2147483648"_s << true << int(-2147483648LL);
    QTest::newRow("too large") << u"2147483648"_s << false << 0;
    QTest::newRow("letters") << u"x"_s << false << 0;
    QTest::newRow("digits and letters") << u"12a"_s << false << 0;
    QTest::newRow("empty") << QString() << false << 0;
    QTest::newRow("sign alone") << u"-"_s << false << 0;
    QTest::newRow("dollar alone") << u"$"_s << false << 0;
}

void TestBytes::platformIntegers()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const std::optional<qint32> n = parsePlatformInteger(text);
    QCOMPARE(n.has_value(), valid);
    if (valid)
        QCOMPARE(*n, value);
}

void TestBytes::looseNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("whole number") << u" -3"_s << -3;
    QTest::newRow("hex") << u"$10"_s << 16;
    QTest::newRow("leading digits") << u"12ab"_s << 12;
    QTest::newRow("sign and junk") << u"-3x"_s << 0;
    QTest::newRow("no digits") << u"abc"_s << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("huge leading digits") << u"99999999999999a"_s << 2147483647;
}

void TestBytes::looseNumbers()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(looseNumber(text), value);
}

void TestBytes::readerStopsAtTheEnd()
{
    const QByteArray data("\x01\x02\x03\x04\x05", 5);
    ByteReader r(data);
    QCOMPARE(r.u16be(), quint16(0x0102));
    QCOMPARE(r.u16le(), quint16(0x0403));
    QCOMPARE(r.u32be(), std::nullopt); // a short read is an error, not a 0
    QCOMPARE(r.position(), 4);
    QCOMPARE(r.u8(), quint8(5));
    QCOMPARE(r.u8(), std::nullopt);
    QCOMPARE(r.bytes(-1), std::nullopt);
    QVERIFY(!r.skip(1));
    ByteReader le(data);
    QCOMPARE(le.u32le(), quint32(0x04030201));
}

void TestBytes::sourcesReadOnlyWhatIsThere()
{
    const QByteArray data("abcdef");
    const BufferSource source(data);
    QCOMPARE(source.read(2, 3), QByteArray("cde"));
    QCOMPARE(source.read(4, 2), QByteArray("ef"));
    QCOMPARE(source.read(4, 3), std::nullopt);
    QCOMPARE(source.read(-1, 2), std::nullopt);
    QCOMPARE(source.read(7, 0), std::nullopt);
    QCOMPARE(source.read(6, 0), QByteArray());
    QVERIFY(!FileSource::open(u"/nonexistent/x"_s).ok());
    QCOMPARE(FileSource::open(u"/"_s).status().systemError(), EISDIR);
}

QTEST_GUILESS_MAIN(TestBytes)
#include "tst_bytes.moc"
