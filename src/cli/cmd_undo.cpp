// SPDX-License-Identifier: GPL-3.0-or-later
// "undo": take renames back from the undo log.
#include "cli/cli.h"

#include "core/undolog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

// "[dd.MM.yyhh:mm:ss/dir/]" shown as "dd.MM.yy hh:mm:ss  /dir/".
QString describeHeader(const QString& header)
{
    if (header.size() < 19)
        return header;
    return header.mid(1, 8) + u' ' + header.mid(9, 8) + u"  "_s +
           header.mid(17, header.size() - 18);
}

int list(Context& context, const UndoLog& log, bool json)
{
    const QStringList& headers = log.headers();
    if (json) {
        QJsonArray array;
        for (qsizetype i = 0; i < headers.size(); ++i) {
            const QString& h = headers[i];
            array.append(
                QJsonObject{{u"number"_s, int(i)},
                            {u"header"_s, h},
                            {u"date"_s, h.mid(1, 8)},
                            {u"time"_s, h.mid(9, 8)},
                            {u"directory"_s, h.mid(17, qMax<qsizetype>(0, h.size() - 18))}});
        }
        context.io.out() << QJsonDocument(array).toJson();
        return ExitOk;
    }
    for (qsizetype i = 0; i < headers.size(); ++i)
        context.io.out() << i << "  " << describeHeader(headers[i]) << '\n';
    return ExitOk;
}

int runUndo(Context& context, const ArgParser& args)
{
    if (!args.positionals().isEmpty())
        return usageHint(context, u"undo"_s, u"takes no arguments"_s);
    UndoLog log = UndoLog::inDirectory(context.dataDir);
    log.loadHeaders();
    if (args.isSet(u"list"))
        return list(context, log, args.isSet(u"json"));

    qsizetype index = 0;
    if (args.isSet(u"to")) {
        bool ok = false;
        index = args.value(u"to").toLongLong(&ok);
        if (!ok || index < 0) {
            context.io.err() << "varnolite-cli undo: --to needs a batch number from undo --list"
                             << Qt::endl;
            return ExitUsage;
        }
    }
    if (log.headers().isEmpty()) {
        context.io.err() << "Nothing to undo." << Qt::endl;
        return ExitFailed;
    }
    if (index >= log.headers().size()) {
        context.io.err() << "varnolite-cli undo: there are only " << log.headers().size()
                         << " batches (0 to " << log.headers().size() - 1 << ")" << Qt::endl;
        return ExitUsage;
    }
    const QStringList batches = log.headers().mid(0, index + 1);
    const UndoReport report = log.undoThrough(index);
    for (const UndoFailure& f : report.failures)
        context.fail(f.pair.target + u" -> "_s + f.pair.source, f.message);
    if (!report.status.ok())
        context.fail(u"undo log"_s, report.status.message());
    for (qsizetype i = 0; i < report.entriesTakenBack && i < batches.size(); ++i)
        context.io.out() << "Undone: " << describeHeader(batches[i]) << '\n';
    context.io.out() << report.restored << (report.restored == 1 ? " entry" : " entries")
                     << " moved back." << Qt::endl;
    return report.failures.isEmpty() && report.status.ok() ? ExitOk : ExitFailed;
}

} // namespace

Command undoCommand()
{
    return {
        u"undo"_s,
        u"take back the last rename batches"_s,
        u"[--list [--json] | --to N]"_s,
        u"Takes back the last batch of renames recorded in the undo log (shared with the desktop\n"
        "program): every renamed file or folder is moved back, never overwriting anything, and "
        "the\n"
        "batch leaves the log. What cannot be moved back is reported, and the batch leaves the "
        "log\n"
        "all the same. --list prints the batches newest first with their numbers; --to N takes\n"
        "back batch N and every newer one (the undo menu of the desktop program)."_s,
        {
            {{u"list"_s}, {}, u"list the batches, newest first"_s},
            {{u"json"_s}, {}, u"with --list, print JSON"_s},
            {{u"to"_s}, u"N"_s, u"take back batches 0 to N"_s},
        },
        runUndo,
    };
}

} // namespace varnolite::cli
