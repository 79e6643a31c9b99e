// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/undolog.h"

#include "../support/testfiles.h"

#include <QCryptographicHash>

using namespace Qt::StringLiterals;
using namespace varnolite;
using testfiles::read;
using testfiles::write;

namespace {

const QDateTime kWhen(QDate(2026, 1, 5), QTime(13, 4, 5));

QString header(const QString& dir, int second = 5)
{
    return UndoLog::formatHeader(dir, QDateTime(QDate(2026, 1, 5), QTime(13, 4, second)));
}

// A log with one entry per element: the directory and the (source, target) pairs in it.
QByteArray logBytes(const QList<std::pair<QString, QList<RenamePair>>>& entries)
{
    QByteArray bytes;
    for (const auto& [h, pairs] : entries) {
        bytes += h.toUtf8() + "\r\n";
        for (const RenamePair& p : pairs)
            bytes += p.source.toUtf8() + "\r\n" + p.target.toUtf8() + "\r\n";
    }
    return bytes;
}

} // namespace

class TestUndoLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headerLayout();
    void headersAreLoadedNewestFirst();
    void batchesInOneSecondAreTakenBackOneAtATime();
    void droppingTheLastEntryKeepsOlderBytes();
    void headerOnlyEntryIsRemoved();
    void failedMovesAreReportedAndTheEntryLeaves();
    void undoThroughTakesBackTheChosenAndNewerBatches();
    void undoThroughNeverGoesPastAStaleList();
    void missingLogMovesNothing();
    void headerAfterAnUnterminatedLastLine();
    void clearDeletesTheLog();
    void undoMenu_data();
    void undoMenu();
};

void TestUndoLog::headerLayout()
{
    const QString h = UndoLog::formatHeader(u"/home/me/Musik/"_s, kWhen);
    QCOMPARE(h, u"[05.01.2613:04:05/home/me/Musik/]"_s);
    QCOMPARE(h.mid(1, 8), u"05.01.26"_s); // characters 2 to 9
    QCOMPARE(h.mid(9, 8), u"13:04:05"_s); // characters 10 to 17
    QCOMPARE(h.mid(17, h.size() - 18), u"/home/me/Musik/"_s);
}

void TestUndoLog::headersAreLoadedNewestFirst()
{
    QTemporaryDir tmp;
    UndoLog log = UndoLog::inDirectory(tmp.path());
    log.loadHeaders();
    QVERIFY(log.headers().isEmpty());
    QVERIFY(!log.undoEnabled());
    // A log of the Windows program: Windows-1252, CR LF.
    write(log.path(), "[01.02.0312:00:00C:\\Musik\\Mot\xF6rhead\\]\r\nC:\\a\r\nC:\\b\r\n"
                      "[02.02.0312:00:00C:\\x\\]\r\n");
    log.loadHeaders();
    QCOMPARE(log.headers(), (QStringList{u"[02.02.0312:00:00C:\\x\\]"_s,
                                         u"[01.02.0312:00:00C:\\Musik\\Motörhead\\]"_s}));
    QVERIFY(log.undoEnabled());
    QCOMPARE(log.lastHeader(), log.headers().front());
}

void TestUndoLog::batchesInOneSecondAreTakenBackOneAtATime()
{
    QTemporaryDir tmp;
    const QString d = tmp.path() + u'/';
    write(d + u"b1"_s);
    write(d + u"b2"_s);
    UndoLog log = UndoLog::inDirectory(tmp.path());
    write(log.path(), logBytes({{header(d), {{d + u"a1"_s, d + u"b1"_s}}},
                                {header(d), {{d + u"a2"_s, d + u"b2"_s}}}}));
    log.loadHeaders();
    QCOMPARE(log.headers().size(), 2);

    UndoReport r = log.undoLast();
    QCOMPARE(r.restored, 1);
    QVERIFY(QFile::exists(d + u"a2"_s));
    QVERIFY(QFile::exists(d + u"b1"_s)); // the older batch is untouched
    QCOMPARE(log.headers().size(), 1);
    QCOMPARE(read(log.path()), logBytes({{header(d), {{d + u"a1"_s, d + u"b1"_s}}}}));

    r = log.undoLast();
    QCOMPARE(r.restored, 1);
    QVERIFY(QFile::exists(d + u"a1"_s));
    QVERIFY(!QFile::exists(log.path()));
    QVERIFY(!log.undoEnabled());
}

void TestUndoLog::droppingTheLastEntryKeepsOlderBytes()
{
    QTemporaryDir tmp;
    UndoLog log = UndoLog::inDirectory(tmp.path());
    // Older entries as the Windows program wrote them, one of them a bare header.
    const QByteArray older = "[01.02.0312:00:00C:\\Mot\xF6rhead\\]\r\nC:\\a\r\nC:\\b\r\n"
                             "[01.02.0312:00:01C:\\x\\]\r\n";
    write(log.path(), older + header(u"/m/"_s).toUtf8() + "\r\n/m/x\r\n/m/y\r\n");
    log.loadHeaders();
    QVERIFY(log.dropLastEntry().ok());
    QCOMPARE(read(log.path()), older);
    QCOMPARE(log.headers().size(), 2);
    QVERIFY(log.undoEnabled());
}

void TestUndoLog::headerOnlyEntryIsRemoved()
{
    QTemporaryDir tmp;
    UndoLog log = UndoLog::inDirectory(tmp.path());
    QVERIFY(log.writeHeader(u"/m/"_s, kWhen).ok());
    QVERIFY(log.undoEnabled());
    const UndoReport r = log.undoLast();
    QVERIFY(r.status.ok());
    QCOMPARE(r.entriesTakenBack, 1);
    QCOMPARE(r.restored, 0);
    QVERIFY(!QFile::exists(log.path()));
    QVERIFY(log.headers().isEmpty());
    QVERIFY(!log.undoEnabled());
}

void TestUndoLog::failedMovesAreReportedAndTheEntryLeaves()
{
    QTemporaryDir tmp;
    const QString d = tmp.path() + u'/';
    write(d + u"new"_s, "renamed");
    write(d + u"old-taken"_s, "someone else's");
    UndoLog log = UndoLog::inDirectory(tmp.path());
    write(log.path(), logBytes({{header(d),
                                 {{d + u"gone-src"_s, d + u"gone"_s},
                                  {d + u"old-taken"_s, d + u"new"_s},
                                  {d + u"odd"_s, d + u"x"_s}}}}) +
                          (d + u"source without target\r\n"_s).toUtf8());
    log.loadHeaders();
    QStringList restoredHook;
    const UndoReport r = log.undoLast(
        [&](const QString& from, const QString& to) { restoredHook.append(from + u'>' + to); });
    QCOMPARE(r.restored, 0);
    QCOMPARE(r.failures.size(), 3);
    // From the last pair to the first; a source line without its target is ignored.
    QCOMPARE(r.failures[0].pair.target, d + u"x"_s);
    QCOMPARE(r.failures[1].pair.target, d + u"new"_s);
    QCOMPARE(r.failures[1].message, systemMessage(EEXIST));
    QCOMPARE(read(d + u"old-taken"_s), QByteArray("someone else's"));
    QCOMPARE(r.failures[2].message, systemMessage(ENOENT));
    QVERIFY(restoredHook.isEmpty());
    QVERIFY(!QFile::exists(log.path()));
}

void TestUndoLog::undoThroughTakesBackTheChosenAndNewerBatches()
{
    QTemporaryDir tmp;
    const QString d = tmp.path() + u'/';
    QList<std::pair<QString, QList<RenamePair>>> entries;
    for (int i = 0; i < 5; ++i) {
        write(d + u"new%1"_s.arg(i));
        entries.append(
            {header(d, i < 3 ? 1 : i), {{d + u"old%1"_s.arg(i), d + u"new%1"_s.arg(i)}}});
    }
    UndoLog log = UndoLog::inDirectory(tmp.path());
    write(log.path(), logBytes(entries));
    log.loadHeaders();
    // The third menu item: batches 0, 1 and 2 (the newest three).
    const UndoReport r = log.undoThrough(2);
    QVERIFY(r.status.ok());
    QCOMPARE(r.entriesTakenBack, 3);
    QStringList names = QDir(tmp.path()).entryList(QDir::Files, QDir::Name);
    names.removeAll(UndoLog::fileName());
    QCOMPARE(names, (QStringList{u"new0"_s, u"new1"_s, u"old2"_s, u"old3"_s, u"old4"_s}));
    QCOMPARE(log.headers().size(), 2);

    // Equal headers (batches 0 to 2 share one second) are counted, not confused.
    const UndoReport second = log.undoThrough(0);
    QCOMPARE(second.entriesTakenBack, 1);
    QVERIFY(QFile::exists(d + u"old1"_s) && QFile::exists(d + u"new0"_s));
}

void TestUndoLog::undoThroughNeverGoesPastAStaleList()
{
    QTemporaryDir tmp;
    const QString d = tmp.path() + u'/';
    write(d + u"b"_s);
    UndoLog log = UndoLog::inDirectory(tmp.path());
    write(log.path(), logBytes({{header(d, 1), {{d + u"a"_s, d + u"b"_s}}}, {header(d, 2), {}}}));
    log.loadHeaders();
    // Another copy of the program took the newer batch back meanwhile and wrote another one.
    UndoLog other = UndoLog::inDirectory(tmp.path());
    other.loadHeaders();
    QVERIFY(other.dropLastEntry().ok());
    QVERIFY(other.writeHeader(u"/elsewhere/"_s, kWhen).ok());

    const QByteArray before = read(log.path());
    const UndoReport r = log.undoThrough(0); // its header is no longer in the log
    QCOMPARE(r.status.code(), ErrorCode::NotFound);
    QCOMPARE(r.entriesTakenBack, 0);
    QCOMPARE(read(log.path()), before);
    QVERIFY(QFile::exists(d + u"b"_s));
}

void TestUndoLog::missingLogMovesNothing()
{
    QTemporaryDir tmp;
    UndoLog log = UndoLog::inDirectory(tmp.path());
    const UndoReport r = log.undoLast();
    QVERIFY(r.status.ok());
    QCOMPARE(r.entriesTakenBack, 0);
    QVERIFY(!QFile::exists(log.path()));
    QVERIFY(log.lastHeader().isEmpty());
}

void TestUndoLog::headerAfterAnUnterminatedLastLine()
{
    QTemporaryDir tmp;
    UndoLog log = UndoLog::inDirectory(tmp.path());
    write(log.path(), "[05.01.2613:04:05/m/]\r\n/m/a\r\n/m/b"); // cut off by hand
    QVERIFY(log.writeHeader(u"/n/"_s, kWhen).ok());
    QVERIFY(log.appendRename(u"/n/c"_s, u"/n/d"_s).ok());
    log.finishBatch();
    QCOMPARE(read(log.path()), QByteArray("[05.01.2613:04:05/m/]\r\n/m/a\r\n/m/b\r\n"
                                          "[05.01.2613:04:05/n/]\r\n/n/c\r\n/n/d\r\n"));
    const auto entry = log.lastEntry();
    QCOMPARE(entry.value().pairs, (QList<RenamePair>{{u"/n/c"_s, u"/n/d"_s}}));
}

void TestUndoLog::clearDeletesTheLog()
{
    QTemporaryDir tmp;
    UndoLog log = UndoLog::inDirectory(tmp.path());
    QVERIFY(log.writeHeader(u"/m/"_s, kWhen).ok());
    QVERIFY(log.clear().ok());
    QVERIFY(!QFile::exists(log.path()));
    QVERIFY(log.headers().isEmpty());
    QVERIFY(!log.undoEnabled());
}

void TestUndoLog::undoMenu_data()
{
    QTest::addColumn<int>("headers");
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("items");
    QTest::addColumn<bool>("showAll");
    QTest::newRow("6 of 10") << 10 << u"6"_s << 6 << true;
    QTest::newRow("all 3 of 3") << 3 << u"6"_s << 3 << false;
    QTest::newRow("none asked") << 2 << u"0"_s << 0 << true;
    QTest::newRow("no headers") << 0 << u"6"_s << 0 << false;
}

void TestUndoLog::undoMenu()
{
    QFETCH(int, headers);
    QFETCH(QString, count);
    QFETCH(int, items);
    QFETCH(bool, showAll);
    QStringList list;
    for (int i = 0; i < headers; ++i)
        list.append(UndoLog::formatHeader(u"/m/%1/"_s.arg(i), kWhen));
    const auto menu = buildUndoMenu(list, count);
    QVERIFY(menu.ok());
    QCOMPARE(menu.value().items.size(), items);
    QCOMPARE(menu.value().showAll, showAll);
    if (items > 0) {
        QCOMPARE(menu.value().items[0].caption, u"/m/0/"_s);
        QCOMPARE(menu.value().items[0].hint, u"Geändert am 05.01.26 um 13:04:05"_s);
    }
    const auto bad = buildUndoMenu(list, u"sechs"_s);
    QVERIFY(!bad.ok());
    QCOMPARE(bad.status().message(), u"'sechs' is not a valid integer value"_s);
    QCOMPARE(undoMenuShowAllText(), u"Alle Undo-Einträge anzeigen..."_s);
}

QTEST_GUILESS_MAIN(TestUndoLog)
#include "tst_undolog.moc"
