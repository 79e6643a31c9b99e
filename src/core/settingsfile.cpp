// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settingsfile.h"

#include "core/fileattributes.h"
#include "core/paths.h"
#include "core/safefile.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

// Settings files are a few kilobytes; anything near this is not one.
constexpr qint64 kMaxSettingsBytes = 16 * 1024 * 1024;
// The file can hold a proxy password.
constexpr unsigned kSettingsMode = 0600;

} // namespace

QString SettingsFile::fileName()
{
    return u"mp3varnolite.ini"_s;
}

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{}

SettingsFile SettingsFile::inDirectory(const QString& directory)
{
    return SettingsFile(addTrailingSeparator(directory) + fileName());
}

bool SettingsFile::exists() const
{
    return !m_path.isEmpty() && QFileInfo::exists(m_path);
}

bool SettingsFile::isReadOnly() const
{
    return exists() && HasFileAttributes(m_path, FileAttribute::ReadOnly);
}

Result<IniDocument> SettingsFile::load() const
{
    if (m_path.isEmpty())
        return IniDocument{};
    auto bytes = readFileBytes(m_path, kMaxSettingsBytes);
    if (!bytes.ok()) {
        if (bytes.status().code() == ErrorCode::NotFound)
            return IniDocument{};
        return bytes.status();
    }
    return IniDocument::parse(bytes.value());
}

Status SettingsFile::update(const std::function<Status(IniDocument&)>& change) const
{
    if (m_path.isEmpty())
        return {ErrorCode::InvalidArgument, u"no settings file"_s};
    if (isReadOnly())
        return {ErrorCode::ReadOnly, m_path + u": the settings file is read-only"_s};

    QByteArray before;
    bool existed = true;
    auto bytes = readFileBytes(m_path, kMaxSettingsBytes);
    if (bytes.ok()) {
        before = std::move(bytes).value();
    } else if (bytes.status().code() == ErrorCode::NotFound) {
        existed = false;
    } else {
        return bytes.status(); // never overwrite what could not be read
    }

    IniDocument doc = IniDocument::parse(before);
    if (Status s = change(doc); !s.ok())
        return s;
    const QByteArray after = doc.toBytes();
    if (after == before)
        return {}; // also: nothing to create for a missing file that stays empty
    if (!existed) {
        const QString dir = QFileInfo(m_path).absolutePath();
        if (!QDir().mkpath(dir))
            return {ErrorCode::IoError, dir + u": cannot create the directory"_s};
    }
    return writeFileAtomically(m_path, after, kSettingsMode);
}

QString SettingsFile::readString(QStringView section, QStringView key,
                                 const QString& fallback) const
{
    const auto doc = load();
    return doc.ok() ? doc.value().value(section, key, fallback) : fallback;
}

Status SettingsFile::writeString(const QString& section, const QString& key,
                                 const QString& value) const
{
    return update([&](IniDocument& doc) { return doc.setValue(section, key, value); });
}

Status SettingsFile::eraseSection(const QString& section) const
{
    return update([&](IniDocument& doc) {
        doc.eraseSection(section);
        return Status{};
    });
}

bool SettingsFile::sectionExists(QStringView section) const
{
    const auto doc = load();
    return doc.ok() && doc.value().hasSection(section);
}

QStringList SettingsFile::keys(QStringView section) const
{
    const auto doc = load();
    return doc.ok() ? doc.value().keys(section) : QStringList{};
}

} // namespace varnolite
