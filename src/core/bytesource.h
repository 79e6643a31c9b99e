// SPDX-License-Identifier: GPL-3.0-or-later
// Random access to the bytes of a file or of a buffer, so parsers read only what they need from
// a file and tests and fuzzers feed them bytes directly; and a bounds-checked reader of bytes.
#pragma once

#include "core/status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace varnolite {

class ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual qint64 size() const = 0;
    /// Exactly `length` bytes at `offset`, or nullopt when they are not all there.
    virtual std::optional<QByteArray> read(qint64 offset, qint64 length) const = 0;
};

class BufferSource final : public ByteSource
{
public:
    explicit BufferSource(QByteArrayView data)
        : m_data(data)
    {}
    qint64 size() const override { return m_data.size(); }
    std::optional<QByteArray> read(qint64 offset, qint64 length) const override;

private:
    QByteArrayView m_data;
};

/// A file opened for reading; closed with the object.
class FileSource final : public ByteSource
{
public:
    static Result<FileSource> open(const QString& path);
    FileSource(FileSource&& other) noexcept;
    FileSource& operator=(FileSource&&) = delete;
    ~FileSource() override;

    qint64 size() const override { return m_size; }
    std::optional<QByteArray> read(qint64 offset, qint64 length) const override;

private:
    FileSource(int fd, qint64 size)
        : m_fd(fd)
        , m_size(size)
    {}
    int m_fd = -1;
    qint64 m_size = 0;
};

/// Another source read through a few cached blocks: parsers that make many small reads near each
/// other (frame headers, tag markers) cost one read of the file per block.
class CachedSource final : public ByteSource
{
public:
    explicit CachedSource(const ByteSource& inner, qint64 blockSize = 1 << 14, int maxBlocks = 4)
        : m_inner(inner)
        , m_blockSize(blockSize)
        , m_maxBlocks(maxBlocks)
    {}
    qint64 size() const override { return m_inner.size(); }
    std::optional<QByteArray> read(qint64 offset, qint64 length) const override;

private:
    const QByteArray* block(qint64 index) const;

    const ByteSource& m_inner;
    qint64 m_blockSize;
    int m_maxBlocks;
    mutable QList<std::pair<qint64, QByteArray>> m_blocks; // most recently used first
};

/// Reads fixed layouts from bytes; every read checks the bounds, and a short read is an error
/// (nullopt), never a silent 0.
class ByteReader
{
public:
    explicit ByteReader(QByteArrayView data, qsizetype position = 0)
        : m_data(data)
        , m_pos(position)
    {}

    qsizetype position() const { return m_pos; }
    qsizetype remaining() const { return m_data.size() - m_pos; }
    bool has(qsizetype n) const { return n >= 0 && m_data.size() - m_pos >= n; }

    std::optional<QByteArrayView> bytes(qsizetype n)
    {
        if (!has(n))
            return std::nullopt;
        const QByteArrayView out = m_data.sliced(m_pos, n);
        m_pos += n;
        return out;
    }
    bool skip(qsizetype n)
    {
        if (!has(n))
            return false;
        m_pos += n;
        return true;
    }
    std::optional<quint8> u8()
    {
        if (!has(1))
            return std::nullopt;
        return quint8(m_data[m_pos++]);
    }
    std::optional<quint16> u16le() { return number<quint16, 2>(false); }
    std::optional<quint16> u16be() { return number<quint16, 2>(true); }
    std::optional<quint32> u32le() { return number<quint32, 4>(false); }
    std::optional<quint32> u32be() { return number<quint32, 4>(true); }

private:
    template<typename T, int N>
    std::optional<T> number(bool bigEndian)
    {
        if (!has(N))
            return std::nullopt;
        T value = 0;
        for (int i = 0; i < N; ++i) {
            const T b = T(quint8(m_data[m_pos + (bigEndian ? i : N - 1 - i)]));
            value = T(value << 8) | b;
        }
        m_pos += N;
        return value;
    }

    QByteArrayView m_data;
    qsizetype m_pos;
};

} // namespace varnolite
