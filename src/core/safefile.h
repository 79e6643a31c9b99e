// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads with a size cap, and whole-file writes that replace a file only once the new
// content is safely on disk.
#pragma once

#include "core/status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace varnolite {

/// Reads a whole file; a file larger than `maxSize` bytes is refused, not read.
Result<QByteArray> readFileBytes(const QString& path, qint64 maxSize);

/// Replaces the content of `path` with `data`: writes a temporary file in the same directory,
/// syncs it and renames it over the original, so on any failure the original stays byte for byte
/// and the temporary file is gone. A symbolic link is written through to the file it names.
/// The new file gets `mode` when given, else the old file's mode (or the default for new files);
/// owner and group of an existing file are kept where the system allows it.
Status writeFileAtomically(const QString& path, QByteArrayView data,
                           std::optional<unsigned> mode = std::nullopt);

/// Replaces a file with its first `length` bytes the same way (the copy is made by the kernel
/// where it can): the file never exists half written.
Status truncateFileAtomically(const QString& path, qint64 length);

/// What a write does with a file that carries the read-only attribute.
enum class ReadOnlyFiles
{
    Respect,  // leave it alone: the write fails with ErrorCode::ReadOnly
    Override, // add the write permission for the write and take it away again afterwards
};

/// Replaces the bytes of a file from `from` to its end by `tail`, in place. The replaced bytes
/// are kept in memory until the new ones are written and are put back when writing fails (a
/// full disk, a size limit), so the file is never left without them. Nothing is written when
/// the bytes are the same (`unchanged` tells).
Status replaceFileTail(const QString& path, qint64 from, QByteArrayView tail,
                       ReadOnlyFiles readOnly, bool* unchanged = nullptr);

/// Replaces a file by its bytes from `offset` to its end the way writeFileAtomically does; the
/// file keeps its mode. A read-only file is handled as `readOnly` says.
Status dropFileHeadAtomically(const QString& path, qint64 offset, ReadOnlyFiles readOnly);

} // namespace varnolite
