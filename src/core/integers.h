// SPDX-License-Identifier: GPL-3.0-or-later
// Reading whole numbers from text the way the program always has.
#pragma once

#include <QStringView>

#include <optional>

namespace varnolite {

/// A whole number as the platform's string conversion reads it: optional leading blanks, an
/// optional sign, then decimal digits, or hexadecimal digits after "$", "x", "X" or "0x";
/// nothing may follow. Decimal numbers must fit 32 bits; hexadecimal ones may use all 32 bits
/// (and wrap).
std::optional<qint32> parsePlatformInteger(QStringView text);

/// The looser number of the rename action language: the platform's whole number when the text
/// is one, else the value of its leading digits without sign (0 when there are none; capped at
/// the 32-bit maximum).
qint32 looseNumber(QStringView text);

} // namespace varnolite
