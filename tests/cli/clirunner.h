// SPDX-License-Identifier: GPL-3.0-or-later
// Runs varnolite-cli as a separate process, the way users and scripts do.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

struct CliResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

inline CliResult runProgram(const QString& program, const QStringList& args,
                            const QByteArray& input = {})
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted())
        return {};
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

inline CliResult runCli(const QStringList& args, const QByteArray& input = {})
{
    return runProgram(QStringLiteral(VARNOLITE_CLI), args, input);
}
