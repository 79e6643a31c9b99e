// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/renameflow.h"

#include "cli/progressbar.h"
#include "core/paths.h"
#include "core/settingskeys.h"

#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

// The new name as the table shows it: the name alone when the entry stays in its directory,
// the path below the old directory, or the whole path.
QString shownTarget(const QString& source, const QString& target)
{
    const QString dir = addTrailingSeparator(directoryOf(source));
    return target.startsWith(dir) ? target.mid(dir.size()) : target;
}

void printTable(Context& context, const QList<PreviewLine>& lines, bool fullPaths)
{
    QList<std::pair<QString, QString>> rows;
    qsizetype width = 0;
    for (const PreviewLine& line : lines) {
        if (line.source == line.target)
            continue; // unchanged entries are not listed
        QString from = fullPaths ? line.source : fileNameOf(line.source);
        QString to = fullPaths ? line.target : shownTarget(line.source, line.target);
        width = qMax(width, from.size());
        rows.append({std::move(from), std::move(to)});
    }
    width = qMin<qsizetype>(width, 60);
    LinePrinter printer(context.io);
    for (const auto& [from, to] : rows)
        printer.print(QString(from.leftJustified(width) + u"  ->  "_s + to));
}

bool confirm(Context& context, qsizetype count)
{
    context.io.err() << "Rename " << count << (count == 1 ? " file" : " files") << "? [y/N] "
                     << Qt::flush;
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    return answer == u"y" || answer == u"yes" || answer == u"j" || answer == u"ja";
}

} // namespace

QList<OptionSpec> renameFlowOptions()
{
    return {
        {{u"y"_s, u"yes"_s}, {}, u"rename without asking"_s},
        {{u"n"_s, u"dry-run"_s}, {}, u"show what would be renamed and rename nothing"_s},
        {{u"full-paths"_s}, {}, u"show full paths in the preview"_s},
        {{u"move-to"_s},
         u"DIR"_s,
         u"move renamed folders into DIR (\"Nach dem Umbennen hierhin verschieben\")"_s},
        {{u"move-files"_s}, {}, u"with --move-to, move renamed files too, not only folders"_s},
        {{u"no-move"_s}, {}, u"do not move into the collecting directory of the settings"_s},
    };
}

RenameOptions renameOptionsFrom(const Context& context, const ArgParser& args)
{
    RenameOptions options;
    const auto doc = context.settings().load();
    const ValueMap values =
        ValueMap::effective(optionsStorage(), doc.ok() ? doc.value() : IniDocument());
    options.moveAfterRename = values.boolValue(u"afterrename_Checked");
    options.collectingDirectory = values.textValue(u"afterrenamedir_Text");
    options.onlyCompleteDirectories = values.boolValue(u"afterrename_onlydirs_Checked", true);
    if (args.isSet(u"move-to")) {
        options.moveAfterRename = true;
        options.collectingDirectory = args.value(u"move-to");
    }
    if (args.isSet(u"move-files"))
        options.onlyCompleteDirectories = false;
    if (args.isSet(u"no-move"))
        options.moveAfterRename = false;
    // The command line previews and asks on its own terms.
    options.showPreview = true;
    return options;
}

int runRenameBatch(Context& context, const ArgParser& args, RenameBatch batch,
                   const ConfirmedHook& confirmed)
{
    qsizetype changing = 0;
    for (qsizetype i = 0; i < batch.size(); ++i)
        changing += batch.sources[i] != batch.targets[i];
    if (changing == 0) {
        context.io.err() << "Nothing to rename." << Qt::endl;
        return ExitOk;
    }
    const bool dryRun = args.isSet(u"dry-run");
    const bool yes = args.isSet(u"yes");
    if (!dryRun && !yes && ::isatty(STDIN_FILENO) != 1) {
        context.io.err() << "varnolite-cli: renaming needs a confirmation; run it on a terminal, "
                            "or give --yes or --dry-run"
                         << Qt::endl;
        return ExitUsage;
    }

    const RenameOptions options = renameOptionsFrom(context, args);
    UndoLog log = UndoLog::inDirectory(context.dataDir);
    bool declined = false;
    RenameHooks hooks;
    hooks.preview = [&](QList<PreviewLine>& lines) {
        printTable(context, lines, args.isSet(u"full-paths"));
        if (dryRun) {
            context.io.err() << changing << (changing == 1 ? " entry" : " entries")
                             << " would be renamed (dry run)." << Qt::endl;
            return PreviewDecision::Cancel;
        }
        if (!yes && !confirm(context, changing)) {
            declined = true;
            return PreviewDecision::Cancel;
        }
        if (confirmed) {
            QStringList sources;
            for (const PreviewLine& line : lines) {
                if (line.checked)
                    sources.append(line.source);
            }
            confirmed(sources);
        }
        return PreviewDecision::Ok;
    };
    RenameReport report;
    {
        ProgressBar progress(context.io, u"Renaming"_s);
        hooks.progress = progress.hook();
        report = ApplyRenameBatch(batch, options, log, hooks);
    }

    if (report.cancelled) {
        if (declined)
            context.io.err() << "Nothing renamed." << Qt::endl;
        return declined ? ExitFailed : ExitOk;
    }
    if (!report.logStatus.ok()) {
        context.fail(u"undo log"_s, report.logStatus.message() + u" (nothing renamed)"_s);
        return ExitFailed;
    }
    for (const PathError& e : report.errors)
        context.fail(e.path, e.message);
    context.io.out() << "Renamed " << report.renamed << " of " << changing
                     << (changing == 1 ? " entry." : " entries.") << Qt::endl;
    return report.errors.isEmpty() ? ExitOk : ExitFailed;
}

} // namespace varnolite::cli
