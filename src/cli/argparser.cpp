// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/argparser.h"

using namespace Qt::StringLiterals;

namespace varnolite::cli {

int OptionSpec::valueCount() const
{
    if (valueName.isEmpty())
        return 0;
    return valueName.contains(u' ') ? 2 : 1;
}

ArgParser::ArgParser(QList<OptionSpec> options)
    : m_options(std::move(options))
{
    m_options.append({{u"h"_s, u"help"_s}, {}, u"show this help"_s});
}

const OptionSpec* ArgParser::find(QStringView name) const
{
    for (const OptionSpec& spec : m_options) {
        if (spec.names.contains(name))
            return &spec;
    }
    return nullptr;
}

bool ArgParser::parse(const QStringList& args)
{
    m_given.clear();
    m_positionals.clear();
    m_error.clear();
    QStringList pending = args;
    bool optionsEnded = false;
    while (!pending.isEmpty()) {
        const QString arg = pending.takeFirst();
        if (optionsEnded || arg == u"-" || !arg.startsWith(u'-')) {
            m_positionals.append(arg);
            continue;
        }
        if (arg == u"--") {
            optionsEnded = true;
            continue;
        }
        const bool isLong = arg.startsWith(u"--");
        QString name = isLong ? arg.mid(2) : arg.mid(1, 1);
        std::optional<QString> attached; // "--mask=M" or "-mM"
        if (isLong) {
            if (const qsizetype eq = name.indexOf(u'='); eq >= 0) {
                attached = name.mid(eq + 1);
                name.truncate(eq);
            }
        } else if (arg.size() > 2) {
            attached = arg.mid(2);
        }
        const OptionSpec* spec = find(name);
        if (!spec || isLong != (name.size() > 1)) {
            m_error = u"unknown option %1"_s.arg(isLong ? u"--"_s + name : u"-"_s + name);
            return false;
        }
        if (spec->valueCount() == 0) {
            if (attached && isLong) {
                m_error = u"option --%1 takes no value"_s.arg(name);
                return false;
            }
            if (attached)
                pending.prepend(u"-"_s + *attached); // "-rv" is "-r -v"
            m_given.append({spec, QStringList()});
            continue;
        }
        if (spec->optionalValue) {
            m_given.append({spec, attached ? QStringList{*attached} : QStringList{}});
            continue;
        }
        QStringList values;
        if (attached)
            values.append(*attached);
        while (values.size() < spec->valueCount()) {
            if (pending.isEmpty()) {
                m_error = u"option %1 needs a value (%2)"_s.arg(arg, spec->valueName);
                return false;
            }
            values.append(pending.takeFirst());
        }
        m_given.append({spec, values});
    }
    return true;
}

bool ArgParser::isSet(QStringView name) const
{
    const OptionSpec* spec = find(name);
    for (const auto& [given, value] : m_given) {
        if (given == spec)
            return true;
    }
    return false;
}

QString ArgParser::value(QStringView name, const QString& fallback) const
{
    const OptionSpec* spec = find(name);
    for (qsizetype i = m_given.size() - 1; i >= 0; --i) {
        if (m_given[i].first == spec)
            return m_given[i].second.isEmpty() ? fallback : m_given[i].second.front();
    }
    return fallback;
}

QStringList ArgParser::values(QStringView name) const
{
    const OptionSpec* spec = find(name);
    QStringList result;
    for (const auto& [given, values] : m_given) {
        if (given == spec)
            result.append(values);
    }
    return result;
}

QList<std::pair<QString, QStringList>> ArgParser::given(const QStringList& names) const
{
    QList<std::pair<QString, QStringList>> result;
    for (const auto& [spec, values] : m_given) {
        for (const QString& name : names) {
            if (spec->names.contains(name)) {
                result.append({spec->names.back(), values});
                break;
            }
        }
    }
    return result;
}

QString ArgParser::optionsHelp() const
{
    QStringList lines;
    for (const OptionSpec& spec : m_options) {
        QStringList forms;
        for (const QString& n : spec.names)
            forms.append(n.size() == 1 ? u"-"_s + n : u"--"_s + n);
        QString left = u"  "_s + forms.join(u", "_s);
        if (spec.optionalValue)
            left += u"[="_s + spec.valueName + u']';
        else if (!spec.valueName.isEmpty())
            left += u' ' + spec.valueName;
        // A form too long for the column puts its help on the next line.
        if (left.size() > 28) {
            lines.append(left);
            left.clear();
        }
        lines.append(left.leftJustified(28) + u' ' + spec.help);
    }
    return lines.join(u'\n') + u'\n';
}

} // namespace varnolite::cli
