// SPDX-License-Identifier: GPL-3.0-or-later
#include "cddb/naming.h"

#include "core/caseless.h"
#include "core/paths.h"
#include "engines/tagtoname.h"
#include "tags/genres.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

QStringList linesOf(QStringView text)
{
    QStringList lines;
    for (QStringView line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        lines.append(line.toString());
    }
    return lines;
}

QString cleanValue(QString value)
{
    value.replace(u'/', u'-');
    return ReplaceIllegalChars(value);
}

// The genre number whose name equals `name` without regard to case (the last one that does,
// "-" included); nullopt when none does.
std::optional<int> lastGenreMatch(const QString& name)
{
    std::optional<int> found;
    for (int i = 0; i <= kNoGenre; ++i) {
        if (GenreNames(i).compare(name, Qt::CaseInsensitive) == 0)
            found = i;
    }
    return found;
}

QString twoDigits(qsizetype k)
{
    return k < 10 ? u'0' + QString::number(k) : QString::number(k);
}

std::optional<qint64> trackNumberOfKey(QStringView key)
{
    if (!key.startsWith(u"TTITLE"))
        return std::nullopt;
    const QStringView digits = key.sliced(6);
    if (digits.isEmpty() || digits.size() > 4)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return digits.toLongLong();
}

} // namespace

QString recordFieldValue(QStringView slice)
{
    QString key;
    QString value;
    for (const QString& line : linesOf(slice)) {
        const qsizetype eq = line.indexOf(u'=');
        if (line.startsWith(u'#') || eq < 0)
            continue;
        if (key.isNull())
            key = line.left(eq);
        if (QStringView(line).first(eq) == key)
            value += QStringView(line).sliced(eq + 1);
    }
    return value;
}

QString cleanRecordField(QStringView slice)
{
    return cleanValue(recordFieldValue(slice));
}

XmcdRecord parseXmcdRecord(QStringView text)
{
    XmcdRecord record;
    QHash<qint64, QString> titles;
    for (const QString& line : linesOf(text)) {
        if (line == u".")
            break;
        const qsizetype eq = line.indexOf(u'=');
        if (line.startsWith(u'#') || eq < 0)
            continue;
        const QStringView key = QStringView(line).first(eq);
        const QStringView value = QStringView(line).sliced(eq + 1);
        if (key == u"DTITLE") {
            record.discTitle += value;
            record.hasDiscTitle = true;
        } else if (const std::optional<qint64> n = trackNumberOfKey(key)) {
            titles[*n] += value;
        }
    }
    for (qint64 n = 0; titles.contains(n); ++n)
        record.trackTitles.append(titles.value(n));
    return record;
}

CddbNamingPlan planCddbNaming(const QString& record, const QString& category,
                              const QString& chosenTitle, const FileSet& files,
                              const CddbNamingOptions& options)
{
    CddbNamingPlan plan;
    if (files.isEmpty())
        return plan;
    const XmcdRecord xmcd = parseXmcdRecord(record);
    const QString& disc = xmcd.discTitle;
    const qsizetype artistEnd = disc.indexOf(u" /");
    plan.artist = cleanValue(artistEnd < 0 ? QString() : disc.left(artistEnd));
    const qsizetype albumStart = disc.indexOf(u"/ ");
    plan.album = cleanValue(albumStart < 0 ? disc : disc.mid(albumStart + 2));
    plan.discTitle = cleanValue(disc);
    plan.genre = lastGenreMatch(category).value_or(12);

    const QString albumDir = directoryOf(files.back());
    for (qsizetype k = 1; k <= files.size(); ++k) {
        const QString& file = files[k - 1];
        if (k > xmcd.trackTitles.size()) {
            plan.unnamed.append(file);
            continue;
        }
        const QString title = cleanValue(xmcd.trackTitles[k - 1]);
        Id3v1Tag tag;
        tag.title = title;
        tag.artist = plan.artist;
        tag.album = plan.album;
        tag.genre = plan.genre;
        tag.track = twoDigits(k);
        const QStringList parts = expandTagPatternParts(options.fileNamePattern, tag, quint32(k),
                                                        options.blankReplacement);
        plan.batch.append(file, addTrailingSeparator(albumDir) +
                                    tagPatternPath(parts, extensionOf(fileNameOf(file))));
        if (!options.writeTags)
            continue;

        Id3v1Tag out;
        out.year = options.year.left(4);
        out.genre = lastGenreMatch(options.genre).value_or(kNoGenre);
        out.comment =
            options.comment.isEmpty() ? u"Track "_s + QString::number(k) : options.comment;
        out.track = QString::number(k);
        const QString matchTitle = chosenTitle.isEmpty() ? disc : chosenTitle;
        if (options.sampler) {
            out.album = matchTitle;
            qsizetype split = title.indexOf(u'/');
            if (split < 0)
                split = title.indexOf(u'-');
            if (split < 0) {
                out.title = title;
            } else {
                out.artist = title.left(split).trimmed();
                out.title = title.mid(split + 1).trimmed();
            }
        } else {
            const qsizetype split = matchTitle.indexOf(u'/');
            out.artist = split < 0 ? QString() : matchTitle.left(split).trimmed();
            out.album = split < 0 ? matchTitle : matchTitle.mid(split + 1).trimmed();
            out.title = title;
        }
        plan.tags.insert(file, out);
    }

    // The album directory goes first, so the pipeline renames it after its files.
    if (options.renameDirectory && !plan.discTitle.isEmpty() && albumDir != u"/") {
        QString name = plan.discTitle;
        name.replace(u' ', options.blankReplacement);
        RenameBatch withDirectory;
        withDirectory.append(albumDir,
                             addTrailingSeparator(directoryOf(albumDir)) + confinedName(name));
        withDirectory.sources += plan.batch.sources;
        withDirectory.targets += plan.batch.targets;
        plan.batch = withDirectory;
    }
    return plan;
}

QList<PathError> writePlannedTags(const CddbNamingPlan& plan, const QStringList& sources,
                                  const WriteTagOptions& options)
{
    QList<PathError> errors;
    for (const QString& source : sources) {
        const auto it = plan.tags.constFind(source);
        if (it == plan.tags.constEnd())
            continue;
        const Id3v1Tag& planned = *it;
        const WriteTagResult result = updateTag(
            source,
            [&](Id3v1Tag& t) {
                t.title = planned.title;
                t.artist = planned.artist;
                t.album = planned.album;
                t.year = planned.year;
                t.comment = planned.comment;
                t.track = planned.track;
                t.genre = planned.genre;
            },
            options);
        if (!result.status.ok())
            errors.append({source, result.status.message()});
    }
    return errors;
}

CddbNamingReport applyCddbNaming(CddbNamingPlan plan, RenameOptions renameOptions, UndoLog& log,
                                 const RenameHooks& hooks, const WriteTagOptions& tagOptions)
{
    CddbNamingReport report;
    if (PreviewRenameBatch(plan.batch, true, hooks.preview) || plan.batch.isEmpty()) {
        report.rename.cancelled = true;
        return report;
    }
    report.tagErrors = writePlannedTags(plan, plan.batch.sources, tagOptions);
    renameOptions.showPreview = false;
    report.rename = ApplyRenameBatch(plan.batch, renameOptions, log, hooks);
    return report;
}

// --- list files ------------------------------------------------------------------------------

bool plainListNeedsExtension(const QStringList& lines)
{
    return lines.isEmpty() || !lines.front().trimmed().contains(u".mp3");
}

QList<std::optional<QString>> plainListNames(const QStringList& lines, qsizetype count,
                                             bool numbering, bool addMp3)
{
    QList<std::optional<QString>> names;
    for (qsizetype k = 1; k <= count; ++k) {
        if (k > lines.size()) {
            names.append(std::nullopt);
            continue;
        }
        QString line = lines[k - 1];
        qsizetype start = 0;
        while (start < line.size() && (line[start] == u' ' || line[start] == u'('))
            ++start;
        line = line.mid(start);
        qsizetype end = line.size();
        while (end > 0 && line[end - 1] == u' ')
            --end;
        line.truncate(end);
        if (line.isEmpty()) {
            names.append(std::nullopt); // an empty line names nothing
            continue;
        }
        const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
        if (numbering)
            line = twoDigits(k) + u' ' + line;
        else if (isDigit(line[0]) && (line.size() == 1 || !isDigit(line[1])))
            line.prepend(u'0');
        if (addMp3)
            line += u".mp3"_s;
        names.append(confinedName(ReplaceIllegalChars(line)));
    }
    return names;
}

QList<std::optional<QString>> sfvNames(const QStringList& lines, qsizetype count)
{
    QList<std::optional<QString>> names;
    qsizetype i = 0;
    for (qsizetype k = 1; k <= count; ++k) {
        while (i < lines.size() && (lines[i].startsWith(u';') || lines[i].trimmed().isEmpty()))
            ++i;
        if (i >= lines.size()) {
            names.append(std::nullopt);
            continue;
        }
        const QString line = lines[i++].trimmed();
        const qsizetype blank = line.lastIndexOf(u' ');
        const QString name = blank < 0 ? QString() : line.left(blank).trimmed();
        if (name.isEmpty())
            names.append(std::nullopt); // no checksum word: no name
        else
            names.append(confinedName(ReplaceIllegalChars(name)));
    }
    return names;
}

RenameBatch listNamingBatch(const FileSet& files, const QList<std::optional<QString>>& names)
{
    RenameBatch batch;
    for (qsizetype k = 0; k < files.size() && k < names.size(); ++k) {
        if (names[k])
            batch.append(files[k], addTrailingSeparator(directoryOf(files[k])) + *names[k]);
    }
    return batch;
}

bool isQdbFile(const QStringList& lines)
{
    return (lines.size() > 0 && lines[0].contains(u"# xmcd")) ||
           (lines.size() > 1 && lines[1].contains(u"# xmcd"));
}

QStringList qdbDiscTitles(const QStringList& lines, qsizetype trackCount)
{
    QStringList titles;
    if (!isQdbFile(lines))
        return titles;
    const auto valueOf = [](const QString& line) { return line.mid(line.indexOf(u'=') + 1); };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(u"DISCID"))
            continue;
        bool ok = false;
        const qsizetype count = lines[i].right(2).toInt(&ok, 16);
        if (!ok || count != trackCount)
            continue; // another disc, or no count to read
        qsizetype d = i + 1;
        while (d < lines.size() && !lines[d].startsWith(u"DTITLE"))
            ++d;
        if (d >= lines.size())
            break;
        QString title = valueOf(lines[d]);
        if (d + 1 < lines.size() && lines[d + 1].startsWith(u"DTITLE"))
            title += valueOf(lines[d + 1]);
        titles.append(title);
        i = d;
    }
    std::sort(titles.begin(), titles.end(),
              [](const QString& a, const QString& b) { return compareCaseless(a, b) < 0; });
    return titles;
}

QString qdbRecord(const QStringList& lines, const QString& chosenTitle)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(u"DTITLE"))
            continue;
        const QString value = lines[i].mid(lines[i].indexOf(u'=') + 1);
        if (!chosenTitle.startsWith(value))
            continue;
        QStringList record;
        for (qsizetype j = i; j < lines.size(); ++j) {
            record.append(lines[j]);
            if (lines[j] == u".")
                break;
        }
        return record.join(u"\r\n"_s);
    }
    return {};
}

} // namespace varnolite
