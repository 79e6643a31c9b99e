// SPDX-License-Identifier: GPL-3.0-or-later
#include "engines/tagtoname.h"

#include "core/fileattributes.h"
#include "core/paths.h"
#include "core/safefile.h"
#include "core/textcodec.h"
#include "engines/renameactions.h"
#include "tags/genres.h"
#include "tags/id3v1.h"

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

QString twoDigits(const QString& number)
{
    return number.size() == 1 ? u'0' + number : number;
}

// The first run of digits 0-9 in a text, leading zeros kept.
QString firstDigits(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && !(text[i] >= u'0' && text[i] <= u'9'))
        ++i;
    qsizetype j = i;
    while (j < text.size() && text[j] >= u'0' && text[j] <= u'9')
        ++j;
    return text.sliced(i, j - i).toString();
}

std::optional<QString> placeholderValue(QChar code, const Id3v1Tag& tag, quint32 counter)
{
    switch (code.unicode()) {
    case u'N':
        return twoDigits(QString::number(counter));
    case u'T':
        return twoDigits(tag.track.left(3));
    case u'S':
        return tag.title;
    case u'K':
        return tag.artist;
    case u'A':
        return tag.album;
    case u'C':
        return tag.comment;
    case u'J':
        return tag.year.left(4);
    case u'G':
        return GenreNames(tag.genre);
    case u'U':
        return firstDigits(tag.comment);
    default:
        return std::nullopt;
    }
}

// A value's own directory separators never separate directories.
QString withoutSeparators(QString text)
{
    for (QChar& c : text) {
        if (isSeparator(c))
            c = u'_';
    }
    return text;
}

// Blanks at both ends go (the blank character only, not tabs).
QString trimBlanks(QStringView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == u' ')
        ++from;
    while (to > from && text[to - 1] == u' ')
        --to;
    return text.sliced(from, to - from).toString();
}

} // namespace

QStringList expandTagPatternParts(QStringView pattern, const Id3v1Tag& tag, quint32 counter,
                                  QStringView blankReplacement)
{
    QStringList parts{QString()};
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'%') {
            if (i + 1 >= pattern.size())
                break;
            if (const std::optional<QString> value = placeholderValue(pattern[++i], tag, counter))
                parts.back() += withoutSeparators(*value);
        } else if (isSeparator(c)) {
            parts.append(QString());
        } else {
            parts.back() += c;
        }
    }
    const QString blank = withoutSeparators(blankReplacement.toString());
    for (QString& part : parts)
        part.replace(u' ', blank);
    return parts;
}

QString ExpandTagPattern(QStringView pattern, const Id3v1Tag& tag, quint32 counter,
                         QStringView blankReplacement)
{
    return expandTagPatternParts(pattern, tag, counter, blankReplacement).join(u'/');
}

QString tagNameExtension(QStringView fileName)
{
    const QString extension = extensionOf(fileName);
    return extension.compare(u".mp3", Qt::CaseInsensitive) == 0 ? u".mp3"_s : extension;
}

QString tagPatternPath(const QStringList& parts, QStringView extension, EmptyName empty)
{
    QString path;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        QString part = trimBlanks(ReplaceIllegalChars(parts[i]));
        if (part.isEmpty())
            continue; // joins its neighbours
        if (part == u"." || part == u"..")
            part = u"_"_s;
        path += part + u'/';
    }
    const QString name =
        parts.isEmpty() ? QString() : trimBlanks(ReplaceIllegalChars(parts.back()));
    if (empty == EmptyName::StaysEmpty)
        return path + (name.isEmpty() ? name : name + extension);
    QString full = name + extension;
    if (full.isEmpty() || full == u"." || full == u"..")
        full = u"_"_s; // never the directory itself or its parent
    return path + full;
}

RenameBatch BuildTagNameBatch(const FileSet& files, const QString& pattern,
                              const QString& blankReplacement, const ProgressHook& progress)
{
    RenameBatch batch;
    quint32 counter = 1;
    QString previousDirectory;
    bool first = true;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString& path = files[i];
        if (progress)
            progress(i + 1, files.size());
        if (HasFileAttributes(path, FileAttribute::Directory))
            continue; // a directory never gets a name from its tags
        const QString directory = directoryOf(path);
        if (first || directory != previousDirectory) {
            counter = 1;
            previousDirectory = directory;
            first = false;
        }
        Id3v1Tag tag;
        ReadTag(path, tag);
        const QStringList parts = expandTagPatternParts(pattern, tag, counter, blankReplacement);
        batch.append(path, addTrailingSeparator(directory) +
                               tagPatternPath(parts, tagNameExtension(fileNameOf(path))));
        ++counter;
    }
    return batch;
}

QString tagNameExample(const QString& path, const QString& pattern, const QString& blankReplacement)
{
    Id3v1Tag tag;
    ReadTag(path, tag);
    const QStringList parts = expandTagPatternParts(pattern, tag, 1, blankReplacement);
    return u"Beispiel: "_s +
           tagPatternPath(parts, tagNameExtension(fileNameOf(path)), EmptyName::StaysEmpty);
}

const QStringList& tagPlaceholders()
{
    static const QStringList placeholders = {u"%N"_s, u"%T"_s, u"%S"_s, u"%K"_s, u"%A"_s,
                                             u"%C"_s, u"%J"_s, u"%G"_s, u"%U"_s};
    return placeholders;
}

QString separatorPlaceholder()
{
    return u"-"_s;
}

bool placeholderChecked(QStringView pattern, QStringView placeholder)
{
    return pattern.contains(placeholder);
}

ToggledPattern TogglePlaceholder(const PatternBox& box, QStringView placeholder, bool checked,
                                 bool pageActive)
{
    ToggledPattern result{box.text, std::nullopt};
    if (!pageActive)
        return result;
    QString& text = result.text;
    const qsizetype at = text.indexOf(placeholder);
    if (checked) {
        if (at < 0 || placeholder == separatorPlaceholder()) {
            const QString insertion =
                text.isEmpty() ? placeholder.toString() : u' ' + placeholder.toString();
            if (box.hadFocus) {
                const qsizetype start = qBound<qsizetype>(0, box.selectionStart, text.size());
                const qsizetype length =
                    qBound<qsizetype>(0, box.selectionLength, text.size() - start);
                text.replace(start, length, insertion);
            } else {
                text += insertion;
            }
        }
    } else if (at >= 0) {
        text.remove(at, qMin<qsizetype>(2, text.size() - at));
        while (at < text.size() && (text[at] == u' ' || text[at] == u'-'))
            text.remove(at, 1);
        if (text.endsWith(u' '))
            text.chop(1);
    }
    if (box.showing)
        result.caret = qBound<qsizetype>(0, box.rememberedCaret + 3, text.size());
    return result;
}

Result<std::optional<QString>> readTagNamePatternFile(const QString& path)
{
    auto bytes = readFileBytes(path, 1024 * 1024);
    if (!bytes.ok())
        return bytes.status();
    const QStringList lines = decodeTextLines(bytes.value());
    if (bytes.value().isEmpty() || lines.isEmpty())
        return std::optional<QString>();
    return std::optional<QString>(lines.front());
}

Status writeTagNamePatternFile(const QString& path, const QString& pattern)
{
    if (pattern.contains(u'\n') || pattern.contains(u'\r'))
        return {ErrorCode::InvalidArgument, path + u": a pattern cannot hold a line break"_s};
    return writeFileAtomically(path, encodeTextLines({pattern}));
}

QStringList listTagNamePatternFiles(const QString& directory)
{
    return fileStemsWithExtension(directory, u".vtn");
}

} // namespace varnolite
