// SPDX-License-Identifier: GPL-3.0-or-later
// The in-memory tag every tag feature works on: the ID3v1.1 fields, the fields of a Lyrics3
// block, the Lyrics3 kind and the ID3v2 version of the file.
#pragma once

#include <QList>
#include <QString>

namespace varnolite {

/// A Lyrics3v2 field the program has no member for, kept as it was read.
struct LyricsField
{
    QString id;       // three characters
    QString sizeText; // the five size digits as read
    QString data;
    friend bool operator==(const LyricsField&, const LyricsField&) = default;
};

/// The extra fields of a Lyrics3v2 block, plus three members that are reset and play no part.
struct LyricsExtraFields
{
    QList<LyricsField> fields;
    quint16 number = 0;
    QString text = QStringLiteral("000000");
    bool flag = false;
    friend bool operator==(const LyricsExtraFields&, const LyricsExtraFields&) = default;
};

enum class LyricsKind : quint8
{
    None = 0,
    V1 = 1,
    V2 = 2
};

/// Texts are held as characters; in the file they are Windows-1252 bytes, one per character.
struct Id3v1Tag
{
    QString fileName; // the path the tag was read from (set only when a tag was found)
    QString title;    // ID3v1 title, or the full title of a Lyrics3v2 "ETT" field
    QString artist;   // or "EAR"
    QString album;    // or "EAL"
    QString comment;
    QString year;       // at most 4 characters
    QString track;      // decimal text of the track byte
    int genre = -1;     // -1 not read; 0 ... 147; 148 no genre ("-")
    QString info;       // Lyrics3v2 "INF"
    QString lyrics;     // Lyrics3v1 text or Lyrics3v2 "LYR"
    QString author;     // Lyrics3v2 "AUT", at most 250 characters
    QString imageLinks; // Lyrics3v2 "IMG": lines of image links
    LyricsExtraFields extraFields;
    LyricsKind lyricsKind = LyricsKind::None;
    quint8 id3v2Version = 0; // 0: no ID3v2 header at the start of the file

    friend bool operator==(const Id3v1Tag&, const Id3v1Tag&) = default;
};

} // namespace varnolite
