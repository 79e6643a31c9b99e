// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program keeps its files, and path helpers.
#pragma once

#include <QString>

namespace varnolite {

/// The directory the program keeps its files in (settings, undo log, logs, pattern files),
/// ending in '/': the executable's directory when that directory is writable and is not the
/// system-wide install location (a portable or build-tree install); otherwise the per-user
/// configuration directory (~/.config/varnolite/). Front ends may name another directory.
QString ProgramDir();

/// The directory of the running executable, ending in '/'.
QString executableDir();

/// The directory part of a path: everything before its last '/' ("/" for an entry of the root).
QString directoryOf(const QString& path);

/// The last part of a path: everything after its last '/'.
QString fileNameOf(const QString& path);

/// The extension of a file name: from its last '.' on, empty when it has none.
QString extensionOf(QStringView name);

/// The path with the platform's directory separator appended unless it already ends in one;
/// an empty path gives "/".
QString addTrailingSeparator(const QString& path);

} // namespace varnolite
