// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/inidocument.h"
#include "core/settingsfile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "../support/testfiles.h"

using namespace Qt::StringLiterals;
using namespace varnolite;

namespace {

const QByteArray kSample = "; written by hand\r\n"
                           "[options]\r\n"
                           "CheckBox3_Checked=True\r\n"
                           "  trenner_Text =  -  \r\n"
                           "\r\n"
                           "[Favoriten]\r\n"
                           "Musik=/home/me/Musik\r\n";

const auto readAll = testfiles::read;
const auto writeAll = testfiles::write;

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reading_data();
    void reading();
    void sectionsAndKeysInFileOrder();
    void writeReplacesInPlaceAndKeepsEverythingElse();
    void writeAppendsKeyAtEndOfItsSection();
    void writeAppendsNewSectionAtEnd();
    void eraseSectionRemovesEveryCopy();
    void namesAndValuesTheSyntaxCannotHoldAreRefused_data();
    void namesAndValuesTheSyntaxCannotHoldAreRefused();
    void everyPrefixParsesAndRoundTrips();

    void missingFileReadsEmptyAndFirstWriteCreatesIt();
    void readOnlyFileIsNeverChanged();
    void identicalSaveLeavesTheFileUntouched();
    void windowsFileReadsAndKeepsItsUmlautsAfterAWrite();
    void unreadableFileIsNotOverwritten();
    void writeGoesThroughASymlink();
};

void TestSettingsFile::reading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // "<missing>" for no value

    const QByteArray basic = "[options]\r\nKey=value\r\n";
    QTest::newRow("plain") << basic << u"options"_s << u"Key"_s << u"value"_s;
    QTest::newRow("section case") << basic << u"OPTIONS"_s << u"Key"_s << u"value"_s;
    QTest::newRow("key case") << basic << u"options"_s << u"kEY"_s << u"value"_s;
    QTest::newRow("missing key") << basic << u"options"_s << u"Other"_s << u"<missing>"_s;
    QTest::newRow("missing section") << basic << u"x"_s << u"Key"_s << u"<missing>"_s;
    QTest::newRow("blanks trimmed")
        << QByteArray("[s]\r\n  k  =  a b  \r\n") << u"s"_s << u"k"_s << u"a b"_s;
    QTest::newRow("double quotes stripped")
        << QByteArray("[s]\nk=\"a b \"\n") << u"s"_s << u"k"_s << u"a b "_s;
    QTest::newRow("single quotes stripped")
        << QByteArray("[s]\nk='x'\n") << u"s"_s << u"k"_s << u"x"_s;
    QTest::newRow("only one pair stripped")
        << QByteArray("[s]\nk=\"\"x\"\"\n") << u"s"_s << u"k"_s << u"\"x\""_s;
    QTest::newRow("mixed quotes kept")
        << QByteArray("[s]\nk=\"x'\n") << u"s"_s << u"k"_s << u"\"x'"_s;
    QTest::newRow("lone quote kept") << QByteArray("[s]\nk=\"\n") << u"s"_s << u"k"_s << u"\""_s;
    QTest::newRow("first of equal keys counts")
        << QByteArray("[s]\nk=1\nK=2\n") << u"s"_s << u"k"_s << u"1"_s;
    QTest::newRow("first of equal sections counts")
        << QByteArray("[s]\nk=1\n[S]\nk=2\n") << u"s"_s << u"k"_s << u"1"_s;
    QTest::newRow("key before any section ignored")
        << QByteArray("k=0\n[s]\n") << u"s"_s << u"k"_s << u"<missing>"_s;
    QTest::newRow("comment is no key")
        << QByteArray("[s]\n;k=1\n") << u"s"_s << u";k"_s << u"<missing>"_s;
    QTest::newRow("equals sign in value")
        << QByteArray("[s]\nk=a=b\n") << u"s"_s << u"k"_s << u"a=b"_s;
    QTest::newRow("brackets in key") << QByteArray("[s]\ndateienliste.Columns[0]=300\n") << u"s"_s
                                     << u"dateienliste.Columns[0]"_s << u"300"_s;
    QTest::newRow("section with blanks")
        << QByteArray("[ Ansicht+Gewählt ]\nk=1\n") << u"ansicht+gewählt"_s << u"k"_s << u"1"_s;
    QTest::newRow("umlaut section any case")
        << QByteArray("[GEWÄHLT]\nk=1\n") << u"gewählt"_s << u"k"_s << u"1"_s;
    QTest::newRow("empty value") << QByteArray("[s]\nk=\n") << u"s"_s << u"k"_s << QString();
}

void TestSettingsFile::reading()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const IniDocument doc = IniDocument::parse(file);
    QCOMPARE(doc.value(section, key, u"<missing>"_s), expected);
}

void TestSettingsFile::sectionsAndKeysInFileOrder()
{
    const IniDocument doc = IniDocument::parse("[b]\nz=1\na=2\nZ=3\n[a]\n[B]\nm=4\n");
    QCOMPARE(doc.sections(), (QStringList{u"b"_s, u"a"_s}));
    QCOMPARE(doc.keys(u"B"), (QStringList{u"z"_s, u"a"_s}));
    QVERIFY(doc.hasSection(u"A"));
    QVERIFY(!doc.hasSection(u"c"));
}

void TestSettingsFile::writeReplacesInPlaceAndKeepsEverythingElse()
{
    IniDocument doc = IniDocument::parse(kSample);
    QVERIFY(doc.setValue(u"OPTIONS"_s, u"TRENNER_TEXT"_s, u"+"_s).ok());
    QCOMPARE(doc.toBytes(), QByteArray("; written by hand\r\n"
                                       "[options]\r\n"
                                       "CheckBox3_Checked=True\r\n"
                                       "trenner_Text=+\r\n"
                                       "\r\n"
                                       "[Favoriten]\r\n"
                                       "Musik=/home/me/Musik\r\n"));
}

void TestSettingsFile::writeAppendsKeyAtEndOfItsSection()
{
    IniDocument doc = IniDocument::parse(kSample);
    QVERIFY(doc.setValue(u"options"_s, u"new_Key"_s, u"1"_s).ok());
    QCOMPARE(doc.toBytes(), QByteArray("; written by hand\r\n"
                                       "[options]\r\n"
                                       "CheckBox3_Checked=True\r\n"
                                       "  trenner_Text =  -  \r\n"
                                       "new_Key=1\r\n"
                                       "\r\n"
                                       "[Favoriten]\r\n"
                                       "Musik=/home/me/Musik\r\n"));
}

void TestSettingsFile::writeAppendsNewSectionAtEnd()
{
    IniDocument doc = IniDocument::parse(kSample);
    QVERIFY(doc.setValue(u"name2tag"_s, u"Anzahl"_s, u"2"_s).ok());
    QVERIFY(doc.toBytes().endsWith("Musik=/home/me/Musik\r\n\r\n[name2tag]\r\nAnzahl=2\r\n"));
    QCOMPARE(doc.value(u"name2tag", u"anzahl", QString()), u"2"_s);

    IniDocument empty;
    QVERIFY(empty.setValue(u"s"_s, u"k"_s, u"v"_s).ok());
    QCOMPARE(empty.toBytes(), QByteArray("[s]\r\nk=v\r\n"));
}

void TestSettingsFile::eraseSectionRemovesEveryCopy()
{
    IniDocument doc = IniDocument::parse("[a]\nx=1\n\n[list]\nCount=1\nItem0=q\n[b]\ny=2\n"
                                         "[LIST]\nCount=9\n");
    doc.eraseSection(u"List");
    QVERIFY(!doc.hasSection(u"list"));
    QCOMPARE(doc.toBytes(), QByteArray("[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n"));
}

void TestSettingsFile::namesAndValuesTheSyntaxCannotHoldAreRefused_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("line break in value") << u"s"_s << u"k"_s << u"a\r\n[evil]"_s;
    QTest::newRow("NUL in value") << u"s"_s << u"k"_s << u"a\0b"_s;
    QTest::newRow("equals in key") << u"s"_s << u"a=b"_s << u"v"_s;
    QTest::newRow("empty key") << u"s"_s << u" "_s << u"v"_s;
    QTest::newRow("key looks like a section") << u"s"_s << u"[x]"_s << u"v"_s;
    QTest::newRow("bracket in section") << u"a]b"_s << u"k"_s << u"v"_s;
    QTest::newRow("empty section") << QString() << u"k"_s << u"v"_s;
}

void TestSettingsFile::namesAndValuesTheSyntaxCannotHoldAreRefused()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    IniDocument doc = IniDocument::parse(kSample);
    const Status s = doc.setValue(section, key, value);
    QCOMPARE(s.code(), ErrorCode::InvalidArgument);
    QCOMPARE(doc.toBytes(), kSample);
}

void TestSettingsFile::everyPrefixParsesAndRoundTrips()
{
    for (qsizetype n = 0; n <= kSample.size(); ++n) {
        const IniDocument doc = IniDocument::parse(kSample.left(n));
        const IniDocument again = IniDocument::parse(doc.toBytes());
        QCOMPARE(again.toBytes(), doc.toBytes());
        for (const QString& section : doc.sections()) {
            for (const QString& key : doc.keys(section))
                QCOMPARE(again.value(section, key), doc.value(section, key));
        }
    }
}

void TestSettingsFile::missingFileReadsEmptyAndFirstWriteCreatesIt()
{
    QTemporaryDir dir;
    const SettingsFile file = SettingsFile::inDirectory(dir.filePath(u"sub"_s));
    QVERIFY(file.path().endsWith(u"/sub/mp3varnolite.ini"));
    QCOMPARE(file.readString(u"options", u"k", u"default"_s), u"default"_s);
    QVERIFY(!file.sectionExists(u"options"));
    QVERIFY(file.eraseSection(u"options"_s).ok());
    QVERIFY(!file.exists()); // nothing to create for an erase

    QVERIFY(file.writeString(u"options"_s, u"k"_s, u"v"_s).ok());
    QCOMPARE(readAll(file.path()), QByteArray("[options]\r\nk=v\r\n"));
    struct stat st
    {};
    QCOMPARE(::stat(QFile::encodeName(file.path()).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, 0600u);
    QCOMPARE(QDir(dir.path() + u"/sub"_s).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TestSettingsFile::readOnlyFileIsNeverChanged()
{
    QTemporaryDir dir;
    const SettingsFile file = SettingsFile::inDirectory(dir.path());
    writeAll(file.path(), kSample);
    QVERIFY(QFile::setPermissions(file.path(), QFile::ReadOwner | QFile::ReadGroup));
    QVERIFY(file.isReadOnly());

    QCOMPARE(file.writeString(u"options"_s, u"k"_s, u"v"_s).code(), ErrorCode::ReadOnly);
    QCOMPARE(file.eraseSection(u"Favoriten"_s).code(), ErrorCode::ReadOnly);
    QCOMPARE(file.writeString(u"options"_s, u"CheckBox3_Checked"_s, u"True"_s).code(),
             ErrorCode::ReadOnly);
    QCOMPARE(readAll(file.path()), kSample);
    QCOMPARE(file.readString(u"options", u"CheckBox3_Checked", QString()), u"True"_s);
}

void TestSettingsFile::identicalSaveLeavesTheFileUntouched()
{
    QTemporaryDir dir;
    const SettingsFile file = SettingsFile::inDirectory(dir.path());
    writeAll(file.path(), kSample);
    QVERIFY(QFile::setPermissions(file.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                   QFile::ReadGroup)); // 0640 stays 0640
    const QByteArray before =
        QCryptographicHash::hash(readAll(file.path()), QCryptographicHash::Sha256);
    QVERIFY(file.writeString(u"options"_s, u"CheckBox3_Checked"_s, u"True"_s).ok());
    QVERIFY(file.eraseSection(u"not there"_s).ok());
    QCOMPARE(QCryptographicHash::hash(readAll(file.path()), QCryptographicHash::Sha256), before);
    QCOMPARE(QFile::permissions(file.path()) & QFile::ReadGroup, QFile::ReadGroup);
}

void TestSettingsFile::windowsFileReadsAndKeepsItsUmlautsAfterAWrite()
{
    QTemporaryDir dir;
    const SettingsFile file = SettingsFile::inDirectory(dir.path());
    writeAll(file.path(), "[Ansicht+Gew\xE4hltes]\r\n"
                          "Dirtreedir_Caption=C:\\Musik\\Mot\xF6rhead\r\n"
                          "Filterbox2_Text=*.mp3 (Mp3's)\r\n");
    QCOMPARE(file.readString(u"Ansicht+Gewähltes", u"Dirtreedir_Caption", QString()),
             u"C:\\Musik\\Motörhead"_s);
    QVERIFY(file.writeString(u"ansicht+gewähltes"_s, u"Panel1_Width"_s, u"265"_s).ok());
    QCOMPARE(readAll(file.path()), QByteArray("[Ansicht+Gew\xC3\xA4hltes]\r\n"
                                              "Dirtreedir_Caption=C:\\Musik\\Mot\xC3\xB6rhead\r\n"
                                              "Filterbox2_Text=*.mp3 (Mp3's)\r\n"
                                              "Panel1_Width=265\r\n"));
}

void TestSettingsFile::unreadableFileIsNotOverwritten()
{
    QTemporaryDir dir;
    // A directory where the file should be cannot be read; nothing may replace it.
    QVERIFY(QDir(dir.path()).mkdir(SettingsFile::fileName()));
    const SettingsFile file = SettingsFile::inDirectory(dir.path());
    QVERIFY(!file.load().ok());
    QVERIFY(!file.writeString(u"s"_s, u"k"_s, u"v"_s).ok());
    QVERIFY(QFileInfo(file.path()).isDir());
}

void TestSettingsFile::writeGoesThroughASymlink()
{
    QTemporaryDir dir;
    writeAll(dir.filePath(u"real.ini"_s), "[s]\r\nk=1\r\n");
    QVERIFY(QFile::link(u"real.ini"_s, dir.filePath(SettingsFile::fileName())));
    const SettingsFile file = SettingsFile::inDirectory(dir.path());
    QVERIFY(file.writeString(u"s"_s, u"k"_s, u"2"_s).ok());
    QVERIFY(QFileInfo(file.path()).isSymLink());
    QCOMPARE(readAll(dir.filePath(u"real.ini"_s)), QByteArray("[s]\r\nk=2\r\n"));
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
