// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace varnolite {

QString addTrailingSeparator(const QString& path)
{
    return path.endsWith(u'/') ? path : path + u'/';
}

QString directoryOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? u"/"_s : path.left(slash);
}

QString fileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString extensionOf(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.sliced(dot).toString();
}

QString executableDir()
{
    QString dir;
    if (QCoreApplication::instance()) {
        dir = QCoreApplication::applicationDirPath();
    } else {
        dir = QFileInfo(QFile::symLinkTarget(u"/proc/self/exe"_s)).absolutePath();
    }
    return addTrailingSeparator(dir);
}

QString ProgramDir()
{
    const QString exeDir = executableDir();
    const QString installDir = addTrailingSeparator(QStringLiteral(VARNOLITE_INSTALL_BINDIR));
    if (exeDir != installDir && ::access(QFile::encodeName(exeDir).constData(), W_OK) == 0)
        return exeDir;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return addTrailingSeparator(QDir(config).filePath(u"varnolite"_s));
}

} // namespace varnolite
