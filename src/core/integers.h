// SPDX-License-Identifier: GPL-3.0-or-later
// Reading whole numbers from text the way the program always has.
#pragma once

#include <QStringView>

#include <optional>

namespace varnolite {

/// A whole number as the platform's string conversion reads it: optional leading blanks, an
/// optional sign, then decimal digits, or hexadecimal digits after "$" or "0x"; nothing may
/// follow. Decimal numbers must fit 32 bits; hexadecimal ones may use all 32 bits (and wrap).
std::optional<qint32> parsePlatformInteger(QStringView text);

} // namespace varnolite
