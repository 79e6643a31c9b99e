// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/filemove.h"

#include "core/fdio.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnolite {

namespace {

int renameNoReplace(const char* source, const char* target)
{
    if (::renameat2(AT_FDCWD, source, AT_FDCWD, target, RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
        return error;

    // The file system does not know RENAME_NOREPLACE.
    struct stat st
    {};
    if (::lstat(source, &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode)) {
        if (::link(source, target) == 0) {
            if (::unlink(source) == 0)
                return 0;
            const int unlinkError = errno;
            ::unlink(target);
            return unlinkError;
        }
        if (errno == EEXIST)
            return EEXIST;
        // No hard links here either (FAT, some FUSE file systems).
    }
    if (::lstat(target, &st) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::rename(source, target) == 0 ? 0 : errno;
}

QByteArray parentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray(slash == 0 ? "/" : ".") : path.left(slash);
}

bool directoryHasEntry(const QByteArray& directory, const QByteArray& name)
{
    DIR* dir = ::opendir(directory.constData());
    if (!dir)
        return true; // cannot tell: assume a real collision
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (name == entry->d_name) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// Whether an existing `target` is only another spelling of `source` (a case-insensitive file
// system): the same inode, or, on path-based FUSE file systems that number every spelling
// apart, a name differing only in letter case that the directory does not hold as such.
bool targetIsTheSourceItself(const QString& source, const QString& target, const QByteArray& s,
                             const QByteArray& t)
{
    struct stat ss
    {};
    struct stat st
    {};
    if (::lstat(s.constData(), &ss) != 0 || ::lstat(t.constData(), &st) != 0)
        return false;
    if (ss.st_dev == st.st_dev && ss.st_ino == st.st_ino)
        return true;
    if (source.compare(target, Qt::CaseInsensitive) != 0)
        return false;
    return !directoryHasEntry(parentOf(t), t.mid(t.lastIndexOf('/') + 1));
}

// A change of letter case on a case-insensitive file system: source and target are one entry.
int moveThroughTemporaryName(const QByteArray& source, const QByteArray& target)
{
    QByteArray temp;
    int error = EEXIST;
    for (int attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
        temp = parentOf(source) + "/.vn-rename-" +
               QByteArray::number(QRandomGenerator::global()->generate(), 36);
        error = renameNoReplace(source.constData(), temp.constData());
    }
    if (error != 0)
        return error;
    error = renameNoReplace(temp.constData(), target.constData());
    if (error != 0)
        renameNoReplace(temp.constData(), source.constData()); // put it back
    return error;
}

int copyContent(int in, int out)
{
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n == 0)
            return 0;
        if (n > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return errno;
        break; // copy by hand from where it stopped
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (!writeAll(out, QByteArrayView(buffer, n)))
            return errno;
    }
}

int copyFileThenDelete(const char* source, const char* target)
{
    struct stat st
    {};
    if (::lstat(source, &st) != 0)
        return errno;
    if (S_ISLNK(st.st_mode)) {
        char link[PATH_MAX];
        const ssize_t n = ::readlink(source, link, sizeof link - 1);
        if (n < 0)
            return errno;
        link[n] = '\0';
        if (::symlink(link, target) != 0)
            return errno;
        if (::unlink(source) != 0) {
            const int error = errno;
            ::unlink(target);
            return error;
        }
        return 0;
    }
    if (!S_ISREG(st.st_mode))
        return EXDEV; // directories and special files do not move across file systems

    const int in = ::open(source, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    const int out = ::open(target, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    int error = copyContent(in, out);
    struct stat copied
    {};
    if (error == 0 && (::fstat(out, &copied) != 0 || copied.st_size != st.st_size))
        error = EIO;
    if (error == 0) {
        // Mode, owner and times are kept where the target file system can hold them.
        if (::fchmod(out, st.st_mode & 07777) != 0 || ::fchown(out, st.st_uid, st.st_gid) != 0) {
        }
        const timespec times[2] = {st.st_atim, st.st_mtim};
        if (::futimens(out, times) != 0) {
        }
        if (::fsync(out) != 0)
            error = errno;
    }
    if (::close(out) != 0 && error == 0)
        error = errno;
    ::close(in);
    if (error == 0 && ::unlink(source) != 0)
        error = errno;
    if (error != 0)
        ::unlink(target); // the source is still there
    return error;
}

} // namespace

int moveWithoutOverwrite(const QString& source, const QString& target)
{
    const QByteArray s = QFile::encodeName(source);
    const QByteArray t = QFile::encodeName(target);
    int error = renameNoReplace(s.constData(), t.constData());
    if (error == EEXIST && targetIsTheSourceItself(source, target, s, t))
        error = moveThroughTemporaryName(s, t);
    else if (error == EXDEV)
        error = copyFileThenDelete(s.constData(), t.constData());
    return error;
}

int makeDirectories(const QString& directory)
{
    QByteArray path = QFile::encodeName(directory);
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    struct stat st
    {};
    if (::stat(path.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT)
        return errno;
    const QByteArray parent = parentOf(path);
    if (parent != path) {
        if (const int error = makeDirectories(QFile::decodeName(parent)); error != 0)
            return error;
    }
    if (::mkdir(path.constData(), 0777) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

} // namespace varnolite
