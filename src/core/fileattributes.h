// SPDX-License-Identifier: GPL-3.0-or-later
// File attributes as the program uses them: a directory bit and a read-only bit (the owner's write
// permission is missing).
#pragma once

#include <QFlags>
#include <QString>

namespace varnolite {

enum class FileAttribute : unsigned
{
    ReadOnly = 0x01,
    Directory = 0x10,
};
Q_DECLARE_FLAGS(FileAttributes, FileAttribute)
Q_DECLARE_OPERATORS_FOR_FLAGS(FileAttributes)

/// The attributes of a path (symbolic links followed); a failed query gives none.
FileAttributes fileAttributes(const QString& path);

/// True when every attribute of `mask` is set for the path; a failed query counts as no
/// attributes.
bool HasFileAttributes(const QString& path, FileAttributes mask);

} // namespace varnolite
