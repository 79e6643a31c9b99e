// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/safefile.h"

#include "core/fdio.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace varnolite {

namespace {

unsigned defaultFileMode()
{
    // umask can only be read by setting it; this runs on the one thread that writes files.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666u & ~unsigned(mask);
}

void syncDirectory(const QByteArray& dir)
{
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

Result<QByteArray> readFileBytes(const QString& path, qint64 maxSize)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Status::fromErrno(errno, path);
    struct stat st
    {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return Status::fromErrno(error, path);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Status::fromErrno(EISDIR, path);
    }
    if (st.st_size > maxSize) {
        ::close(fd);
        return Status(ErrorCode::InvalidData, path + QLatin1String(": file too large (") +
                                                  QString::number(st.st_size) +
                                                  QLatin1String(" bytes)"));
    }
    QByteArray data;
    data.resize(qsizetype(st.st_size));
    qsizetype got = 0;
    for (;;) {
        if (got == data.size()) {
            if (data.size() >= maxSize)
                break;
            data.resize(qMin<qsizetype>(maxSize, data.size() + 4096)); // grew since fstat
        }
        const ssize_t n = ::read(fd, data.data() + got, size_t(data.size() - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return Status::fromErrno(error, path);
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    data.truncate(got);
    return data;
}

namespace {

// Writes new content for `path` through a temporary file in the same directory; `fill` writes
// the content into the descriptor and gives 0 or an errno value.
Status replaceAtomically(const QString& path, std::optional<unsigned> mode,
                         const std::function<int(int fd)>& fill)
{
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString resolved = info.canonicalFilePath();
        if (!resolved.isEmpty())
            target = resolved;
    }
    const QByteArray native = QFile::encodeName(target);
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : native.left(qMax<qsizetype>(slash, 1));
    const QByteArray base = native.mid(slash + 1);
    QByteArray temp = dir + "/." + base + ".vn-XXXXXX";

    struct stat old
    {};
    const bool existed = ::stat(native.constData(), &old) == 0;

    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return Status::fromErrno(errno, target);

    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temp.constData());
        return Status::fromErrno(error, target);
    };
    const unsigned newMode = mode      ? *mode
                             : existed ? unsigned(old.st_mode & 07777)
                                       : defaultFileMode();
    if (existed && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        // Keeping owner and group is best effort: an ordinary user may not give files away.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        }
    }
    if (::fchmod(fd, mode_t(newMode)) != 0)
        return fail(errno);
    if (const int error = fill(fd); error != 0)
        return fail(error);
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        return Status::fromErrno(error, target);
    }
    if (::rename(temp.constData(), native.constData()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        return Status::fromErrno(error, target);
    }
    syncDirectory(dir);
    return {};
}

} // namespace

Status writeFileAtomically(const QString& path, QByteArrayView data, std::optional<unsigned> mode)
{
    return replaceAtomically(path, mode, [&](int fd) { return writeAll(fd, data) ? 0 : errno; });
}

namespace {

// Replaces a file by `length` bytes of it from `offset` (kernel copy where it can).
Status copyRangeAtomically(const QString& path, qint64 offset, qint64 length)
{
    const int in = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return Status::fromErrno(errno, path);
    if (offset > 0 && ::lseek(in, offset, SEEK_SET) != offset) {
        const int error = errno;
        ::close(in);
        return Status::fromErrno(error, path);
    }
    const Status status = replaceAtomically(path, std::nullopt, [&](int out) {
        qint64 left = length;
        while (left > 0) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(left), 0);
            if (n > 0) {
                left -= n;
                continue;
            }
            if (n == 0)
                return EIO; // the file is shorter than asked for
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
                return errno;
            char buffer[1 << 16];
            const ssize_t r = ::read(in, buffer, size_t(qMin<qint64>(left, sizeof buffer)));
            if (r <= 0)
                return r == 0 ? EIO : errno;
            if (!writeAll(out, QByteArrayView(buffer, r)))
                return errno;
            left -= r;
        }
        return 0;
    });
    ::close(in);
    return status;
}

bool isReadOnly(const struct stat& st)
{
    return !(st.st_mode & S_IWUSR);
}

// The tail of a tag area is at most a Lyrics3 block (under 1 MB) and an ID3v1 tag.
constexpr qint64 kMaxTailBytes = 64LL * 1024 * 1024;

} // namespace

Status truncateFileAtomically(const QString& path, qint64 length)
{
    return copyRangeAtomically(path, 0, length);
}

Status dropFileHeadAtomically(const QString& path, qint64 offset, ReadOnlyFiles readOnly)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st
    {};
    if (::stat(native.constData(), &st) != 0)
        return Status::fromErrno(errno, path);
    if (isReadOnly(st) && readOnly == ReadOnlyFiles::Respect)
        return {ErrorCode::ReadOnly, path + QLatin1String(": the file is read-only")};
    if (offset < 0 || offset > st.st_size)
        return {ErrorCode::InvalidArgument, path + QLatin1String(": offset past the end")};
    // The new file takes the old one's mode, read-only included: no permission to add here.
    return copyRangeAtomically(path, offset, st.st_size - offset);
}

Result<FileUpdate> FileUpdate::open(const QString& path, ReadOnlyFiles readOnly)
{
    FileUpdate file;
    file.m_path = path;
    file.m_native = QFile::encodeName(path);
    struct stat st
    {};
    if (::stat(file.m_native.constData(), &st) != 0)
        return Status::fromErrno(errno, path);
    if (!S_ISREG(st.st_mode))
        return Status::fromErrno(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, path);
    file.m_mode = st.st_mode & 07777;
    if (isReadOnly(st)) {
        if (readOnly == ReadOnlyFiles::Respect)
            return Status(ErrorCode::ReadOnly, path + QLatin1String(": the file is read-only"));
        if (::chmod(file.m_native.constData(), mode_t(file.m_mode | S_IWUSR)) != 0)
            return Status::fromErrno(errno, path);
        file.m_modeChanged = true;
    }
    file.m_fd = ::open(file.m_native.constData(), O_RDWR | O_CLOEXEC);
    if (file.m_fd < 0)
        return Status::fromErrno(errno, path); // the destructor restores the mode
    file.m_size = st.st_size;
    return file;
}

FileUpdate::FileUpdate(FileUpdate&& other) noexcept
    : m_path(std::move(other.m_path))
    , m_native(std::move(other.m_native))
    , m_fd(std::exchange(other.m_fd, -1))
    , m_size(other.m_size)
    , m_mode(other.m_mode)
    , m_modeChanged(std::exchange(other.m_modeChanged, false))
{}

FileUpdate::~FileUpdate()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_modeChanged && ::chmod(m_native.constData(), mode_t(m_mode)) != 0) {
    }
}

std::optional<QByteArray> FileUpdate::read(qint64 offset, qint64 length) const
{
    return preadExactly(m_fd, m_size, offset, length);
}

Status FileUpdate::replaceTail(qint64 from, QByteArrayView tail, bool* unchanged)
{
    if (unchanged)
        *unchanged = false;
    if (from < 0 || from > m_size || m_size - from > kMaxTailBytes)
        return {ErrorCode::InvalidArgument, m_path + QLatin1String(": no tag area to replace")};
    const std::optional<QByteArray> old = read(from, m_size - from);
    if (!old)
        return Status::fromErrno(EIO, m_path);
    if (*old == tail) {
        if (unchanged)
            *unchanged = true;
        return {};
    }
    if (!pwriteAll(m_fd, tail, from) ||
        (tail.size() < old->size() && ::ftruncate(m_fd, from + tail.size()) != 0)) {
        const int error = errno;
        // Put the old bytes back; they fit where they stood before.
        if (!pwriteAll(m_fd, *old, from) || ::ftruncate(m_fd, m_size) != 0) {
        }
        return Status::fromErrno(error, m_path);
    }
    m_size = from + tail.size();
    return {};
}

Status replaceFileTail(const QString& path, qint64 from, QByteArrayView tail,
                       ReadOnlyFiles readOnly, bool* unchanged)
{
    auto file = FileUpdate::open(path, readOnly);
    if (!file.ok()) {
        if (unchanged)
            *unchanged = false;
        return file.status();
    }
    return file.value().replaceTail(from, tail, unchanged);
}

} // namespace varnolite
