// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/lyrics3.h"

#include "core/textcodec.h"
#include "tags/tagtext.h"

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

constexpr QByteArrayView kBegin = "LYRICSBEGIN";
constexpr QByteArrayView kEndV1 = "LYRICSEND";
constexpr QByteArrayView kEndV2 = "LYRICS200";
constexpr qint64 kId3v1Size = 128;
constexpr qint64 kV1TextWindow = 5100; // "LYRICSBEGIN" and at most 5089 text bytes
constexpr qsizetype kMaxFieldData = 99999;
constexpr qsizetype kMaxBlockLength = 999999;
constexpr qsizetype kAuthorLength = 250;

// A size of a Lyrics3 block or field: decimal digits only.
std::optional<qint64> digits(QByteArrayView text)
{
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

QByteArray zeroPadded(qint64 value, int width)
{
    return QByteArray::number(value).rightJustified(width, '0');
}

// Where a version 1 block ending at `end` (its "LYRICSEND" ends there) begins, if it is found.
std::optional<qint64> v1BlockStart(const ByteSource& source, qint64 end)
{
    const qint64 textEnd = end - qint64(kEndV1.size());
    const qint64 windowStart = qMax<qint64>(0, textEnd - kV1TextWindow);
    const auto window = source.read(windowStart, textEnd - windowStart);
    if (!window)
        return std::nullopt;
    // A block of the full size starts the window; a shorter one is the last "LYRICSBEGIN".
    if (window->size() == kV1TextWindow && window->startsWith(kBegin))
        return windowStart;
    const qsizetype at = window->lastIndexOf(kBegin);
    return at < 0 ? std::nullopt : std::optional<qint64>(windowStart + at);
}

// Where a version 2 block ending at `end` begins, when its "LYRICSBEGIN" stands where its size
// field says.
std::optional<qint64> v2BlockStart(const ByteSource& source, qint64 end)
{
    const auto sizeField = source.read(end - 15, 6);
    const std::optional<qint64> length = sizeField ? digits(*sizeField) : std::nullopt;
    if (!length)
        return std::nullopt;
    const qint64 start = end - 15 - *length;
    const auto begin = source.read(start, kBegin.size());
    if (!begin || *begin != kBegin)
        return std::nullopt;
    return start;
}

void readV2Fields(QByteArrayView fields, Id3v1Tag& tag)
{
    ByteReader reader(fields);
    while (reader.remaining() > 0) {
        const auto id = reader.bytes(3);
        const auto sizeText = reader.bytes(5);
        if (!id || !sizeText)
            return; // the rest would run into the size field
        const std::optional<qint64> size = digits(*sizeText);
        if (!size) {
            tag.lyricsKind = LyricsKind::None;
            return;
        }
        const auto data = reader.bytes(*size);
        if (!data)
            return; // a field running past the size field is not taken
        const QString text = decodeWindows1252(*data);
        if (*id == "ETT")
            tag.title = text;
        else if (*id == "EAR")
            tag.artist = text;
        else if (*id == "EAL")
            tag.album = text;
        else if (*id == "INF")
            tag.info = text;
        else if (*id == "LYR")
            tag.lyrics = text;
        else if (*id == "IMG")
            tag.imageLinks = text;
        else if (*id == "AUT")
            tag.author = text.left(kAuthorLength);
        else if (*id != "IND")
            tag.extraFields.fields.append(
                {decodeWindows1252(*id), decodeWindows1252(*sizeText), text});
    }
}

} // namespace

void ReadLyrics3(const ByteSource& source, Id3v1Tag& tag)
{
    const qint64 end = source.size() - kId3v1Size; // where the block's end marker ends
    const auto marker = source.read(end - 9, 9);
    if (!marker)
        return;
    if (*marker == kEndV1) {
        tag.lyricsKind = LyricsKind::V1;
        if (const auto start = v1BlockStart(source, end)) {
            const qint64 textStart = *start + kBegin.size();
            if (const auto text = source.read(textStart, end - 9 - textStart))
                tag.lyrics = decodeWindows1252(*text);
        }
        return;
    }
    if (*marker != kEndV2)
        return;
    const auto start = v2BlockStart(source, end);
    if (!start) {
        tag.lyricsKind = LyricsKind::None;
        return;
    }
    tag.lyricsKind = LyricsKind::V2;
    const qint64 fieldsStart = *start + kBegin.size();
    if (const auto fields = source.read(fieldsStart, end - 15 - fieldsStart))
        readV2Fields(*fields, tag);
}

bool needsLyrics3v2(const Id3v1Tag& tag)
{
    return tagTextLength(tag.title) > 30 || tagTextLength(tag.album) > 30 || !tag.info.isEmpty() ||
           !tag.lyrics.isEmpty() || !tag.author.isEmpty() || !tag.imageLinks.isEmpty() ||
           tagTextLength(tag.artist) > 30;
}

QByteArray WriteLyricsField(QStringView id, QByteArrayView data)
{
    return PadTagText(id, 3) + zeroPadded(data.size(), 5) + data.toByteArray();
}

Lyrics3Block renderLyrics3v2(const Id3v1Tag& tag)
{
    struct Field
    {
        QString id;
        QByteArray data;
    };
    QList<Field> fields;
    const auto add = [&](const QString& id, QStringView text) {
        fields.append({id, encodeWindows1252(text)});
    };
    if (!tag.author.isEmpty())
        add(u"AUT"_s, QStringView(tag.author).left(kAuthorLength));
    if (!tag.imageLinks.isEmpty())
        add(u"IMG"_s, tag.imageLinks);
    if (!tag.lyrics.isEmpty())
        add(u"LYR"_s, tag.lyrics);
    if (!tag.info.isEmpty())
        add(u"INF"_s, tag.info);
    if (tagTextLength(tag.title) > 30)
        add(u"ETT"_s, tag.title);
    if (tagTextLength(tag.artist) > 30)
        add(u"EAR"_s, tag.artist);
    if (tagTextLength(tag.album) > 30)
        add(u"EAL"_s, tag.album);
    static const QStringList known{u"ETT"_s, u"EAL"_s, u"EAR"_s, u"INF"_s, u"LYR"_s, u"AUT"_s};
    for (const LyricsField& extra : tag.extraFields.fields) {
        if (!known.contains(extra.id))
            add(extra.id, extra.data);
    }

    Lyrics3Block block;
    const auto cut = [&](Field& f, qsizetype length) {
        f.data.truncate(length);
        if (!block.cutFields.contains(f.id))
            block.cutFields.append(f.id);
    };
    // Every field's data must fit its five digits, and the block its six: the longest fields
    // are cut to one common length, the largest that lets the block fit.
    const auto blockLength = [&](qsizetype cap) {
        qsizetype length = 21; // "LYRICSBEGIN" and the IND field
        for (const Field& f : fields)
            length += 8 + qMin(f.data.size(), cap);
        return length;
    };
    qsizetype cap = kMaxFieldData;
    if (blockLength(cap) > kMaxBlockLength) {
        qsizetype low = 0;
        while (low < cap) { // the largest cap that fits
            const qsizetype mid = (low + cap + 1) / 2;
            if (blockLength(mid) <= kMaxBlockLength)
                low = mid;
            else
                cap = mid - 1;
        }
    }
    for (Field& f : fields) {
        if (f.data.size() > cap)
            cut(f, cap);
    }
    const qsizetype length = blockLength(cap);

    QByteArray& out = block.bytes;
    out.reserve(length + 15);
    out += kBegin;
    out += tag.lyrics.isEmpty() ? "IND0000200" : "IND0000211";
    for (const Field& f : fields)
        out += WriteLyricsField(f.id, f.data);
    out += zeroPadded(length, 6);
    out += kEndV2;
    return block;
}

qint64 trailingTagsStart(const ByteSource& source)
{
    qint64 end = source.size();
    if (const auto tag = source.read(end - kId3v1Size, 3); tag && *tag == "TAG")
        end -= kId3v1Size;
    const auto marker = source.read(end - 9, 9);
    if (!marker)
        return end;
    std::optional<qint64> start;
    if (*marker == kEndV1)
        start = v1BlockStart(source, end);
    else if (*marker == kEndV2)
        start = v2BlockStart(source, end);
    return start.value_or(end);
}

Status StripTrailingTags(const QString& path, ReadOnlyFiles readOnly)
{
    {
        // A file with nothing to strip is not opened for writing (a read-only one stays silent).
        auto source = FileSource::open(path);
        if (!source.ok())
            return source.status();
        if (trailingTagsStart(source.value()) == source.value().size())
            return {};
    }
    auto file = FileUpdate::open(path, readOnly);
    if (!file.ok())
        return file.status();
    return file.value().replaceTail(trailingTagsStart(file.value()), {});
}

} // namespace varnolite
