// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

#include <QCoreApplication>

#include <csignal>

int main(int argc, char* argv[])
{
    // A file-size limit makes write() fail with EFBIG, which the writers handle, instead of
    // killing the process halfway through.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnolite-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNOLITE_VERSION));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    varnolite::cli::Console console;
    return varnolite::cli::run(args, console);
}
