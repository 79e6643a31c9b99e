// SPDX-License-Identifier: GPL-3.0-or-later
// The tag removal commands over a file set: all tags, the ID3v2 tag, or the Lyrics3 block.
#pragma once

#include "core/fileset.h"
#include "core/progress.h"
#include "core/safefile.h"
#include "core/status.h"

#include <QList>

namespace varnolite {

enum class TagRemoval
{
    All,     // "Alle": ID3v1, Lyrics3 and ID3v2
    Id3v2,   // "ID3v2 Tags"
    Lyrics3, // "Lyrics3v2 Tags": the ID3v1 tag is written back without a Lyrics3 block
};

/// Removes tags from one file. Directories are not files and are refused.
Status removeTags(const QString& path, TagRemoval what, ReadOnlyFiles readOnly);

/// Removes tags from every file of a set (directories are skipped); gives the files that failed.
QList<PathError> removeTags(const FileSet& files, TagRemoval what, ReadOnlyFiles readOnly,
                            const ProgressHook& progress = {});

/// "Alle" on a file set.
QList<PathError> RemoveTags(const FileSet& files, ReadOnlyFiles readOnly,
                            const ProgressHook& progress = {});

} // namespace varnolite
