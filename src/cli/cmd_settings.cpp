// SPDX-License-Identifier: GPL-3.0-or-later
// "settings": read and change the settings file.
#include "cli/cli.h"

#include "core/settingskeys.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

QJsonValue toJson(const PropertyValue& value)
{
    if (const bool* b = std::get_if<bool>(&value))
        return *b;
    if (const int* n = std::get_if<int>(&value))
        return *n;
    if (const QString* s = std::get_if<QString>(&value))
        return *s;
    return QJsonArray::fromStringList(std::get<QStringList>(value));
}

// The text lines "key=value" of one effective value; a list shows its count and items.
QStringList textLines(const StoredProperty& p, const PropertyValue& value)
{
    if (p.type != PropertyType::TextList) {
        QString text = formatStoredValue(p.type, value);
        if (p.type == PropertyType::Text)
            text = std::get<QString>(value); // as the program sees it, without protecting quotes
        return {p.key() + u'=' + text};
    }
    const QStringList& lines = std::get<QStringList>(value);
    QStringList out{p.key() + u".Count="_s + QString::number(lines.size())};
    for (qsizetype i = 0; i < lines.size(); ++i)
        out.append(p.key() + u".Item"_s + QString::number(i) + u'=' + lines[i]);
    return out;
}

int explicitValue(const IniDocument& doc, const ExplicitKey& key)
{
    const std::optional<QString> text = doc.value(sections::mainWindow, key.key);
    return text ? parseStoredInteger(*text).value_or(0) : key.defaultValue;
}

int showSection(Context& context, const IniDocument& doc, const QString& section, bool json,
                QJsonObject& jsonOut)
{
    QTextStream& out = context.io.out();
    if (const StateStorage* storage = storageForSection(section)) {
        const ValueMap values = ValueMap::effective(*storage, doc);
        QJsonObject object;
        if (!json)
            out << '[' << storage->section() << "]\n";
        for (const StoredProperty& p : storage->properties()) {
            const PropertyValue v = values.value(p);
            if (json) {
                object.insert(p.key(), toJson(v));
            } else {
                for (const QString& line : textLines(p, v))
                    out << line << '\n';
            }
        }
        if (storage == &mainWindowStorage()) {
            for (const ExplicitKey& k : mainWindowExplicitKeys()) {
                if (json)
                    object.insert(k.key, explicitValue(doc, k));
                else
                    out << k.key << '=' << explicitValue(doc, k) << '\n';
            }
        }
        jsonOut.insert(storage->section(), object);
        return ExitOk;
    }
    if (!doc.hasSection(section)) {
        context.fail(u"["_s + section + u']', u"no such section in "_s + context.settings().path());
        return ExitFailed;
    }
    QJsonObject object;
    if (!json)
        out << '[' << section << "]\n";
    for (const QString& key : doc.keys(section)) {
        const QString value = doc.value(section, key, QString());
        if (json)
            object.insert(key, value);
        else
            out << key << '=' << value << '\n';
    }
    jsonOut.insert(section, object);
    return ExitOk;
}

int show(Context& context, const IniDocument& doc, const QStringList& rest, bool json)
{
    if (rest.size() > 1) {
        context.io.err() << "varnolite-cli settings show: one SECTION at most" << Qt::endl;
        return ExitUsage;
    }
    QJsonObject all;
    int status = ExitOk;
    if (rest.isEmpty()) {
        showSection(context, doc, sections::mainWindow.toString(), json, all);
        if (!json)
            context.io.out() << '\n';
        showSection(context, doc, sections::options.toString(), json, all);
    } else {
        status = showSection(context, doc, rest.front(), json, all);
    }
    if (json && status == ExitOk)
        context.io.out() << QJsonDocument(rest.isEmpty() ? all : all.begin()->toObject()).toJson();
    return status;
}

int get(Context& context, const IniDocument& doc, const QStringList& rest, bool json)
{
    if (rest.size() != 2) {
        context.io.err() << "varnolite-cli settings get: needs SECTION KEY" << Qt::endl;
        return ExitUsage;
    }
    const QString& section = rest[0];
    const QString& key = rest[1];
    QTextStream& out = context.io.out();
    std::optional<PropertyValue> value;
    if (const StateStorage* storage = storageForSection(section)) {
        if (const StoredProperty* p = storage->find(key))
            value = ValueMap::effective(*storage, doc).value(*p);
        else if (const ExplicitKey* k = findExplicitKey(key); k && storage == &mainWindowStorage())
            value = explicitValue(doc, *k);
    }
    if (!value) {
        const std::optional<QString> stored = doc.value(section, key);
        if (!stored) {
            context.fail(key, u"not set in ["_s + section + u"] of "_s + context.settings().path());
            return ExitFailed;
        }
        value = *stored;
    }
    if (json) {
        out << QJsonDocument(QJsonArray{toJson(*value)})
                   .toJson(QJsonDocument::Compact)
                   .mid(1)
                   .chopped(1)
            << '\n';
    } else if (const QStringList* lines = std::get_if<QStringList>(&*value)) {
        for (const QString& line : *lines)
            out << line << '\n';
    } else if (const bool* b = std::get_if<bool>(&*value)) {
        out << (*b ? "True" : "False") << '\n';
    } else if (const int* n = std::get_if<int>(&*value)) {
        out << *n << '\n';
    } else {
        out << std::get<QString>(*value) << '\n';
    }
    return ExitOk;
}

int set(Context& context, const QStringList& rest)
{
    if (rest.size() < 3) {
        context.io.err() << "varnolite-cli settings set: needs SECTION KEY VALUE" << Qt::endl;
        return ExitUsage;
    }
    const QString& section = rest[0];
    const QString& key = rest[1];
    const QStringList values = rest.mid(2);
    const auto usage = [&](const QString& message) {
        context.io.err() << "varnolite-cli settings set: " << key << ": " << message << Qt::endl;
        return ExitUsage;
    };

    for (const QString& v : values) {
        if (!IniDocument::isValidValue(v))
            return usage(u"a value cannot hold a line break"_s);
    }
    const StateStorage* storage = storageForSection(section);
    const StoredProperty* property = storage ? storage->find(key) : nullptr;
    const bool isList = property && property->type == PropertyType::TextList;
    if (!isList && values.size() != 1)
        return usage(u"takes exactly one VALUE"_s);

    QString text = values.front();
    if (property && !isList) {
        std::optional<PropertyValue> parsed = parseStoredValue(property->type, text);
        if (property->type == PropertyType::Integer && !parseStoredInteger(text))
            return usage(u"expects a whole number"_s);
        if (!parsed && property->type == PropertyType::Boolean)
            return usage(u"expects True or False"_s);
        text = formatStoredValue(property->type, parsed.value_or(QString()));
    } else if (!property && storage == &mainWindowStorage() && findExplicitKey(key)) {
        if (!parseStoredInteger(text))
            return usage(u"expects a whole number"_s);
        text = QString::number(*parseStoredInteger(text));
    } else if (!property) {
        text = formatStoredValue(PropertyType::Text, text);
    }

    const SettingsFile file = context.settings();
    const Status status = file.update([&](IniDocument& doc) {
        if (isList) {
            writeStoredList(doc, storage->listSection(*property), values);
            return Status{};
        }
        return doc.setValue(property ? storage->section() : section,
                            property ? property->key() : key, text);
    });
    if (!status.ok()) {
        context.fail(u"settings"_s, status.message());
        return status.code() == ErrorCode::InvalidArgument ? ExitUsage : ExitFailed;
    }
    return ExitOk;
}

int runSettings(Context& context, const ArgParser& args)
{
    QStringList rest = args.positionals();
    if (rest.isEmpty())
        return usageHint(context, u"settings"_s, u"needs get, set or show"_s);
    const QString action = rest.takeFirst();
    if (action == u"set")
        return set(context, rest);
    if (action != u"get" && action != u"show") {
        context.io.err() << "varnolite-cli settings: unknown action \"" << action << '"'
                         << Qt::endl;
        return ExitUsage;
    }
    const auto doc = context.settings().load();
    if (!doc.ok()) {
        context.fail(u"settings"_s, doc.status().message());
        return ExitFailed;
    }
    const bool json = args.isSet(u"json");
    return action == u"get" ? get(context, doc.value(), rest, json)
                            : show(context, doc.value(), rest, json);
}

} // namespace

Command settingsCommand()
{
    return {
        u"settings"_s,
        u"read and change the settings file"_s,
        u"get SECTION KEY | set SECTION KEY VALUE... | show [SECTION]"_s,
        u"Works on \"mp3varnolite.ini\" in the data directory, the settings file the desktop\n"
        "program keeps. Sections and keys compare without regard to case.\n\n"
        "  get SECTION KEY        print the value the program uses: the stored one, else the\n"
        "                         default (a list prints one line per item)\n"
        "  set SECTION KEY VALUE  store a value; booleans take True or False, numbers must be\n"
        "                         whole numbers, a list takes one VALUE per item\n"
        "  show [SECTION]         print every stored property of the section with its value;\n"
        "                         without SECTION the sections \"Ansicht+Gewähltes\" and\n"
        "                         \"options\"; other sections print their keys as stored"_s,
        {
            {{u"json"_s}, {}, u"print JSON"_s},
        },
        runSettings,
    };
}

} // namespace varnolite::cli
