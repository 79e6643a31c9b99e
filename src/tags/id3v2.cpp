// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/id3v2.h"

#include "core/bytesource.h"

using namespace Qt::StringLiterals;

namespace varnolite {

quint8 id3v2VersionOf(QByteArrayView head)
{
    if (head.size() < 5 || !head.startsWith("ID3"))
        return 0;
    const auto version = quint8(head[3]);
    return version == 0xFF || quint8(head[4]) == 0xFF ? 0 : version;
}

std::optional<Id3v2Header> parseId3v2Header(QByteArrayView head)
{
    ByteReader reader(head);
    const auto magic = reader.bytes(3);
    if (!magic || *magic != "ID3")
        return std::nullopt;
    Id3v2Header header;
    const auto version = reader.u8();
    const auto revision = reader.u8();
    const auto flags = reader.u8();
    const auto size = reader.bytes(4);
    if (!version || !revision || !flags || !size || *version == 0xFF || *revision == 0xFF)
        return std::nullopt;
    header.version = *version;
    header.revision = *revision;
    header.flags = *flags;
    for (char b : *size) {
        if (quint8(b) & 0x80)
            return std::nullopt;
        header.size = (header.size << 7) | quint8(b);
    }
    return header;
}

StripId3v2Result StripId3v2Tag(const QString& path, ReadOnlyFiles readOnly)
{
    StripId3v2Result result;
    qint64 tagEnd = 0;
    {
        auto source = FileSource::open(path);
        if (!source.ok()) {
            result.status = source.status();
            return result;
        }
        const auto head = source.value().read(0, 10);
        if (!head || !head->startsWith("ID3"))
            return result; // no ID3v2 tag: nothing to do
        const std::optional<Id3v2Header> header = parseId3v2Header(*head);
        if (!header) {
            result.status = {ErrorCode::InvalidData, path + u": malformed ID3v2 header"_s};
            return result;
        }
        tagEnd = header->tagEnd();
        if (tagEnd > source.value().size()) {
            result.status = {ErrorCode::InvalidData,
                             path + u": the ID3v2 tag reaches past the end of the file"_s};
            return result;
        }
    }
    result.status = dropFileHeadAtomically(path, tagEnd, readOnly);
    result.removed = result.status.ok();
    return result;
}

} // namespace varnolite
