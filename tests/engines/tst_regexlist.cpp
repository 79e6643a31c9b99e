// SPDX-License-Identifier: GPL-3.0-or-later
// Regular-expression lists.
#include "engines/regexlist.h"

#include "../support/testfiles.h"

#include <QElapsedTimer>

using namespace Qt::StringLiterals;
using namespace varnolite;

class TestRegexList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replace_data();
    void replace();
    void lists_data();
    void lists();
    void catastrophicPatternEndsQuickly();
    void example();
    void files();
    void batchKeepsNamesWhenTheListIsInvalid();
};

void TestRegexList::replace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every match") << u"a1b22"_s << u"[0-9]+"_s << u"#"_s << true << u"a#b#"_s;
    QTest::newRow("group reference stays literal")
        << u"x"_s << u"(x)"_s << u"$1"_s << true << u"$1"_s;
    QTest::newRow("backslash stays literal") << u"x"_s << u"x"_s << u"\\1"_s << true << u"\\1"_s;
    QTest::newRow("case-sensitive") << u"abc"_s << u"A"_s << u"a"_s << true << u"abc"_s;
    QTest::newRow("empty expression") << u"abc"_s << QString() << u"x"_s << false << QString();
    QTest::newRow("empty group") << u"abc"_s << u"()"_s << u"x"_s << false << QString();
    QTest::newRow("does not compile") << u"abc"_s << u"a(b"_s << u"x"_s << false << QString();
    QTest::newRow("empty matches advance") << u"abc"_s << u"x*"_s << u"-"_s << true << u"-a-b-c-"_s;
    QTest::newRow("anchors") << u"abcabc"_s << u"^abc"_s << u"X"_s << true << u"Xabc"_s;
    QTest::newRow("umlauts") << u"Größe"_s << u"ö"_s << u"oe"_s << true << u"Groeße"_s;
    QTest::newRow("CJK") << u"東京 live"_s << u"[^ ]+ "_s << QString() << true << u"live"_s;
    QTest::newRow("character classes of the menu")
        << u"Song 7"_s << u"[A-z]"_s << u"."_s << true << u".... 7"_s;
}

void TestRegexList::replace()
{
    QFETCH(QString, text);
    QFETCH(QString, expression);
    QFETCH(QString, replacement);
    QFETCH(bool, valid);
    QFETCH(QString, expected);
    const std::optional<QString> result = RegexReplace(text, expression, replacement);
    QCOMPARE(result.has_value(), valid);
    if (valid)
        QCOMPARE(*result, expected);
}

void TestRegexList::lists_data()
{
    QTest::addColumn<QStringList>("rules");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected"); // "<invalid>" for an invalid list
    QTest::newRow("underscores by nothing")
        << QStringList{u"_ => "_s} << u"01_artist_-_song.mp3"_s << u"01artist-song.mp3"_s;
    QTest::newRow("digits") << QStringList{u"[0-9]+ => #"_s} << u"01 artist - song.mp3"_s
                            << u"# artist - song.mp3"_s;
    QTest::newRow("extension not searched")
        << QStringList{u"[0-9]+ => #"_s} << u"a1b22.mp3"_s << u"a#b#.mp3"_s;
    QTest::newRow("last entry first")
        << QStringList{u"a => b"_s, u"b => c"_s} << u"a.mp3"_s << u"b.mp3"_s;
    QTest::newRow("group") << QStringList{u"(x) => y"_s} << u"x.mp3"_s << u"y.mp3"_s;
    QTest::newRow("an invalid entry")
        << QStringList{u"() => x"_s, u"a => b"_s} << u"a.mp3"_s << u"<invalid>"_s;
    QTest::newRow("an empty expression") << QStringList{u" => x"_s} << u"a.mp3"_s << u"<invalid>"_s;
    QTest::newRow("a line without separator")
        << QStringList{u"abc"_s} << u"a.mp3"_s << u"<invalid>"_s;
    QTest::newRow("no extension") << QStringList{u"a => b"_s} << u"aa"_s << u"bb"_s;
}

void TestRegexList::lists()
{
    QFETCH(QStringList, rules);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QList<RegexRule> list;
    for (const QString& r : rules)
        list.append(parseRule(r));
    const std::optional<QString> result = ApplyExpressionList(name, list);
    QCOMPARE(result.value_or(u"<invalid>"_s), expected);
}

void TestRegexList::catastrophicPatternEndsQuickly()
{
    QElapsedTimer timer;
    timer.start();
    const std::optional<QString> r = RegexReplace(QString(40, u'a') + u'!', u"(a+)+$"_s, u"x"_s);
    QVERIFY(!r.has_value()); // the engine's limit counts as an invalid expression
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
}

void TestRegexList::example()
{
    QCOMPARE(regexSampleName(), u"01 artist - song.mp3"_s);
    QCOMPARE(regexExample(QString(), {parseRule(u"artist => Band"_s)}, {u"x"_s, u"x"_s}),
             u"01 Band - song.mp3"_s);
    // An empty expression being typed makes the example invalid.
    QVERIFY(!regexExample(QString(), {parseRule(u"_ => "_s)}, {}).has_value());
    QCOMPARE(invalidExpressionText(), u"No valid expression"_s);
    // A base that comes out empty gets no extension.
    QCOMPARE(regexExample(u"abc.mp3"_s, {}, {u".+"_s, QString()}), QString());
}

void TestRegexList::files()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"list.rex"_s);
    const QList<RegexRule> rules{{u"_"_s, u" "_s}, {u"[0-9]+"_s, u"#"_s}};
    QVERIFY(writeRegexFile(path, rules).ok());
    QCOMPARE(testfiles::read(path), QByteArray("_ =>  \r\n[0-9]+ => #\r\n"));
    QCOMPARE(readRegexFile(path).value(), rules);
    QCOMPARE(ruleLine(rules[1]), u"[0-9]+ => #"_s);
    QCOMPARE(regexRulesMenu().size(), 13);
    QCOMPARE(regexRulesMenu().front().caption, u"Any Character\t."_s);
}

void TestRegexList::batchKeepsNamesWhenTheListIsInvalid()
{
    QTemporaryDir dir;
    testfiles::write(dir.filePath(u"a_b/c_d.mp3"_s));
    FileSet set{dir.filePath(u"a_b"_s)};
    ExpandRecursive(set, FileMask(u"*.mp3"_s));
    RenameBatch batch = BuildRegexBatch(set, {parseRule(u"_ => -"_s)});
    QCOMPARE(batch.targets, (QStringList{dir.filePath(u"a-b"_s), dir.filePath(u"a_b/c-d.mp3"_s)}));
    batch = BuildRegexBatch(set, {parseRule(u"() => x"_s)});
    QCOMPARE(batch.targets, batch.sources);
    // A replacement with a slash never moves the file out of its directory.
    batch = BuildRegexBatch({dir.filePath(u"a_b/c_d.mp3"_s)}, {parseRule(u"c => ../../x"_s)});
    QCOMPARE(batch.targets.front(), dir.filePath(u"a_b/.._.._x_d.mp3"_s));
}

QTEST_GUILESS_MAIN(TestRegexList)
#include "tst_regexlist.moc"
