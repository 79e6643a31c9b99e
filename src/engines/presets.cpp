// SPDX-License-Identifier: GPL-3.0-or-later
#include "engines/presets.h"

#include "core/integers.h"
#include "core/settingskeys.h"

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

// The settings keys of the fields, without the preset's number, in the order written.
struct FieldKey
{
    QStringView key;
    QStringView cliName;
    QString Tname2tagrec::*member;
};

const QList<FieldKey>& fieldKeys()
{
    static const QList<FieldKey> keys = {
        {u"name", u"name", &Tname2tagrec::name},
        {u"dir1_", u"dir1", &Tname2tagrec::dir1},
        {u"dir2_", u"dir2", &Tname2tagrec::dir2},
        {u"filename", u"filename", &Tname2tagrec::filename},
        {u"tagtitel", u"title", &Tname2tagrec::tagtitel},
        {u"tagartist", u"artist", &Tname2tagrec::tagartist},
        {u"tagcomment", u"comment", &Tname2tagrec::tagcomment},
        {u"tagtrack", u"track", &Tname2tagrec::tagtrack},
        {u"tagalbum", u"album", &Tname2tagrec::tagalbum},
        {u"tagyear", u"year", &Tname2tagrec::tagyear},
    };
    return keys;
}

} // namespace

const Tname2tag& builtinPresets()
{
    static const Tname2tag presets = {
        {u"Normal Album"_s, QString(), u"%K-%A (%J)"_s, u"%N %S"_s, u"%S"_s, u"%K"_s, u"Track %N"_s,
         u"%N"_s, u"%A"_s, u"%J"_s},
        {u"Sampler/Compilation"_s, QString(), u"%A (%J)"_s, u"%N %K-%S"_s, u"%S"_s, u"%K"_s,
         u"Track %N"_s, u"%N"_s, u"%A"_s, u"%J"_s},
    };
    return presets;
}

Tname2tag readPresets(const IniDocument& settings)
{
    const QStringView section = sections::name2tag;
    if (!settings.hasSection(section))
        return builtinPresets();
    qint64 count = parsePlatformInteger(settings.value(section, u"Anzahl", QString())).value_or(0);
    // A damaged count cannot make the reader build millions of empty presets.
    count = qBound<qint64>(0, count, settings.keys(section).size());
    Tname2tag presets;
    for (qint64 i = 0; i < count; ++i) {
        Tname2tagrec preset;
        const QString number = QString::number(i);
        for (const FieldKey& field : fieldKeys())
            preset.*field.member =
                settings.value(section, QString(field.key.toString() + number), QString());
        presets.append(preset);
    }
    return presets;
}

Status writePresets(IniDocument& settings, const Tname2tag& presets)
{
    const QString section = sections::name2tag.toString();
    IniDocument changed = settings;
    changed.eraseSection(section);
    if (Status s = changed.setValue(section, u"Anzahl"_s, QString::number(presets.size())); !s.ok())
        return s;
    for (qsizetype i = 0; i < presets.size(); ++i) {
        const QString number = QString::number(i);
        for (const FieldKey& field : fieldKeys()) {
            if (Status s = changed.setValue(section, QString(field.key.toString() + number),
                                            presets[i].*field.member);
                !s.ok())
                return s;
        }
    }
    settings = changed;
    return {};
}

const QStringList& presetFieldNames()
{
    static const QStringList names = [] {
        QStringList n;
        for (const FieldKey& field : fieldKeys().sliced(1))
            n.append(field.cliName.toString());
        return n;
    }();
    return names;
}

QString* presetField(Tname2tagrec& preset, QStringView field)
{
    for (const FieldKey& f : fieldKeys()) {
        if (f.cliName == field)
            return &(preset.*f.member);
    }
    return nullptr;
}

const QString* presetField(const Tname2tagrec& preset, QStringView field)
{
    return presetField(const_cast<Tname2tagrec&>(preset), field);
}

qsizetype findPreset(const Tname2tag& presets, QStringView name)
{
    for (qsizetype i = 0; i < presets.size(); ++i) {
        if (presets[i].name == name)
            return i;
    }
    return -1;
}

} // namespace varnolite
