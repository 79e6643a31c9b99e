// SPDX-License-Identifier: GPL-3.0-or-later
// The file tools: "report", "playlist", "wavcut" and "joliet".
#include "cli/cli.h"
#include "cli/paths.h"
#include "cli/playlistprompt.h"
#include "cli/progressbar.h"
#include "cli/renameflow.h"

#include "core/fileattributes.h"
#include "tools/joliet.h"
#include "tools/playlist.h"
#include "tools/report.h"
#include "tools/wavcut.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

FileMask fileMask(const Context& context, const ArgParser& args)
{
    return FileMask(args.isSet(u"mask") ? args.value(u"mask") : explorerMask(context));
}

const OptionSpec kRecursive{
    {u"r"_s, u"recursive"_s}, {}, u"work on the files inside directories too"_s};

// The arguments as a file set, expanded with -r; failures are reported.
FileSet fileSet(Context& context, const ArgParser& args, const QStringList& paths, bool& failed)
{
    FileSet files = gatherPaths(context, paths, failed);
    if (args.isSet(u"recursive")) {
        for (const PathError& e : ExpandRecursive(files, fileMask(context, args))) {
            context.fail(e.path, e.message);
            failed = true;
        }
    }
    return files;
}

// The files (no directories) of the arguments, expanded with -r.
FileSet filesOnly(Context& context, const ArgParser& args, const QStringList& paths, bool& failed)
{
    return filesOf(context, paths, args.isSet(u"recursive"), fileMask(context, args), failed);
}

int runReport(Context& context, const ArgParser& args)
{
    if (args.positionals().size() != 1)
        return usageHint(context, u"report"_s, u"needs one DIR"_s);
    const QString dir = QDir::cleanPath(QFileInfo(args.positionals().front()).absoluteFilePath());
    if (!HasFileAttributes(dir, FileAttribute::Directory)) {
        context.fail(args.positionals().front(), u"not a directory"_s);
        return ExitFailed;
    }
    const FileMask mask(args.isSet(u"mask") ? args.value(u"mask") : explorerMask(context));
    ProgressBar progress(context.io, u"Report"_s);
    if (args.isSet(u"output")) {
        const Status s = writeReport(args.value(u"output"), dir, mask, progress.hook());
        if (!s.ok()) {
            context.fail(args.value(u"output"), s.message());
            return ExitFailed;
        }
        return ExitOk;
    }
    QList<PathError> errors;
    {
        LinePrinter printer(context.io);
        errors = writeReportLines(
            dir, mask, [&](const QString& line) { printer.print(line); }, progress.hook());
    }
    for (const PathError& e : errors)
        context.fail(e.path, e.message);
    return errors.isEmpty() ? ExitOk : ExitFailed;
}

int runPlaylistWrite(Context& context, const ArgParser& args)
{
    QStringList rest = args.positionals();
    if (rest.size() < 2)
        return usageHint(context, u"playlist write"_s, u"needs PLAYLIST FILE..."_s);
    if (args.isSet(u"append") && args.isSet(u"replace"))
        return usageHint(context, u"playlist write"_s, u"give --append or --replace, not both"_s);
    const QString playlist = QFileInfo(rest.takeFirst()).absoluteFilePath();
    bool failed = false;
    const QStringList files = filesOnly(context, args, rest, failed);
    bool refused = false;
    std::optional<ExistingPlaylist> choice;
    if (args.isSet(u"append"))
        choice = ExistingPlaylist::Append;
    if (args.isSet(u"replace"))
        choice = ExistingPlaylist::Replace;
    const auto question = existingPlaylistQuestion(context, choice, refused);
    const Status s = writePlaylist(playlist, files, question);
    if (refused)
        return usageHint(context, u"playlist write"_s,
                         playlist + u" exists: give --append or --replace"_s);
    if (!s.ok()) {
        context.fail(playlist,
                     s.code() == ErrorCode::Cancelled ? u"left as it was"_s : s.message());
        return ExitFailed;
    }
    return failed ? ExitFailed : ExitOk;
}

int runPlaylistRead(Context& context, const ArgParser& args)
{
    if (args.positionals().isEmpty())
        return usageHint(context, u"playlist read"_s, u"needs PLAYLIST..."_s);
    bool failed = false;
    QStringList all;
    for (const QString& playlist : args.positionals()) {
        const auto entries = readPlaylist(playlist);
        if (!entries.ok()) {
            context.fail(playlist, entries.status().message());
            failed = true;
            continue;
        }
        all.append(entries.value());
    }
    if (args.isSet(u"json"))
        context.io.out() << QJsonDocument(QJsonArray::fromStringList(all)).toJson();
    else
        context.io.printLines(all);
    return failed ? ExitFailed : ExitOk;
}

int runWavcut(Context& context, const ArgParser& args)
{
    if (args.positionals().isEmpty())
        return usageHint(context, u"wavcut"_s, u"no FILE given"_s);
    bool failed = false;
    const FileSet files = filesOnly(context, args, args.positionals(), failed);
    int status = failed ? ExitFailed : ExitOk;
    ProgressBar progress(context.io, u"Cutting"_s);
    for (qsizetype i = 0; i < files.size(); ++i) {
        progress.update(i + 1, files.size());
        const WaveCutResult r = removeWaveHeader(files[i]);
        if (!r.status.ok()) {
            context.fail(files[i], r.status.message());
            status = ExitFailed;
        } else if (r.removed > 0) {
            context.io.out() << files[i] << ": " << r.removed << " bytes of header removed\n";
        }
    }
    return status;
}

int runJoliet(Context& context, const ArgParser& args)
{
    if (args.positionals().isEmpty())
        return usageHint(context, u"joliet"_s, u"no PATH given"_s);
    bool failed = false;
    const FileSet files = fileSet(context, args, args.positionals(), failed);
    const int status = runRenameBatch(context, args, buildJolietBatch(files));
    return failed && status == ExitOk ? ExitFailed : status;
}

} // namespace

Command reportCommand()
{
    return {
        u"report"_s,
        u"write the semicolon-separated report of a directory"_s,
        u"[-o FILE] [--mask MASK] DIR"_s,
        u"Lists every MPEG file below DIR with size, play time, MPEG type with bit rate and\n"
        "encoder guess, grouped by directory and sorted by full path (letter case ignored):\n"
        "the header line, then for each directory an empty line and its path, then its files.\n"
        "Written to stdout, or with -o into FILE (replaced as a whole)."_s,
        {
            {{u"o"_s, u"output"_s}, u"FILE"_s, u"write the report into FILE"_s},
            {{u"mask"_s}, u"MASK"_s, u"file name mask (default: the explorer filter, \"*.mp3\")"_s},
        },
        runReport,
    };
}

Command playlistCommand()
{
    Command playlist{
        u"playlist"_s,
        u"write and read M3U playlists"_s,
        {},
        u"Writes the given files into an M3U playlist (paths relative to the playlist's\n"
        "directory), or prints the files that playlists name."_s,
        {},
        {}};
    playlist.subcommands = {
        {u"write"_s,
         u"write files into a playlist"_s,
         u"[--append | --replace] [-r] PLAYLIST FILE..."_s,
         u"Writes one line per file, relative to the playlist's directory (the name alone for a\n"
         "file beside it), UTF-8 with CR LF. An existing playlist is appended to (--append) or\n"
         "replaced (--replace); on a terminal the question is asked."_s,
         {
             {{u"append"_s}, {}, u"append to an existing playlist"_s},
             {{u"replace"_s}, {}, u"replace an existing playlist"_s},
             kRecursive,
             {{u"mask"_s}, u"MASK"_s, u"with -r, the file name mask"_s},
         },
         runPlaylistWrite},
        {u"read"_s,
         u"print the files of playlists"_s,
         u"[--json] PLAYLIST..."_s,
         u"Prints the full path of every file the playlists name, first playlist first. Comment\n"
         "lines (\"#\") and empty lines are skipped, paths are taken as they are or relative to\n"
         "the playlist's directory, lines naming no existing file are skipped."_s,
         {{{u"json"_s}, {}, u"print a JSON array"_s}},
         runPlaylistRead},
    };
    return playlist;
}

Command wavcutCommand()
{
    return {
        u"wavcut"_s,
        u"cut the WAV header off MP3 data in RIFF files"_s,
        u"[-r] FILE..."_s,
        u"For RIFF files holding MP3 data, removes everything before the first MPEG frame header\n"
        "0xFF 0xFB 0x90 0x44 (the first one anywhere in the file). The rest is copied into a new\n"
        "file that replaces the old one only once it is complete. Files that are not RIFF, RIFF\n"
        "files with PCM audio, files without the frame header and read-only files stay as they\n"
        "are."_s,
        {kRecursive, {{u"mask"_s}, u"MASK"_s, u"with -r, the file name mask"_s}},
        runWavcut,
    };
}

Command jolietCommand()
{
    QList<OptionSpec> options{kRecursive,
                              {{u"mask"_s}, u"MASK"_s, u"with -r, the file name mask"_s}};
    options += renameFlowOptions();
    return {
        u"joliet"_s,
        u"shorten names to 64 characters for Joliet CDs"_s,
        u"[-r] [rename options] PATH..."_s,
        u"Renames every file whose name is longer than 64 characters to its first characters and\n"
        "its extension, 64 in all. Names that would then be equal, or equal to a name in the\n"
        "directory, end their stem in \"~1\", \"~2\", ... A renaming command: previewed, asked\n"
        "for, logged for undo."_s,
        options,
        runJoliet,
    };
}

} // namespace varnolite::cli
