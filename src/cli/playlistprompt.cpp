// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/playlistprompt.h"

#include <QTextStream>

#include <unistd.h>

namespace varnolite::cli {

ExistingPlaylistQuestion
existingPlaylistQuestion(Context& context, std::optional<ExistingPlaylist> choice, bool& refused)
{
    return [&context, choice, &refused]() {
        if (choice)
            return *choice;
        if (::isatty(STDIN_FILENO) != 1) {
            refused = true;
            return ExistingPlaylist::Cancel;
        }
        context.io.err() << appendToPlaylistQuestion() << " [y = append, n = replace, c = cancel] "
                         << Qt::flush;
        QTextStream in(stdin);
        const QString answer = in.readLine().trimmed().toLower();
        if (answer.startsWith(u'y') || answer.startsWith(u'j'))
            return ExistingPlaylist::Append;
        if (answer.startsWith(u'n'))
            return ExistingPlaylist::Replace;
        return ExistingPlaylist::Cancel;
    };
}

} // namespace varnolite::cli
