// SPDX-License-Identifier: GPL-3.0-or-later
// Every key the program keeps in its settings file, with its default: the stored properties of
// the main window and of the options dialog, and the main window's explicitly written keys.
#pragma once

#include "core/statestorage.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace varnolite {

namespace sections {
/// The main window's state.
inline constexpr QStringView mainWindow = u"Ansicht+Gewähltes";
/// The options dialog's state.
inline constexpr QStringView options = u"options";
/// Name-to-tag album presets.
inline constexpr QStringView name2tag = u"name2tag";
/// Favourite folders.
inline constexpr QStringView favourites = u"Favoriten";
} // namespace sections

/// The main window's state storage (with window placement), properties in the order written.
const StateStorage& mainWindowStorage();
/// The options dialog's state storage, properties in the order written.
const StateStorage& optionsStorage();
/// The storage of one of the two state sections, or nullptr for any other section name.
const StateStorage* storageForSection(QStringView section);

/// A key the main window writes itself (choice-box indexes, column widths), as a decimal.
struct ExplicitKey
{
    QString key;
    int defaultValue;
};

/// The ten explicit keys of the main window's section, in the order written.
const QList<ExplicitKey>& mainWindowExplicitKeys();
/// The explicit key with that name, compared without regard to case; nullptr if none.
const ExplicitKey* findExplicitKey(QStringView key);

} // namespace varnolite
