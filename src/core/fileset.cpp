// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/fileset.h"

#include "core/caseless.h"
#include "core/fileattributes.h"
#include "core/paths.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnolite {

namespace {

enum class EntryKind
{
    Skip,
    Directory,
    LinkedDirectory,
    File
};

EntryKind kindOf(int dirFd, const dirent* entry)
{
    struct stat st
    {};
    switch (entry->d_type) {
    case DT_DIR:
        return EntryKind::Directory;
    case DT_REG:
        return EntryKind::File;
    case DT_LNK:
        if (::fstatat(dirFd, entry->d_name, &st, 0) != 0)
            return EntryKind::Skip; // dangling
        return S_ISDIR(st.st_mode)   ? EntryKind::LinkedDirectory
               : S_ISREG(st.st_mode) ? EntryKind::File
                                     : EntryKind::Skip;
    case DT_UNKNOWN:
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Skip;
        if (S_ISDIR(st.st_mode))
            return EntryKind::Directory;
        if (S_ISREG(st.st_mode))
            return EntryKind::File;
        if (S_ISLNK(st.st_mode) && ::fstatat(dirFd, entry->d_name, &st, 0) == 0) {
            return S_ISDIR(st.st_mode)   ? EntryKind::LinkedDirectory
                   : S_ISREG(st.st_mode) ? EntryKind::File
                                         : EntryKind::Skip;
        }
        return EntryKind::Skip;
    default:
        return EntryKind::Skip; // devices, pipes, sockets are not files to work on
    }
}

void collectInto(const QString& directory, const FileMask& mask, const EntryVisitor& visit,
                 QList<PathError>& errors)
{
    const QByteArray native = QFile::encodeName(directory);
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        errors.append({directory, systemMessage(error)});
        return;
    }

    // Read the whole directory first and close it, so deep trees never hold many handles.
    QList<std::pair<QString, EntryKind>> directories;
    QStringList files;
    int readError = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            readError = errno;
            break;
        }
        const char* n = entry->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        const EntryKind kind = kindOf(fd, entry);
        if (kind == EntryKind::Skip)
            continue;
        QString name = QString::fromUtf8(n, qsizetype(std::strlen(n)));
        if (kind == EntryKind::File) {
            if (mask.matches(name))
                files.append(std::move(name));
        } else {
            directories.append({std::move(name), kind});
        }
    }
    ::closedir(dir);
    if (readError != 0)
        errors.append({directory, systemMessage(readError)});

    for (const auto& [name, kind] : directories) {
        const QString path = directory + name;
        visit(path, true);
        if (kind == EntryKind::Directory)
            collectInto(path + u'/', mask, visit, errors);
    }
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        const int c = compareCaseless(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    for (const QString& file : files)
        visit(directory + file, false);
}

} // namespace

DirectoryListing CollectDirectory(const QString& directory, const FileMask& mask)
{
    DirectoryListing listing;
    collectInto(
        addTrailingSeparator(directory), mask,
        [&](const QString& path, bool) { listing.paths.append(path); }, listing.errors);
    return listing;
}

QList<PathError> ExpandRecursive(const FileSet& files, const FileMask& mask,
                                 const EntryVisitor& visit)
{
    // Expanding from the last entry to the first and inserting after each directory gives the
    // same list as this single forward pass.
    QList<PathError> errors;
    for (const QString& entry : files) {
        const bool isDirectory = HasFileAttributes(entry, FileAttribute::Directory);
        visit(entry, isDirectory);
        if (isDirectory)
            collectInto(addTrailingSeparator(entry), mask, visit, errors);
    }
    return errors;
}

QList<PathError> ExpandRecursive(FileSet& files, const FileMask& mask)
{
    FileSet expanded;
    expanded.reserve(files.size());
    QList<PathError> errors =
        ExpandRecursive(files, mask, [&](const QString& path, bool) { expanded.append(path); });
    files = std::move(expanded);
    return errors;
}

QStringList fileStemsWithExtension(const QString& directory, QStringView extension)
{
    const QString folded = foldedCopy(extension);
    QStringList stems;
    const QStringList names =
        QDir(directory).entryList({QStringLiteral("*") + extension}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        if (name.size() > extension.size() && endsWithCaseless(name, folded))
            stems.append(name.chopped(extension.size()));
    }
    std::sort(stems.begin(), stems.end(),
              [](const QString& a, const QString& b) { return compareCaseless(a, b) < 0; });
    return stems;
}

} // namespace varnolite
