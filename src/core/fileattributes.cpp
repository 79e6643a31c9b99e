// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/fileattributes.h"

#include <QFile>

#include <sys/stat.h>

namespace varnolite {

FileAttributes fileAttributes(const QString& path)
{
    struct stat st
    {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    FileAttributes attributes;
    if (S_ISDIR(st.st_mode))
        attributes |= FileAttribute::Directory;
    if (!(st.st_mode & S_IWUSR))
        attributes |= FileAttribute::ReadOnly;
    return attributes;
}

bool HasFileAttributes(const QString& path, FileAttributes mask)
{
    return (fileAttributes(path) & mask) == mask;
}

} // namespace varnolite
