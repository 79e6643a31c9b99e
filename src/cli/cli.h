// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line front end: global options, subcommand dispatch, shared output conventions.
#pragma once

#include "cli/argparser.h"
#include "core/settingsfile.h"

#include <QList>
#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <QTextStream>

#include <functional>

namespace varnolite::cli {

enum ExitCode : int
{
    ExitOk = 0,
    ExitFailed = 1, // some file or operation failed
    ExitUsage = 2,  // bad usage
};

/// Where results (stdout) and errors (stderr) go.
class Console
{
public:
    Console();
    QTextStream& out() { return m_out; }
    QTextStream& err() { return m_err; }
    bool stderrIsTerminal() const { return m_stderrIsTerminal; }
    /// Writes lines to stdout as UTF-8, each ended by '\n'; fast for long lists.
    void printLines(const QStringList& lines);

private:
    QTextStream m_out;
    QTextStream m_err;
    bool m_stderrIsTerminal;
};

/// Writes lines to stdout as UTF-8 through a buffer of its own; for long lists of paths.
class LinePrinter
{
public:
    explicit LinePrinter(Console& console);
    ~LinePrinter();
    LinePrinter(const LinePrinter&) = delete;
    LinePrinter& operator=(const LinePrinter&) = delete;

    void print(QStringView line);

private:
    void flush();

    QStringEncoder m_encoder;
    QByteArray m_buffer;
    qsizetype m_used = 0;
};

struct Context
{
    Console& io;
    QString dataDir; // the program's files, ending in '/'

    SettingsFile settings() const { return SettingsFile::inDirectory(dataDir); }
    /// Reports one failure on stderr as "what: message".
    void fail(const QString& what, const QString& message);
};

struct Command
{
    QString name;
    QString summary; // one line for the command list
    QString usage;   // the arguments after the command name
    QString description;
    QList<OptionSpec> options;
    std::function<int(Context&, const ArgParser&)> run;
    /// Commands with actions of their own ("tag show", "tag set"): the first argument names one.
    QList<Command> subcommands = {};
};

/// Reports bad usage as "varnolite-cli COMMAND: message" and gives ExitUsage.
int usageError(Context& context, const QString& command, const QString& message);

/// The same, pointing to the command's help: "… message (see varnolite-cli COMMAND --help)".
int usageHint(Context& context, const QString& command, const QString& message);

/// Runs the command line (arguments without the program name) and gives the exit status.
int run(const QStringList& args, Console& io);

/// The subcommands, in the order the help lists them.
const QList<Command>& commands();

Command actionsCommand();
Command cddbCommand();
Command discIdCommand();
Command exprCommand();
Command filesCommand();
Command infoCommand();
Command jolietCommand();
Command listToNameCommand();
Command nameToTagCommand();
Command namesCommand();
Command playlistCommand();
Command presetsCommand();
Command regexCommand();
Command reportCommand();
Command renameCommand();
Command settingsCommand();
Command tagCommand();
Command tagToNameCommand();
Command wavcutCommand();
Command undoCommand();

} // namespace varnolite::cli
