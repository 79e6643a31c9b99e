// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settingskeys.h"

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

// One stored property from its "Component.Property" path; the type follows from the property.
StoredProperty entry(QStringView path, PropertyValue defaultValue)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    StoredProperty p{path.left(dot).toString(), path.mid(dot + 1).toString(), PropertyType::Text,
                     std::move(defaultValue)};
    p.type = propertyTypeOf(p.property).value_or(PropertyType::Text);
    return p;
}

QList<StoredProperty> mainWindowProperties()
{
    QList<StoredProperty> p;
    for (int i = 1; i <= 8; ++i)
        p.append(entry(u"CheckBox%1.Checked"_s.arg(i), false));
    p += {
        entry(u"entklammern.Checked", false),
        entry(u"entfernen.Checked", false),
        entry(u"gkschreibung.Checked", false),
        entry(u"kuerzen.Checked", false),
        entry(u"loeschen.Checked", false),
        entry(u"Standart2.Checked", true),
        entry(u"zeichenloeschen.Checked", false),
        entry(u"ToolBar1.Top", 28),
        entry(u"ToolBar1.Left", 116),
        entry(u"ToolBar2.Top", 28),
        entry(u"ToolBar2.Left", 304),
        entry(u"ToolBar3.Top", 28),
        entry(u"ToolBar3.Left", 409),
        entry(u"ToolBar1.Visible", true),
        entry(u"ToolBar2.Visible", true),
        entry(u"ToolBar3.Visible", true),
        entry(u"StatusBar1.Visible", true),
        entry(u"Statusleiste2.Checked", true),
        entry(u"SpeedButton21.Down", false),
        entry(u"SpeedButton22.Down", false),
        entry(u"SpeedButton23.Down", false),
        entry(u"SpeedButton24.Down", true),
        entry(u"WinampBedienung1.Checked", true),
        entry(u"Menu2.Checked", true),
        entry(u"Ansicht.Checked", true),
        entry(u"playlistauto.Checked", false),
        entry(u"Edit7.Text", u"<directoryname>.m3u"_s),
        entry(u"inwasandern.Text", u"Leerzeichen"_s),
        entry(u"wasloeschen.Text", QString()),
        entry(u"Edit6.Text", QString()),
        entry(u"tag_album_wahl.Text", QString()),
        entry(u"Ansicht1.Checked", true),
        entry(u"Menu1.Checked", true),
        entry(u"WinampBedienung2.Checked", true),
        entry(u"Standart1.Checked", true),
        entry(u"DateiInfolesen1.Checked", true),
        entry(u"Tagsuchen1.Checked", true),
        entry(u"cutspaces.Checked", false),
        entry(u"saveonexit1.Checked", true),
        entry(u"notagthere.Checked", false),
        entry(u"Verzeichnisseanzeigen1.Checked", true),
        entry(u"Laufwerke1.Checked", true),
        entry(u"Laufwerke2.Checked", true),
        entry(u"Filterbox3.Checked", true),
        entry(u"Filterbox1.Checked", true),
        entry(u"renamedir.Checked", true),
        entry(u"wasentfernen.Text", u"Unterstriche"_s),
        entry(u"durchloeschen.Text", QString()),
        entry(u"Panel1.Width", 265),
        entry(u"groupname.Checked", false),
        entry(u"first_every.Text", QString()),
        entry(u"wasmachen.Text", QString()),
        entry(u"wiegross.Text", QString()),
        entry(u"woentklammern.Text", QString()),
        entry(u"wasentklammern.Text", QString()),
        entry(u"fast_tag.Text", u"%N %A - %S"_s),
        entry(u"presets.Checked", true),
        entry(u"schnelltaggen.Checked", false),
        entry(u"leaveold.Checked", false),
        entry(u"PageControlEx1.ActivePage", u"TabSheet10"_s),
        entry(u"Filterbox2.Text", u"*.mp3 (Mp3's)"_s),
        entry(u"dateienliste.Filters", QStringList{u"*.mp3"_s}),
        entry(u"Dirtreedir.Caption", QString()),
        entry(u"plain_text.Checked", false),
        entry(u"cddb_file.Checked", false),
        entry(u"force_extension.Checked", false),
        entry(u"ToolBar4.Visible", true),
        entry(u"ToolBar4.Top", 2),
        entry(u"ToolBar4.Left", 11),
        entry(u"ToolBar5.Visible", true),
        entry(u"ToolBar5.Top", 2),
        entry(u"ToolBar5.Left", 54),
        entry(u"ToolBar6.Left", 11),
        entry(u"ToolBar6.Visible", true),
        entry(u"ToolBar6.Top", 2),
        entry(u"ToolBar7.Top", 28),
        entry(u"ToolBar7.Visible", true),
        entry(u"ToolBar7.Left", 11),
    };
    return p;
}

QList<StoredProperty> optionsProperties()
{
    QList<StoredProperty> p = {
        entry(u"achtungschreibschutz.Checked", false),
        entry(u"CheckBox3.Checked", true),
        entry(u"CheckBox4.Checked", true),
        entry(u"showpreview.Checked", true),
        entry(u"sprachenfile.Caption", QString()),
        entry(u"cddbemail.Text", u"user@example.com"_s),
        entry(u"server1.Text", u"gnudb.gnudb.org"_s),
        entry(u"anzahlundo.Text", u"6"_s),
        entry(u"checkversion.Checked", false),
        entry(u"httpcddb.Checked", false),
        entry(u"Edit1.Text", QString()),
        entry(u"Edit2.Text", QString()),
        entry(u"Edit3.Text", QString()),
        entry(u"Edit4.Text", QString()),
        entry(u"useproxy.Checked", false),
        entry(u"spaceinfront.Checked", true),
        entry(u"trenner.Text", u"-"_s),
    };
    for (int i = 1; i <= 9; ++i)
        p.append(entry(u"HotKey%1.HotKey"_s.arg(i), 0));
    p += {
        entry(u"ListBox2.Items", QStringList()),
        entry(u"showsplash.Checked", true),
        entry(u"afterrename.Checked", false),
        entry(u"afterrenamedir.Text", QString()),
        entry(u"cddblog.Checked", false),
        entry(u"use_freedb.Checked", true),
        entry(u"server2.Text", u"freedb.dbpoweramp.com"_s),
        entry(u"freedb_port.Text", u"888"_s),
        entry(u"dateiformat.Text", u"%N %S"_s),
        entry(u"only_regged_files.Checked", false),
        entry(u"ColorPickerButton1.SelectionColor", 255),
        entry(u"JumpToNextFile.Checked", true),
        entry(u"lyrcstag.Checked", true),
        entry(u"notshowfulltag.Checked", true),
        entry(u"CheckBox1.Checked", true),
        entry(u"CheckBox2.Checked", false),
        entry(u"CheckBox5.Checked", true),
        entry(u"ifconnected.Checked", true),
        entry(u"kontextmenu.Checked", false),
        entry(u"afterrename_onlydirs.Checked", true),
        entry(u"zwischenraumwahl.Text", u"Leerzeichen"_s),
    };
    return p;
}

} // namespace

const StateStorage& mainWindowStorage()
{
    static const StateStorage storage(sections::mainWindow.toString(), mainWindowProperties(),
                                      StateStorage::Placement::Stored);
    return storage;
}

const StateStorage& optionsStorage()
{
    static const StateStorage storage(sections::options.toString(), optionsProperties());
    return storage;
}

const StateStorage* storageForSection(QStringView section)
{
    for (const StateStorage* s : {&mainWindowStorage(), &optionsStorage()}) {
        if (s->section().compare(section.trimmed(), Qt::CaseInsensitive) == 0)
            return s;
    }
    return nullptr;
}

const QList<ExplicitKey>& mainWindowExplicitKeys()
{
    static const QList<ExplicitKey> keys = {
        {u"wiegross.itemindex"_s, 0},        {u"wasmachen.itemindex"_s, 0},
        {u"wasentklammern.itemindex"_s, 0},  {u"woentklammern.itemindex"_s, 0},
        {u"first_every.itemindex"_s, 0},     {u"dateienliste.Columns[0]"_s, 300},
        {u"dateienliste.Columns[1]"_s, 80},  {u"dateienliste.Columns[2]"_s, 120},
        {u"dateienliste.Columns[3]"_s, 120}, {u"dateienliste.Columns[4]"_s, 57},
    };
    return keys;
}

const ExplicitKey* findExplicitKey(QStringView key)
{
    for (const ExplicitKey& k : mainWindowExplicitKeys()) {
        if (k.key.compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return &k;
    }
    return nullptr;
}

} // namespace varnolite
