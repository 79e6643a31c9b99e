// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

#include "core/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStringEncoder>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

const QString kProgram = u"varnolite-cli"_s;

QString globalHelp()
{
    QString text =
        u"Usage: %1 [--data-dir DIR] COMMAND [options] [ARGUMENTS]\n\n"
        "Mp3 Varnolite on the command line: renames, tags and inspects collections of\n"
        "MP3 and WAV files, with the settings and the undo log of the desktop program.\n\n"
        "Commands:\n"_s.arg(kProgram);
    for (const Command& c : commands())
        text += u"  "_s + c.name.leftJustified(12) + c.summary + u'\n';
    text += u"  "_s + u"help"_s.leftJustified(12) + u"show the help of a command\n"_s;
    text += u"\nGlobal options (before or after the command):\n"
            "  --data-dir DIR   directory of the program's files (settings, undo log);\n"
            "                   default: %1\n"
            "  -h, --help       show this help; \"%2 COMMAND --help\" shows a command's help\n"
            "  --version        show the version\n\n"
            "Exit status: 0 success, 1 some file or operation failed, 2 bad usage.\n"_s.arg(
                ProgramDir(), kProgram);
    return text;
}

QString commandHelp(const Command& c, const ArgParser& parser, const QString& name = {})
{
    if (!c.subcommands.isEmpty()) {
        QString text = u"Usage: %1 %2 ACTION [options] [ARGUMENTS]\n\n%3\n\nActions:\n"_s.arg(
            kProgram, c.name, c.description);
        for (const Command& sub : c.subcommands)
            text += u"  "_s + sub.name.leftJustified(10) + sub.summary + u'\n';
        return text + u"\n\"%1 %2 ACTION --help\" shows the options of an action.\n"_s.arg(kProgram,
                                                                                           c.name);
    }
    QString text = u"Usage: %1 %2 %3\n\n%4\n"_s.arg(kProgram, name.isEmpty() ? c.name : name,
                                                    c.usage, c.description);
    if (!text.endsWith(u"\n\n"))
        text += u'\n';
    return text + u"Options:\n"_s + parser.optionsHelp();
}

const Command* findCommand(QStringView name)
{
    for (const Command& c : commands()) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

// Takes "--data-dir DIR" / "--data-dir=DIR" out of the arguments wherever it stands before "--".
bool takeDataDir(QStringList& args, QString& dataDir, QString& error)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--")
            break;
        if (args[i] == u"--data-dir") {
            if (i + 1 >= args.size()) {
                error = u"option --data-dir needs a value (DIR)"_s;
                return false;
            }
            dataDir = args[i + 1];
            args.remove(i, 2);
            --i;
        } else if (args[i].startsWith(u"--data-dir=")) {
            dataDir = args[i].mid(11);
            args.remove(i);
            --i;
        }
    }
    return true;
}

} // namespace

Console::Console()
    : m_out(stdout)
    , m_err(stderr)
    , m_stderrIsTerminal(::isatty(STDERR_FILENO) == 1)
{}

void Console::printLines(const QStringList& lines)
{
    LinePrinter printer(*this);
    for (const QString& line : lines)
        printer.print(line);
}

LinePrinter::LinePrinter(Console& console)
    : m_encoder(QStringEncoder::Utf8)
    , m_buffer(1 << 16, Qt::Uninitialized)
{
    console.out().flush(); // keep the order of what went through the text stream
}

LinePrinter::~LinePrinter()
{
    flush();
    std::fflush(stdout);
}

void LinePrinter::print(QStringView line)
{
    const qsizetype need = m_encoder.requiredSpace(line.size()) + 1;
    if (m_used + need > m_buffer.size()) {
        flush();
        if (need > m_buffer.size())
            m_buffer.resize(need);
    }
    char* end = m_encoder.appendToBuffer(m_buffer.data() + m_used, line);
    *end++ = '\n';
    m_used = end - m_buffer.data();
}

void LinePrinter::flush()
{
    std::fwrite(m_buffer.constData(), 1, size_t(m_used), stdout);
    m_used = 0;
}

int usageError(Context& context, const QString& command, const QString& message)
{
    context.io.err() << "varnolite-cli " << command << ": " << message << Qt::endl;
    return ExitUsage;
}

int usageHint(Context& context, const QString& command, const QString& message)
{
    return usageError(context, command,
                      message + u" (see varnolite-cli "_s + command + u" --help)"_s);
}

void Context::fail(const QString& what, const QString& message)
{
    io.err() << what << ": " << message << Qt::endl;
}

const QList<Command>& commands()
{
    static const QList<Command> all = {
        filesCommand(),    renameCommand(), actionsCommand(),   exprCommand(),
        regexCommand(),    namesCommand(),  tagToNameCommand(), nameToTagCommand(),
        presetsCommand(),  discIdCommand(), cddbCommand(),      listToNameCommand(),
        undoCommand(),     tagCommand(),    infoCommand(),      reportCommand(),
        playlistCommand(), wavcutCommand(), jolietCommand(),    settingsCommand(),
    };
    return all;
}

int run(const QStringList& arguments, Console& io)
{
    QStringList args = arguments;
    QString dataDir;
    QString error;
    if (!takeDataDir(args, dataDir, error)) {
        io.err() << kProgram << ": " << error << Qt::endl;
        return ExitUsage;
    }
    if (args.isEmpty()) {
        io.err() << globalHelp();
        return ExitUsage;
    }
    const QString first = args.takeFirst();
    if (first == u"-h" || first == u"--help") {
        io.out() << globalHelp();
        return ExitOk;
    }
    if (first == u"--version") {
        io.out() << kProgram << ' ' << QStringLiteral(VARNOLITE_VERSION) << Qt::endl;
        return ExitOk;
    }
    if (first == u"help") {
        if (args.isEmpty()) {
            io.out() << globalHelp();
            return ExitOk;
        }
        if (const Command* c = findCommand(args.front())) {
            io.out() << commandHelp(*c, ArgParser(c->options));
            return ExitOk;
        }
        io.err() << kProgram << ": unknown command \"" << args.front() << "\"" << Qt::endl;
        return ExitUsage;
    }
    const Command* command = findCommand(first);
    if (!command) {
        io.err() << kProgram << ": unknown command \"" << first << "\" (see " << kProgram
                 << " --help)" << Qt::endl;
        return ExitUsage;
    }
    QString name = command->name;
    if (!command->subcommands.isEmpty()) {
        const Command* parent = command;
        if (args.isEmpty() || args.front() == u"-h" || args.front() == u"--help") {
            (args.isEmpty() ? io.err() : io.out()) << commandHelp(*parent, ArgParser({}));
            return args.isEmpty() ? ExitUsage : ExitOk;
        }
        const QString action = args.takeFirst();
        command = nullptr;
        for (const Command& sub : parent->subcommands) {
            if (sub.name == action)
                command = &sub;
        }
        if (!command) {
            io.err() << kProgram << ' ' << parent->name << ": unknown action \"" << action
                     << "\" (see " << kProgram << ' ' << parent->name << " --help)" << Qt::endl;
            return ExitUsage;
        }
        name = parent->name + u' ' + command->name;
    }
    ArgParser parser(command->options);
    if (!parser.parse(args)) {
        io.err() << kProgram << ' ' << name << ": " << parser.error() << " (see " << kProgram << ' '
                 << name << " --help)" << Qt::endl;
        return ExitUsage;
    }
    if (parser.isSet(u"help")) {
        io.out() << commandHelp(*command, parser, name);
        return ExitOk;
    }
    Context context{io, dataDir.isEmpty() ? ProgramDir()
                                          : addTrailingSeparator(QDir::cleanPath(
                                                QFileInfo(dataDir).absoluteFilePath()))};
    return command->run(context, parser);
}

} // namespace varnolite::cli
