// SPDX-License-Identifier: GPL-3.0-or-later
// The genre table of ID3v1: numbers 0 to 147 with their names; -1 and 148 stand for no genre
// ("-"), which is stored in a file as 255.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace varnolite {

/// The genre number that stands for "no genre" in the record.
inline constexpr int kNoGenre = 148;

/// The entry of the genre table for -1 ... 148; both -1 and 148 (and anything outside) give "-".
QString GenreNames(int genre);

/// The 148 genre names, numbers 0 to 147.
const QStringList& genreNameList();

/// The genre number 0 ... 148 whose name equals `name` (148 for "-"), letter case as asked.
std::optional<int> genreNumber(QStringView name, Qt::CaseSensitivity cs = Qt::CaseSensitive);

} // namespace varnolite
