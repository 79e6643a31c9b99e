// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/bytesource.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnolite {

std::optional<QByteArray> BufferSource::read(qint64 offset, qint64 length) const
{
    if (offset < 0 || length < 0 || offset > m_data.size() || m_data.size() - offset < length)
        return std::nullopt;
    return m_data.sliced(offset, length).toByteArray();
}

Result<FileSource> FileSource::open(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Status::fromErrno(errno, path);
    struct stat st
    {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : (errno != 0 ? errno : EINVAL);
        ::close(fd);
        return Status::fromErrno(error, path);
    }
    return FileSource(fd, st.st_size);
}

FileSource::FileSource(FileSource&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_size(other.m_size)
{}

FileSource::~FileSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<QByteArray> FileSource::read(qint64 offset, qint64 length) const
{
    if (offset < 0 || length < 0 || offset > m_size || m_size - offset < length)
        return std::nullopt;
    QByteArray data(qsizetype(length), Qt::Uninitialized);
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, data.data() + done, size_t(length - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        done += n;
    }
    return data;
}

} // namespace varnolite
