// SPDX-License-Identifier: GPL-3.0-or-later
// "tag": show, write and strip ID3v1 tags and Lyrics3 blocks; the genre table.
#include "cli/cli.h"
#include "cli/paths.h"
#include "cli/progressbar.h"
#include "cli/settingsvalues.h"

#include "core/fileattributes.h"
#include "core/integers.h"
#include "core/safefile.h"
#include "core/settingskeys.h"
#include "core/textcodec.h"
#include "tags/genres.h"
#include "tags/id3v1.h"
#include "tags/tagremoval.h"
#include "tags/tagtext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

// The files of the arguments: directories expanded with -r, then left out.
FileSet tagFiles(Context& context, const ArgParser& args, bool& failed)
{
    return filesOf(context, args.positionals(), args.isSet(u"recursive"),
                   FileMask(explorerMask(context)), failed);
}

int needFiles(Context& context, const ArgParser& args, const QString& action)
{
    return args.positionals().isEmpty() ? usageHint(context, u"tag "_s + action, u"no FILE given"_s)
                                        : ExitOk;
}

QString lyricsKindName(LyricsKind kind)
{
    switch (kind) {
    case LyricsKind::V1:
        return u"Lyrics3v1"_s;
    case LyricsKind::V2:
        return u"Lyrics3v2"_s;
    case LyricsKind::None:
        break;
    }
    return u"none"_s;
}

QJsonObject tagJson(const QString& path, bool hasTag, const Id3v1Tag& tag)
{
    QJsonArray extras;
    for (const LyricsField& f : tag.extraFields.fields)
        extras.append(QJsonObject{{u"id"_s, f.id}, {u"size"_s, f.sizeText}, {u"data"_s, f.data}});
    return QJsonObject{
        {u"path"_s, path},
        {u"hasTag"_s, hasTag},
        {u"title"_s, tag.title},
        {u"artist"_s, tag.artist},
        {u"album"_s, tag.album},
        {u"comment"_s, tag.comment},
        {u"year"_s, tag.year},
        {u"track"_s, tag.track},
        {u"genre"_s, tag.genre},
        {u"genreName"_s, hasTag ? GenreNames(tag.genre) : QString()},
        {u"info"_s, tag.info},
        {u"lyrics"_s, tag.lyrics},
        {u"author"_s, tag.author},
        {u"imageLinks"_s, tag.imageLinks},
        {u"extraFields"_s, extras},
        {u"lyricsKind"_s, int(tag.lyricsKind)},
        {u"id3v2Version"_s, int(tag.id3v2Version)},
    };
}

void printTag(QTextStream& out, const QString& path, bool hasTag, const Id3v1Tag& tag)
{
    out << path << '\n';
    const auto line = [&](const char* name, const QString& value) {
        QString shown = value;
        shown.replace(u"\r\n"_s, u"\n"_s).replace(u'\n', u"\n                "_s);
        out << "  " << QString::fromLatin1(name).leftJustified(14) << shown << '\n';
    };
    if (!hasTag) {
        out << "  no ID3v1 tag\n";
    } else {
        line("title:", tag.title);
        line("artist:", tag.artist);
        line("album:", tag.album);
        line("year:", tag.year);
        line("comment:", tag.comment);
        line("track:", tag.track);
        line("genre:", u"%1 (%2)"_s.arg(tag.genre).arg(GenreNames(tag.genre)));
        line("lyricsKind:",
             u"%1 (%2)"_s.arg(int(tag.lyricsKind)).arg(lyricsKindName(tag.lyricsKind)));
        if (tag.lyricsKind != LyricsKind::None) {
            line("author:", tag.author);
            line("info:", tag.info);
            line("lyrics:", tag.lyrics);
            line("imageLinks:", tag.imageLinks);
            for (const LyricsField& f : tag.extraFields.fields)
                line("extraField:", f.id + u'(' + f.sizeText + u")="_s + f.data);
        }
    }
    line("id3v2Version:", QString::number(tag.id3v2Version));
}

int runShow(Context& context, const ArgParser& args)
{
    if (const int usage = needFiles(context, args, u"show"_s))
        return usage;
    bool failed = false;
    const FileSet files = tagFiles(context, args, failed);
    const bool json = args.isSet(u"json");
    QJsonArray array;
    QTextStream& out = context.io.out();
    for (const QString& path : files) {
        auto source = FileSource::open(path);
        if (!source.ok()) {
            context.fail(path, systemMessage(source.status().systemError()));
            failed = true;
            continue;
        }
        Id3v1Tag tag;
        const bool hasTag = ReadTag(source.value(), tag);
        if (hasTag)
            tag.fileName = path;
        if (json)
            array.append(tagJson(path, hasTag, tag));
        else
            printTag(out, path, hasTag, tag);
    }
    if (json)
        out << QJsonDocument(array).toJson();
    return failed ? ExitFailed : ExitOk;
}

// Multi-line texts are stored with CR LF line ends.
QString withCrLf(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    return text.replace(u'\n', u"\r\n"_s);
}

int runSet(Context& context, const ArgParser& args)
{
    if (const int usage = needFiles(context, args, u"set"_s))
        return usage;
    const auto usage = [&](const QString& message) {
        context.io.err() << "varnolite-cli tag set: " << message << Qt::endl;
        return ExitUsage;
    };
    std::optional<int> genre;
    if (args.isSet(u"genre")) {
        const QString g = args.value(u"genre");
        if (const std::optional<qint32> n = parsePlatformInteger(g)) {
            if (*n >= 0 && *n < kNoGenre)
                genre = *n;
            else if (*n == kNoGenre || *n == 255 || *n == -1)
                genre = kNoGenre;
        } else {
            genre = genreNumber(g, Qt::CaseInsensitive);
        }
        if (!genre)
            return usage(u"unknown genre \"%1\" (see varnolite-cli tag genres)"_s.arg(g));
    }
    if (args.isSet(u"track") && !args.value(u"track").isEmpty()) {
        const std::optional<qint32> n = parsePlatformInteger(args.value(u"track"));
        if (!n || *n < 0 || *n > 255)
            return usage(u"--track needs a number from 0 to 255"_s);
    }
    QString lyrics = args.value(u"lyrics");
    if (args.isSet(u"lyrics-file")) {
        if (args.isSet(u"lyrics"))
            return usage(u"give --lyrics or --lyrics-file, not both"_s);
        auto bytes = readFileBytes(args.value(u"lyrics-file"), 16 * 1024 * 1024);
        if (!bytes.ok()) {
            context.fail(args.value(u"lyrics-file"), bytes.status().message());
            return ExitFailed;
        }
        lyrics = decodeText(bytes.value());
    }

    const TagSettings settings = tagSettings(context, args);
    WriteTagOptions options;
    options.readOnly = settings.readOnly;
    options.useLyrics3 = settings.useLyrics3;
    bool failed = false;
    const FileSet files = tagFiles(context, args, failed);
    ProgressBar progress(context.io, u"Writing tags"_s);
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString& path = files[i];
        Id3v1Tag tag;
        const WriteTagResult result = updateTag(
            path,
            [&](Id3v1Tag& t) {
                const auto set = [&](QStringView option, QString& field) {
                    if (args.isSet(option))
                        field = args.value(option);
                };
                set(u"title", t.title);
                set(u"artist", t.artist);
                set(u"album", t.album);
                set(u"year", t.year);
                set(u"comment", t.comment);
                set(u"track", t.track);
                set(u"author", t.author);
                if (args.isSet(u"info"))
                    t.info = withCrLf(args.value(u"info"));
                if (args.isSet(u"lyrics") || args.isSet(u"lyrics-file"))
                    t.lyrics = withCrLf(lyrics);
                if (args.isSet(u"image-link")) {
                    t.imageLinks.clear();
                    for (const QString& link : args.values(u"image-link"))
                        t.imageLinks += link + u"\r\n"_s;
                }
                if (genre)
                    t.genre = *genre;
                tag = t;
            },
            options);
        progress.update(i + 1, files.size());
        if (!result.status.ok()) {
            context.fail(path, result.status.message());
            failed = true;
            continue;
        }
        if (!result.cutFields.isEmpty())
            context.fail(path, u"Lyrics3v2 fields cut to fit the format: "_s +
                                   result.cutFields.join(u", "_s));
        for (const auto& [name, text] :
             {std::pair{"title", tag.title}, {"artist", tag.artist}, {"album", tag.album}}) {
            if (tagTextLength(text) > 30 && !options.useLyrics3)
                context.fail(path, QString::fromLatin1(name) +
                                       u" cut to 30 characters (Lyrics3 is off)"_s);
        }
    }
    return failed ? ExitFailed : ExitOk;
}

int runStrip(Context& context, const ArgParser& args)
{
    if (const int usage = needFiles(context, args, u"strip"_s))
        return usage;
    const int modes = args.isSet(u"all") + args.isSet(u"id3v2") + args.isSet(u"lyrics3");
    if (modes != 1) {
        context.io.err() << "varnolite-cli tag strip: give one of --all, --id3v2, --lyrics3"
                         << Qt::endl;
        return ExitUsage;
    }
    const TagRemoval what = args.isSet(u"all")     ? TagRemoval::All
                            : args.isSet(u"id3v2") ? TagRemoval::Id3v2
                                                   : TagRemoval::Lyrics3;
    bool failed = false;
    const FileSet files = tagFiles(context, args, failed);
    ProgressBar progress(context.io, u"Removing tags"_s);
    const QList<PathError> errors =
        removeTags(files, what, tagSettings(context, args).readOnly, progress.hook());
    for (const PathError& e : errors)
        context.fail(e.path, e.message);
    return failed || !errors.isEmpty() ? ExitFailed : ExitOk;
}

int runGenres(Context& context, const ArgParser& args)
{
    const QStringList& names = genreNameList();
    if (args.isSet(u"json")) {
        QJsonArray array;
        for (qsizetype i = 0; i < names.size(); ++i)
            array.append(QJsonObject{{u"number"_s, int(i)}, {u"name"_s, names[i]}});
        context.io.out() << QJsonDocument(array).toJson();
        return ExitOk;
    }
    for (qsizetype i = 0; i < names.size(); ++i)
        context.io.out() << i << '\t' << names[i] << '\n';
    return ExitOk;
}

const OptionSpec kRecursive{
    {u"r"_s, u"recursive"_s}, {}, u"work on the files inside directories too"_s};
// The field options of "set", then how tags are written, then -r.
QList<OptionSpec> setOptions()
{
    QList<OptionSpec> o = {
        {{u"title"_s}, u"TEXT"_s, u"title"_s},
        {{u"artist"_s}, u"TEXT"_s, u"artist"_s},
        {{u"album"_s}, u"TEXT"_s, u"album"_s},
        {{u"year"_s}, u"TEXT"_s, u"year (4 characters)"_s},
        {{u"comment"_s}, u"TEXT"_s, u"comment (28 characters with a track number)"_s},
        {{u"track"_s}, u"N"_s, u"track number 0-255 (empty: none)"_s},
        {{u"genre"_s}, u"NAME|NUMBER"_s, u"genre by name or number; \"-\" for none"_s},
        {{u"lyrics"_s}, u"TEXT"_s, u"song text (Lyrics3v2)"_s},
        {{u"lyrics-file"_s}, u"FILE"_s, u"song text from a file"_s},
        {{u"info"_s}, u"TEXT"_s, u"information text (Lyrics3v2)"_s},
        {{u"author"_s}, u"TEXT"_s, u"author (Lyrics3v2, 250 characters)"_s},
        {{u"image-link"_s}, u"LINE"_s, u"image link \"path||description||[mm:ss]\", repeatable"_s},
    };
    o += tagWriteOptions();
    o.append(kRecursive);
    return o;
}

QList<OptionSpec> stripOptions()
{
    QList<OptionSpec> o = {
        {{u"all"_s}, {}, u"remove every tag"_s},
        {{u"id3v2"_s}, {}, u"remove the ID3v2 tag"_s},
        {{u"lyrics3"_s}, {}, u"remove the Lyrics3 block"_s},
    };
    o += tagWriteOptions().sliced(2); // the read-only flags
    o.append(kRecursive);
    return o;
}

} // namespace

Command tagCommand()
{
    Command tag{u"tag"_s,
                u"show, write and strip ID3v1 and Lyrics3 tags"_s,
                {},
                u"Reads and writes the tags at the end of MP3 files (ID3v1.1 and Lyrics3) and\n"
                "removes them and the ID3v2 tag at the start. Texts are stored in Windows-1252;\n"
                "characters it cannot hold become '?'."_s,
                {},
                {}};
    tag.subcommands = {
        {u"show"_s,
         u"print the tags of files"_s,
         u"[-r] [--json] FILE..."_s,
         u"Prints every field of the tag record, the Lyrics3 kind and the ID3v2 version of\n"
         "each file. --json prints an array of objects."_s,
         {kRecursive, {{u"json"_s}, {}, u"print JSON"_s}},
         runShow},
        {u"set"_s, u"write tag fields"_s, u"[field options] [-r] FILE..."_s,
         u"Reads each file's tag, changes the fields given and writes it back; fields not given\n"
         "keep their values, a file without a tag gets one. Titles, artists and albums longer\n"
         "than 30 characters, info, lyrics, author and image links go into a Lyrics3v2 block\n"
         "when Lyrics3 is in use (settings \"lyrcstag\", default on). Read-only files are written\n"
         "unless \"Schreibschutz beachten\" is set (settings \"achtungschreibschutz\")."_s,
         setOptions(), runSet},
        {u"strip"_s, u"remove tags"_s, u"(--all | --id3v2 | --lyrics3) [-r] FILE..."_s,
         u"--all removes the ID3v1 tag, the Lyrics3 block and the ID3v2 tag; --id3v2 only the\n"
         "ID3v2 tag at the start; --lyrics3 only the Lyrics3 block (the ID3v1 tag is written "
         "back;\n"
         "a file without one receives an empty one). Files with nothing to remove stay byte for\n"
         "byte. The ID3v2 tag is removed by writing the audio data to a new file renamed over\n"
         "the old one."_s,
         stripOptions(), runStrip},
        {u"genres"_s,
         u"list the genre table"_s,
         u"[--json]"_s,
         u"Prints the ID3v1 genres, number and name."_s,
         {{{u"json"_s}, {}, u"print JSON"_s}},
         runGenres},
    };
    return tag;
}

} // namespace varnolite::cli
