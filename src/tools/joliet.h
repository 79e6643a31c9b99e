// SPDX-License-Identifier: GPL-3.0-or-later
// Names fit for Joliet CD file systems: at most 64 characters, extension kept.
#pragma once

#include "core/fileset.h"
#include "core/renamepipeline.h"

#include <QString>

namespace varnolite {

inline constexpr qsizetype kJolietLength = 64;

/// Whether a file name is too long for Joliet (the colour marking of the file list).
bool exceedsJolietLength(QStringView fileName);

/// The name cut to 64 characters: the first 64 minus the extension's length, then the
/// extension (from the last "."). An extension of 64 characters or more leaves the first 64
/// characters of the name. A character is never split in two.
QString jolietName(QStringView fileName);

/// The rename batch of the command: every file of the set whose name is longer than 64
/// characters (directories are skipped), with its cut name in its own directory. A cut name
/// that another file of the batch or an existing entry of that directory already has (letter
/// case ignored, as on the CD) gets "~1", "~2", ... at the end of its stem instead, still within
/// 64 characters. The pairs stand from the last file to the first.
RenameBatch buildJolietBatch(const FileSet& files);

} // namespace varnolite
