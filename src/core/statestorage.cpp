// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/statestorage.h"

#include "core/integers.h"

#include <array>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

bool isQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

QString formatText(QString text)
{
    text.replace(u"\r\n"_s, u" "_s).replace(u'\r', u' ').replace(u'\n', u' ').remove(u'\0');
    if (text.isEmpty())
        return text;
    const bool quotedAlready =
        text.size() >= 2 && text.front() == text.back() && isQuote(text.front());
    // Values are trimmed and lose one pair of quotes on reading; one more pair keeps them.
    if (quotedAlready || text.front().isSpace() || text.back().isSpace())
        return u'"' + text + u'"';
    return text;
}

using Four = std::array<int, 4>;

} // namespace

std::optional<PropertyType> propertyTypeOf(QStringView property)
{
    struct Entry
    {
        QStringView name;
        PropertyType type;
    };
    static constexpr Entry kTypes[] = {
        {u"Checked", PropertyType::Boolean},
        {u"Visible", PropertyType::Boolean},
        {u"Down", PropertyType::Boolean},
        {u"Top", PropertyType::Integer},
        {u"Left", PropertyType::Integer},
        {u"Width", PropertyType::Integer},
        {u"HotKey", PropertyType::Integer},
        {u"SelectionColor", PropertyType::Integer},
        {u"Text", PropertyType::Text},
        {u"Caption", PropertyType::Text},
        {u"ActivePage", PropertyType::ComponentRef},
        {u"Items", PropertyType::TextList},
        {u"Filters", PropertyType::TextList},
    };
    for (const Entry& e : kTypes) {
        if (e.name.compare(property, Qt::CaseInsensitive) == 0)
            return e.type;
    }
    return std::nullopt;
}

WindowShowState showStateFromShowCmd(int showCmd)
{
    switch (showCmd) {
    case 2:
    case 6:
    case 7:
        return WindowShowState::Minimized;
    case 3:
        return WindowShowState::Maximized;
    default:
        return WindowShowState::Normal;
    }
}

std::optional<int> parseStoredInteger(QStringView text)
{
    return parsePlatformInteger(text.trimmed());
}

QString formatStoredValue(PropertyType type, const PropertyValue& value)
{
    switch (type) {
    case PropertyType::Boolean: {
        const bool* b = std::get_if<bool>(&value);
        return (b && *b) ? u"True"_s : u"False"_s;
    }
    case PropertyType::Integer: {
        const int* n = std::get_if<int>(&value);
        return QString::number(n ? *n : 0);
    }
    case PropertyType::Text: {
        const QString* s = std::get_if<QString>(&value);
        return s ? formatText(*s) : QString();
    }
    case PropertyType::ComponentRef: {
        const QString* s = std::get_if<QString>(&value);
        return (s && !s->isEmpty()) ? formatText(*s) : u"(null)"_s;
    }
    case PropertyType::TextList:
        break;
    }
    return {};
}

std::optional<PropertyValue> parseStoredValue(PropertyType type, const QString& text)
{
    switch (type) {
    case PropertyType::Boolean:
        if (text.compare(u"True", Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(u"False", Qt::CaseInsensitive) == 0)
            return false;
        return std::nullopt;
    case PropertyType::Integer:
        return parseStoredInteger(text).value_or(0);
    case PropertyType::Text:
        return text;
    case PropertyType::ComponentRef:
        if (text.isEmpty())
            return std::nullopt;
        return text == u"(null)" ? QString() : text;
    case PropertyType::TextList:
        break;
    }
    return std::nullopt;
}

void writeStoredList(IniDocument& doc, const QString& section, const QStringList& lines)
{
    doc.eraseSection(section);
    if (lines.isEmpty())
        return;
    doc.setValue(section, u"Count"_s, QString::number(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i)
        doc.setValue(section, u"Item"_s + QString::number(i), formatText(lines[i]));
}

std::optional<QStringList> readStoredList(const IniDocument& doc, const QString& section)
{
    const int count = parseStoredInteger(doc.value(section, u"Count", u"0"_s)).value_or(0);
    if (count <= 0)
        return std::nullopt;
    // A count beyond the lines really there would only add empty items; it is capped there.
    const qsizetype n = qMin<qsizetype>(count, doc.keys(section).size());
    QStringList lines;
    lines.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        lines.append(doc.value(section, QString(u"Item"_s + QString::number(i)), QString()));
    return lines;
}

StateStorage::StateStorage(QString section, QList<StoredProperty> properties, Placement placement)
    : m_section(std::move(section))
    , m_properties(std::move(properties))
    , m_placement(placement)
{}

const StoredProperty* StateStorage::find(QStringView key) const
{
    for (const StoredProperty& p : m_properties) {
        if (p.key().compare(key, Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

QString StateStorage::listSection(const StoredProperty& property) const
{
    return m_section + u'.' + property.key();
}

void StateStorage::saveTo(IniDocument& doc, const PropertyAccess& access,
                          const PlacementAccess* placement) const
{
    doc.setValue(m_section, u"FormVersion"_s, u"0"_s);
    if (storesPlacement() && placement)
        savePlacement(doc, *placement);
    for (const StoredProperty& p : m_properties) {
        const PropertyValue value = access.value(p);
        if (p.type != PropertyType::TextList) {
            doc.setValue(m_section, p.key(), formatStoredValue(p.type, value));
            continue;
        }
        const QStringList* lines = std::get_if<QStringList>(&value);
        writeStoredList(doc, listSection(p), lines ? *lines : QStringList());
    }
}

void StateStorage::restoreFrom(const IniDocument& doc, PropertyAccess& access,
                               PlacementAccess* placement) const
{
    const int formVersion =
        parseStoredInteger(doc.value(m_section, u"FormVersion", u"0"_s)).value_or(0);
    if (formVersion < 0)
        return;
    if (storesPlacement() && placement)
        restorePlacement(doc, *placement);
    for (const StoredProperty& p : m_properties) {
        if (p.type == PropertyType::TextList) {
            if (std::optional<QStringList> lines = readStoredList(doc, listSection(p)))
                access.setValue(p, *lines);
            continue;
        }
        const std::optional<QString> text = doc.value(m_section, p.key());
        if (!text)
            continue;
        if (std::optional<PropertyValue> value = parseStoredValue(p.type, *text))
            access.setValue(p, *value);
    }
}

void StateStorage::savePlacement(IniDocument& doc, const PlacementAccess& access) const
{
    const WindowPlacement wp = access.placement();
    const QSize screen = access.screenSize();
    const QString screenSuffix = u"(%1x%2)"_s.arg(screen.width()).arg(screen.height());
    const auto four = [](int a, int b, int c, int d) {
        return u"%1,%2,%3,%4"_s.arg(a).arg(b).arg(c).arg(d);
    };
    const QString minMax =
        four(wp.minPosition.x(), wp.minPosition.y(), wp.maxPosition.x(), wp.maxPosition.y());
    const QString norm = four(wp.normal.left, wp.normal.top, wp.normal.right, wp.normal.bottom);
    doc.setValue(m_section, u"Flags"_s, QString::number(wp.flags));
    doc.setValue(m_section, u"ShowCmd"_s, QString::number(wp.showCmd));
    doc.setValue(m_section, u"PixelsPerInch"_s, QString::number(access.pixelsPerInch()));
    doc.setValue(m_section, u"MinMaxPos"_s + screenSuffix, minMax);
    doc.setValue(m_section, u"MinMaxPos"_s, minMax);
    doc.setValue(m_section, u"NormPos"_s + screenSuffix, norm);
    doc.setValue(m_section, u"NormPos"_s, norm);
    doc.setValue(m_section, u"Visible"_s, u"0"_s);
}

void StateStorage::restorePlacement(const IniDocument& doc, PlacementAccess& access) const
{
    const int ppi = access.pixelsPerInch();
    const std::optional<QString> storedPpi = doc.value(m_section, u"PixelsPerInch");
    if (storedPpi && parseStoredInteger(*storedPpi).value_or(0) != ppi)
        return;

    const WindowPlacement current = access.placement();
    const QSize screen = access.screenSize();
    const QString screenSuffix = u"(%1x%2)"_s.arg(screen.width()).arg(screen.height());
    const auto readFour = [&](const QString& key, const Four& fallback) {
        std::optional<QString> text = doc.value(m_section, QString(key + screenSuffix));
        if (!text)
            text = doc.value(m_section, key);
        Four result = fallback;
        if (!text)
            return result;
        const QStringList parts = text->split(u',');
        for (qsizetype i = 0; i < 4 && i < parts.size(); ++i)
            result[std::size_t(i)] =
                parseStoredInteger(parts[i]).value_or(fallback[std::size_t(i)]);
        return result;
    };
    const auto readInt = [&](QStringView key, int fallback) {
        const std::optional<QString> text = doc.value(m_section, key);
        return text ? parseStoredInteger(*text).value_or(0) : fallback;
    };

    RestoredPlacement restored;
    restored.flags = readInt(u"Flags", current.flags);
    restored.state = showStateFromShowCmd(readInt(u"ShowCmd", current.showCmd));
    const Four minMax = readFour(u"MinMaxPos"_s, {0, 0, 0, 0});
    restored.minPosition = QPoint(minMax[0], minMax[1]);
    restored.maxPosition = QPoint(minMax[2], minMax[3]);
    const WindowEdges& e = current.normal;
    const Four norm = readFour(u"NormPos"_s, {e.left, e.top, e.right, e.bottom});
    if (norm[0] < norm[2])
        restored.normal = WindowEdges{norm[0], norm[1], norm[2], norm[3]};
    access.applyPlacement(restored);
}

Status StateStorage::save(const SettingsFile& file, const PropertyAccess& access,
                          const PlacementAccess* placement) const
{
    if (file.path().isEmpty())
        return {};
    return file.update([&](IniDocument& doc) {
        saveTo(doc, access, placement);
        return Status{};
    });
}

Status StateStorage::restore(const SettingsFile& file, PropertyAccess& access,
                             PlacementAccess* placement) const
{
    if (file.path().isEmpty() || !file.exists())
        return {};
    const auto doc = file.load();
    if (!doc.ok())
        return doc.status();
    restoreFrom(doc.value(), access, placement);
    return {};
}

ValueMap::ValueMap(const StateStorage& storage)
    : m_storage(&storage)
{
    m_values.reserve(storage.properties().size());
    for (const StoredProperty& p : storage.properties())
        m_values.append(p.defaultValue);
}

qsizetype ValueMap::indexOf(const StoredProperty& property) const
{
    const QList<StoredProperty>& all = m_storage->properties();
    const StoredProperty* p = &property;
    if (p < all.constData() || p >= all.constData() + all.size())
        p = m_storage->find(property.key());
    return p ? p - all.constData() : -1;
}

PropertyValue ValueMap::value(const StoredProperty& property) const
{
    const qsizetype i = indexOf(property);
    return i >= 0 ? m_values[i] : property.defaultValue;
}

void ValueMap::setValue(const StoredProperty& property, const PropertyValue& value)
{
    if (const qsizetype i = indexOf(property); i >= 0)
        m_values[i] = value;
}

ValueMap ValueMap::effective(const StateStorage& storage, const IniDocument& doc)
{
    ValueMap values(storage);
    storage.restoreFrom(doc, values);
    return values;
}

namespace {

template<typename T>
const T* valueOf(const StateStorage& storage, const QList<PropertyValue>& values, QStringView key)
{
    const StoredProperty* p = storage.find(key);
    if (!p)
        return nullptr;
    return std::get_if<T>(&values[p - storage.properties().constData()]);
}

} // namespace

bool ValueMap::boolValue(QStringView key, bool fallback) const
{
    const bool* v = valueOf<bool>(*m_storage, m_values, key);
    return v ? *v : fallback;
}

int ValueMap::intValue(QStringView key, int fallback) const
{
    const int* v = valueOf<int>(*m_storage, m_values, key);
    return v ? *v : fallback;
}

QString ValueMap::textValue(QStringView key, const QString& fallback) const
{
    const QString* v = valueOf<QString>(*m_storage, m_values, key);
    return v ? *v : fallback;
}

QStringList ValueMap::listValue(QStringView key) const
{
    const QStringList* v = valueOf<QStringList>(*m_storage, m_values, key);
    return v ? *v : QStringList();
}

} // namespace varnolite
