// SPDX-License-Identifier: GPL-3.0-or-later
// Albums named from CDDB and list files: "discid" computes the disc id a lookup sends, "cddb"
// looks an album up and names (and tags) its files, "list2name" names them from a plain list,
// an SFV file or a .qdb file.
#include "cli/cli.h"
#include "cli/paths.h"
#include "cli/progressbar.h"
#include "cli/renameflow.h"
#include "cli/settingsvalues.h"

#include "cddb/cddbclient.h"
#include "cddb/discid.h"
#include "cddb/naming.h"
#include "core/caseless.h"
#include "core/fileattributes.h"
#include "core/integers.h"
#include "core/paths.h"
#include "core/safefile.h"
#include "core/textcodec.h"
#include "tags/genres.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

bool onTerminal()
{
    return ::isatty(STDIN_FILENO) == 1;
}

QString askLine(Context& context, const QString& question)
{
    context.io.err() << question << Qt::flush;
    QTextStream in(stdin);
    return in.readLine().trimmed();
}

// The files of an album: files as given, a folder by its MP3 and WAV files sorted by name.
FileSet albumFiles(Context& context, const QStringList& paths, bool& failed)
{
    FileSet files;
    for (const QString& path : gatherPaths(context, paths, failed)) {
        if (!HasFileAttributes(path, FileAttribute::Directory)) {
            files.append(path);
            continue;
        }
        QStringList names = QDir(path).entryList({u"*.mp3"_s, u"*.wav"_s}, QDir::Files);
        std::sort(names.begin(), names.end(),
                  [](const QString& a, const QString& b) { return compareCaseless(a, b) < 0; });
        for (const QString& name : names)
            files.append(addTrailingSeparator(path) + name);
    }
    return files;
}

// --- discid -----------------------------------------------------------------------------------

void printToc(Context& context, const DiscToc& toc, bool json)
{
    if (json) {
        QJsonArray offsets;
        for (const qint64 o : toc.offsets)
            offsets.append(o);
        const QJsonObject o{{u"discId"_s, toc.discId},
                            {u"trackCount"_s, toc.trackCount},
                            {u"offsets"_s, offsets},
                            {u"discSeconds"_s, toc.discSeconds},
                            {u"query"_s, cddbQueryLine(toc)}};
        context.io.out() << QJsonDocument(o).toJson();
        return;
    }
    context.io.out() << toc.discId << '\n' << cddbQueryLine(toc) << Qt::endl;
}

int runDiscId(Context& context, const ArgParser& args)
{
    const QString command = u"discid"_s;
    const int sources = args.isSet(u"cd") + args.isSet(u"toc") + !args.positionals().isEmpty();
    if (sources != 1)
        return usageError(context, command, u"give FILE..., --cd or --toc"_s);
    std::optional<Result<DiscToc>> toc;
    if (args.isSet(u"toc")) {
        if (!args.isSet(u"leadout"))
            return usageError(context, command, u"--toc needs --leadout FRAMES"_s);
        QList<qint64> offsets;
        for (const QString& word : args.value(u"toc").split(u' ', Qt::SkipEmptyParts)) {
            bool ok = false;
            offsets.append(word.toLongLong(&ok));
            if (!ok)
                return usageError(context, command, u"\"%1\" is no frame number"_s.arg(word));
        }
        bool ok = false;
        const qint64 leadOut = args.value(u"leadout").toLongLong(&ok);
        if (!ok)
            return usageError(context, command, u"--leadout needs a frame number"_s);
        toc = tocFromTable(offsets, leadOut);
        if (!toc->ok())
            return usageError(context, command, toc->status().message());
    } else if (args.isSet(u"cd")) {
        toc = tocFromCd(args.value(u"cd"));
    } else {
        bool failed = false;
        const FileSet files = albumFiles(context, args.positionals(), failed);
        if (files.isEmpty()) {
            context.io.err() << "varnolite-cli discid: no files" << Qt::endl;
            return ExitFailed;
        }
        ProgressBar progress(context.io, u"Measuring"_s);
        toc = tocFromFiles(files, progress.hook());
    }
    if (!toc->ok()) {
        context.io.err() << "varnolite-cli discid: " << toc->status().message() << Qt::endl;
        return ExitFailed;
    }
    printToc(context, toc->value(), args.isSet(u"json"));
    return ExitOk;
}

// --- naming options shared by cddb and list2name -----------------------------------------------

QList<OptionSpec> namingOptionSpecs()
{
    return {
        {{u"rename-dir"_s}, {}, u"rename the album folder too (\"Verzeichnis mitbenennen\")"_s},
        {{u"no-rename-dir"_s}, {}, u"leave the album folder's name"_s},
        {{u"tag"_s}, {}, u"write ID3v1 tags too (\"direkt ID3 Tag schreiben\")"_s},
        {{u"year"_s}, u"YEAR"_s, u"with --tag: the year"_s},
        {{u"genre"_s}, u"NAME"_s, u"with --tag: the genre"_s},
        {{u"comment"_s}, u"TEXT"_s, u"with --tag: the comment (default \"Track N\")"_s},
        {{u"sampler"_s}, {}, u"with --tag: track titles carry the artist (\"Sampler\")"_s},
        {{u"format"_s}, u"PATTERN"_s, u"the name pattern (default \"dateiformat\", \"%N %S\")"_s},
        {{u"pick"_s}, u"N"_s, u"take match N of the list without asking"_s},
        blankOption(),
    };
}

std::optional<QString> namingOptions(Context& context, const ArgParser& args, CddbNamingOptions& o)
{
    const ValueMap options = optionsValues(context);
    const ValueMap window = mainWindowValues(context);
    o.fileNamePattern = args.value(u"format", options.textValue(u"dateiformat_Text", u"%N %S"_s));
    o.blankReplacement = blankReplacement(context, args);
    o.renameDirectory = window.boolValue(u"renamedir_Checked", true);
    if (args.isSet(u"rename-dir"))
        o.renameDirectory = true;
    if (args.isSet(u"no-rename-dir"))
        o.renameDirectory = false;
    o.writeTags = args.isSet(u"tag");
    o.sampler = args.isSet(u"sampler");
    o.year = args.value(u"year");
    o.comment = args.value(u"comment");
    if (args.isSet(u"genre")) {
        o.genre = args.value(u"genre");
        if (!genreNumber(o.genre, Qt::CaseInsensitive))
            return u"unknown genre \"%1\" (see varnolite-cli tag genres)"_s.arg(o.genre);
    }
    if (args.isSet(u"pick")) {
        const std::optional<qint32> n = parsePlatformInteger(args.value(u"pick"));
        if (!n || *n < 1)
            return u"--pick needs a number from 1"_s;
    }
    return std::nullopt;
}

// Lets the user choose one of the lines: --pick, or a numbered list and a question.
MatchChoice chooseLine(Context& context, const ArgParser& args, const QStringList& lines,
                       bool secondServer, bool& refused)
{
    for (qsizetype i = 0; i < lines.size(); ++i)
        context.io.err() << (i + 1) << ") " << lines[i] << '\n';
    context.io.err().flush();
    if (args.isSet(u"pick")) {
        const qint32 n = parsePlatformInteger(args.value(u"pick")).value_or(1);
        if (n > lines.size()) {
            context.io.err() << "varnolite-cli: --pick " << n << ", but there are only "
                             << lines.size() << " matches" << Qt::endl;
            return {MatchChoice::Cancelled, 0};
        }
        return {MatchChoice::Chosen, n - 1};
    }
    if (!onTerminal()) {
        refused = true;
        context.io.err() << "varnolite-cli: choose one with --pick N" << Qt::endl;
        return {MatchChoice::Cancelled, 0};
    }
    const QString question = secondServer
                                 ? u"Album wählen [1-%1, s = try server #2, Enter = cancel]: "_s
                                 : u"Album wählen [1-%1, Enter = cancel]: "_s;
    const QString answer = askLine(context, question.arg(lines.size()));
    if (secondServer && answer.compare(u"s", Qt::CaseInsensitive) == 0)
        return {MatchChoice::TrySecondServer, 0};
    bool ok = false;
    const int n = answer.toInt(&ok);
    if (!ok || n < 1 || n > lines.size())
        return {MatchChoice::Cancelled, 0};
    return {MatchChoice::Chosen, n - 1};
}

// Names the files from a record: the preview and question of every renaming command, the tags
// of the entries kept, then the renames.
int nameFromRecord(Context& context, const ArgParser& args, const QString& record,
                   const QString& category, const QString& chosenTitle, const FileSet& files,
                   const CddbNamingOptions& options)
{
    const CddbNamingPlan plan = planCddbNaming(record, category, chosenTitle, files, options);
    for (const QString& file : plan.unnamed)
        context.io.err() << file << ": the record has no title for it; it keeps its name"
                         << Qt::endl;
    const TagSettings settings = tagSettings(context, args);
    WriteTagOptions tagOptions;
    tagOptions.readOnly = settings.readOnly;
    tagOptions.useLyrics3 = settings.useLyrics3;
    bool tagsFailed = false;
    const auto writeTags = [&](const QStringList& sources) {
        for (const PathError& e : writePlannedTags(plan, sources, tagOptions)) {
            context.fail(e.path, e.message);
            tagsFailed = true;
        }
    };
    bool changes = false;
    for (qsizetype i = 0; i < plan.batch.size(); ++i)
        changes = changes || plan.batch.sources[i] != plan.batch.targets[i];
    if (!changes) {
        // Nothing to rename; the tags are still wanted.
        if (!args.isSet(u"dry-run"))
            writeTags(plan.batch.sources);
        context.io.err() << "Nothing to rename." << Qt::endl;
        return tagsFailed || !plan.unnamed.isEmpty() ? ExitFailed : ExitOk;
    }
    const int status = runRenameBatch(context, args, plan.batch, writeTags);
    return status == ExitOk && (tagsFailed || !plan.unnamed.isEmpty()) ? ExitFailed : status;
}

// --- cddb -------------------------------------------------------------------------------------

std::optional<CddbServer> parseServer(const QString& text, quint16 defaultPort)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon < 0)
        return text.isEmpty() ? std::nullopt : std::optional<CddbServer>({text, defaultPort});
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port == 0 || port > 65535 || colon == 0)
        return std::nullopt;
    return CddbServer{text.left(colon), quint16(port)};
}

std::optional<QString> cddbSettings(Context& context, const ArgParser& args, CddbSettings& s)
{
    const ValueMap o = optionsValues(context);
    s.first.host = o.textValue(u"server1_Text", s.first.host);
    s.second.host = o.textValue(u"server2_Text", s.second.host);
    s.second.port = quint16(o.textValue(u"freedb_port_Text").toUInt());
    if (s.second.port == 0)
        s.second.port = 888;
    s.http = o.boolValue(u"httpcddb_Checked") || args.isSet(u"http");
    if (args.isSet(u"server")) {
        const auto server = parseServer(args.value(u"server"), s.first.port);
        if (!server)
            return u"--server takes HOST or HOST:PORT"_s;
        s.first = *server;
        // A port given with the server is the one to ask, whatever the transport.
        if (s.http && args.value(u"server").contains(u':'))
            s.httpPort = server->port;
    }
    if (args.isSet(u"server2")) {
        const auto server = parseServer(args.value(u"server2"), s.second.port);
        if (!server)
            return u"--server2 takes HOST or HOST:PORT"_s;
        s.second = *server;
    }
    s.useSecondServer =
        o.boolValue(u"use_freedb_Checked", true) && !args.isSet(u"no-second-server");
    s.http = o.boolValue(u"httpcddb_Checked") || args.isSet(u"http");
    s.proxy.use = s.http && o.boolValue(u"useproxy_Checked");
    s.proxy.host = o.textValue(u"Edit1_Text");
    s.proxy.port = quint16(o.textValue(u"Edit2_Text").toUInt());
    s.proxy.user = o.textValue(u"Edit3_Text");
    s.proxy.password = o.textValue(u"Edit4_Text");
    if (args.isSet(u"proxy")) {
        const auto proxy = parseServer(args.value(u"proxy"), 1080);
        if (!proxy)
            return u"--proxy takes HOST:PORT"_s;
        s.proxy.use = true;
        s.proxy.host = proxy->host;
        s.proxy.port = proxy->port;
    }
    s.proxy.user = args.value(u"proxy-user", s.proxy.user);
    s.proxy.password = args.value(u"proxy-password", s.proxy.password);
    if (s.proxy.use && s.proxy.port == 0)
        s.proxy.port = 1080;
    s.email = args.value(u"email", o.textValue(u"cddbemail_Text", s.email));
    if (o.boolValue(u"cddblog_Checked") || args.isSet(u"log")) {
        QDir().mkpath(context.dataDir);
        s.logPath = context.dataDir + u"mp3varnolite_cddb.log"_s;
    }
    s.version = QStringLiteral(VARNOLITE_VERSION).section(u'.', 0, 2);
    return std::nullopt;
}

int runCddb(Context& context, const ArgParser& args)
{
    const QString command = u"cddb"_s;
    CddbSettings settings;
    if (const auto error = cddbSettings(context, args, settings))
        return usageError(context, command, *error);
    CddbNamingOptions naming;
    if (const auto error = namingOptions(context, args, naming))
        return usageError(context, command, *error);
    if (args.isSet(u"cd") && args.isSet(u"fixed"))
        return usageError(context, command, u"give --cd or --fixed, not both"_s);
    if (args.positionals().isEmpty())
        return usageHint(context, command, u"no FILE given"_s);

    bool failed = false;
    const FileSet files = albumFiles(context, args.positionals(), failed);
    if (files.isEmpty()) {
        context.io.err() << "varnolite-cli cddb: no MP3 or WAV files" << Qt::endl;
        return ExitFailed;
    }
    CddbQuery query;
    if (args.isSet(u"fixed")) {
        const QStringList fixed =
            args.values(u"fixed").mid(qMax<qsizetype>(0, args.values(u"fixed").size() - 2));
        query.category = fixed.value(0);
        query.discId = fixed.value(1);
    } else {
        const Result<DiscToc> toc = [&] {
            if (args.isSet(u"cd"))
                return tocFromCd(args.value(u"cd"));
            ProgressBar progress(context.io, u"Measuring"_s);
            return tocFromFiles(files, progress.hook());
        }();
        if (!toc.ok()) {
            context.io.err() << "varnolite-cli cddb: " << toc.status().message() << Qt::endl;
            return ExitFailed;
        }
        query.toc = toc.value();
    }

    CddbClient client(settings);
    bool refused = false;
    client.setChoiceHook([&](const QStringList& lines, bool secondServer) {
        return chooseLine(context, args, lines, secondServer, refused);
    });
    QObject::connect(&client, &CddbClient::messageRaised, [&](const QString& message) {
        context.io.err() << "varnolite-cli cddb: " << message << Qt::endl;
    });
    QEventLoop loop;
    QObject::connect(&client, &CddbClient::finished, &loop, &QEventLoop::quit);
    client.lookup(query);
    if (client.isRunning())
        loop.exec();
    if (refused)
        return ExitUsage;
    const LookupState& state = client.state();
    if (!state.receivingRecord)
        return ExitFailed;
    const int status = nameFromRecord(context, args, client.recordText(), state.chosenCategory,
                                      state.chosenTitle, files, naming);
    return failed && status == ExitOk ? ExitFailed : status;
}

// --- list2name --------------------------------------------------------------------------------

// A yes/no question: the flag that answers it, or the terminal, or the default.
bool decide(Context& context, const ArgParser& args, QStringView yesFlag, QStringView noFlag,
            const QString& question, bool fallback)
{
    if (args.isSet(yesFlag))
        return true;
    if (args.isSet(noFlag))
        return false;
    if (!onTerminal())
        return fallback;
    const QString answer =
        askLine(context, question + (fallback ? u" [Y/n] "_s : u" [y/N] "_s)).toLower();
    if (answer.isEmpty())
        return fallback;
    return answer.startsWith(u'y') || answer.startsWith(u'j');
}

int runListToName(Context& context, const ArgParser& args)
{
    const QString command = u"list2name"_s;
    const int kinds = args.isSet(u"plain") + args.isSet(u"sfv") + args.isSet(u"qdb");
    if (kinds > 1)
        return usageError(context, command, u"give one of --plain, --sfv, --qdb"_s);
    if (args.positionals().size() < 2)
        return usageError(context, command, u"needs LISTFILE FILE..."_s);
    CddbNamingOptions naming;
    if (const auto error = namingOptions(context, args, naming))
        return usageError(context, command, *error);
    // The kind of the settings when no flag is given: plain text, .qdb, else SFV.
    const ValueMap window = mainWindowValues(context);
    const bool plain =
        args.isSet(u"plain") || (kinds == 0 && window.boolValue(u"plain_text_Checked"));
    const bool qdb =
        args.isSet(u"qdb") || (kinds == 0 && !plain && window.boolValue(u"cddb_file_Checked"));

    QStringList rest = args.positionals();
    const QString listFile = rest.takeFirst();
    auto bytes = readFileBytes(listFile, 64 << 20);
    if (!bytes.ok()) {
        context.fail(listFile, bytes.status().message());
        return ExitFailed;
    }
    bool failed = false;
    const FileSet files = albumFiles(context, rest, failed);
    if (bytes.value().isEmpty() || files.isEmpty()) {
        context.io.err() << "varnolite-cli list2name: nothing to do (an empty list or no files)"
                         << Qt::endl;
        return ExitFailed;
    }
    const QStringList lines = decodeTextLines(bytes.value());

    if (qdb) {
        const QStringList titles = qdbDiscTitles(lines, files.size());
        if (titles.isEmpty()) {
            context.io.err() << "varnolite-cli list2name: " << listFile << " has no record of "
                             << files.size() << " tracks" << Qt::endl;
            return ExitFailed;
        }
        bool refused = false;
        const MatchChoice choice = chooseLine(context, args, titles, false, refused);
        if (refused)
            return ExitUsage;
        if (choice.kind != MatchChoice::Chosen)
            return ExitFailed;
        const QString chosen = titles[choice.index];
        const int status = nameFromRecord(context, args, qdbRecord(lines, chosen), QString(),
                                          chosen, files, naming);
        return failed && status == ExitOk ? ExitFailed : status;
    }

    QList<std::optional<QString>> names;
    if (plain) {
        const bool addMp3 = plainListNeedsExtension(lines) &&
                            decide(context, args, u"add-mp3", u"no-add-mp3",
                                   u"\".mp3\" am Ende als Erweiterung zufügen?"_s, false);
        const bool numbering =
            decide(context, args, u"number", u"no-number", u"Vorne Zahl davorschreiben?"_s, true);
        names = plainListNames(lines, files.size(), numbering, addMp3);
    } else {
        names = sfvNames(lines, files.size());
    }
    for (qsizetype k = 0; k < files.size(); ++k) {
        if (!names.value(k))
            context.io.err() << files[k] << ": the list has no name for it; it keeps its name"
                             << Qt::endl;
    }
    const int status = runRenameBatch(context, args, listNamingBatch(files, names));
    const bool unnamed = std::any_of(names.begin(), names.end(), [](const auto& n) { return !n; });
    return status == ExitOk && (failed || unnamed) ? ExitFailed : status;
}

} // namespace

Command discIdCommand()
{
    return {
        u"discid"_s,
        u"compute the CDDB disc id of an album"_s,
        u"[--json] FILE... | --cd[=DEVICE] | --toc \"OFFSET...\" --leadout FRAMES"_s,
        u"Prints the disc id and the query line a CDDB lookup sends. From files (a folder: its\n"
        "MP3 and WAV files by name), one track per file: a PCM WAV counts its play time, an MP3\n"
        "its length plus 2 seconds. From the audio CD in DEVICE (default /dev/cdrom). From a\n"
        "table: the track starts in frames (75 a second) and the lead-out."_s,
        {
            {{u"cd"_s}, u"DEVICE"_s, u"read the table of contents of an audio CD"_s, true},
            {{u"toc"_s}, u"OFFSETS"_s, u"the track starts in frames, separated by blanks"_s},
            {{u"leadout"_s}, u"FRAMES"_s, u"with --toc: the lead-out in frames"_s},
            {{u"json"_s}, {}, u"print JSON"_s},
        },
        runDiscId,
    };
}

Command cddbCommand()
{
    QList<OptionSpec> options = {
        {{u"server"_s},
         u"HOST[:PORT]"_s,
         u"the first server (default gnudb.gnudb.org:8880; with --http port 80)"_s},
        {{u"server2"_s}, u"HOST[:PORT]"_s, u"the second server (settings \"server2\")"_s},
        {{u"no-second-server"_s}, {}, u"do not try the second server after no match"_s},
        {{u"http"_s}, {}, u"ask over HTTP (port 80) instead of CDDBP"_s},
        {{u"proxy"_s}, u"HOST:PORT"_s, u"with --http: a SOCKS proxy"_s},
        {{u"proxy-user"_s}, u"USER"_s, u"the proxy's user name"_s},
        {{u"proxy-password"_s}, u"PASSWORD"_s, u"the proxy's password"_s},
        {{u"email"_s}, u"ADDR"_s, u"the e-mail address the hello sends"_s},
        {{u"cd"_s}, u"DEVICE"_s, u"look up the audio CD in DEVICE (default /dev/cdrom)"_s, true},
        {{u"fixed"_s}, u"CATEGORY DISCID"_s, u"read this record, no lookup"_s},
        {{u"log"_s}, {}, u"write the exchange to mp3varnolite_cddb.log"_s},
    };
    options += namingOptionSpecs();
    options += tagWriteOptions();
    options += renameFlowOptions();
    return {
        u"cddb"_s,
        u"look an album up in CDDB and name its files"_s,
        u"[server options] [--cd[=DEVICE] | --fixed CATEGORY DISCID] [--pick N] [naming\n"
        "       options] [rename options] FILE..."_s,
        u"Computes the disc id of the files (one album, in order; a folder: its MP3 and WAV\n"
        "files by name), asks the server, lets you choose among the matches (or --pick N),\n"
        "reads the record and names the files by the pattern (%N track number, %S title, %K\n"
        "artist, %A album, ...) and the album folder \"Artist - Album\". A renaming command:\n"
        "previewed, asked for, logged for undo. With --tag the tags are written too. Server,\n"
        "e-mail, proxy, log and pattern default to the settings."_s,
        options,
        runCddb,
    };
}

Command listToNameCommand()
{
    QList<OptionSpec> options = {
        {{u"plain"_s}, {}, u"a plain list, one name a line"_s},
        {{u"sfv"_s}, {}, u"an SFV file (name and checksum a line)"_s},
        {{u"qdb"_s}, {}, u"a .qdb file of xmcd records"_s},
        {{u"number"_s}, {}, u"plain: put the track number in front"_s},
        {{u"no-number"_s}, {}, u"plain: no number in front"_s},
        {{u"add-mp3"_s}, {}, u"plain: append \".mp3\""_s},
        {{u"no-add-mp3"_s}, {}, u"plain: append nothing"_s},
    };
    options += namingOptionSpecs();
    options += tagWriteOptions();
    options += renameFlowOptions();
    return {
        u"list2name"_s,
        u"name an album's files from a list file"_s,
        u"(--plain | --sfv | --qdb) [--number|--no-number] [--add-mp3] [--pick N] LISTFILE FILE..."_s,
        u"Pairs the files (in order; a folder: its MP3 and WAV files by name) with the names of\n"
        "the list. A plain list holds a name a line; an SFV file a name and a checksum a line;\n"
        "a .qdb file xmcd records, of which those with as many tracks as there are files are\n"
        "offered. Files the list has no name for keep theirs. A renaming command: previewed,\n"
        "asked for, logged for undo."_s,
        options,
        runListToName,
    };
}

} // namespace varnolite::cli
