// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settingskeys.h"
#include "core/statestorage.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "../support/testfiles.h"

using namespace Qt::StringLiterals;
using namespace varnolite;

Q_DECLARE_METATYPE(varnolite::PropertyType)
Q_DECLARE_METATYPE(varnolite::PropertyValue)

namespace {

const StateStorage& sampleStorage()
{
    static const StateStorage storage(
        u"win"_s,
        {
            {u"flag"_s, u"Checked"_s, PropertyType::Boolean, true},
            {u"bar"_s, u"Top"_s, PropertyType::Integer, 28},
            {u"edit"_s, u"Text"_s, PropertyType::Text, u"<directoryname>.m3u"_s},
            {u"pages"_s, u"ActivePage"_s, PropertyType::ComponentRef, u"TabSheet10"_s},
            {u"box"_s, u"Items"_s, PropertyType::TextList, QStringList{u"*.mp3"_s}},
        },
        StateStorage::Placement::Stored);
    return storage;
}

// A window whose placement the test controls.
class FakeWindow : public PlacementAccess
{
public:
    WindowPlacement current;
    QSize screen{1024, 768};
    int ppi = 96;
    std::optional<RestoredPlacement> applied;

    WindowPlacement placement() const override { return current; }
    QSize screenSize() const override { return screen; }
    int pixelsPerInch() const override { return ppi; }
    void applyPlacement(const RestoredPlacement& p) override { applied = p; }
};

const auto readAll = testfiles::read;

} // namespace

class TestStateStorage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void storedValuesReadBack_data();
    void storedValuesReadBack();
    void textValuesSurviveSaveAndRestore_data();
    void textValuesSurviveSaveAndRestore();
    void saveWritesFormVersionPlacementAndPropertiesInOrder();
    void missingKeysKeepTheirValues();
    void negativeFormVersionRestoresNothing();
    void emptyListLeavesNoSectionAndRestoreKeepsTheList();
    void listCountBeyondItsLinesIsCapped();
    void placementFromAnotherResolutionIsIgnored();
    void placementFallbacks();
    void showCmdStates_data();
    void showCmdStates();
    void readOnlyFileSurvivesASave();
    void otherSectionsAndCommentsSurviveASave();

    void keyTablesAreConsistent();
    void effectiveOptionValues();
};

void TestStateStorage::storedValuesReadBack_data()
{
    QTest::addColumn<PropertyType>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("changes");
    QTest::addColumn<PropertyValue>("value");

    QTest::newRow("True") << PropertyType::Boolean << u"True"_s << true << PropertyValue(true);
    QTest::newRow("true") << PropertyType::Boolean << u"true"_s << true << PropertyValue(true);
    QTest::newRow("TRUE") << PropertyType::Boolean << u"TRUE"_s << true << PropertyValue(true);
    QTest::newRow("fAlSe") << PropertyType::Boolean << u"fAlSe"_s << true << PropertyValue(false);
    QTest::newRow("yes leaves it") << PropertyType::Boolean << u"yes"_s << false << PropertyValue();
    QTest::newRow("1 leaves it") << PropertyType::Boolean << u"1"_s << false << PropertyValue();
    QTest::newRow("number") << PropertyType::Integer << u"-12"_s << true << PropertyValue(-12);
    QTest::newRow("not a number gives 0")
        << PropertyType::Integer << u"12px"_s << true << PropertyValue(0);
    QTest::newRow("empty number gives 0")
        << PropertyType::Integer << QString() << true << PropertyValue(0);
    QTest::newRow("overflow gives 0")
        << PropertyType::Integer << u"99999999999"_s << true << PropertyValue(0);
    QTest::newRow("text") << PropertyType::Text << u"a b"_s << true << PropertyValue(u"a b"_s);
    QTest::newRow("component") << PropertyType::ComponentRef << u"TabSheet9"_s << true
                               << PropertyValue(u"TabSheet9"_s);
    QTest::newRow("(null) clears")
        << PropertyType::ComponentRef << u"(null)"_s << true << PropertyValue(QString());
    QTest::newRow("empty component leaves it")
        << PropertyType::ComponentRef << QString() << false << PropertyValue();
}

void TestStateStorage::storedValuesReadBack()
{
    QFETCH(PropertyType, type);
    QFETCH(QString, text);
    QFETCH(bool, changes);
    QFETCH(PropertyValue, value);
    const std::optional<PropertyValue> parsed = parseStoredValue(type, text);
    QCOMPARE(parsed.has_value(), changes);
    if (changes)
        QVERIFY(*parsed == value);
}

void TestStateStorage::textValuesSurviveSaveAndRestore_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << u"%N %A - %S"_s << u"%N %A - %S"_s;
    QTest::newRow("double-quoted") << u"\"quoted\""_s << u"\"\"quoted\"\""_s;
    QTest::newRow("single-quoted") << u"'x'"_s << u"\"'x'\""_s;
    QTest::newRow("quote inside only") << u"Guns 'n' Roses"_s << u"Guns 'n' Roses"_s;
    QTest::newRow("leading and trailing blanks") << u" - "_s << u"\" - \""_s;
    QTest::newRow("one blank") << u" "_s << u"\" \""_s;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("umlauts and CJK") << u"Größe 東京"_s << u"Größe 東京"_s;
}

void TestStateStorage::textValuesSurviveSaveAndRestore()
{
    QFETCH(QString, text);
    QFETCH(QString, written);
    QCOMPARE(formatStoredValue(PropertyType::Text, text), written);

    QTemporaryDir dir;
    const SettingsFile file = SettingsFile::inDirectory(dir.path());
    ValueMap values(sampleStorage());
    const StoredProperty& edit = sampleStorage().properties()[2];
    values.setValue(edit, text);
    QVERIFY(sampleStorage().save(file, values).ok());

    ValueMap restored(sampleStorage());
    QVERIFY(sampleStorage().restore(file, restored).ok());
    QVERIFY(restored.value(edit) == PropertyValue(text));
}

void TestStateStorage::saveWritesFormVersionPlacementAndPropertiesInOrder()
{
    ValueMap values(sampleStorage());
    const auto& props = sampleStorage().properties();
    values.setValue(props[0], false);
    values.setValue(props[1], 7);
    values.setValue(props[3], QString());
    values.setValue(props[4], QStringList{u"*.wav"_s, u"*.mp3"_s});
    FakeWindow window;
    window.current = {2, 3, {-1, -1}, {-4, -4}, {10, 20, 810, 620}};

    IniDocument doc;
    sampleStorage().saveTo(doc, values, &window);
    QCOMPARE(doc.toBytes(), QByteArray("[win]\r\n"
                                       "FormVersion=0\r\n"
                                       "Flags=2\r\n"
                                       "ShowCmd=3\r\n"
                                       "PixelsPerInch=96\r\n"
                                       "MinMaxPos(1024x768)=-1,-1,-4,-4\r\n"
                                       "MinMaxPos=-1,-1,-4,-4\r\n"
                                       "NormPos(1024x768)=10,20,810,620\r\n"
                                       "NormPos=10,20,810,620\r\n"
                                       "Visible=0\r\n"
                                       "flag_Checked=False\r\n"
                                       "bar_Top=7\r\n"
                                       "edit_Text=<directoryname>.m3u\r\n"
                                       "pages_ActivePage=(null)\r\n"
                                       "\r\n"
                                       "[win.box_Items]\r\n"
                                       "Count=2\r\n"
                                       "Item0=*.wav\r\n"
                                       "Item1=*.mp3\r\n"));

    ValueMap restored(sampleStorage());
    restored.setValue(props[3], u"TabSheet9"_s);
    FakeWindow other;
    sampleStorage().restoreFrom(doc, restored, &other);
    for (const StoredProperty& p : props)
        QVERIFY2(restored.value(p) == values.value(p), qPrintable(p.key()));
    QVERIFY(other.applied);
    QCOMPARE(other.applied->state, WindowShowState::Maximized);
    QCOMPARE(other.applied->flags, 2);
    QCOMPARE(other.applied->maxPosition, QPoint(-4, -4));
    QCOMPARE(*other.applied->normal, (WindowEdges{10, 20, 810, 620}));
}

void TestStateStorage::missingKeysKeepTheirValues()
{
    ValueMap values(sampleStorage());
    const auto& props = sampleStorage().properties();
    values.setValue(props[1], 99);
    values.setValue(props[2], u"kept"_s);
    sampleStorage().restoreFrom(IniDocument::parse("[win]\nflag_Checked=false\n"), values);
    QVERIFY(values.value(props[0]) == PropertyValue(false));
    QVERIFY(values.value(props[1]) == PropertyValue(99));
    QVERIFY(values.value(props[2]) == PropertyValue(u"kept"_s));
}

void TestStateStorage::negativeFormVersionRestoresNothing()
{
    ValueMap values(sampleStorage());
    FakeWindow window;
    sampleStorage().restoreFrom(
        IniDocument::parse("[win]\nFormVersion=-1\nflag_Checked=False\nShowCmd=3\n"), values,
        &window);
    QVERIFY(values.value(sampleStorage().properties()[0]) == PropertyValue(true));
    QVERIFY(!window.applied);
}

void TestStateStorage::emptyListLeavesNoSectionAndRestoreKeepsTheList()
{
    const StoredProperty& box = sampleStorage().properties()[4];
    ValueMap values(sampleStorage());
    values.setValue(box, QStringList());
    IniDocument doc = IniDocument::parse("[win.box_Items]\nCount=1\nItem0=old\n");
    sampleStorage().saveTo(doc, values);
    QVERIFY(!doc.hasSection(u"win.box_Items"));

    ValueMap restored(sampleStorage());
    restored.setValue(box, QStringList{u"as it was"_s});
    sampleStorage().restoreFrom(doc, restored);
    QVERIFY(restored.value(box) == PropertyValue(QStringList{u"as it was"_s}));
}

void TestStateStorage::listCountBeyondItsLinesIsCapped()
{
    const StoredProperty& box = sampleStorage().properties()[4];
    ValueMap values(sampleStorage());
    sampleStorage().restoreFrom(
        IniDocument::parse("[win.box_Items]\nCount=2147483647\nItem0=a\nItem2=c\n"), values);
    // Three lines in the section: Item0, a missing Item1, and Item2.
    QVERIFY(values.value(box) == PropertyValue(QStringList{u"a"_s, QString(), u"c"_s}));
}

void TestStateStorage::placementFromAnotherResolutionIsIgnored()
{
    const QByteArray file = "[win]\nPixelsPerInch=120\nShowCmd=3\nNormPos=1,2,300,400\n"
                            "flag_Checked=False\n";
    ValueMap values(sampleStorage());
    FakeWindow window;
    sampleStorage().restoreFrom(IniDocument::parse(file), values, &window);
    QVERIFY(!window.applied);
    QVERIFY(values.value(sampleStorage().properties()[0]) == PropertyValue(false));

    window.ppi = 120;
    sampleStorage().restoreFrom(IniDocument::parse(file), values, &window);
    QVERIFY(window.applied);
}

void TestStateStorage::placementFallbacks()
{
    FakeWindow window;
    window.current.normal = {5, 6, 700, 800};
    ValueMap values(sampleStorage());

    // The key with the present screen size wins over the plain one.
    sampleStorage().restoreFrom(
        IniDocument::parse("[win]\nNormPos(1024x768)=1,1,50,50\nNormPos=9,9,90,90\n"), values,
        &window);
    QCOMPARE(*window.applied->normal, (WindowEdges{1, 1, 50, 50}));

    // Numbers that do not parse: 0 for MinMaxPos, the present edges for NormPos.
    sampleStorage().restoreFrom(IniDocument::parse("[win]\nMinMaxPos=x,3,y\nNormPos=a,7,b,c\n"),
                                values, &window);
    QCOMPARE(window.applied->minPosition, QPoint(0, 3));
    QCOMPARE(window.applied->maxPosition, QPoint(0, 0));
    QCOMPARE(*window.applied->normal, (WindowEdges{5, 7, 700, 800}));

    // A normal position whose left is not less than its right is not applied.
    sampleStorage().restoreFrom(IniDocument::parse("[win]\nNormPos=500,0,500,10\n"), values,
                                &window);
    QVERIFY(!window.applied->normal);
}

void TestStateStorage::showCmdStates_data()
{
    QTest::addColumn<int>("showCmd");
    QTest::addColumn<WindowShowState>("state");
    for (int c : {2, 6, 7})
        QTest::addRow("%d", c) << c << WindowShowState::Minimized;
    QTest::addRow("3") << 3 << WindowShowState::Maximized;
    for (int c : {0, 1, 5, 9, 42})
        QTest::addRow("%d", c) << c << WindowShowState::Normal;
}

void TestStateStorage::showCmdStates()
{
    QFETCH(int, showCmd);
    QFETCH(WindowShowState, state);
    QCOMPARE(showStateFromShowCmd(showCmd), state);
}

void TestStateStorage::readOnlyFileSurvivesASave()
{
    QTemporaryDir dir;
    const SettingsFile file = SettingsFile::inDirectory(dir.path());
    {
        QFile f(file.path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[win]\r\nflag_Checked=True\r\n");
    }
    QVERIFY(QFile::setPermissions(file.path(), QFile::ReadOwner));
    const QByteArray before = readAll(file.path());
    ValueMap values(sampleStorage());
    values.setValue(sampleStorage().properties()[0], false);
    QCOMPARE(sampleStorage().save(file, values).code(), ErrorCode::ReadOnly);
    QCOMPARE(readAll(file.path()), before);
}

void TestStateStorage::otherSectionsAndCommentsSurviveASave()
{
    QTemporaryDir dir;
    const SettingsFile file = SettingsFile::inDirectory(dir.path());
    const QByteArray foreign = "; my notes\r\n[Favoriten]\r\nMusik=/m\r\n";
    {
        QFile f(file.path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(foreign);
    }
    QVERIFY(optionsStorage().save(file, ValueMap(optionsStorage())).ok());
    const QByteArray after = readAll(file.path());
    QVERIFY(after.startsWith(foreign));
    QVERIFY(after.contains("\r\n[options]\r\nFormVersion=0\r\nachtungschreibschutz_Checked=False"));
    QVERIFY(!after.contains("options.ListBox2_Items")); // an empty list has no section

    // Saving the same values again changes nothing.
    QVERIFY(optionsStorage().save(file, ValueMap(optionsStorage())).ok());
    QCOMPARE(readAll(file.path()), after);
}

void TestStateStorage::keyTablesAreConsistent()
{
    for (const StateStorage* storage : {&mainWindowStorage(), &optionsStorage()}) {
        QSet<QString> keys;
        for (const StoredProperty& p : storage->properties()) {
            const QString key = p.key().toCaseFolded();
            QVERIFY2(!keys.contains(key), qPrintable(p.key()));
            keys.insert(key);
            QVERIFY2(propertyTypeOf(p.property) == p.type, qPrintable(p.key()));
            const std::size_t expected = p.type == PropertyType::Boolean    ? 0
                                         : p.type == PropertyType::Integer  ? 1
                                         : p.type == PropertyType::TextList ? 3
                                                                            : 2;
            QVERIFY2(p.defaultValue.index() == expected, qPrintable(p.key()));
        }
    }
    QCOMPARE(mainWindowStorage().properties().size(), 86);
    QCOMPARE(optionsStorage().properties().size(), 47);
    QCOMPARE(mainWindowExplicitKeys().size(), 10);
    QVERIFY(mainWindowStorage().storesPlacement());
    QVERIFY(!optionsStorage().storesPlacement());
    QCOMPARE(mainWindowStorage().properties().front().key(), u"CheckBox1_Checked"_s);
    QCOMPARE(mainWindowStorage().properties().back().key(), u"ToolBar7_Left"_s);
    QCOMPARE(mainWindowStorage().listSection(*mainWindowStorage().find(u"dateienliste_filters")),
             u"Ansicht+Gewähltes.dateienliste_Filters"_s);
    QCOMPARE(optionsStorage().listSection(*optionsStorage().find(u"ListBox2_Items")),
             u"options.ListBox2_Items"_s);
    QCOMPARE(findExplicitKey(u"DATEIENLISTE.columns[4]")->defaultValue, 57);
}

void TestStateStorage::effectiveOptionValues()
{
    const ValueMap defaults = ValueMap::effective(optionsStorage(), IniDocument());
    QVERIFY(defaults.boolValue(u"CheckBox3_Checked"));
    QCOMPARE(defaults.textValue(u"trenner_Text"), u"-"_s);
    QCOMPARE(defaults.intValue(u"ColorPickerButton1_SelectionColor"), 255);
    QCOMPARE(defaults.textValue(u"zwischenraumwahl_Text"), u"Leerzeichen"_s);

    const auto read = [](const char* key, const char* value) {
        const QByteArray file = QByteArray("[options]\n") + key + '=' + value + '\n';
        return ValueMap::effective(optionsStorage(), IniDocument::parse(file))
            .boolValue(QString::fromLatin1(key));
    };
    QCOMPARE(read("CheckBox3_Checked", "false"), false);
    QCOMPARE(read("checkbox3_checked", "true"), true);
    QCOMPARE(read("CheckBox2_Checked", "TRUE"), true);
    // Not a boolean text: the default stays (on for CheckBox3, off for CheckBox2).
    QCOMPARE(read("CheckBox3_Checked", "yes"), true);
    QCOMPARE(read("CheckBox2_Checked", "yes"), false);
}

QTEST_GUILESS_MAIN(TestStateStorage)
#include "tst_statestorage.moc"
