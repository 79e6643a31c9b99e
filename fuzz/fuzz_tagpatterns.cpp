// SPDX-License-Identifier: GPL-3.0-or-later
// Tag patterns on random input: cutting texts into piece tables and filling patterns from them,
// reading names into tags, and expanding tags into relative paths. No crash, no out-of-range
// access; every piece is a part of its text, and an expanded path never leaves its directory.
#include "check.h"
#include "engines/nametotag.h"
#include "engines/piecetable.h"
#include "engines/tagtoname.h"

#include <cstdint>
#include <cstdlib>

using namespace varnolite;
using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const unsigned bits = data[0] | unsigned(data[1]) << 8;
    // The rest: fields separated by line feeds, read as UTF-8 (invalid bytes included).
    const QStringList fields =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2))
            .split(u'\n');
    const auto field = [&](int i) { return fields.value(i); };

    // Piece tables.
    const QString pattern = field(0);
    const QString text = field(1);
    PieceTable table;
    CutByPattern(pattern, text, table, bits & 1 ? PieceEnd::TextEnd : PieceEnd::BeforeExtension);
    check(table.size() <= pattern.count(u'%'));
    for (const Texpstrarr& record : table)
        check(text.contains(record.value));
    FillFromPieces(field(2), table);

    // Names into tags.
    Id3v1Tag old;
    old.year = field(3).left(4);
    old.track = field(4).left(3);
    NamePattern names;
    names.usePreset = bits & 2;
    names.quickPattern = pattern;
    names.preset = {field(5), field(6), field(7),  pattern,   field(2),
                    field(8), field(9), field(10), field(11), field(12)};
    names.blankReplacement = field(13).left(2);
    const Id3v1Tag parsed = ParseNameToTag(text, field(14), old, names);
    check(parsed.year.size() <= 4 && parsed.track.size() <= 3);

    // Tags into paths.
    Id3v1Tag tag;
    tag.title = field(5);
    tag.artist = field(6);
    tag.album = field(7);
    tag.comment = field(8);
    tag.year = field(3);
    tag.track = field(4);
    tag.genre = int(bits >> 8) - 10;
    const QStringList parts =
        expandTagPatternParts(field(2), tag, (bits >> 2) & 0x3f, names.blankReplacement);
    for (const QString& part : parts)
        check(!part.contains(u'/') && !part.contains(u'\\'));
    const QString path = tagPatternPath(parts, bits & 0x40 ? u".mp3"_s : QString());
    check(!path.isEmpty() && !path.startsWith(u'/'));
    for (const QStringView component : QStringView(path).split(u'/')) {
        check(!component.isEmpty() && component != u"." && component != u"..");
        for (const QChar c : component)
            check(c.unicode() >= 32);
    }
    return 0;
}
