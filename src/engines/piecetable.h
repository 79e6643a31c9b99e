// SPDX-License-Identifier: GPL-3.0-or-later
// Piece tables: a pattern of "%x" codes cuts a text into pieces, each known by the character
// after its "%", and another pattern builds a text from them.
#pragma once

#include <QList>
#include <QString>

namespace varnolite {

/// One record of a piece table: a key character and a value.
struct Texpstrarr
{
    QChar key;
    QString value;
    bool used = false; // a "%" at the end of the pattern leaves its record without key and value
    friend bool operator==(const Texpstrarr&, const Texpstrarr&) = default;
};

using PieceTable = QList<Texpstrarr>;

/// Where the value of a piece that no later literal ends stops.
enum class PieceEnd
{
    BeforeExtension, // before the text's last "." (a file name)
    TextEnd,         // at the end of the text (a directory name)
};

/// Cuts `text` by `pattern` and appends one record per "%" code to `table`: a literal before a
/// code is skipped in the text (up to its first occurrence), and a value runs up to the literal
/// that follows its code (found at the second character or later), else to `end`; a literal that
/// ends the pattern ends the last value where it first occurs (an empty value when it does not).
void CutByPattern(QString pattern, QString text, PieceTable& table, PieceEnd end);

/// Builds a text from `pattern`: "%k" gives the value of the first record with key k (nothing
/// when there is none), a "%" at the very end gives nothing, every other character stays.
QString FillFromPieces(QStringView pattern, const PieceTable& table);

} // namespace varnolite
