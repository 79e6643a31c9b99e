// SPDX-License-Identifier: GPL-3.0-or-later
// Tags and names: "tag2name" renames files from their tags, "name2tag" writes tags from the
// names, "presets" keeps the album presets name2tag reads names by.
#include "cli/cli.h"
#include "cli/paths.h"
#include "cli/playlistprompt.h"
#include "cli/progressbar.h"
#include "cli/renameflow.h"
#include "cli/settingsvalues.h"

#include "core/integers.h"
#include "core/paths.h"
#include "engines/nametotag.h"
#include "engines/presets.h"
#include "engines/tagtoname.h"
#include "tags/genres.h"
#include "tools/playlist.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

const OptionSpec kRecursive{
    {u"r"_s, u"recursive"_s}, {}, u"work on the files inside directories too"_s};

// --- tag2name ---------------------------------------------------------------------------------

int runTagToName(Context& context, const ArgParser& args)
{
    const QString command = u"tag2name"_s;
    if (args.positionals().isEmpty())
        return usageHint(context, command, u"no PATH given"_s);
    if (args.isSet(u"pattern") && args.isSet(u"pattern-file"))
        return usageError(context, command, u"give --pattern or --pattern-file, not both"_s);
    QString pattern;
    if (args.isSet(u"pattern")) {
        pattern = args.value(u"pattern");
    } else if (args.isSet(u"pattern-file")) {
        const auto file = readTagNamePatternFile(args.value(u"pattern-file"));
        if (!file.ok()) {
            context.fail(args.value(u"pattern-file"), file.status().message());
            return ExitFailed;
        }
        pattern = file.value().value_or(QString());
    } else {
        pattern = mainWindowValues(context).textValue(u"Edit6_Text");
    }
    // An empty pattern would name every file ".mp3".
    if (pattern.isEmpty())
        return usageError(context, command, u"the pattern is empty (give --pattern)"_s);

    bool failed = false;
    const FileSet files = filesOf(context, args.positionals(), args.isSet(u"recursive"),
                                  FileMask(explorerMask(context)), failed);
    RenameBatch batch;
    {
        ProgressBar progress(context.io, u"Reading tags"_s);
        batch = BuildTagNameBatch(files, pattern, blankReplacement(context, args), progress.hook());
    }
    const int status = runRenameBatch(context, args, std::move(batch));
    return failed && status == ExitOk ? ExitFailed : status;
}

// --- name2tag ---------------------------------------------------------------------------------

struct LockSpec
{
    TagField field;
    QStringView name;
    QString TypedTag::*typed; // nullptr for the genre
};

const QList<LockSpec>& lockSpecs()
{
    static const QList<LockSpec> specs = {
        {TagField::Title, u"title", &TypedTag::title},
        {TagField::Artist, u"artist", &TypedTag::artist},
        {TagField::Album, u"album", &TypedTag::album},
        {TagField::Year, u"year", &TypedTag::year},
        {TagField::Genre, u"genre", nullptr},
        {TagField::Comment, u"comment", &TypedTag::comment},
        {TagField::Track, u"track", &TypedTag::track},
    };
    return specs;
}

// The locks of --lock FIELD[=VALUE]. A locked field with a value puts the value into every
// file; the genre, which names never give, is then simply set (its lock stays released, so it
// reaches every file); a locked field without a value is emptied, or kept with --leave-old.
std::optional<QString> applyLocks(const ArgParser& args, NameToTagRequest& request)
{
    for (const QString& lock : args.values(u"lock")) {
        const qsizetype eq = lock.indexOf(u'=');
        const QString field = eq < 0 ? lock : lock.left(eq);
        const std::optional<QString> value =
            eq < 0 ? std::nullopt : std::optional<QString>(lock.mid(eq + 1));
        const auto spec = std::find_if(lockSpecs().begin(), lockSpecs().end(),
                                       [&](const LockSpec& s) { return s.name == field; });
        if (spec == lockSpecs().end())
            return u"--lock takes title, artist, album, year, genre, comment or track, not \"%1\""_s
                .arg(field);
        if (spec->field == TagField::Genre) {
            if (!value) {
                request.locked[size_t(TagField::Genre)] = true;
                continue;
            }
            std::optional<int> genre;
            if (const std::optional<qint32> n = parsePlatformInteger(*value)) {
                if (*n >= 0 && *n <= kNoGenre)
                    genre = *n;
                else if (*n == 255 || *n == -1)
                    genre = kNoGenre;
            } else {
                genre = genreNumber(*value, Qt::CaseInsensitive);
            }
            if (!genre)
                return u"unknown genre \"%1\" (see varnolite-cli tag genres)"_s.arg(*value);
            request.typed.genre = GenreNames(*genre);
            continue;
        }
        if (spec->field == TagField::Track && value && !value->isEmpty()) {
            const std::optional<qint32> n = parsePlatformInteger(*value);
            if (!n || *n < 0 || *n > 255)
                return u"--lock track=N needs a number from 0 to 255"_s;
        }
        request.locked[size_t(spec->field)] = true;
        request.typed.*spec->typed = value.value_or(QString());
    }
    return std::nullopt;
}

// How names are read: --preset, --pattern, or the settings' choice.
std::optional<QString> namePattern(Context& context, const ArgParser& args, NamePattern& pattern)
{
    const ValueMap window = mainWindowValues(context);
    const auto doc = context.settings().load();
    const Tname2tag presets = readPresets(doc.ok() ? doc.value() : IniDocument());
    if (args.isSet(u"preset") && args.isSet(u"pattern"))
        return u"give --preset or --pattern, not both"_s;
    pattern.usePreset = args.isSet(u"preset") ||
                        (!args.isSet(u"pattern") && !window.boolValue(u"schnelltaggen_Checked"));
    if (!pattern.usePreset) {
        pattern.quickPattern = args.value(u"pattern", window.textValue(u"fast_tag_Text"));
        if (pattern.quickPattern.isEmpty())
            return u"the pattern is empty (give --pattern)"_s;
        return std::nullopt;
    }
    if (presets.isEmpty())
        return u"there is no album preset (see varnolite-cli presets)"_s;
    const QString name = args.value(u"preset", window.textValue(u"tag_album_wahl_Text"));
    const qsizetype index = findPreset(presets, name);
    if (index < 0 && args.isSet(u"preset"))
        return u"no preset named \"%1\" (see varnolite-cli presets list)"_s.arg(name);
    pattern.preset = presets[qMax<qsizetype>(index, 0)];
    return std::nullopt;
}

QString shownPath(const QString& path)
{
    const QString relative = QDir::current().relativeFilePath(path);
    return relative.startsWith(u"../") ? path : relative;
}

// The tags a run would write, as a table.
void printPlannedTags(Context& context, const FileSet& files, const NameToTagRequest& request)
{
    QList<QStringList> rows{{u"FILE"_s, u"TITLE"_s, u"ARTIST"_s, u"ALBUM"_s, u"YEAR"_s, u"TRACK"_s,
                             u"GENRE"_s, u"COMMENT"_s}};
    for (const QString& path : files) {
        Id3v1Tag old;
        const bool hadTag = ReadTag(path, old);
        const std::optional<Id3v1Tag> tag = tagToWrite(path, old, hadTag, request);
        if (!tag) {
            rows.append({shownPath(path), u"(skipped: it has a tag)"_s});
            continue;
        }
        rows.append({shownPath(path), tag->title, tag->artist, tag->album, tag->year, tag->track,
                     GenreNames(tag->genre), tag->comment});
    }
    QList<qsizetype> widths(8, 0);
    for (const QStringList& row : rows) {
        if (row.size() == 8) {
            for (qsizetype c = 0; c < 8; ++c)
                widths[c] = qMax(widths[c], row[c].size());
        }
    }
    LinePrinter out(context.io);
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? row[c].leftJustified(widths[c]) + u"  "_s : row[c];
        out.print(line);
    }
}

int runNameToTag(Context& context, const ArgParser& args)
{
    const QString command = u"name2tag"_s;
    if (args.positionals().isEmpty())
        return usageHint(context, command, u"no FILE given"_s);
    const ValueMap window = mainWindowValues(context);
    NameToTagRequest request;
    request.source = TagSource::FromName;
    if (const auto error = namePattern(context, args, request.pattern))
        return usageError(context, command, *error);
    request.pattern.blankReplacement = blankReplacement(context, args);
    if (const auto error = applyLocks(args, request))
        return usageError(context, command, *error);
    request.leaveOld = window.boolValue(u"leaveold_Checked");
    if (args.isSet(u"leave-old"))
        request.leaveOld = true;
    if (args.isSet(u"no-leave-old"))
        request.leaveOld = false;
    request.onlyUntagged = window.boolValue(u"notagthere_Checked");
    if (args.isSet(u"only-untagged"))
        request.onlyUntagged = true;
    if (args.isSet(u"all-files"))
        request.onlyUntagged = false;
    const TagSettings settings = tagSettings(context, args);
    request.write.readOnly = settings.readOnly;
    request.write.useLyrics3 = settings.useLyrics3;

    bool playlist = window.boolValue(u"playlistauto_Checked");
    if (args.isSet(u"playlist"))
        playlist = true;
    if (args.isSet(u"no-playlist"))
        playlist = false;
    const QString playlistName = args.isSet(u"playlist") && !args.value(u"playlist").isEmpty()
                                     ? args.value(u"playlist")
                                     : window.textValue(u"Edit7_Text", u"<directoryname>.m3u"_s);
    std::optional<ExistingPlaylist> choice;
    if (args.isSet(u"playlist-mode")) {
        const QString mode = args.value(u"playlist-mode");
        if (mode != u"append" && mode != u"replace")
            return usageError(context, command, u"--playlist-mode takes append or replace"_s);
        choice = mode == u"append" ? ExistingPlaylist::Append : ExistingPlaylist::Replace;
    }

    bool failed = false;
    const FileSet files = filesOf(context, args.positionals(), args.isSet(u"recursive"),
                                  FileMask(explorerMask(context)), failed);
    const QString playlistPath = automaticPlaylistPath(
        QFileInfo(args.positionals().front()).absoluteFilePath(), playlistName);
    if (args.isSet(u"dry-run")) {
        if (playlist)
            context.io.out() << "Playlist: " << playlistPath << '\n';
        printPlannedTags(context, files, request);
        context.io.out() << "Nothing written (dry run)." << Qt::endl;
        return failed ? ExitFailed : ExitOk;
    }
    if (playlist) {
        bool refused = false;
        const Status s =
            writePlaylist(playlistPath, files, existingPlaylistQuestion(context, choice, refused));
        if (refused)
            return usageError(context, command,
                              playlistPath + u" exists: give --playlist-mode append|replace"_s);
        if (!s.ok()) {
            context.fail(playlistPath,
                         s.code() == ErrorCode::Cancelled ? u"left as it was"_s : s.message());
            failed = true;
        }
    }
    QList<TagWriteReport> reports;
    {
        ProgressBar progress(context.io, u"Writing tags"_s);
        reports = WriteTags(files, request, progress.hook());
    }
    qsizetype written = 0;
    qsizetype skipped = 0;
    for (const TagWriteReport& r : reports) {
        if (r.skipped) {
            ++skipped;
        } else if (!r.result.status.ok()) {
            context.fail(r.path, r.result.status.message());
            failed = true;
        } else {
            ++written;
            if (!r.result.cutFields.isEmpty())
                context.fail(r.path, u"Lyrics3v2 fields cut to fit the format: "_s +
                                         r.result.cutFields.join(u", "_s));
        }
    }
    context.io.out() << "Tagged " << written << " of " << reports.size()
                     << (reports.size() == 1 ? " file" : " files");
    if (skipped > 0)
        context.io.out() << " (" << skipped << " skipped: already tagged)";
    context.io.out() << '.' << Qt::endl;
    return failed ? ExitFailed : ExitOk;
}

// --- presets ----------------------------------------------------------------------------------

Tname2tag loadPresets(const Context& context, Status& status)
{
    const auto doc = context.settings().load();
    status = doc.status();
    return readPresets(doc.ok() ? doc.value() : IniDocument());
}

// Changes the presets and writes the section back; `change` gives an error message or nothing.
int changePresets(Context& context, const QString& command,
                  const std::function<std::optional<QString>(Tname2tag&)>& change)
{
    std::optional<QString> problem;
    const Status s = context.settings().update([&](IniDocument& doc) -> Status {
        Tname2tag presets = readPresets(doc);
        problem = change(presets);
        if (problem)
            return {ErrorCode::Cancelled, *problem};
        return writePresets(doc, presets);
    });
    if (problem) {
        context.io.err() << "varnolite-cli presets " << command << ": " << *problem << Qt::endl;
        return ExitFailed;
    }
    if (!s.ok()) {
        context.fail(context.settings().path(), s.message());
        return ExitFailed;
    }
    return ExitOk;
}

QJsonObject presetJson(const Tname2tagrec& p)
{
    QJsonObject o{{u"name"_s, p.name}};
    for (const QString& field : presetFieldNames())
        o.insert(field, *presetField(p, field));
    return o;
}

int runPresetsList(Context& context, const ArgParser& args)
{
    Status status;
    const Tname2tag presets = loadPresets(context, status);
    if (!status.ok()) {
        context.fail(context.settings().path(), status.message());
        return ExitFailed;
    }
    if (args.isSet(u"json")) {
        QJsonArray array;
        for (const Tname2tagrec& p : presets)
            array.append(presetJson(p));
        context.io.out() << QJsonDocument(array).toJson();
        return ExitOk;
    }
    QStringList names;
    for (const Tname2tagrec& p : presets)
        names.append(p.name);
    context.io.printLines(names);
    return ExitOk;
}

int runPresetsShow(Context& context, const ArgParser& args)
{
    if (args.positionals().size() != 1)
        return usageError(context, u"presets show"_s, u"needs NAME"_s);
    Status status;
    const Tname2tag presets = loadPresets(context, status);
    const qsizetype index = findPreset(presets, args.positionals().front());
    if (index < 0) {
        context.io.err() << "varnolite-cli presets show: no preset named \""
                         << args.positionals().front() << '"' << Qt::endl;
        return ExitFailed;
    }
    const Tname2tagrec& p = presets[index];
    if (args.isSet(u"json")) {
        context.io.out() << QJsonDocument(presetJson(p)).toJson();
        return ExitOk;
    }
    QStringList lines{u"name="_s + p.name};
    for (const QString& field : presetFieldNames())
        lines.append(field + u'=' + *presetField(p, field));
    context.io.printLines(lines);
    return ExitOk;
}

std::optional<QString> noPreset(const QString& name)
{
    return u"no preset named \"%1\""_s.arg(name);
}

int runPresetsAdd(Context& context, const ArgParser& args)
{
    if (args.positionals().size() != 1 || args.positionals().front().isEmpty())
        return usageError(context, u"presets add"_s, u"needs NAME"_s);
    const QString name = args.positionals().front();
    return changePresets(context, u"add"_s, [&](Tname2tag& presets) -> std::optional<QString> {
        if (findPreset(presets, name) >= 0)
            return u"a preset named \"%1\" exists"_s.arg(name);
        Tname2tagrec p;
        p.name = name;
        presets.append(p);
        return std::nullopt;
    });
}

int runPresetsRemove(Context& context, const ArgParser& args)
{
    if (args.positionals().size() != 1)
        return usageError(context, u"presets remove"_s, u"needs NAME"_s);
    const QString name = args.positionals().front();
    return changePresets(context, u"remove"_s, [&](Tname2tag& presets) -> std::optional<QString> {
        const qsizetype index = findPreset(presets, name);
        if (index < 0)
            return noPreset(name);
        presets.removeAt(index);
        return std::nullopt;
    });
}

int runPresetsSet(Context& context, const ArgParser& args)
{
    if (args.positionals().size() != 3)
        return usageError(context, u"presets set"_s, u"needs NAME FIELD VALUE"_s);
    const QString name = args.positionals()[0];
    const QString field = args.positionals()[1];
    const QString value = args.positionals()[2];
    if (field != u"name" && !presetFieldNames().contains(field))
        return usageError(context, u"presets set"_s,
                          u"FIELD is name or one of %1"_s.arg(presetFieldNames().join(u", "_s)));
    if (field == u"name" && value.isEmpty())
        return usageError(context, u"presets set"_s, u"a preset needs a name"_s);
    return changePresets(context, u"set"_s, [&](Tname2tag& presets) -> std::optional<QString> {
        const qsizetype index = findPreset(presets, name);
        if (index < 0)
            return noPreset(name);
        if (field == u"name" && value != name && findPreset(presets, value) >= 0)
            return u"a preset named \"%1\" exists"_s.arg(value);
        *presetField(presets[index], field) = value;
        return std::nullopt;
    });
}

} // namespace

Command tagToNameCommand()
{
    QList<OptionSpec> options = {
        {{u"pattern"_s}, u"PATTERN"_s, u"the name pattern, e.g. \"%N - %K - %S\""_s},
        {{u"pattern-file"_s}, u"FILE.vtn"_s, u"read the pattern from a pattern file"_s},
        blankOption(),
        kRecursive,
    };
    options += renameFlowOptions();
    return {
        u"tag2name"_s,
        u"rename files from their ID3v1 tags"_s,
        u"(--pattern PATTERN | --pattern-file FILE.vtn) [-r] [rename options] PATH..."_s,
        u"Names every file by the pattern: %N counter (restarting in every directory), %T track,\n"
        "%S title, %K artist, %A album, %C comment, %J year, %G genre, %U the first number in\n"
        "the comment; other text stays. Blanks become the blank replacement. A \"/\" or \"\\\" in\n"
        "the pattern makes directories below the file's own; one in a tag value never does.\n"
        "MP3 files end in \".mp3\", other files keep their extension. Directories keep their\n"
        "names. A renaming command: previewed, asked for, logged for undo. Without --pattern\n"
        "the pattern of the settings (\"Edit6\") is used."_s,
        options,
        runTagToName,
    };
}

Command nameToTagCommand()
{
    QList<OptionSpec> options = {
        {{u"preset"_s}, u"NAME"_s, u"read names by this album preset"_s},
        {{u"pattern"_s}, u"PATTERN"_s, u"read names by this quick pattern, e.g. \"%N %A - %S\""_s},
        {{u"lock"_s}, u"FIELD[=VALUE]"_s, u"lock a field (repeatable); see above"_s},
        {{u"leave-old"_s}, {}, u"a locked field keeps each file's old value"_s},
        {{u"no-leave-old"_s}, {}, u"a locked field takes its value (default of the settings)"_s},
        {{u"only-untagged"_s}, {}, u"leave files that have a tag alone"_s},
        {{u"all-files"_s}, {}, u"tag files that have a tag too"_s},
        {{u"playlist"_s}, u"NAME"_s, u"write a playlist of the files first"_s, true},
        {{u"no-playlist"_s}, {}, u"write no playlist"_s},
        {{u"playlist-mode"_s}, u"append|replace"_s, u"what to do with an existing playlist"_s},
        blankOption(),
        kRecursive,
        {{u"n"_s, u"dry-run"_s}, {}, u"print the tags that would be written, write nothing"_s},
    };
    options += tagWriteOptions();
    return {
        u"name2tag"_s,
        u"write ID3v1 tags from file and directory names"_s,
        u"[--preset NAME | --pattern PATTERN] [--lock FIELD[=VALUE]]... [--leave-old]\n"
        "       [--only-untagged] [--playlist[=NAME]] [-r] [--dry-run] FILE..."_s,
        u"Cuts title, artist, album, year, track and comment out of each file's name and the\n"
        "names of its directories and writes them into its tag (genre, lyrics and the rest\n"
        "stay). An album preset reads the file name and the names of the two directories above\n"
        "it (see varnolite-cli presets); a quick pattern reads the file name, and one more\n"
        "directory level for each \"/\" or \"\\\" in it (%S title, %K artist, %A album, %J year,\n"
        "%N track, %C comment). A year or track that is no number keeps the old value.\n"
        "--lock FIELD=VALUE (title, artist, album, year, genre, comment, track) puts VALUE into\n"
        "every file; --lock FIELD without a value empties the field, or keeps each file's old\n"
        "value with --leave-old. Without --preset or --pattern, and for the other switches,\n"
        "the settings of the desktop program apply."_s,
        options,
        runNameToTag,
    };
}

Command presetsCommand()
{
    const OptionSpec json{{u"json"_s}, {}, u"print JSON"_s};
    Command presets{
        u"presets"_s,
        u"list and change the album presets of name2tag"_s,
        {},
        u"The album presets live in the settings file (section \"name2tag\"); without\n"
        "it there are two built-in ones, \"Normal Album\" and \"Sampler/Compilation\".\n"
        "Fields: dir1 (the directory above the file's), dir2 (the file's directory),\n"
        "filename, and the tag patterns title, artist, comment, track, album, year\n"
        "(\"%OLD\" keeps a file's old value)."_s,
        {},
        {}};
    presets.subcommands = {
        {u"list"_s,
         u"print the names of the presets"_s,
         u"[--json]"_s,
         u"Prints the preset names in order; --json prints every preset with its fields."_s,
         {json},
         runPresetsList},
        {u"show"_s,
         u"print the fields of a preset"_s,
         u"[--json] NAME"_s,
         u"Prints name=... and one FIELD=PATTERN line per field."_s,
         {json},
         runPresetsShow},
        {u"add"_s,
         u"add a preset with empty fields"_s,
         u"NAME"_s,
         u"Appends a preset; fill it with varnolite-cli presets set."_s,
         {},
         runPresetsAdd},
        {u"remove"_s,
         u"remove a preset"_s,
         u"NAME"_s,
         u"Removes the preset of that name."_s,
         {},
         runPresetsRemove},
        {u"set"_s,
         u"change one field of a preset"_s,
         u"NAME FIELD VALUE"_s,
         u"FIELD is dir1, dir2, filename, title, artist, comment, track, album, year, or name\n"
         "(renames the preset)."_s,
         {},
         runPresetsSet},
    };
    return presets;
}

} // namespace varnolite::cli
