// SPDX-License-Identifier: GPL-3.0-or-later
// A small option parser for the subcommands: long and short options, flags and options with a
// value ("--mask M", "--mask=M", "-m M"), repeatable options, "--" to end the options.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace varnolite::cli {

struct OptionSpec
{
    QStringList names; // without dashes; one letter means a short option: {"r", "recursive"}
    QString valueName; // empty for a flag; "X Y" (two words) for an option taking two values
    QString help;
    /// The value may be left out ("--opt" or "--opt=VALUE", never a separate argument).
    bool optionalValue = false;

    int valueCount() const;
};

class ArgParser
{
public:
    explicit ArgParser(QList<OptionSpec> options);

    /// Parses the arguments after the subcommand; false with error() on bad usage.
    bool parse(const QStringList& args);
    const QString& error() const { return m_error; }

    bool isSet(QStringView name) const;
    /// The last value given for the option, or `fallback`.
    QString value(QStringView name, const QString& fallback = QString()) const;
    /// Every value given for the option, in order (an option with two values gives both).
    QStringList values(QStringView name) const;
    /// The options among `names` as given, in order: the option's first name and its value(s).
    QList<std::pair<QString, QStringList>> given(const QStringList& names) const;
    const QStringList& positionals() const { return m_positionals; }

    /// The option list for a help text, one option a line.
    QString optionsHelp() const;

private:
    const OptionSpec* find(QStringView name) const;

    QList<OptionSpec> m_options;
    QList<std::pair<const OptionSpec*, QStringList>> m_given;
    QStringList m_positionals;
    QString m_error;
};

} // namespace varnolite::cli
