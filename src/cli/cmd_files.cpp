// SPDX-License-Identifier: GPL-3.0-or-later
// "files": the working file set of the given paths.
#include "cli/cli.h"
#include "cli/paths.h"

#include "core/fileset.h"
#include "core/settingskeys.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

FileMask fileMask(const Context& context, const ArgParser& args)
{
    return FileMask(args.isSet(u"mask") ? args.value(u"mask") : explorerMask(context));
}

int runFiles(Context& context, const ArgParser& args)
{
    if (args.positionals().isEmpty())
        return usageHint(context, u"files"_s, u"no PATH given"_s);
    bool failed = false;
    FileSet files = gatherPaths(context, args.positionals(), failed);
    QList<PathError> errors;
    if (args.isSet(u"json")) {
        if (args.isSet(u"recursive"))
            errors = ExpandRecursive(files, fileMask(context, args));
        context.io.out() << QJsonDocument(QJsonArray::fromStringList(files)).toJson();
    } else if (args.isSet(u"recursive")) {
        // Printed while the tree is read: memory stays that of one directory.
        LinePrinter printer(context.io);
        errors = ExpandRecursive(files, fileMask(context, args),
                                 [&](const QString& path, bool) { printer.print(path); });
    } else {
        context.io.printLines(files);
    }
    for (const PathError& e : errors) {
        context.fail(e.path, e.message);
        failed = true;
    }
    return failed ? ExitFailed : ExitOk;
}

} // namespace

Command filesCommand()
{
    return {
        u"files"_s,
        u"list the working file set of paths"_s,
        u"[-r] [--mask MASK] [--json] PATH..."_s,
        u"Prints the file set a command would work on, one full path a line: the given paths,\n"
        "and with -r each directory followed by its content (subdirectories first, each followed\n"
        "by its own content, then the directory's files whose names match the mask, sorted by\n"
        "name without regard to case). Symbolic links to directories inside are listed, not\n"
        "followed. The mask defaults to the explorer filter of the settings (\"*.mp3\")."_s,
        {
            {{u"r"_s, u"recursive"_s}, {}, u"expand directories (\"Rekursiv in Verzeichnisse\")"_s},
            {{u"mask"_s}, u"MASK"_s, u"file name mask, e.g. \"*.mp3\" or \"*.mp3;*.wav\""_s},
            {{u"json"_s}, {}, u"print a JSON array"_s},
        },
        runFiles,
    };
}

} // namespace varnolite::cli
