// SPDX-License-Identifier: GPL-3.0-or-later
// "rename": one file or folder, or a list of pairs, through the rename pipeline (logged,
// undoable).
#include "cli/cli.h"
#include "cli/renameflow.h"

#include "core/safefile.h"
#include "core/textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

QString absolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Lines "SOURCE<TAB>TARGET"; empty lines are skipped.
bool readPairs(Context& context, const QString& file, RenameBatch& batch)
{
    QByteArray bytes;
    if (file == u"-") {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return false;
        bytes = in.readAll();
    } else {
        auto read = readFileBytes(file, 256LL * 1024 * 1024);
        if (!read.ok()) {
            context.fail(file, read.status().message());
            return false;
        }
        bytes = std::move(read).value();
    }
    const QStringList lines = decodeTextLines(bytes);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const QStringList parts = lines[i].split(u'\t');
        if (parts.size() != 2 || parts[0].isEmpty() || parts[1].isEmpty()) {
            context.fail(file + u':' + QString::number(i + 1), u"expected SOURCE<TAB>TARGET"_s);
            return false;
        }
        batch.append(absolute(parts[0]), absolute(parts[1]));
    }
    return true;
}

int runRename(Context& context, const ArgParser& args)
{
    RenameBatch batch;
    const QStringList& paths = args.positionals();
    if (args.isSet(u"pairs")) {
        if (!paths.isEmpty()) {
            context.io.err() << "varnolite-cli rename: give SOURCE TARGET or --pairs, not both"
                             << Qt::endl;
            return ExitUsage;
        }
        if (!readPairs(context, args.value(u"pairs"), batch))
            return ExitUsage;
    } else if (paths.size() == 2) {
        batch.append(absolute(paths[0]), absolute(paths[1]));
    } else {
        return usageHint(context, u"rename"_s, u"needs SOURCE TARGET"_s);
    }
    return runRenameBatch(context, args, std::move(batch));
}

} // namespace

Command renameCommand()
{
    QList<OptionSpec> options{
        {{u"pairs"_s}, u"FILE"_s, u"rename the pairs listed in FILE (\"-\" for stdin)"_s},
    };
    options += renameFlowOptions();
    return {
        u"rename"_s,
        u"rename files or folders, logged for undo"_s,
        u"[options] SOURCE TARGET | --pairs FILE"_s,
        u"Renames SOURCE to TARGET (paths relative to the current directory) through the rename\n"
        "pipeline: the preview is printed, the rename is asked for, logged in the undo log and "
        "can\n"
        "be taken back with \"varnolite-cli undo\". An existing target is never overwritten;\n"
        "missing directories of the target are created. With --pairs, every line of FILE holds\n"
        "one SOURCE and its TARGET separated by a tab; the pairs form one batch, renamed from the\n"
        "last line to the first. Without a terminal, --yes or --dry-run is needed."_s,
        options,
        runRename,
    };
}

} // namespace varnolite::cli
