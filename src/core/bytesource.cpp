// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/bytesource.h"

#include "core/fdio.h"

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

const QByteArray* CachedSource::block(qint64 index) const
{
    for (qsizetype i = 0; i < m_blocks.size(); ++i) {
        if (m_blocks[i].first == index) {
            if (i > 0)
                m_blocks.move(i, 0);
            return &m_blocks.front().second;
        }
    }
    const qint64 start = index * m_blockSize;
    const auto data = m_inner.read(start, qMin(m_blockSize, m_inner.size() - start));
    if (!data)
        return nullptr;
    if (m_blocks.size() >= m_maxBlocks)
        m_blocks.removeLast();
    m_blocks.prepend({index, *data});
    return &m_blocks.front().second;
}

std::optional<QByteArray> CachedSource::read(qint64 offset, qint64 length) const
{
    const qint64 size = m_inner.size();
    if (offset < 0 || length < 0 || offset > size || size - offset < length)
        return std::nullopt;
    if (length > m_blockSize)
        return m_inner.read(offset, length); // large reads bypass the cache
    QByteArray out;
    out.reserve(qsizetype(length));
    for (qint64 at = offset; at < offset + length;) {
        const QByteArray* data = block(at / m_blockSize);
        if (!data)
            return std::nullopt;
        const qint64 within = at - (at / m_blockSize) * m_blockSize;
        const qint64 n = qMin<qint64>(data->size() - within, offset + length - at);
        if (n <= 0)
            return std::nullopt;
        out.append(data->constData() + within, qsizetype(n));
        at += n;
    }
    return out;
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
    return preadExactly(m_fd, m_size, offset, length);
}

} // namespace varnolite
