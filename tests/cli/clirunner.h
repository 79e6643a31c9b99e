// SPDX-License-Identifier: GPL-3.0-or-later
// Runs varnolite-cli as a separate process, the way users and scripts do.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

struct CliResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Exit code (-1 after a crash or a kill) and output of a process that has ended.
inline CliResult resultOf(QProcess& p)
{
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

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
    return resultOf(p);
}

inline CliResult runCli(const QStringList& args, const QByteArray& input = {})
{
    return runProgram(QStringLiteral(VARNOLITE_CLI), args, input);
}

// A temporary directory for a test's files; its "data" folder is the program's data directory.
struct CliWorkspace
{
    QTemporaryDir tmp;
    QString path(const QString& name) const { return tmp.filePath(name); }
    QStringList withDataDir(const QStringList& args) const
    {
        return QStringList{QStringLiteral("--data-dir"), path(QStringLiteral("data"))} + args;
    }
    CliResult cli(const QStringList& args, const QByteArray& input = {}) const
    {
        return runCli(withDataDir(args), input);
    }
};
