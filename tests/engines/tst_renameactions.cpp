// SPDX-License-Identifier: GPL-3.0-or-later
// The operations of the rename actions, each case a row: name in, what is done, name out.
#include "engines/renameactions.h"

#include "../support/testfiles.h"

#include <functional>

using namespace Qt::StringLiterals;
using namespace varnolite;

using Operation = std::function<QString(QStringView)>;
Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(varnolite::RenameActionOptions)

namespace {

// Rows of `operation(name) == expected`.
void row(const char* tag, const QString& name, Operation op, const QString& expected)
{
    QTest::newRow(tag) << name << op << expected;
}

Operation every(const QString& x, const QString& y)
{
    return [=](QStringView n) { return ReplaceEvery(n, x, y); };
}

Operation unbracket(UnbracketRule r, UnbracketPlace p)
{
    return [=](QStringView n) { return Unbracket(n, r, p); };
}

Operation atPosition(qint64 pos, qint64 count, PositionEdit edit, const QString& blank = u" "_s)
{
    return [=](QStringView n) { return EditAtPosition(n, pos, count, edit, blank); };
}

Operation swap(const QString& sep = u"-"_s, const QString& blank = u" "_s)
{
    return [=](QStringView n) { return SwapArtistTitle(n, sep, blank); };
}

Operation add(qint64 k)
{
    return [=](QStringView n) { return AddToNumber(n, k); };
}

Operation caseMode(const QString& mode)
{
    return [=](QStringView n) { return ChangeCase(n, mode); };
}

} // namespace

class TestRenameActions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void operations_data();
    void operations();
    void actionsRunInTheirOrder_data();
    void actionsRunInTheirOrder();
    void numberFieldsAreChecked();
    void comboTexts();
    void batchRenamesContentBeforeItsDirectory();
};

void TestRenameActions::operations_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("expected");

    row("every _ by blank", u"Artist_-_Title.mp3"_s, every(u"_"_s, u" "_s),
        u"Artist - Title.mp3"_s);
    row("every . keeps the extension dot", u"Artist.-.Title.mp3"_s, every(u"."_s, u" "_s),
        u"Artist - Title.mp3"_s);
    row("every skips the character after a replacement", u"a__b.mp3"_s, every(u"_"_s, u" "_s),
        u"a _b.mp3"_s);
    row("every _ by nothing", u"a__b.mp3"_s, every(u"_"_s, QString()), u"a_b.mp3"_s);
    row("every empty search", u"abc"_s, every(QString(), u"-"_s), u"-a-b-c"_s);
    row("every in umlauts", u"Größe_Ärger.mp3"_s, every(u"_"_s, u" "_s), u"Größe Ärger.mp3"_s);
    row(
        "first", u"a-b-c.mp3"_s, [](QStringView n) { return ReplaceFirst(n, u"-", u"+"); },
        u"a+b-c.mp3"_s);
    row(
        "first with empty search", u"abc"_s,
        [](QStringView n) { return ReplaceFirst(n, u"", u"+"); }, u"abc"_s);

    const Operation group = [](QStringView n) { return RemoveGroupName(n); };
    row("group", u"Artist - Song-NBD.mp3"_s, group, u"Artist - Song.mp3"_s);
    row("group too long", u"Song-ABCDE.mp3"_s, group, u"Song-ABCDE.mp3"_s);
    row("group after a blank", u"Artist - Song.mp3"_s, group, u"Artist - Song.mp3"_s);
    row("group without extension", u"Song-NBD"_s, group, u"Song"_s);

    const Operation cut = [](QStringView n) { return CutToNumber(n); };
    row("cut to number", u"Artist - 01 - Song.mp3"_s, cut, u"01 - Song.mp3"_s);
    row("cut without number", u"Artist - Song.mp3"_s, cut, u"Artist - Song.mp3"_s);
    row("cut needs a character after", u"Song 12"_s, cut, u"Song 12"_s);

    using R = UnbracketRule;
    using P = UnbracketPlace;
    row("numbers front", u"(01) Song.mp3"_s, unbracket(R::Numbers, P::Front), u"01 Song.mp3"_s);
    row("numbers front, a name", u"(Artist) Song.mp3"_s, unbracket(R::Numbers, P::Front),
        u"Artist) Song.mp3"_s);
    row("numbers anywhere", u"Song (01) [02] (Live).mp3"_s, unbracket(R::Numbers, P::Anywhere),
        u"Song 01 02 (Live).mp3"_s);
    row("pair front", u"(Artist) Song.mp3"_s, unbracket(R::AnyPair, P::Front),
        u"Artist Song.mp3"_s);
    row("pair anywhere", u"Song (Live) (2).mp3"_s, unbracket(R::AnyPair, P::Anywhere),
        u"Song Live (2).mp3"_s);
    row("pair anywhere, lone closing", u"Song).mp3"_s, unbracket(R::AnyPair, P::Anywhere),
        u"Song.mp3"_s);
    row("pair keeps out of the last four", u"Song.(x)"_s, unbracket(R::AnyPair, P::Anywhere),
        u"Song.(x)"_s);

    row(
        "collapse", u"a   b  c.mp3"_s, [](QStringView n) { return CollapseSpaces(n); },
        u"a b c.mp3"_s);
    const Operation pad = [](QStringView n) { return PadNumber(n); };
    row("pad", u"5 Song.mp3"_s, pad, u"05 Song.mp3"_s);
    row("pad two digits", u"05 Song.mp3"_s, pad, u"05 Song.mp3"_s);
    row("pad three digits", u"123.mp3"_s, pad, u"123.mp3"_s);
    row("pad lone digit", u"7"_s, pad, u"07"_s);
    row("pad empty", QString(), pad, QString());

    const Operation capitals = [](QStringView n) { return InsertBeforeCapitals(n, u" "); };
    row("capitals", u"MyFavouriteSong.mp3"_s, capitals, u" My Favourite Song.mp3"_s);
    row("capitals in the extension", u"song.MP3"_s, capitals, u"song. M P3"_s);
    row("capitals only A-Z", u"ÄrgerÖl.mp3"_s, capitals, u"ÄrgerÖl.mp3"_s);

    using E = PositionEdit;
    row("delete 3 at 1", u"01 Song.mp3"_s, atPosition(1, 3, E::Delete), u"Song.mp3"_s);
    row("insert 2 at 3", u"01Song.mp3"_s, atPosition(3, 2, E::Insert, u"_"_s), u"01__Song.mp3"_s);
    row("insert beyond the end", u"Song.mp3"_s, atPosition(50, 2, E::Insert, u"_"_s),
        u"Song.mp3__"_s);
    row("insert before the start", u"Song.mp3"_s, atPosition(-3, 1, E::Insert), u" Song.mp3"_s);
    row("delete beyond the end", u"Song.mp3"_s, atPosition(50, 2, E::Delete), u"Song.mp3"_s);
    row("delete at 0", u"Song.mp3"_s, atPosition(0, 2, E::Delete), u"Song.mp3"_s);
    row("delete more than there is", u"Song.mp3"_s, atPosition(5, 99, E::Delete), u"Song"_s);
    row(
        "huge insert is bounded", u"a"_s,
        [](QStringView n) {
            return QString::number(
                EditAtPosition(n, 1, 2147483647, PositionEdit::Insert, u"x").size());
        },
        u"4096"_s);
    row(
        "growing replacement is bounded", QString(3000, u'a'),
        [](QStringView n) { return QString::number(ReplaceEvery(n, u"", u"xy").size()); },
        u"4096"_s);

    row("swap", u"01 Artist - Title.mp3"_s, swap(), u"01 Title - Artist.mp3"_s);
    row("swap without number", u"Artist - Title.mp3"_s, swap(), u"Title - Artist.mp3"_s);
    row("swap with _", u"Artist_-_Title.mp3"_s, swap(u"-"_s, u"_"_s), u"Title_-_Artist.mp3"_s);
    row("swap at the first dash", u"01 Artist-Title-Live.mp3"_s, swap(),
        u"01 Title-Live-Artist.mp3"_s);
    row("swap without separator", u"Artist Title.mp3"_s, swap(), u"Artist Title.mp3"_s);
    row("swap with a long separator", u"Artist -- Title.mp3"_s, swap(u"--"_s),
        u"Artist -- Title.mp3"_s);
    row("swap umlauts", u"Björk - Jóga.mp3"_s, swap(), u"Jóga - Björk.mp3"_s);

    row("add", u"05 Song.mp3"_s, add(1), u"06 Song.mp3"_s);
    row("add to 10", u"09 Song.mp3"_s, add(1), u"10 Song.mp3"_s);
    row("add to 100", u"99 Song.mp3"_s, add(1), u"100 Song.mp3"_s);
    row("add with a blank", u" 5 Song.mp3"_s, add(1), u"06 Song.mp3"_s);
    row("add without number", u"Song.mp3"_s, add(1), u"Song.mp3"_s);
    row("add negative", u"01 Song.mp3"_s, add(-5), u"0-4 Song.mp3"_s);
    row("add to hex", u"x5 Song.mp3"_s, add(1), u"06 Song.mp3"_s);
    row("add needs the whole pair", u"5 Song.mp3"_s, add(1), u"5 Song.mp3"_s);

    row("sentence", u"01 - artist NAME - song i LOVE.MP3"_s, caseMode(u"Aaa"_s),
        u"01 - Artist name - Song I love.mp3"_s);
    row("sentence lowers a capital I", u"SONG I LOVE.mp3"_s, caseMode(u"Aaa"_s),
        u"Song i love.mp3"_s);
    row("words", u"01 - artist NAME - song (live) [remix].MP3"_s, caseMode(u"Aa"_s),
        u"01 - Artist Name - Song (Live) [Remix].mp3"_s);
    row("words start only a-z", u"ärger im büro.mp3"_s, caseMode(u"Aa"_s), u"ärger Im Büro.mp3"_s);
    row("upper", u"01 - artist.mp3"_s, caseMode(u"AA"_s), u"01 - ARTIST.MP3"_s);
    row("lower", u"01 - ARTIST.MP3"_s, caseMode(u"aa"_s), u"01 - artist.mp3"_s);
    row("upper umlauts", u"größe über.mp3"_s, caseMode(u"AA"_s), u"GRÖSSE ÜBER.MP3"_s);
    row("lower umlauts", u"ÄRGER.MP3"_s, caseMode(u"aa"_s), u"ärger.mp3"_s);
    row("other mode", u"Song.mp3"_s, caseMode(u"a1"_s), u"Song.mp3"_s);
    row("only lead characters", u"01 - 2"_s, caseMode(u"Aa"_s), u"01 - 2"_s);
    row("CJK passes", u"01 東京 song.mp3"_s, caseMode(u"Aa"_s), u"01 東京 Song.mp3"_s);

    const Operation parts = [](QStringView n) { return SpaceParts(n, u"-", u" "); };
    row("parts", u"01-Artist-Title.mp3"_s, parts, u"01 - Artist - Title.mp3"_s);
    row("parts already spaced", u"01-Artist - Title.mp3"_s, parts, u"01 - Artist  -  Title.mp3"_s);
}

void TestRenameActions::operations()
{
    QFETCH(QString, name);
    QFETCH(Operation, operation);
    QFETCH(QString, expected);
    QCOMPARE(operation(name), expected);
}

void TestRenameActions::actionsRunInTheirOrder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<RenameActionOptions>("options");
    QTest::addColumn<QString>("expected");
    RenameActionOptions o;
    o.replaceChars = true;
    o.changeCase = true;
    o.caseMode = u"Aa"_s;
    QTest::newRow("underscores, then word case") << u"my_song.mp3"_s << o << u"My Song.mp3"_s;
    RenameActionOptions all;
    all.removeGroupName = all.replaceChars = all.cutToNumber = all.unbracket = true;
    all.collapseSpaces = all.padNumber = all.changeCase = true;
    all.caseMode = u"Aaa"_s;
    // The underscore right after a replaced one is not examined; it then starts the title.
    QTest::newRow("several") << u"Artist_-_(05)__song_title-NBD.mp3"_s << all
                             << u"05 _song title.mp3"_s;
    RenameActionOptions edit;
    edit.editAtPosition = true;
    edit.position = QString(); // an empty field skips the action
    QTest::newRow("empty position field") << u"Song.mp3"_s << edit << u"Song.mp3"_s;
    RenameActionOptions insert;
    insert.editAtPosition = true;
    insert.positionEdit = PositionEdit::Insert;
    insert.position = u"3"_s;
    insert.count = u"2"_s;
    insert.blankReplacement = u"_"_s;
    QTest::newRow("insert uses the blank replacement")
        << u"01Song.mp3"_s << insert << u"01__Song.mp3"_s;
}

void TestRenameActions::actionsRunInTheirOrder()
{
    QFETCH(QString, name);
    QFETCH(RenameActionOptions, options);
    QFETCH(QString, expected);
    QCOMPARE(ApplyRenameActions(name, options), expected);
    QCOMPARE(actionExample(name, options), u"Beispiel: "_s + expected);
}

void TestRenameActions::numberFieldsAreChecked()
{
    RenameActionOptions o;
    QVERIFY(!o.anyChecked());
    o.editAtPosition = true;
    o.position = u"-"_s;
    QCOMPARE(checkRenameActions(o).code(), ErrorCode::InvalidArgument);
    o.position = u"+3"_s;
    QVERIFY(checkRenameActions(o).ok());
    o.addToNumber = true;
    o.increment = u"1x"_s;
    QVERIFY(checkRenameActions(o).message().contains(u"'1x'"_s));
    QCOMPARE(noActionsMessage(), u"Keine Aktionen gewählt - NIX ZU TUN :("_s);
    QCOMPARE(noFilesMessage(), u"Keine Datei[n] gewählt - NIX ZU TUN :("_s);
}

void TestRenameActions::comboTexts()
{
    QCOMPARE(blankReplacementFor(u"Unterstriche"_s), u"_"_s);
    QCOMPARE(blankReplacementFor(u"Punkte"_s), u"."_s);
    QCOMPARE(blankReplacementFor(u"Leerzeichen"_s), u" "_s);
    QCOMPARE(blankReplacementFor(u"~"_s), u"~"_s);
    QCOMPARE(replaceWhatText(u"Unterstriche"_s), u"_"_s);
    QCOMPARE(replaceWhatText(u"Punkte"_s), u"."_s);
    QCOMPARE(replaceWhatText(u"xy"_s), u"xy"_s);
    QCOMPARE(replaceWithText(u"Leerzeichen"_s), u" "_s);
    QCOMPARE(replaceWithText(u"nichts"_s), QString());
    QCOMPARE(fillerText(u"Punkte"_s), u"."_s);
    QCOMPARE(caseModeOfItem(1), u"Aa"_s);
    QVERIFY(caseModeOfItem(-1).isEmpty());
}

void TestRenameActions::batchRenamesContentBeforeItsDirectory()
{
    QTemporaryDir dir;
    testfiles::write(dir.filePath(u"my_album/my_song.mp3"_s));
    FileSet set{dir.filePath(u"my_album"_s)};
    ExpandRecursive(set, FileMask(u"*.mp3"_s));
    RenameActionOptions o;
    o.replaceChars = true;
    const RenameBatch batch = BuildActionBatch(set, o);
    QCOMPARE(batch.targets,
             (QStringList{dir.filePath(u"my album"_s), dir.filePath(u"my_album/my song.mp3"_s)}));
    // A name made empty, "." or ".." or with "/" never leaves its directory.
    QCOMPARE(targetInDirectory(u"/m/a"_s, u".."_s), u"/m/_"_s);
    QCOMPARE(targetInDirectory(u"/m/a"_s, QString()), u"/m/_"_s);
    QCOMPARE(targetInDirectory(u"/m/a"_s, u"x/../y"_s), u"/m/x_.._y"_s);
}

QTEST_GUILESS_MAIN(TestRenameActions)
#include "tst_renameactions.moc"
