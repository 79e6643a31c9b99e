// SPDX-License-Identifier: GPL-3.0-or-later
// The working file set of a command, and the recursive collection of directory contents.
#pragma once

#include "core/filemask.h"
#include "core/status.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace varnolite {

/// The ordered list of full paths a command works on.
using FileSet = QStringList;

struct DirectoryListing
{
    QStringList paths;
    QList<PathError> errors; // directories that could not be read
};

/// The recursive content of a directory: every subdirectory in the order the file system
/// enumerates them, each followed directly by its own content, then the files of the directory
/// whose names match `mask`, sorted by name without regard to case. Hidden entries count like
/// any other. Symbolic links to directories are listed like directories but never followed.
DirectoryListing CollectDirectory(const QString& directory, const FileMask& mask);

/// Inserts the content of every entry that is a directory directly after it (the entries
/// themselves stay). A directory given by a symbolic link is expanded; links met inside are not.
/// Returns the directories that could not be read.
QList<PathError> ExpandRecursive(FileSet& files, const FileMask& mask);

/// Told of each entry of an expanded file set, and whether it is a directory.
using EntryVisitor = std::function<void(const QString& path, bool isDirectory)>;

/// ExpandRecursive handing each path of the result to `visit` in order instead of keeping the
/// list: memory stays that of one directory however large the tree is. A symbolic link to a
/// directory met inside counts as a directory.
QList<PathError> ExpandRecursive(const FileSet& files, const FileMask& mask,
                                 const EntryVisitor& visit);

/// The names of the files of a directory whose extension is `extension` (".vtn"; any letter
/// case), without it, sorted without regard to case. A directory that cannot be read has none.
QStringList fileStemsWithExtension(const QString& directory, QStringView extension);

} // namespace varnolite
