// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/progressbar.h"

using namespace Qt::StringLiterals;

namespace varnolite::cli {

ProgressBar::ProgressBar(Console& console, QString label)
    : m_console(console)
    , m_label(std::move(label))
{}

ProgressBar::~ProgressBar()
{
    if (m_drawn)
        m_console.err() << "\r\x1b[K" << Qt::flush; // leave the line clean for what follows
}

void ProgressBar::update(qsizetype done, qsizetype total)
{
    if (!m_console.stderrIsTerminal() || total <= 0)
        return;
    const int permille = int(qBound(qint64(0), qint64(done) * 1000 / total, qint64(1000)));
    if (permille == m_lastPermille)
        return;
    m_lastPermille = permille;
    constexpr int kWidth = 30;
    const int filled = permille * kWidth / 1000;
    m_console.err() << '\r' << m_label << " [" << QString(filled, u'#')
                    << QString(kWidth - filled, u'-') << "] " << permille / 10 << "% (" << done
                    << '/' << total << ')' << Qt::flush;
    m_drawn = true;
}

ProgressHook ProgressBar::hook()
{
    return [this](qsizetype done, qsizetype total) { update(done, total); };
}

} // namespace varnolite::cli
