// SPDX-License-Identifier: GPL-3.0-or-later
// The rename action language: command lists, the piece patterns, expression files.
#include "engines/actionlanguage.h"

#include "../support/testfiles.h"

using namespace Qt::StringLiterals;
using namespace varnolite;

Q_DECLARE_METATYPE(varnolite::ActionsApplyTo)
Q_DECLARE_METATYPE(varnolite::EntryKind)

class TestActionLanguage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commands_data();
    void commands();
    void expressions_data();
    void expressions();
    void pieceTableHoldsAHundred();
    void repeatedCommandsStayBounded();
    void expressionFiles();
    void commandMenu();
    void batchTellsDirectoriesFromFiles();
};

void TestActionLanguage::commands_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("s then gk") << u"s(_/ )gk(Aa)"_s << u"my_song_title.mp3"_s
                               << u"My Song Title.mp3"_s;
    QTest::newRow("a space before a name")
        << u"s(_/ ) gk(Aa)"_s << u"my_song_title.mp3"_s << u"my song title.mp3"_s;
    QTest::newRow("names in any case") << u"S(-/+)FS(+/=)"_s << u"a-b-c.mp3"_s << u"a=b+c.mp3"_s;
    QTest::newRow("ins") << u"ins(3/1)"_s << u"01Song.mp3"_s << u"01 Song.mp3"_s;
    QTest::newRow("ins with text") << u"ins(1/2/x)"_s << u"Song.mp3"_s << u"xxSong.mp3"_s;
    QTest::newRow("ins with an item") << u"ins(1/1/Punkte)"_s << u"Song.mp3"_s << u".Song.mp3"_s;
    QTest::newRow("del") << u"del(1/3)"_s << u"01 Song.mp3"_s << u"Song.mp3"_s;
    QTest::newRow("rembr y") << u"rembr(x/y)"_s << u"(01) Song.mp3"_s << u"01 Song.mp3"_s;
    QTest::newRow("rembr n") << u"rembr(x/n)"_s << u"Song (Live).mp3"_s << u"Song Live.mp3"_s;
    QTest::newRow("rembr z") << u"rembr(1/z)"_s << u"Song (01).mp3"_s << u"Song 01.mp3"_s;
    QTest::newRow("rembr without slash")
        << u"rembr(x)"_s << u"(01) Song.mp3"_s << u"(01) Song.mp3"_s;
    QTest::newRow("insP empty") << u"insP()"_s << u"01-A-B.mp3"_s << u"01-A-B.mp3"_s;
    QTest::newRow("insP") << u"insP(x)"_s << u"01-A-B.mp3"_s << u"01 - A - B.mp3"_s;
    QTest::newRow("add needs a whole number")
        << u"add(2)exp#()"_s << u"5 Song.mp3"_s << u"05 Song.mp3"_s;
    QTest::newRow("add") << u"add(2)"_s << u"05 Song.mp3"_s << u"07 Song.mp3"_s;
    QTest::newRow("no bracket at all") << u"s_/ "_s << u"a_b"_s << u"a_b"_s;
    QTest::newRow("no closing bracket") << u"s(a/b"_s << u"aaa"_s << u"bab"_s;
    QTest::newRow("unknown command") << u"frob(1/2)s(a/b)"_s << u"a"_s << u"b"_s;
    QTest::newRow("gk too short") << u"gk(A)"_s << u"song"_s << u"song"_s;
    QTest::newRow("del2# short exp# flip")
        << u"del2#()short()exp#()"_s << u"Band - 7  Song.mp3"_s << u"Band - 7 Song.mp3"_s;
    QTest::newRow("flip") << u"flip()"_s << u"01 Artist - Title.mp3"_s
                          << u"01 Title - Artist.mp3"_s;
    QTest::newRow("rmgroup and insA")
        << u"rmgroup()insA(_)"_s << u"MySong-NBD.mp3"_s << u"_My_Song.mp3"_s;
    QTest::newRow("regexp") << u"regexp([0-9]+/#)"_s << u"a1b22.mp3"_s << u"a#b#.mp#"_s;
    QTest::newRow("invalid regexp") << u"regexp(()/x)"_s << u"a.mp3"_s << u"a.mp3"_s;
    QTest::newRow("second argument keeps slashes") << u"s(a/b/c)"_s << u"xa"_s << u"xb/c"_s;
}

void TestActionLanguage::commands()
{
    QFETCH(QString, list);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(RunActionList(list, name, ActionContext{}), expected);
}

void TestActionLanguage::expressions_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("commands");
    QTest::addColumn<ActionsApplyTo>("applyTo");
    QTest::addColumn<EntryKind>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    const auto R = ActionsApplyTo::Result;
    const auto S = ActionsApplyTo::Source;
    const auto F = EntryKind::File;
    QTest::newRow("drop the number") << u"%n - %a - %t"_s << u"%a - %t"_s << QString() << R << F
                                     << u"01 - Artist - Title.mp3"_s << u"Artist - Title.mp3"_s;
    QTest::newRow("literal after the last piece")
        << u"%a (%b)"_s << u"%b - %a"_s << QString() << R << F << u"Song (Live).mp3"_s
        << u"Live - Song.mp3"_s;
    QTest::newRow("last piece to the extension")
        << u"%n - %a"_s << u"%a"_s << QString() << R << F << u"01 - Artist - Title.mp3"_s
        << u"Artist - Title.mp3"_s;
    QTest::newRow("unknown key") << u"%n - %a"_s << u"[%n] %a %x"_s << QString() << R << F
                                 << u"01 - Artist - Title.mp3"_s << u"[01] Artist - Title .mp3"_s;
    QTest::newRow("trailing percent") << u"%n - %a - %t"_s << u"%t%"_s << QString() << R << F
                                      << u"01 - Artist - Title.mp3"_s << u"Title.mp3"_s;
    QTest::newRow("no patterns, commands") << QString() << QString() << u"s(_/ )gk(Aa)"_s << R << F
                                           << u"01_artist_title.mp3"_s << u"01 Artist Title.mp3"_s;
    QTest::newRow("directory") << QString() << QString() << u"short()"_s << R
                               << EntryKind::Directory << u"my.album"_s << u"my"_s;
    QTest::newRow("source") << u"%a - %b"_s << u"%b - %a"_s << u"s(_/ )"_s << S << F
                            << u"A_x - B_y.mp3"_s << u"B y - A x.mp3"_s;
    QTest::newRow("result") << u"%a - %b"_s << u"%b - %a"_s << u"s(_/ )"_s << R << F
                            << u"A_x - B_y.mp3"_s << u"B y - A x.mp3"_s;
    QTest::newRow("keys are exact characters")
        << u"%a-%A"_s << u"%A-%a"_s << QString() << R << F << u"x-y.mp3"_s << u"y-x.mp3"_s;
    // Nothing built and no commands: an empty name, which the pipeline reports as failed.
    QTest::newRow("piece not found")
        << u"%a [%b]"_s << u"%b"_s << QString() << R << F << u"Song.mp3"_s << QString();
    QTest::newRow("umlauts") << u"%k - %t"_s << u"%t (%k)"_s << QString() << R << F
                             << u"Mötley Crüe - Kickstart.mp3"_s
                             << u"Kickstart (Mötley Crüe).mp3"_s;
}

void TestActionLanguage::expressions()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, commands);
    QFETCH(ActionsApplyTo, applyTo);
    QFETCH(EntryKind, kind);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const Expression e{from, to, commands, applyTo};
    QCOMPARE(ApplyExpression(name, kind, e, ActionContext{}), expected);
}

void TestActionLanguage::pieceTableHoldsAHundred()
{
    QString pattern;
    QString name;
    for (int i = 0; i < 150; ++i) {
        pattern += u'%' + QChar(u'A' + i % 26) + u'-';
        name += QString::number(i) + u'-';
    }
    const PieceTable pieces = cutExpressionPieces(pattern, name + u".mp3"_s);
    QCOMPARE(pieces.size(), kMaxPieces);
    QCOMPARE(pieces.front().value, u"0"_s);
    // Usable, and nothing read outside the table.
    const Expression e{pattern, u"%A%Z"_s, QString(), ActionsApplyTo::Result};
    const QString file = name + u".mp3"_s;
    QCOMPARE(ApplyExpression(file, EntryKind::File, e, ActionContext{}), u"025.mp3"_s);
}

void TestActionLanguage::repeatedCommandsStayBounded()
{
    // Each command would triple the name: thirty of them must neither hang nor exhaust memory.
    ActionContext separatorless;
    separatorless.separator.clear();
    for (const QString& command : {u"s(/ab)"_s, u"insP(x)"_s}) {
        const QString result = RunActionList(command.repeated(30), u"song"_s, separatorless);
        QVERIFY2(result.size() > 1000 && result.size() <= 4096, qPrintable(command));
    }
}

void TestActionLanguage::expressionFiles()
{
    QTemporaryDir dir;
    const Expression e{u"%n - %a"_s, u"%a"_s, u"gk(Aa)"_s, ActionsApplyTo::Result};
    QVERIFY(writeExpressionFile(dir.filePath(u"b.qxn"_s), e).ok());
    QCOMPARE(testfiles::read(dir.filePath(u"b.qxn"_s)), QByteArray("%n - %a\r\n%a\r\ngk(Aa)\r\n"));
    auto read = readExpressionFile(dir.filePath(u"b.qxn"_s));
    QCOMPARE(read.value().commands, u"gk(Aa)"_s);
    // Two lines set the patterns and leave the commands as they were.
    testfiles::write(dir.filePath(u"a.qxn"_s), "%x\n%y\n");
    read = readExpressionFile(dir.filePath(u"a.qxn"_s));
    QCOMPARE(read.value().from, u"%x"_s);
    QCOMPARE(read.value().to, u"%y"_s);
    QVERIFY(!read.value().commands.has_value());
    testfiles::write(dir.filePath(u"c.txt"_s));
    QCOMPARE(listExpressionFiles(dir.path()), (QStringList{u"a"_s, u"b"_s}));
    QVERIFY(
        !writeExpressionFile(dir.filePath(u"d.qxn"_s), {u"a\nb"_s, {}, {}, ActionsApplyTo::Result})
             .ok());
}

void TestActionLanguage::commandMenu()
{
    const QList<CommandMenuEntry>& menu = varnolite::commandMenu();
    QCOMPARE(menu.size(), 15);
    QCOMPARE(menu.front().caption, u"s(x/y) - x durch y ersetzen"_s);
    const auto [list, caret] = appendCommand(u"s(_/ )"_s, menu[2]);
    QCOMPARE(list, u"s(_/ )gk()"_s);
    QCOMPARE(caret, 9);
}

void TestActionLanguage::batchTellsDirectoriesFromFiles()
{
    QTemporaryDir dir;
    testfiles::write(dir.filePath(u"my.album/01_a.mp3"_s));
    FileSet set{dir.filePath(u"my.album"_s)};
    ExpandRecursive(set, FileMask(u"*.mp3"_s));
    const Expression e{QString(), QString(), u"s(_/ )"_s, ActionsApplyTo::Result};
    const RenameBatch batch = BuildExpressionBatch(set, e, ActionContext{});
    QCOMPARE(batch.targets,
             (QStringList{dir.filePath(u"my"_s), dir.filePath(u"my.album/01 a.mp3"_s)}));
    QCOMPARE(expressionExample(u"01_a.mp3", e, ActionContext{}), u"Beispiel: 01 a.mp3"_s);
    QVERIFY(!expressionIsUsable({u"%a"_s, QString(), QString(), ActionsApplyTo::Result}));
    QVERIFY(expressionIsUsable({QString(), QString(), u"x()"_s, ActionsApplyTo::Result}));
}

QTEST_GUILESS_MAIN(TestActionLanguage)
#include "tst_actionlanguage.moc"
