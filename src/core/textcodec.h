// SPDX-License-Identifier: GPL-3.0-or-later
// The program's text encodings: Windows-1252 for tag bytes, and the rule for text files
// (written as UTF-8 with CR LF; read as UTF-8, falling back to Windows-1252 line by line, so
// files written by older Windows versions of the program, or appended to by this one, read
// correctly).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace varnolite {

/// Decodes Windows-1252 bytes. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F,
/// 0x90, 0x9D) map to the control characters of the same number, as the Windows converter does.
QString decodeWindows1252(QByteArrayView bytes);

/// Encodes to Windows-1252; a character the code page cannot hold becomes one '?'.
QByteArray encodeWindows1252(QStringView text);

/// True when `text` survives encodeWindows1252 unchanged.
bool fitsWindows1252(QStringView text);

/// Strict UTF-8 check: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(QByteArrayView bytes);

/// Decodes the bytes of a text file: leading UTF-8 byte-order marks are dropped; each line that
/// is valid UTF-8 is read as UTF-8, any other line as Windows-1252. Line ends are kept.
QString decodeText(QByteArrayView bytes);

/// decodeText split into lines; a line ends at LF, and a CR before that LF is dropped.
/// Text after the last line end forms a last line; nothing after a final line end does.
QStringList decodeTextLines(QByteArrayView bytes);

/// The bytes of a text file the program writes: UTF-8 without byte-order mark, every line
/// ended by CR LF.
QByteArray encodeTextLines(const QStringList& lines);

} // namespace varnolite
