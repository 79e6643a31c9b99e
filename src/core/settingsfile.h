// SPDX-License-Identifier: GPL-3.0-or-later
// The program's INI settings file on disk. Every access opens, reads (and writes) and closes the
// file at once; nothing is cached between accesses.
#pragma once

#include "core/inidocument.h"
#include "core/status.h"

#include <QString>

#include <functional>

namespace varnolite {

class SettingsFile
{
public:
    /// "mp3varnolite.ini"
    static QString fileName();

    explicit SettingsFile(QString path);
    /// The settings file in the program's directory (or another data directory).
    static SettingsFile inDirectory(const QString& directory);

    const QString& path() const { return m_path; }
    bool exists() const;
    /// The file exists and lacks the owner's write permission: it is never changed.
    bool isReadOnly() const;

    /// The whole file; a missing file reads as an empty document.
    Result<IniDocument> load() const;

    /// Reads the file once, lets `change` edit it, and writes it once (atomically, mode 0600,
    /// creating the file and its directory when missing). Nothing is written when the content
    /// stays the same. A read-only or unreadable file is left alone and the call fails.
    Status update(const std::function<Status(IniDocument&)>& change) const;

    QString readString(QStringView section, QStringView key, const QString& fallback) const;
    Status writeString(const QString& section, const QString& key, const QString& value) const;
    Status eraseSection(const QString& section) const;
    bool sectionExists(QStringView section) const;
    QStringList keys(QStringView section) const;

private:
    QString m_path;
};

} // namespace varnolite
