// SPDX-License-Identifier: GPL-3.0-or-later
// Text fields of ID3v1 and Lyrics3: Windows-1252 bytes, one per character.
#pragma once

#include <QByteArray>
#include <QString>

namespace varnolite {

/// The text without trailing NUL and blank characters.
QString TrimTagText(QString text);

/// The field bytes of a text: Windows-1252, cut to `width` bytes or padded with NUL bytes.
QByteArray PadTagText(QStringView text, int width);

/// The length of a text in the single-byte form the tags store.
qsizetype tagTextLength(QStringView text);

} // namespace varnolite
