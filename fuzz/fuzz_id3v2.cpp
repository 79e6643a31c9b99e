// SPDX-License-Identifier: GPL-3.0-or-later
// The ID3v2 header as tag removal reads it: no crash, no read outside the bytes, and a tag end
// that always lies past the header and within what 28 bits of size and a footer allow.
#include "core/bytesource.h"
#include "tags/id3v2.h"

#include <cstdint>
#include <cstdlib>

using namespace varnolite;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    id3v2VersionOf(bytes);
    const std::optional<Id3v2Header> header = parseId3v2Header(bytes);
    if (!header)
        return 0;
    if (size < 10 || header->size >= (1u << 28) || header->tagEnd() < 10 ||
        header->tagEnd() > 20 + qint64(header->size))
        std::abort();
    return 0;
}
