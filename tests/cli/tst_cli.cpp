// SPDX-License-Identifier: GPL-3.0-or-later
#include "clirunner.h"

#include "../support/testfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {
const auto writeFile = testfiles::write;
const auto readFile = testfiles::read;
} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void usage_data();
    void usage();
    void helpOfEveryCommand();

    void filesListsTheExpandedSet();
    void filesReportsMissingPaths();
    void filesMaskFromSettingsOrFlag();

    void settingsSetGetShow();
    void settingsValuesAreChecked_data();
    void settingsValuesAreChecked();
    void settingsLists();
    void settingsReadOnlyFileIsLeftAlone();
    void settingsFullDiskLeavesTheFileAsItWas();
};

void TestCli::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutHas");
    QTest::addColumn<QString>("stderrHas");
    QTest::newRow("no arguments") << QStringList() << 2 << QString() << u"Commands:"_s;
    QTest::newRow("--help") << QStringList{u"--help"_s} << 0 << u"settings"_s << QString();
    QTest::newRow("help files") << QStringList{u"help"_s, u"files"_s} << 0 << u"--mask"_s
                                << QString();
    QTest::newRow("--version") << QStringList{u"--version"_s} << 0 << u"varnolite-cli 0."_s
                               << QString();
    QTest::newRow("unknown command")
        << QStringList{u"frobnicate"_s} << 2 << QString() << u"unknown command"_s;
    QTest::newRow("unknown option") << QStringList{u"files"_s, u"--bogus"_s, u"/"_s} << 2
                                    << QString() << u"unknown option --bogus"_s;
    QTest::newRow("missing option value")
        << QStringList{u"files"_s, u"--mask"_s} << 2 << QString() << u"needs a value"_s;
    QTest::newRow("missing --data-dir value")
        << QStringList{u"files"_s, u"--data-dir"_s} << 2 << QString() << u"--data-dir"_s;
    QTest::newRow("files without PATH")
        << QStringList{u"files"_s} << 2 << QString() << u"no PATH"_s;
    QTest::newRow("settings without action")
        << QStringList{u"settings"_s} << 2 << QString() << u"get, set or show"_s;
}

void TestCli::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutHas);
    QFETCH(QString, stderrHas);
    const CliResult r = runCli(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.out.contains(stdoutHas), qPrintable(r.out));
    QVERIFY2(r.err.contains(stderrHas), qPrintable(r.err));
}

void TestCli::helpOfEveryCommand()
{
    const CliResult list = runCli({u"--help"_s});
    for (const QString& command : {u"files"_s, u"rename"_s, u"undo"_s, u"settings"_s}) {
        QVERIFY(list.out.contains(u"  "_s + command));
        const CliResult r = runCli({command, u"--help"_s});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith(u"Usage: varnolite-cli "_s + command));
        QVERIFY(r.out.contains(u"--help"_s));
    }
}

void TestCli::filesListsTheExpandedSet()
{
    QTemporaryDir tmp;
    const QString root = tmp.path();
    writeFile(root + u"/album/b.mp3"_s, {});
    writeFile(root + u"/album/A.mp3"_s, {});
    writeFile(root + u"/album/cover.jpg"_s, {});
    writeFile(root + u"/album/sub/c.mp3"_s, {});

    const QString album = root + u"/album"_s;
    const QStringList expected{album, album + u"/sub"_s, album + u"/sub/c.mp3"_s,
                               album + u"/A.mp3"_s, album + u"/b.mp3"_s};
    CliResult r = runCli({u"--data-dir"_s, root, u"files"_s, u"-r"_s, album + u'/'});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, expected.join(u'\n') + u'\n');

    // Without -r the paths stay as given, made absolute; --data-dir may follow the command.
    QProcess p;
    r = runCli({u"files"_s, u"--data-dir"_s, root, album + u"/sub/../b.mp3"_s, album});
    QCOMPARE(r.out, album + u"/b.mp3\n"_s + album + u'\n');

    r = runCli({u"files"_s, u"--data-dir"_s, root, u"-r"_s, u"--json"_s, album});
    QCOMPARE(QJsonDocument::fromJson(r.out.toUtf8()).array().toVariantList().size(), 5);
}

void TestCli::filesReportsMissingPaths()
{
    QTemporaryDir tmp;
    writeFile(tmp.filePath(u"a.mp3"_s), {});
    const CliResult r = runCli({u"--data-dir"_s, tmp.path(), u"files"_s, tmp.filePath(u"nope"_s),
                                tmp.filePath(u"a.mp3"_s)});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, tmp.filePath(u"a.mp3"_s) + u'\n');
    QVERIFY2(r.err.contains(u"nope: No such file or directory"_s), qPrintable(r.err));
}

void TestCli::filesMaskFromSettingsOrFlag()
{
    QTemporaryDir tmp;
    const QString root = tmp.path();
    writeFile(root + u"/m/x.mp3"_s, {});
    writeFile(root + u"/m/y.WAV"_s, {});
    const QStringList base{u"--data-dir"_s, root, u"files"_s, u"-r"_s, root + u"/m"_s};

    QCOMPARE(runCli(base).out.split(u'\n', Qt::SkipEmptyParts).size(), 2); // default *.mp3
    QCOMPARE(runCli(base + QStringList{u"--mask"_s, u"*.mp3;*.wav"_s})
                 .out.split(u'\n', Qt::SkipEmptyParts)
                 .size(),
             3);
    QCOMPARE(runCli({u"--data-dir"_s, root, u"settings"_s, u"set"_s, u"Ansicht+Gewähltes"_s,
                     u"dateienliste_Filters"_s, u"*.wav"_s})
                 .exitCode,
             0);
    QCOMPARE(runCli(base).out, root + u"/m\n"_s + root + u"/m/y.WAV\n"_s);
}

void TestCli::settingsSetGetShow()
{
    QTemporaryDir tmp;
    const QStringList dd{u"--data-dir"_s, tmp.path()};
    const auto cli = [&](const QStringList& args) { return runCli(dd + args); };

    // Defaults before anything is stored; nothing is created by reading.
    QCOMPARE(cli({u"settings"_s, u"get"_s, u"options"_s, u"trenner_Text"_s}).out, u"-\n"_s);
    QCOMPARE(
        cli({u"settings"_s, u"get"_s, u"ansicht+gewähltes"_s, u"dateienliste.Columns[0]"_s}).out,
        u"300\n"_s);
    QVERIFY(!QFile::exists(tmp.filePath(u"mp3varnolite.ini"_s)));

    QCOMPARE(
        cli({u"settings"_s, u"set"_s, u"options"_s, u"checkbox3_checked"_s, u"false"_s}).exitCode,
        0);
    QCOMPARE(cli({u"settings"_s, u"set"_s, u"options"_s, u"fast"_s, u"\"quoted\""_s}).exitCode, 0);
    QCOMPARE(
        cli({u"settings"_s, u"set"_s, u"Favoriten"_s, u"Musik"_s, u"/home/me/Musik"_s}).exitCode,
        0);
    QCOMPARE(readFile(tmp.filePath(u"mp3varnolite.ini"_s)),
             QByteArray("[options]\r\nCheckBox3_Checked=False\r\nfast=\"\"quoted\"\"\r\n\r\n"
                        "[Favoriten]\r\nMusik=/home/me/Musik\r\n"));
    QCOMPARE(cli({u"settings"_s, u"get"_s, u"options"_s, u"fast"_s}).out, u"\"quoted\"\n"_s);
    QCOMPARE(cli({u"settings"_s, u"get"_s, u"options"_s, u"CheckBox3_Checked"_s}).out,
             u"False\n"_s);

    CliResult r = cli({u"settings"_s, u"show"_s, u"options"_s});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.startsWith(u"[options]\nachtungschreibschutz_Checked=False\n"
                             "CheckBox3_Checked=False\nCheckBox4_Checked=True\n"_s));
    QVERIFY(r.out.contains(u"\nListBox2_Items.Count=0\n"_s));
    QVERIFY(r.out.endsWith(u"\nzwischenraumwahl_Text=Leerzeichen\n"_s));

    r = cli({u"settings"_s, u"show"_s, u"--json"_s});
    const QJsonObject all = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QCOMPARE(all[u"options"_s][u"CheckBox3_Checked"_s], QJsonValue(false));
    QCOMPARE(all[u"Ansicht+Gewähltes"_s][u"dateienliste.Columns[4]"_s], QJsonValue(57));
    QCOMPARE(all[u"Ansicht+Gewähltes"_s][u"dateienliste_Filters"_s],
             QJsonValue(QJsonArray{u"*.mp3"_s}));

    QCOMPARE(cli({u"settings"_s, u"show"_s, u"favoriten"_s}).out,
             u"[favoriten]\nMusik=/home/me/Musik\n"_s);
    r = cli({u"settings"_s, u"show"_s, u"nothing"_s});
    QCOMPARE(r.exitCode, 1);
    r = cli({u"settings"_s, u"get"_s, u"Favoriten"_s, u"Videos"_s});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains(u"not set"_s));
}

void TestCli::settingsValuesAreChecked_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("boolean") << QStringList{u"options"_s, u"CheckBox3_Checked"_s, u"yes"_s}
                             << u"True or False"_s;
    QTest::newRow("integer") << QStringList{u"options"_s, u"HotKey1_HotKey"_s, u"F5"_s}
                             << u"whole number"_s;
    QTest::newRow("explicit key") << QStringList{u"Ansicht+Gewähltes"_s, u"wiegross.itemindex"_s,
                                                 u"x"_s}
                                  << u"whole number"_s;
    QTest::newRow("two values") << QStringList{u"options"_s, u"trenner_Text"_s, u"a"_s, u"b"_s}
                                << u"exactly one VALUE"_s;
    QTest::newRow("line break") << QStringList{u"x"_s, u"k"_s, u"a\n[evil]\nk=1"_s}
                                << u"line break"_s;
    QTest::newRow("bad key") << QStringList{u"x"_s, u"a=b"_s, u"1"_s} << u"invalid key"_s;
}

void TestCli::settingsValuesAreChecked()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir tmp;
    const CliResult r =
        runCli(QStringList{u"--data-dir"_s, tmp.path(), u"settings"_s, u"set"_s} + args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!QFile::exists(tmp.filePath(u"mp3varnolite.ini"_s)));
}

void TestCli::settingsLists()
{
    QTemporaryDir tmp;
    const QStringList dd{u"--data-dir"_s, tmp.path(), u"settings"_s};
    QCOMPARE(runCli(dd + QStringList{u"set"_s, u"options"_s, u"ListBox2_Items"_s, u"Live"_s,
                                     u" Demo "_s})
                 .exitCode,
             0);
    QCOMPARE(runCli(dd + QStringList{u"get"_s, u"options"_s, u"listbox2_items"_s}).out,
             u"Live\n Demo \n"_s);
    QVERIFY(
        readFile(tmp.filePath(u"mp3varnolite.ini"_s))
            .contains("[options.ListBox2_Items]\r\nCount=2\r\nItem0=Live\r\nItem1=\" Demo \"\r\n"));
}

void TestCli::settingsReadOnlyFileIsLeftAlone()
{
    QTemporaryDir tmp;
    const QString ini = tmp.filePath(u"mp3varnolite.ini"_s);
    writeFile(ini, "[options]\r\nCheckBox3_Checked=True\r\n");
    QVERIFY(QFile::setPermissions(ini, QFile::ReadOwner | QFile::ReadGroup));
    const CliResult r = runCli({u"--data-dir"_s, tmp.path(), u"settings"_s, u"set"_s, u"options"_s,
                                u"CheckBox3_Checked"_s, u"False"_s});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(u"read-only"_s), qPrintable(r.err));
    QCOMPARE(readFile(ini), QByteArray("[options]\r\nCheckBox3_Checked=True\r\n"));
}

void TestCli::settingsFullDiskLeavesTheFileAsItWas()
{
    QTemporaryDir tmp;
    const QString ini = tmp.filePath(u"mp3varnolite.ini"_s);
    QByteArray big = "[Favoriten]\r\n";
    for (int i = 0; i < 60; ++i)
        big += "Folder" + QByteArray::number(i) + "=/home/me/Musik/a/long/path/to/an/album\r\n";
    QVERIFY(big.size() > 2048 && big.size() < 4096);
    writeFile(ini, big);
    // ulimit -f counts blocks of 1024 bytes: the new file cannot be written completely.
    const CliResult r =
        runProgram(u"/bin/bash"_s, {u"-c"_s, u"ulimit -f 2; exec \"$0\" \"$@\""_s,
                                    QStringLiteral(VARNOLITE_CLI), u"--data-dir"_s, tmp.path(),
                                    u"settings"_s, u"set"_s, u"options"_s, u"k"_s, u"v"_s});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(u"too large"_s), qPrintable(r.err));
    QCOMPARE(readFile(ini), big);
    QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"mp3varnolite.ini"_s});
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
