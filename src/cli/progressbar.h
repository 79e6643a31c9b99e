// SPDX-License-Identifier: GPL-3.0-or-later
// A progress bar on stderr, drawn only when stderr is a terminal.
#pragma once

#include "cli/cli.h"
#include "core/progress.h"

#include <QString>

namespace varnolite::cli {

class ProgressBar
{
public:
    ProgressBar(Console& console, QString label);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(qsizetype done, qsizetype total);
    /// A hook that updates this bar.
    ProgressHook hook();

private:
    Console& m_console;
    QString m_label;
    int m_lastPermille = -1;
    bool m_drawn = false;
};

} // namespace varnolite::cli
