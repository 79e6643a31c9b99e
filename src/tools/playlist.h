// SPDX-License-Identifier: GPL-3.0-or-later
// M3U playlists: one entry a line, "#" lines are comments.
#pragma once

#include "core/fileset.h"
#include "core/status.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace varnolite {

enum class ExistingPlaylist
{
    Append,
    Replace,
    Cancel
};

/// Asked when the playlist exists: "Mp3''s zur bestehenden Playlist hinzufügen?" (Yes appends,
/// No replaces, Cancel stops).
using ExistingPlaylistQuestion = std::function<ExistingPlaylist()>;

/// The question's text.
QString appendToPlaylistQuestion();

/// Writes the files into a playlist (schreibeplaylist): each entry relative to the playlist's
/// directory (the file name alone for a file beside it). An existing playlist is appended to or
/// replaced as the question decides; with no entries nothing is written.
Status writePlaylist(const QString& playlistPath, const QStringList& files,
                     const ExistingPlaylistQuestion& ifExists);

/// The path of the playlist written automatically for a file set: in the directory of the first
/// entry, named by `pattern`; "<directoryname>.m3u" stands for that directory's own name.
QString automaticPlaylistPath(const QString& firstEntry, const QString& pattern);

/// The files a playlist names, in order: comment and empty lines are skipped; an absolute path
/// that exists is taken as it is; otherwise a file at that path relative to the playlist's
/// directory (backslashes of Windows playlists read as '/', "file://" URLs read as paths);
/// lines naming no existing file are skipped.
Result<QStringList> readPlaylist(const QString& playlistPath);

} // namespace varnolite
