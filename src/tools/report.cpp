// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/report.h"

#include "core/caseless.h"
#include "core/fileattributes.h"
#include "core/fileset.h"
#include "core/paths.h"
#include "core/safefile.h"
#include "core/textcodec.h"
#include "tags/mpeg.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace varnolite {

QString reportHeader()
{
    return u"Filename;Filesize;Songlength;Mpeg-Type;Encoder"_s;
}

QList<PathError> writeReportLines(const QString& directory, const FileMask& mask,
                                  const std::function<void(const QString& line)>& sink,
                                  const ProgressHook& progress)
{
    const QString root = QDir::cleanPath(directory);
    // Sorted by full path without regard to case, but grouped: every directory is followed by
    // its own files before the next directory, so no file appears under another's heading.
    struct Entry
    {
        QString group; // the directory itself, or the directory of a file
        bool isFile;
        QString path;
    };
    QList<Entry> sorted;
    const QList<PathError> errors =
        ExpandRecursive(FileSet{root}, mask, [&](const QString& path, bool isDirectory) {
            if (path != root)
                sorted.append({isDirectory ? path : directoryOf(path), !isDirectory, path});
        });
    std::sort(sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) {
        if (const int c = compareCaseless(a.group, b.group); c != 0)
            return c < 0;
        if (a.isFile != b.isFile)
            return b.isFile;
        const int c = compareCaseless(a.path, b.path);
        return c != 0 ? c < 0 : a.path < b.path;
    });

    sink(reportHeader());
    sink(QString());
    sink(root);
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        const Entry& entry = sorted[i];
        StreamInfo s;
        if (!entry.isFile) {
            sink(QString());
            sink(entry.path);
        } else if (AnalyzeMpegFile(entry.path, s) != -1) {
            sink(fileNameOf(entry.path) + u';' + QString::number(s.fileSize) + u';' +
                 FormatDuration(s.duration) + u";Mpeg "_s + versionName(s.version) + u" Layer "_s +
                 layerName(s.layer) + u' ' + QString::number(s.bitrate) + u"kbit;"_s + s.encoder);
        }
        if (progress)
            progress(i + 1, sorted.size());
    }
    return errors;
}

Status writeReport(const QString& reportPath, const QString& directory, const FileMask& mask,
                   const ProgressHook& progress)
{
    if (!HasFileAttributes(directory, FileAttribute::Directory))
        return Status::fromErrno(ENOTDIR, directory);
    QStringList lines;
    writeReportLines(
        directory, mask, [&](const QString& line) { lines.append(line); }, progress);
    return writeFileAtomically(reportPath, encodeTextLines(lines));
}

} // namespace varnolite
