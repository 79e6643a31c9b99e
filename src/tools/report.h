// SPDX-License-Identifier: GPL-3.0-or-later
// The semicolon-separated report of the MPEG files below a directory.
#pragma once

#include "core/filemask.h"
#include "core/progress.h"
#include "core/status.h"

#include <QStringList>

#include <functional>

namespace varnolite {

/// "Filename;Filesize;Songlength;Mpeg-Type;Encoder"
QString reportHeader();

/// Writes the report lines of a directory to `sink`, one at a time: the header; then for the
/// directory and every directory below it an empty line and its full path; for every MPEG file
/// a line of name, size, play time, MPEG type with bit rate, and encoder guess. The entries are
/// those the recursive collection gives with `mask`, sorted by full path without regard to case
/// and grouped so that each directory's own files follow its line.
/// Returns the directories that could not be read.
QList<PathError> writeReportLines(const QString& directory, const FileMask& mask,
                                  const std::function<void(const QString& line)>& sink,
                                  const ProgressHook& progress = {});

/// The report written into a file (replaced as a whole; UTF-8, CR LF).
Status writeReport(const QString& reportPath, const QString& directory, const FileMask& mask,
                   const ProgressHook& progress = {});

} // namespace varnolite
