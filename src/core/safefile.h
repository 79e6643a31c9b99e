// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads with a size cap, and whole-file writes that replace a file only once the new
// content is safely on disk.
#pragma once

#include "core/bytesource.h"
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

/// A file opened for reading and for replacing its end, as tag writers need it: one descriptor
/// for both. A read-only file is refused or made writable for the object's lifetime, as asked.
class FileUpdate final : public ByteSource
{
public:
    static Result<FileUpdate> open(const QString& path, ReadOnlyFiles readOnly);
    FileUpdate(FileUpdate&& other) noexcept;
    FileUpdate& operator=(FileUpdate&&) = delete;
    ~FileUpdate() override;

    qint64 size() const override { return m_size; }
    std::optional<QByteArray> read(qint64 offset, qint64 length) const override;

    /// Replaces the bytes from `from` to the end by `tail` (see replaceFileTail).
    Status replaceTail(qint64 from, QByteArrayView tail, bool* unchanged = nullptr);

private:
    FileUpdate() = default;
    QString m_path;
    QByteArray m_native;
    int m_fd = -1;
    qint64 m_size = 0;
    unsigned m_mode = 0;
    bool m_modeChanged = false;
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
