// SPDX-License-Identifier: GPL-3.0-or-later
// Album presets of name to tag: how the names of two directory levels and of the file are cut
// into pieces, and how the tag fields are made from them. Kept in the settings file's section
// "name2tag".
#pragma once

#include "core/inidocument.h"
#include "core/status.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace varnolite {

struct Tname2tagrec
{
    QString name;
    QString dir1;     // the directory above the file's directory
    QString dir2;     // the file's own directory
    QString filename; // the file name
    QString tagtitel;
    QString tagartist;
    QString tagcomment;
    QString tagtrack;
    QString tagalbum;
    QString tagyear;
    friend bool operator==(const Tname2tagrec&, const Tname2tagrec&) = default;
};

using Tname2tag = QList<Tname2tagrec>;

/// "Normal Album" and "Sampler/Compilation": the presets when the settings have none.
const Tname2tag& builtinPresets();

/// The presets of a settings document: "Anzahl" presets of section "name2tag" (a missing key
/// reads as empty, a missing or unreadable "Anzahl" as 0, and a count beyond the keys the
/// section holds is capped there); the built-in ones when the section is missing.
Tname2tag readPresets(const IniDocument& settings);

/// Erases the section and writes "Anzahl", then the ten keys of every preset in order.
Status writePresets(IniDocument& settings, const Tname2tag& presets);

/// A preset's fields under the names the command line uses, in the order of the settings keys
/// (without the name): dir1, dir2, filename, title, artist, comment, track, album, year.
const QStringList& presetFieldNames();
/// The field of that name; nullptr for an unknown one.
QString* presetField(Tname2tagrec& preset, QStringView field);
const QString* presetField(const Tname2tagrec& preset, QStringView field);

/// The index of the first preset of that name; -1 when there is none.
qsizetype findPreset(const Tname2tag& presets, QStringView name);

} // namespace varnolite
