// SPDX-License-Identifier: GPL-3.0-or-later
// What the tag display shows for a read tag: the tag kind labels, and the tag panel's fields,
// merged over a selection of several files.
#pragma once

#include "tags/id3v1tag.h"

#include <QString>

namespace varnolite {

/// "ID3v1 ", "Lyrics3v1 " or "Lyrics3v2 " followed by "TAG gefunden!".
QString tagKindText(const Id3v1Tag& tag);

/// "ID3v2." + version + " TAG gefunden!", or empty when the file has no ID3v2 header.
QString id3v2Text(const Id3v1Tag& tag);

/// "Kein TAG gefunden"
QString noTagText();

/// The texts of the tag panel and the lyrics editor.
struct TagPanel
{
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    QString track;
    QString genre; // the genre box's text; empty when no item is chosen
    QString author;
    QString imageLinks;
    QString info;
    QString lyrics;
    friend bool operator==(const TagPanel&, const TagPanel&) = default;
};

/// The panel after showing `tag`. With several files selected a field keeps its text only
/// while every file selected so far agrees; when `notShowFullTag` is off it shows the last
/// file's value instead.
TagPanel ShowTagInfo(const TagPanel& current, const Id3v1Tag& tag, bool severalFiles,
                     bool notShowFullTag);

/// The colour rule of the title, artist, album and comment boxes: a text longer than 30
/// characters (it will also go into a Lyrics3v2 field) is shown blue.
bool isExtendedTagText(QStringView text);

} // namespace varnolite
