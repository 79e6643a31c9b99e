// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/settingsvalues.h"

#include "core/settingskeys.h"
#include "engines/renameactions.h"

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

ValueMap effectiveValues(const Context& context, const StateStorage& storage)
{
    const auto doc = context.settings().load();
    return ValueMap::effective(storage, doc.ok() ? doc.value() : IniDocument());
}

} // namespace

ValueMap optionsValues(const Context& context)
{
    return effectiveValues(context, optionsStorage());
}

ValueMap mainWindowValues(const Context& context)
{
    return effectiveValues(context, mainWindowStorage());
}

QString blankReplacement(const Context& context, const ArgParser& args)
{
    if (args.isSet(u"blank"))
        return args.value(u"blank");
    return blankReplacementFor(
        optionsValues(context).textValue(u"zwischenraumwahl_Text", u"Leerzeichen"_s));
}

OptionSpec blankOption()
{
    return {{u"blank"_s},
            u"TEXT"_s,
            u"blank replacement (default: \"Zwischenräume als\" of the settings)"_s};
}

TagSettings tagSettings(const Context& context, const ArgParser& args)
{
    const ValueMap options = optionsValues(context);
    TagSettings s;
    bool respect = options.boolValue(u"achtungschreibschutz_Checked");
    s.useLyrics3 = options.boolValue(u"lyrcstag_Checked", true);
    if (args.isSet(u"respect-readonly"))
        respect = true;
    if (args.isSet(u"ignore-readonly"))
        respect = false;
    if (args.isSet(u"lyrics3"))
        s.useLyrics3 = true;
    if (args.isSet(u"no-lyrics3"))
        s.useLyrics3 = false;
    s.readOnly = respect ? ReadOnlyFiles::Respect : ReadOnlyFiles::Override;
    return s;
}

QList<OptionSpec> tagWriteOptions()
{
    return {
        {{u"no-lyrics3"_s}, {}, u"write no Lyrics3 block"_s},
        {{u"lyrics3"_s}, {}, u"use Lyrics3 whatever the settings say"_s},
        {{u"respect-readonly"_s},
         {},
         u"leave read-only files alone (\"Schreibschutz beachten\")"_s},
        {{u"ignore-readonly"_s}, {}, u"write read-only files too"_s},
    };
}

} // namespace varnolite::cli
