// SPDX-License-Identifier: GPL-3.0-or-later
// Values the desktop program keeps in its settings file, as commands read them: the effective
// values of the two state sections, and the few settings several commands share, each with
// the flags that override it.
#pragma once

#include "cli/argparser.h"
#include "cli/cli.h"
#include "core/safefile.h"
#include "core/statestorage.h"

namespace varnolite::cli {

/// The effective values of the options dialog ("options") and of the main window
/// ("Ansicht+Gewähltes"): the file's values over the defaults.
ValueMap optionsValues(const Context& context);
ValueMap mainWindowValues(const Context& context);

/// The blank replacement of "Zwischenräume als", unless --blank TEXT is given.
QString blankReplacement(const Context& context, const ArgParser& args);
/// The option --blank TEXT.
OptionSpec blankOption();

/// How tags are written: "Schreibschutz beachten" and "Lyrics3v2.00 Tag benutzen bei langen
/// Beschreibungen" of the settings, overridden by --respect-readonly / --ignore-readonly and
/// --lyrics3 / --no-lyrics3.
struct TagSettings
{
    ReadOnlyFiles readOnly = ReadOnlyFiles::Override;
    bool useLyrics3 = true;
};
TagSettings tagSettings(const Context& context, const ArgParser& args);
/// The four flags of TagSettings.
QList<OptionSpec> tagWriteOptions();

} // namespace varnolite::cli
