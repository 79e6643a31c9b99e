// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/fdio.h"

#include <cerrno>
#include <unistd.h>

namespace varnolite {

namespace {

// Runs `step(done)` until `total` bytes are transferred; false with errno on failure.
template<typename Step>
bool transferAll(qint64 total, Step step)
{
    for (qint64 done = 0; done < total;) {
        const ssize_t n = step(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

bool writeAll(int fd, QByteArrayView data)
{
    return transferAll(data.size(), [&](qint64 done) {
        return ::write(fd, data.data() + done, size_t(data.size() - done));
    });
}

bool pwriteAll(int fd, QByteArrayView data, qint64 offset)
{
    return transferAll(data.size(), [&](qint64 done) {
        return ::pwrite(fd, data.data() + done, size_t(data.size() - done), offset + done);
    });
}

bool appendAll(int fd, QByteArrayView data, qint64 sizeBefore)
{
    if (writeAll(fd, data))
        return true;
    const int error = errno;
    if (sizeBefore >= 0 && ::ftruncate(fd, sizeBefore) != 0) {
        // the write's reason is the one to report
    }
    errno = error;
    return false;
}

std::optional<QByteArray> preadExactly(int fd, qint64 fileSize, qint64 offset, qint64 length)
{
    if (offset < 0 || length < 0 || offset > fileSize || fileSize - offset < length)
        return std::nullopt;
    QByteArray data(qsizetype(length), Qt::Uninitialized);
    if (!transferAll(length, [&](qint64 done) {
            return ::pread(fd, data.data() + done, size_t(length - done), offset + done);
        }))
        return std::nullopt;
    return data;
}

} // namespace varnolite
