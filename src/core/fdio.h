// SPDX-License-Identifier: GPL-3.0-or-later
// Whole reads and writes on a file descriptor: short transfers and EINTR are retried, and a
// failure leaves the reason in errno (EIO where the system made no progress without one).
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace varnolite {

/// Writes all of `data` at the descriptor's position.
bool writeAll(int fd, QByteArrayView data);

/// Writes all of `data` at `offset`.
bool pwriteAll(int fd, QByteArrayView data, qint64 offset);

/// Appends `data` to a file opened with O_APPEND whose size was `sizeBefore`. When the write
/// fails the file is cut back to `sizeBefore` (when not negative), so no half record stays.
bool appendAll(int fd, QByteArrayView data, qint64 sizeBefore);

/// Reads exactly `length` bytes at `offset` of a file of `fileSize` bytes; nothing when the range
/// lies outside the file or the read ends early.
std::optional<QByteArray> preadExactly(int fd, qint64 fileSize, qint64 offset, qint64 length);

} // namespace varnolite
