// SPDX-License-Identifier: GPL-3.0-or-later
// Moving files and folders without ever overwriting anything.
#pragma once

#include <QString>

namespace varnolite {

/// Moves `source` to `target` and never replaces an existing target. Returns 0 or an errno value.
///
/// - The move is renameat2(RENAME_NOREPLACE). On file systems without that flag, a file is moved
///   by link() and unlink(), and where hard links are missing too, by rename() after checking
///   that the target is absent.
/// - A target that names the source itself (a change of letter case on a case-insensitive file
///   system such as vfat or ntfs) is reached through a temporary name in the same directory.
/// - Across file systems a file (or symbolic link) is copied to a new target that must not
///   exist, synced, given the source's mode and times, and only then the source is deleted; a
///   directory fails with EXDEV.
/// Missing directories of the target are not created here.
int moveWithoutOverwrite(const QString& source, const QString& target);

/// Creates a directory with every missing level above it. Returns 0 or an errno value.
int makeDirectories(const QString& directory);

} // namespace varnolite
