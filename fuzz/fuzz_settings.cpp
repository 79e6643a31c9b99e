// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file reader: any bytes parse; the document writes out and reads back the same;
// the two state storages restore from it, save into it and restore the same values again.
#include "check.h"
#include "core/inidocument.h"
#include "core/settingskeys.h"
#include "core/statestorage.h"

#include <algorithm>

#include <cstdint>
#include <cstdlib>

using namespace varnolite;

namespace {

class Window : public PlacementAccess
{
public:
    WindowPlacement placement() const override { return {}; }
    QSize screenSize() const override { return {1024, 768}; }
    int pixelsPerInch() const override { return 96; }
    void applyPlacement(const RestoredPlacement&) override {}
};

// NUL and CR inside a value are not written back (dropped or turned into blanks).
bool holdsUnwritable(const PropertyValue& v)
{
    const auto unwritable = [](const QString& s) {
        return s.contains(QChar(u'\0')) || s.contains(QChar(u'\r'));
    };
    if (const QString* s = std::get_if<QString>(&v))
        return unwritable(*s);
    if (const QStringList* l = std::get_if<QStringList>(&v))
        return std::any_of(l->begin(), l->end(), unwritable);
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const IniDocument doc =
        IniDocument::parse(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));

    const QByteArray bytes = doc.toBytes();
    const IniDocument again = IniDocument::parse(bytes);
    check(again.toBytes() == bytes);
    for (const QString& section : doc.sections()) {
        for (const QString& key : doc.keys(section))
            check(again.value(section, key) == doc.value(section, key));
    }

    Window window;
    for (const StateStorage* storage : {&mainWindowStorage(), &optionsStorage()}) {
        ValueMap values(*storage);
        storage->restoreFrom(doc, values, &window);
        IniDocument saved = doc;
        storage->saveTo(saved, values, &window);
        ValueMap restored(*storage);
        storage->restoreFrom(saved, restored, &window);
        for (const StoredProperty& p : storage->properties()) {
            if (!holdsUnwritable(values.value(p)))
                check(restored.value(p) == values.value(p));
        }
    }
    return 0;
}
