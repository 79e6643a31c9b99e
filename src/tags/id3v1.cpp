// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/id3v1.h"

#include "core/integers.h"
#include "core/textcodec.h"
#include "tags/genres.h"
#include "tags/id3v2.h"
#include "tags/lyrics3.h"
#include "tags/tagtext.h"

#include <QFileInfo>

namespace varnolite {

namespace {

void resetFields(Id3v1Tag& tag)
{
    tag.title.clear();
    tag.artist.clear();
    tag.album.clear();
    tag.comment.clear();
    tag.year.clear();
    tag.track.clear();
    tag.genre = -1;
    tag.info.clear();
    tag.lyrics.clear();
    tag.author.clear();
    tag.imageLinks.clear();
    tag.extraFields = LyricsExtraFields{};
}

QString field(QByteArrayView tag, qsizetype offset, qsizetype size)
{
    return TrimTagText(decodeWindows1252(tag.sliced(offset, size)));
}

} // namespace

bool ReadTag(const ByteSource& source, Id3v1Tag& tag)
{
    resetFields(tag);
    const qint64 size = source.size();
    if (size <= 137)
        return false;
    if (const auto head = source.read(0, 5))
        tag.id3v2Version = id3v2VersionOf(*head);
    const auto last = source.read(size - 137, 137);
    tag.lyricsKind = LyricsKind::None;
    // The tag counts only when "TAG" starts the last 128 bytes and not earlier in these 137.
    if (!last || last->indexOf("TAG") != 9)
        return false;

    const QByteArrayView t = QByteArrayView(*last).sliced(9);
    tag.title = field(t, 3, 30);
    tag.artist = field(t, 33, 30);
    tag.album = field(t, 63, 30);
    tag.year = field(t, 93, 4);
    tag.comment = t[125] == '\0' ? field(t, 97, 28) : field(t, 97, 30);
    tag.track = QString::number(quint8(t[126]));
    tag.genre = qMin<int>(quint8(t[127]), kNoGenre);

    const QByteArrayView marker = QByteArrayView(*last).first(9);
    if (marker == "LYRICSEND" || marker == "LYRICS200")
        ReadLyrics3(source, tag);
    return true;
}

bool ReadTag(const QString& path, Id3v1Tag& tag)
{
    auto source = FileSource::open(path);
    if (!source.ok()) {
        resetFields(tag);
        return false;
    }
    if (!ReadTag(source.value(), tag))
        return false;
    tag.fileName = path;
    return true;
}

QByteArray renderId3v1(const Id3v1Tag& tag)
{
    QByteArray out = "TAG";
    out += PadTagText(tag.title, 30);
    out += PadTagText(tag.artist, 30);
    out += PadTagText(tag.album, 30);
    out += PadTagText(tag.year, 4);
    out += PadTagText(tag.comment, 30);
    out += char(tag.genre >= 0 && tag.genre < kNoGenre ? tag.genre : 255);
    if (!tag.track.isEmpty()) {
        // A track text that is no number leaves the byte to the comment.
        if (const std::optional<qint32> track = parsePlatformInteger(tag.track))
            out[126] = char(quint8(quint32(*track) & 0xFF));
    }
    return out;
}

namespace {

WriteTagResult writeTo(FileUpdate& file, const Id3v1Tag& tag, const WriteTagOptions& options)
{
    WriteTagResult result;
    const qint64 start = trailingTagsStart(file);
    QByteArray tail;
    if (options.useLyrics3 && needsLyrics3v2(tag)) {
        Lyrics3Block block = renderLyrics3v2(tag);
        tail = std::move(block.bytes);
        result.cutFields = std::move(block.cutFields);
    }
    tail += renderId3v1(tag);
    result.status = file.replaceTail(start, tail, &result.unchanged);
    return result;
}

} // namespace

WriteTagResult WriteTag(const QString& path, const Id3v1Tag& tag, const WriteTagOptions& options)
{
    auto file = FileUpdate::open(path, options.readOnly);
    if (!file.ok()) {
        WriteTagResult result;
        result.status = file.status();
        return result;
    }
    return writeTo(file.value(), tag, options);
}

WriteTagResult updateTag(const QString& path, const std::function<void(Id3v1Tag&)>& change,
                         const WriteTagOptions& options)
{
    auto file = FileUpdate::open(path, options.readOnly);
    if (!file.ok()) {
        WriteTagResult result;
        result.status = file.status();
        return result;
    }
    Id3v1Tag tag;
    if (ReadTag(file.value(), tag))
        tag.fileName = path;
    change(tag);
    return writeTo(file.value(), tag, options);
}

WriteTagResult updateTagIf(const QString& path,
                           const std::function<bool(Id3v1Tag&, bool hadTag)>& change,
                           const WriteTagOptions& options)
{
    auto file = FileUpdate::open(path, options.readOnly);
    WriteTagResult result;
    if (!file.ok()) {
        result.status = file.status();
        return result;
    }
    Id3v1Tag tag;
    const bool hadTag = ReadTag(file.value(), tag);
    if (hadTag)
        tag.fileName = path;
    if (!change(tag, hadTag)) {
        result.unchanged = true;
        return result;
    }
    return writeTo(file.value(), tag, options);
}

} // namespace varnolite
