// SPDX-License-Identifier: GPL-3.0-or-later
// The trailing-tag reader (ID3v1 and Lyrics3): any bytes read without a crash or a read outside
// the buffer; where the tags start lies inside the file; and a tag written back and read again
// reaches a fixed point after one round.
#include "check.h"
#include "core/bytesource.h"
#include "tags/id3v1.h"
#include "tags/lyrics3.h"

#include <cstdint>
#include <cstdlib>

using namespace varnolite;

namespace {

// The file as WriteTag would leave it, or an empty array when reading it back could not give
// the tag just written: the ID3v1 detection rule cannot see it (a file of 137 bytes or less,
// the letters "TAG" in the 9 bytes before it), or, without a block of its own, an older Lyrics3
// block stacked in front of the stripped one now stands before the tag.
QByteArray rewritten(const QByteArray& file, const Id3v1Tag& tag)
{
    const qint64 start = trailingTagsStart(BufferSource(file));
    QByteArray out = file.left(start);
    if (needsLyrics3v2(tag))
        out += renderLyrics3v2(tag).bytes;
    else if (out.endsWith("LYRICSEND") || out.endsWith("LYRICS200"))
        return {};
    out += renderId3v1(tag);
    if (out.size() <= 137 || out.mid(out.size() - 137, 9).contains("TAG"))
        return {};
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const BufferSource source(bytes);
    Id3v1Tag tag;
    const bool hasTag = ReadTag(source, tag);
    const qint64 start = trailingTagsStart(source);
    check(start >= 0 && start <= source.size());
    if (!hasTag)
        return 0;

    const QByteArray once = rewritten(bytes, tag);
    if (once.isEmpty())
        return 0;
    Id3v1Tag first;
    check(ReadTag(BufferSource(once), first));
    const QByteArray twice = rewritten(once, first);
    if (twice.isEmpty())
        return 0;
    Id3v1Tag second;
    check(ReadTag(BufferSource(twice), second));
    check(second == first);
    // The first round may still trim what the file held (blanks after an ID3v1 text); from the
    // second round on the bytes stay the same.
    check(rewritten(twice, second) == twice);
    return 0;
}
