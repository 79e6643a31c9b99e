// SPDX-License-Identifier: GPL-3.0-or-later
// What happens to a playlist that exists already: the choice of a flag, or the question on
// the terminal.
#pragma once

#include "cli/cli.h"
#include "tools/playlist.h"

#include <optional>

namespace varnolite::cli {

/// The question for writePlaylist: `choice` when a flag made one; otherwise
/// "Mp3''s zur bestehenden Playlist hinzufügen?" on the terminal (y appends, n replaces,
/// anything else cancels). Without a terminal it cancels and sets `refused`.
ExistingPlaylistQuestion
existingPlaylistQuestion(Context& context, std::optional<ExistingPlaylist> choice, bool& refused);

} // namespace varnolite::cli
