// SPDX-License-Identifier: GPL-3.0-or-later
// Turning command-line paths into a file set, shared by every command that works on files.
#pragma once

#include "cli/cli.h"
#include "core/fileset.h"

namespace varnolite::cli {

/// The given paths as full paths, in order; a path that does not exist is reported on stderr,
/// left out, and sets `failed`.
FileSet gatherPaths(Context& context, const QStringList& paths, bool& failed);

/// The explorer view's filter mask from the settings (first line of "dateienliste_Filters").
QString explorerMask(const Context& context);

/// The files (no directories) among the given paths; with `recursive` every directory is
/// replaced by the files inside it that match `mask`. Failures are reported and set `failed`.
FileSet filesOf(Context& context, const QStringList& paths, bool recursive, const FileMask& mask,
                bool& failed);

} // namespace varnolite::cli
