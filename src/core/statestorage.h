// SPDX-License-Identifier: GPL-3.0-or-later
// The stored state of a window: named properties of its controls, and optionally the window's
// placement, under one section of the settings file. The storage knows the keys and the value
// rules; a PropertyAccess binds the properties to something real (controls in the desktop
// program, plain values on the command line).
#pragma once

#include "core/inidocument.h"
#include "core/settingsfile.h"
#include "core/status.h"

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace varnolite {

enum class PropertyType
{
    Boolean,      // Checked, Visible, Down
    Integer,      // Top, Left, Width, HotKey, SelectionColor
    Text,         // Text, Caption
    ComponentRef, // ActivePage: the name of a control, empty for none
    TextList,     // Items, Filters: a section of its own
};

/// The type of a property by its name; nullopt for a name the storage does not know.
std::optional<PropertyType> propertyTypeOf(QStringView property);

/// bool for Boolean, int for Integer, QString for Text and ComponentRef, QStringList for TextList.
using PropertyValue = std::variant<bool, int, QString, QStringList>;

struct StoredProperty
{
    QString component; // control name, e.g. "CheckBox3"
    QString property;  // property name, e.g. "Checked"
    PropertyType type;
    PropertyValue defaultValue;

    /// The key in the settings file: component, "_", property.
    QString key() const { return component + u'_' + property; }
};

/// How a stored property reaches the thing it describes.
class PropertyAccess
{
public:
    virtual ~PropertyAccess() = default;
    virtual PropertyValue value(const StoredProperty& property) const = 0;
    virtual void setValue(const StoredProperty& property, const PropertyValue& value) = 0;
};

/// Left, top, right and bottom of a window in its normal state.
struct WindowEdges
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const WindowEdges&, const WindowEdges&) = default;
};

struct WindowPlacement
{
    int flags = 0;
    int showCmd = 1; // 1 normal, 2 minimised, 3 maximised
    QPoint minPosition;
    QPoint maxPosition;
    WindowEdges normal;
};

enum class WindowShowState
{
    Normal,
    Minimized,
    Maximized
};

/// What a restore applies: the normal edges only when stored ones were usable (left < right).
struct RestoredPlacement
{
    int flags = 0;
    WindowShowState state = WindowShowState::Normal;
    QPoint minPosition;
    QPoint maxPosition;
    std::optional<WindowEdges> normal;
};

class PlacementAccess
{
public:
    virtual ~PlacementAccess() = default;
    virtual WindowPlacement placement() const = 0;
    virtual QSize screenSize() const = 0;
    virtual int pixelsPerInch() const = 0;
    virtual void applyPlacement(const RestoredPlacement& placement) = 0;
};

/// ShowCmd 2, 6 and 7 minimise, 3 maximises, anything else shows the window normal.
WindowShowState showStateFromShowCmd(int showCmd);

/// The text a value is written as (not for lists). Text values that begin and end with the same
/// quote character, or with a blank, are written inside one more pair of double quotes so that
/// they read back unchanged; line breaks become blanks.
QString formatStoredValue(PropertyType type, const PropertyValue& value);

/// The value a stored text gives when read back, or nullopt when it leaves the property as it is
/// (a boolean text other than True/False, an empty component name). Integers that do not parse
/// give 0; "(null)" clears a component reference.
std::optional<PropertyValue> parseStoredValue(PropertyType type, const QString& text);

/// Parses a stored whole number (trimmed, then the platform's integer rules); nullopt when it is
/// not one.
std::optional<int> parseStoredInteger(QStringView text);

/// Writes a list into a section of its own: the section is erased, then, unless the list is
/// empty, "Count" and one "Item<i>" per line (i from 0) are written.
void writeStoredList(IniDocument& doc, const QString& section, const QStringList& lines);
/// Reads such a list; nullopt when "Count" is missing, 0 or not a number (the list stays as is).
std::optional<QStringList> readStoredList(const IniDocument& doc, const QString& section);

class StateStorage
{
public:
    enum class Placement
    {
        NotStored,
        Stored
    };

    StateStorage(QString section, QList<StoredProperty> properties,
                 Placement placement = Placement::NotStored);

    const QString& section() const { return m_section; }
    const QList<StoredProperty>& properties() const { return m_properties; }
    bool storesPlacement() const { return m_placement == Placement::Stored; }
    /// The stored property with that key (component_property), compared without regard to case.
    const StoredProperty* find(QStringView key) const;
    /// The section a list property is stored in: "<section>.<key>".
    QString listSection(const StoredProperty& property) const;

    /// Writes "FormVersion", the placement (when stored and given) and every property in order.
    void saveTo(IniDocument& doc, const PropertyAccess& access,
                const PlacementAccess* placement = nullptr) const;
    /// Reads back what saveTo wrote; missing keys leave their property as it is.
    void restoreFrom(const IniDocument& doc, PropertyAccess& access,
                     PlacementAccess* placement = nullptr) const;

    /// saveTo on the settings file: one read, one write. A storage without a file does nothing.
    Status save(const SettingsFile& file, const PropertyAccess& access,
                const PlacementAccess* placement = nullptr) const;
    /// restoreFrom on the settings file, when it exists.
    Status restore(const SettingsFile& file, PropertyAccess& access,
                   PlacementAccess* placement = nullptr) const;

private:
    void savePlacement(IniDocument& doc, const PlacementAccess& placement) const;
    void restorePlacement(const IniDocument& doc, PlacementAccess& placement) const;

    QString m_section;
    QList<StoredProperty> m_properties;
    Placement m_placement;
};

/// Plain property values that start at the defaults: what the command line reads the settings
/// into, and what "effective value" means (stored, else default).
class ValueMap final : public PropertyAccess
{
public:
    explicit ValueMap(const StateStorage& storage);

    PropertyValue value(const StoredProperty& property) const override;
    void setValue(const StoredProperty& property, const PropertyValue& value) override;

    /// The effective values of a storage in a document.
    static ValueMap effective(const StateStorage& storage, const IniDocument& doc);

    /// Look-ups by key; a key the storage does not have, or of another type, gives the fallback.
    bool boolValue(QStringView key, bool fallback = false) const;
    int intValue(QStringView key, int fallback = 0) const;
    QString textValue(QStringView key, const QString& fallback = QString()) const;
    QStringList listValue(QStringView key) const;

private:
    qsizetype indexOf(const StoredProperty& property) const;

    const StateStorage* m_storage;
    QList<PropertyValue> m_values; // parallel to the storage's properties
};

} // namespace varnolite
