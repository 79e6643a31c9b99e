// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/renamepipeline.h"

#include "core/fileattributes.h"
#include "core/filemove.h"
#include "core/paths.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

bool holdsLineBreak(const QString& path)
{
    return path.contains(u'\n') || path.contains(u'\r') || path.contains(QChar(u'\0'));
}

bool exists(const QString& path)
{
    struct stat st
    {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

QString ReplaceIllegalChars(QStringView name)
{
    QString out = name.toString();
    for (QChar& c : out) {
        switch (c.unicode()) {
        case u'*':
        case u'/':
        case u':':
        case u'<':
        case u'>':
        case u'?':
        case u'\\':
        case u'|':
            c = u'_';
            break;
        case u'"':
            c = u'\'';
            break;
        default:
            if (c.unicode() < 32)
                c = u'_';
            break;
        }
    }
    return out;
}

QString confinedName(QString name)
{
    for (QChar& c : name) {
        if (c == u'/' || c.unicode() < 32)
            c = u'_';
    }
    if (name.isEmpty() || name == u"." || name == u"..")
        return u"_"_s;
    return name;
}

QString collectingTarget(const QString& source, const QString& target, const RenameOptions& options)
{
    if (!options.moveAfterRename || options.collectingDirectory.isEmpty())
        return target;
    QString t = target;
    while (t.size() > 1 && t.endsWith(u'/'))
        t.chop(1);
    const FileAttributes attributes = fileAttributes(source);
    const bool isDirectory = attributes.testFlag(FileAttribute::Directory);
    const bool isFile = !isDirectory && exists(source);
    if (isDirectory || (isFile && !options.onlyCompleteDirectories))
        return addTrailingSeparator(options.collectingDirectory) + fileNameOf(t);
    return t;
}

int RenameOne(const QString& source, const QString& target, const RenameOptions& options,
              UndoLog& log, QString* finalTarget)
{
    if (finalTarget)
        *finalTarget = source;
    if (source == target)
        return 0;
    const QString to = collectingTarget(source, target, options);
    if (to == source)
        return 0;
    if (holdsLineBreak(source) || holdsLineBreak(to) || to.isEmpty())
        return EINVAL;

    int error = moveWithoutOverwrite(source, to);
    if (error == ENOENT && exists(source)) {
        error = makeDirectories(directoryOf(to));
        if (error == 0)
            error = moveWithoutOverwrite(source, to);
    }
    if (error != 0)
        return error;

    if (const Status logged = log.appendRename(source, to); !logged.ok()) {
        // A rename nobody could take back is not made.
        moveWithoutOverwrite(to, source);
        return logged.systemError() != 0 ? logged.systemError() : EIO;
    }
    if (finalTarget)
        *finalTarget = to;
    return 0;
}

bool PreviewRenameBatch(RenameBatch& batch, bool showPreview, const PreviewHook& preview)
{
    batch.barray.clear();
    if (!showPreview || !preview)
        return false;
    const qsizetype n = batch.size();
    batch.barray = QList<bool>(n, false);
    QList<PreviewLine> lines;
    lines.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        lines.append({batch.sources[i], batch.targets[i], true});

    if (preview(lines) != PreviewDecision::Ok || lines.size() != n) {
        batch.sources.clear();
        batch.targets.clear();
        return true;
    }
    for (qsizetype i = n - 1; i >= 0; --i) {
        if (lines[i].checked) {
            batch.sources[i] = lines[i].source;
            batch.targets[i] = lines[i].target;
            batch.barray[i] = true;
        } else {
            batch.sources.removeAt(i);
            batch.targets.removeAt(i);
        }
    }
    return false;
}

RenameReport ApplyRenameBatch(RenameBatch& batch, const RenameOptions& options, UndoLog& log,
                              const RenameHooks& hooks)
{
    RenameReport report;
    if (PreviewRenameBatch(batch, options.showPreview, hooks.preview)) {
        report.cancelled = true;
        return report;
    }
    const qsizetype n = batch.size();
    if (n == 0)
        return report;
    // The header goes first, whatever the renames' outcome; without it nothing is renamed.
    report.logStatus = log.writeHeader(addTrailingSeparator(directoryOf(batch.sources.back())));
    if (!report.logStatus.ok())
        return report;

    QList<PathError> errors; // collected from the last entry on
    for (qsizetype i = n - 1; i >= 0; --i) {
        QString finalTarget;
        const int error = RenameOne(batch.sources[i], batch.targets[i], options, log, &finalTarget);
        if (error != 0) {
            errors.append({batch.sources[i], systemMessage(error)});
        } else if (finalTarget != batch.sources[i]) {
            ++report.renamed;
            if (hooks.renamed)
                hooks.renamed(batch.sources[i], finalTarget);
        }
        if (hooks.progress)
            hooks.progress(n - i, n);
    }
    log.finishBatch();
    report.errors.reserve(errors.size());
    for (qsizetype i = errors.size() - 1; i >= 0; --i)
        report.errors.append(std::move(errors[i]));
    return report;
}

QString previewCaption(qsizetype unchecked, qsizetype total)
{
    if (unchecked == 0)
        return u"Vorschau - alles gewählt"_s;
    if (unchecked >= total)
        return u"Vorschau - "_s + u"NICHTS gewählt"_s;
    return u"Vorschau - "_s + QString::number(unchecked) + u' ' + u" nicht gewählt"_s;
}

QString renameErrorHeading(qsizetype errors)
{
    return QString::number(errors) + u" Fehler beim Umbenennen!"_s;
}

QString previewColumnText(const QString& path, PreviewPaths mode, const QString& explorerDir)
{
    switch (mode) {
    case PreviewPaths::Names:
        return fileNameOf(path);
    case PreviewPaths::FullPaths:
        return path;
    case PreviewPaths::RelativePaths: {
        QString dir = explorerDir;
        while (dir.size() > 1 && dir.endsWith(u'/'))
            dir.chop(1);
        return path.mid(dir.size());
    }
    }
    return path;
}

QString previewEditedTarget(const QString& oldTarget, const QString& typed, PreviewPaths mode,
                            const QString& explorerDir)
{
    switch (mode) {
    case PreviewPaths::Names:
        return addTrailingSeparator(directoryOf(oldTarget)) + typed;
    case PreviewPaths::FullPaths:
        return typed;
    case PreviewPaths::RelativePaths: {
        QString rest = typed;
        if (rest.startsWith(u'/'))
            rest.remove(0, 1);
        return addTrailingSeparator(explorerDir) + rest;
    }
    }
    return typed;
}

} // namespace varnolite
