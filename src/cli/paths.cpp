// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/paths.h"

#include "core/fileattributes.h"
#include "core/settingskeys.h"
#include "core/status.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace varnolite::cli {

FileSet gatherPaths(Context& context, const QStringList& paths, bool& failed)
{
    FileSet files;
    files.reserve(paths.size());
    for (const QString& arg : paths) {
        const QString path = QDir::cleanPath(QFileInfo(arg).absoluteFilePath());
        struct stat st
        {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
            context.fail(arg, systemMessage(errno));
            failed = true;
            continue;
        }
        files.append(path);
    }
    return files;
}

FileSet filesOf(Context& context, const QStringList& paths, bool recursive, const FileMask& mask,
                bool& failed)
{
    const FileSet given = gatherPaths(context, paths, failed);
    FileSet files;
    if (!recursive) {
        for (const QString& path : given) {
            if (!HasFileAttributes(path, FileAttribute::Directory))
                files.append(path);
        }
        return files;
    }
    const QList<PathError> errors =
        ExpandRecursive(given, mask, [&](const QString& path, bool isDirectory) {
            if (!isDirectory)
                files.append(path);
        });
    for (const PathError& e : errors) {
        context.fail(e.path, e.message);
        failed = true;
    }
    return files;
}

QString explorerMask(const Context& context)
{
    const auto doc = context.settings().load();
    if (!doc.ok())
        return u"*.mp3"_s;
    const QStringList filters =
        ValueMap::effective(mainWindowStorage(), doc.value()).listValue(u"dateienliste_Filters");
    return filters.isEmpty() ? u"*.mp3"_s : filters.front();
}

} // namespace varnolite::cli
