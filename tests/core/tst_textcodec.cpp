// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/textcodec.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace varnolite;

class TestTextCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windows1252_data();
    void windows1252();
    void everyByteRoundTrips();
    void unmappableCharactersBecomeOneQuestionMark_data();
    void unmappableCharactersBecomeOneQuestionMark();
    void utf8Validation_data();
    void utf8Validation();
    void textFilesFallBackLineByLine();
    void lineSplitting_data();
    void lineSplitting();
    void writtenLinesEndInCrLf();
};

void TestTextCodec::windows1252_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("Song 01") << u"Song 01"_s;
    QTest::newRow("euro 0x80") << QByteArray("\x80") << u"\u20AC"_s;
    QTest::newRow("undefined 0x81 keeps its number") << QByteArray("\x81") << u"\u0081"_s;
    QTest::newRow("quotes 0x93 0x94") << QByteArray("\x93x\x94") << u"\u201Cx\u201D"_s;
    QTest::newRow("Y diaeresis 0x9F") << QByteArray("\x9F") << u"\u0178"_s;
    QTest::newRow("latin-1 range") << QByteArray("Mot\xF6rhead \xC4\xDF") << u"Motörhead Äß"_s;
    QTest::newRow("nbsp and yuml") << QByteArray("\xA0\xFF") << u"\u00A0\u00FF"_s;
}

void TestTextCodec::windows1252()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeWindows1252(bytes), text);
    QCOMPARE(encodeWindows1252(text), bytes);
    QVERIFY(fitsWindows1252(text));
}

void TestTextCodec::everyByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = decodeWindows1252(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(encodeWindows1252(text), all);
}

void TestTextCodec::unmappableCharactersBecomeOneQuestionMark_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("cyrillic") << u"Ж"_s << QByteArray("?");
    QTest::newRow("CJK in a name") << u"a東京b"_s << QByteArray("a??b");
    QTest::newRow("C1 control without a byte") << u"\u0080"_s << QByteArray("?");
    QTest::newRow("emoji outside the BMP is one character")
        << u"x\U0001F3B5y"_s << QByteArray("x?y");
}

void TestTextCodec::unmappableCharactersBecomeOneQuestionMark()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeWindows1252(text), bytes);
    QVERIFY(!fitsWindows1252(text));
}

void TestTextCodec::utf8Validation_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("umlaut") << QByteArray("\xC3\xA4") << true;
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x8E\xB5") << true;
    QTest::newRow("latin-1 umlaut") << QByteArray("\xE4") << false;
    QTest::newRow("truncated at end") << QByteArray("ab\xE2\x82") << false;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false;
    QTest::newRow("overlong three bytes") << QByteArray("\xE0\x80\xAF") << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("stray continuation") << QByteArray("\x80") << false;
}

void TestTextCodec::utf8Validation()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QCOMPARE(isValidUtf8(bytes), valid);
}

void TestTextCodec::textFilesFallBackLineByLine()
{
    // A file of the old Windows program (Windows-1252) to which this program appended a line.
    const QByteArray bytes = "\xEF\xBB\xBF"
                             "caf\xC3\xA9\r\n"        // UTF-8
                             "Mot\xF6rhead\r\n"       // Windows-1252
                             "\x80 and \xE2\x82\xAC"; // mixed in one line: the whole line is 1252
    QCOMPARE(decodeTextLines(bytes), (QStringList{u"café"_s, u"Motörhead"_s, u"€ and â‚¬"_s}));
}

void TestTextCodec::lineSplitting_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("LF") << QByteArray("a\nb\n") << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("no final line end") << QByteArray("a\r\nb") << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("empty lines kept")
        << QByteArray("\r\n\r\nx\r\n") << QStringList{QString(), QString(), u"x"_s};
    QTest::newRow("lone CR stays in the line") << QByteArray("a\rb\r\n") << QStringList{u"a\rb"_s};
}

void TestTextCodec::lineSplitting()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(decodeTextLines(bytes), lines);
}

void TestTextCodec::writtenLinesEndInCrLf()
{
    const QStringList lines{u"Motörhead"_s, QString(), u"x"_s};
    const QByteArray bytes = encodeTextLines(lines);
    QCOMPARE(bytes, QByteArray("Mot\xC3\xB6rhead\r\n\r\nx\r\n"));
    QCOMPARE(decodeTextLines(bytes), lines);
}

QTEST_GUILESS_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
