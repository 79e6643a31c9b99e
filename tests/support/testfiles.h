// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers for tests that work on real files.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace testfiles {

inline bool write(const QString& path, const QByteArray& bytes = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// Every path below `root`, relative to it, sorted.
inline QStringList tree(const QString& root)
{
    QStringList out;
    const QDir dir(root);
    const auto walk = [&](const auto& self, const QString& path) -> void {
        const QFileInfoList entries =
            QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QFileInfo& e : entries) {
            out.append(dir.relativeFilePath(e.filePath()));
            if (e.isDir() && !e.isSymLink())
                self(self, e.filePath());
        }
    };
    walk(walk, root);
    out.sort();
    return out;
}

/// A small FAT file system mounted through FUSE: letter case is kept but ignored in look-ups,
/// as on vfat and ntfs; and it is another file system than the temporary directory.
class FatMount
{
public:
    FatMount()
    {
        m_image = m_dir.filePath(QStringLiteral("fat.img"));
        m_mountPoint = m_dir.filePath(QStringLiteral("mnt"));
        QDir().mkpath(m_mountPoint);
        m_ok = QProcess::execute(QStringLiteral("mkfs.vfat"),
                                 {QStringLiteral("-C"), m_image, QStringLiteral("8192")}) == 0 &&
               QProcess::execute(
                   QStringLiteral("fusefat"),
                   {QStringLiteral("-o"), QStringLiteral("rw+"), m_image, m_mountPoint}) == 0;
    }
    ~FatMount()
    {
        if (m_ok)
            QProcess::execute(QStringLiteral("fusermount"), {QStringLiteral("-u"), m_mountPoint});
    }
    FatMount(const FatMount&) = delete;
    FatMount& operator=(const FatMount&) = delete;

    bool ok() const { return m_ok; }
    QString path(const QString& relative = QString()) const
    {
        return relative.isEmpty() ? m_mountPoint : m_mountPoint + u'/' + relative;
    }

private:
    QTemporaryDir m_dir;
    QString m_image;
    QString m_mountPoint;
    bool m_ok = false;
};

} // namespace testfiles
