// SPDX-License-Identifier: GPL-3.0-or-later
#include "clirunner.h"

#include "../support/testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;
using testfiles::read;
using testfiles::tree;
using testfiles::write;

namespace {

struct Workspace
{
    QTemporaryDir tmp;
    QString data() const { return tmp.filePath(u"data"_s); }
    QString path(const QString& relative) const { return tmp.filePath(u"m/"_s + relative); }
    QStringList files() const { return tree(tmp.filePath(u"m"_s)); }
    QString log() const { return data() + u"/mp3varnolite.log"_s; }
    CliResult cli(const QStringList& args, const QByteArray& input = {}) const
    {
        return runCli(QStringList{u"--data-dir"_s, data()} + args, input);
    }
    // Runs the command line on a pseudo terminal, typing `input`.
    CliResult onTerminal(const QStringList& args, const QByteArray& input) const
    {
        QStringList quoted{QStringLiteral(VARNOLITE_CLI), u"--data-dir"_s, data()};
        for (const QString& a : args)
            quoted.append(u"'"_s + a + u"'"_s);
        return runProgram(u"script"_s, {u"-qec"_s, quoted.join(u' '), u"/dev/null"_s}, input);
    }
};

} // namespace

class TestCliRename : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutTerminalItAsksForYesOrDryRun();
    void dryRunShowsTheChangesOnly();
    void confirmationOnTheTerminal();
    void renameAndUndo();
    void pairsWithAFailure();
    void nothingToRename();
    void badPairsFile();
    void undoListAndTo();
    void fullDiskWhileUndoingLeavesLogAndFiles();
};

void TestCliRename::withoutTerminalItAsksForYesOrDryRun()
{
    Workspace w;
    write(w.path(u"a.mp3"_s));
    const CliResult r = w.cli({u"rename"_s, w.path(u"a.mp3"_s), w.path(u"b.mp3"_s)});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(u"--yes or --dry-run"_s), qPrintable(r.err));
    QCOMPARE(w.files(), QStringList{u"a.mp3"_s});
    QVERIFY(!QFile::exists(w.log()));
}

void TestCliRename::dryRunShowsTheChangesOnly()
{
    Workspace w;
    write(w.path(u"a.mp3"_s));
    write(w.path(u"same.mp3"_s));
    write(w.tmp.filePath(u"pairs"_s),
          (w.path(u"a.mp3"_s) + u'\t' + w.path(u"sub/b.mp3"_s) + u'\n' + w.path(u"same.mp3"_s) +
           u'\t' + w.path(u"same.mp3"_s) + u'\n')
              .toUtf8());
    const CliResult r =
        w.cli({u"rename"_s, u"--dry-run"_s, u"--pairs"_s, w.tmp.filePath(u"pairs"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, u"a.mp3  ->  sub/b.mp3\n"_s);
    QVERIFY(r.err.contains(u"1 entry would be renamed"_s));
    QCOMPARE(w.files(), (QStringList{u"a.mp3"_s, u"same.mp3"_s}));
    QVERIFY(!QFile::exists(w.log()));

    const CliResult full =
        w.cli({u"rename"_s, u"-n"_s, u"--full-paths"_s, w.path(u"a.mp3"_s), w.path(u"b.mp3"_s)});
    QCOMPARE(full.out, w.path(u"a.mp3"_s) + u"  ->  "_s + w.path(u"b.mp3"_s) + u'\n');
}

void TestCliRename::confirmationOnTheTerminal()
{
    Workspace w;
    write(w.path(u"a.mp3"_s));
    CliResult r = w.onTerminal({u"rename"_s, w.path(u"a.mp3"_s), w.path(u"b.mp3"_s)}, "n\n");
    QVERIFY2(r.out.contains(u"Rename 1 file? [y/N]"_s), qPrintable(r.out));
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(w.files(), QStringList{u"a.mp3"_s});

    r = w.onTerminal({u"rename"_s, w.path(u"a.mp3"_s), w.path(u"b.mp3"_s)}, "y\n");
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(w.files(), QStringList{u"b.mp3"_s});
}

void TestCliRename::renameAndUndo()
{
    Workspace w;
    write(w.path(u"album/a.mp3"_s), "a");
    CliResult r = w.cli({u"rename"_s, u"-y"_s, w.path(u"album/a.mp3"_s), w.path(u"album/A.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, u"a.mp3  ->  A.mp3\nRenamed 1 of 1 entry.\n"_s);
    const QStringList log = QString::fromUtf8(read(w.log())).split(u"\r\n"_s, Qt::SkipEmptyParts);
    QCOMPARE(log.size(), 3);
    QVERIFY(log[0].endsWith(w.path(u"album/]"_s)));
    QCOMPARE(log.mid(1), (QStringList{w.path(u"album/a.mp3"_s), w.path(u"album/A.mp3"_s)}));

    // A folder is renamed the same way.
    r = w.cli({u"rename"_s, u"--yes"_s, w.path(u"album"_s), w.path(u"Album (1999)"_s)});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(w.files(), (QStringList{u"Album (1999)"_s, u"Album (1999)/A.mp3"_s}));

    r = w.cli({u"undo"_s});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.contains(u"1 entry moved back."_s));
    r = w.cli({u"undo"_s});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(w.files(), (QStringList{u"album"_s, u"album/a.mp3"_s}));
    QVERIFY(!QFile::exists(w.log()));
    r = w.cli({u"undo"_s});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains(u"Nothing to undo."_s));
}

void TestCliRename::pairsWithAFailure()
{
    Workspace w;
    write(w.path(u"1.mp3"_s), "1");
    write(w.path(u"2.mp3"_s), "2");
    write(w.path(u"3.mp3"_s), "3");
    write(w.path(u"taken.mp3"_s), "precious");
    QByteArray pairs;
    for (const auto& [s, t] : {std::pair{u"1.mp3"_s, u"one.mp3"_s},
                               {u"2.mp3"_s, u"taken.mp3"_s},
                               {u"3.mp3"_s, u"three.mp3"_s}})
        pairs += (w.path(s) + u'\t' + w.path(t) + u"\r\n"_s).toUtf8();
    const CliResult r = w.cli({u"rename"_s, u"-y"_s, u"--pairs"_s, u"-"_s}, pairs);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, w.path(u"2.mp3"_s) + u": File exists\n"_s);
    QVERIFY(r.out.endsWith(u"Renamed 2 of 3 entries.\n"_s));
    QCOMPARE(w.files(), (QStringList{u"2.mp3"_s, u"one.mp3"_s, u"taken.mp3"_s, u"three.mp3"_s}));
    QCOMPARE(read(w.path(u"taken.mp3"_s)), QByteArray("precious"));
}

void TestCliRename::nothingToRename()
{
    Workspace w;
    write(w.path(u"a.mp3"_s));
    const CliResult r = w.cli({u"rename"_s, w.path(u"a.mp3"_s), w.path(u"a.mp3"_s)});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.err.contains(u"Nothing to rename."_s));
    QVERIFY(!QFile::exists(w.log()));
}

void TestCliRename::badPairsFile()
{
    Workspace w;
    const CliResult r =
        w.cli({u"rename"_s, u"-y"_s, u"--pairs"_s, u"-"_s}, "a\tb\nonly one column\n");
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(u"-:2: expected SOURCE<TAB>TARGET"_s), qPrintable(r.err));
    QCOMPARE(w.cli({u"rename"_s, u"a"_s}).exitCode, 2);
}

void TestCliRename::undoListAndTo()
{
    Workspace w;
    for (int i = 0; i < 3; ++i) {
        write(w.path(u"d%1/x"_s.arg(i)));
        QCOMPARE(w.cli({u"rename"_s, u"-y"_s, w.path(u"d%1/x"_s.arg(i)), w.path(u"d%1/y"_s.arg(i))})
                     .exitCode,
                 0);
    }
    CliResult r = w.cli({u"undo"_s, u"--list"_s});
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith(u"0  "_s) && lines[0].endsWith(w.path(u"d2/"_s)));
    QVERIFY(lines[2].startsWith(u"2  "_s) && lines[2].endsWith(w.path(u"d0/"_s)));
    r = w.cli({u"undo"_s, u"--list"_s, u"--json"_s});
    const QJsonArray array = QJsonDocument::fromJson(r.out.toUtf8()).array();
    QCOMPARE(array.size(), 3);
    QCOMPARE(array[1][u"directory"_s].toString(), w.path(u"d1/"_s));

    QCOMPARE(w.cli({u"undo"_s, u"--to"_s, u"5"_s}).exitCode, 2);
    r = w.cli({u"undo"_s, u"--to"_s, u"1"_s});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(w.files(), (QStringList{u"d0"_s, u"d0/y"_s, u"d1"_s, u"d1/x"_s, u"d2"_s, u"d2/x"_s}));
}

void TestCliRename::fullDiskWhileUndoingLeavesLogAndFiles()
{
    Workspace w;
    QByteArray older;
    for (int i = 0; i < 40; ++i)
        older += "[01.01.2612:00:00/somewhere/else/]\r\n/somewhere/else/a\r\n/somewhere/else/b\r\n";
    QVERIFY(older.size() > 2048);
    write(w.log(), older);
    write(w.path(u"a.mp3"_s));
    QCOMPARE(w.cli({u"rename"_s, u"-y"_s, w.path(u"a.mp3"_s), w.path(u"b.mp3"_s)}).exitCode, 0);
    const QByteArray before = read(w.log());

    // ulimit -f counts blocks of 1024 bytes: the log without its last entry cannot be written.
    const CliResult r = runProgram(u"/bin/bash"_s, {u"-c"_s, u"ulimit -f 2; exec \"$0\" \"$@\""_s,
                                                    QStringLiteral(VARNOLITE_CLI), u"--data-dir"_s,
                                                    w.data(), u"undo"_s});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(u"too large"_s), qPrintable(r.err));
    QCOMPARE(read(w.log()), before);
    QCOMPARE(w.files(), QStringList{u"b.mp3"_s}); // log and files still agree
    QCOMPARE(tree(w.data()), QStringList{u"mp3varnolite.log"_s});
}

QTEST_GUILESS_MAIN(TestCliRename)
#include "tst_cli_rename.moc"
