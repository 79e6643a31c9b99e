// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/tagdisplay.h"

#include "tags/genres.h"

using namespace Qt::StringLiterals;

namespace varnolite {

QString tagKindText(const Id3v1Tag& tag)
{
    QString kind = u"ID3v1 "_s;
    if (tag.lyricsKind == LyricsKind::V1)
        kind = u"Lyrics3v1 "_s;
    else if (tag.lyricsKind == LyricsKind::V2)
        kind = u"Lyrics3v2 "_s;
    return kind + u"TAG gefunden!"_s;
}

QString id3v2Text(const Id3v1Tag& tag)
{
    if (tag.id3v2Version == 0)
        return {};
    return u"ID3v2."_s + QString::number(tag.id3v2Version) + u' ' + u"TAG gefunden!"_s;
}

QString noTagText()
{
    return u"Kein TAG gefunden"_s;
}

TagPanel ShowTagInfo(const TagPanel& current, const Id3v1Tag& tag, bool severalFiles,
                     bool notShowFullTag)
{
    const auto merge = [&](const QString& shown, const QString& value) {
        if (severalFiles && shown != value)
            return notShowFullTag ? QString() : value;
        return value;
    };
    TagPanel panel;
    panel.title = merge(current.title, tag.title);
    panel.artist = merge(current.artist, tag.artist);
    panel.album = merge(current.album, tag.album);
    panel.year = merge(current.year, tag.year);
    panel.comment = merge(current.comment, tag.comment);
    panel.track = merge(current.track, tag.track);
    panel.genre = merge(current.genre, GenreNames(tag.genre));
    panel.author = merge(current.author, tag.author);
    panel.imageLinks = merge(current.imageLinks, tag.imageLinks);
    panel.info = merge(current.info, tag.info);
    panel.lyrics = merge(current.lyrics, tag.lyrics);
    return panel;
}

bool isExtendedTagText(QStringView text)
{
    return text.size() > 30;
}

} // namespace varnolite
