// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/joliet.h"

#include "core/caseless.h"
#include "core/fileattributes.h"
#include "core/paths.h"

#include <QDir>
#include <QHash>
#include <QSet>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

// The first `n` UTF-16 units of a text, one fewer when the cut would split a surrogate pair.
QStringView leftWhole(QStringView text, qsizetype n)
{
    if (n <= 0)
        return {};
    if (n >= text.size())
        return text;
    if (text[n - 1].isHighSurrogate())
        --n;
    return text.first(n);
}

// The cut name with "~k" at the end of its stem.
QString numbered(QStringView name, int k)
{
    const QString suffix = u'~' + QString::number(k);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QStringView extension = dot < 0 ? QStringView() : name.mid(dot);
    if (extension.size() + suffix.size() >= kJolietLength)
        return leftWhole(name, kJolietLength - suffix.size()) + suffix;
    const QStringView stem = dot < 0 ? name : name.first(dot);
    return leftWhole(stem, kJolietLength - extension.size() - suffix.size()) + suffix + extension;
}

} // namespace

bool exceedsJolietLength(QStringView fileName)
{
    return fileName.size() > kJolietLength;
}

QString jolietName(QStringView name)
{
    if (name.size() <= kJolietLength)
        return name.toString();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QStringView extension = dot < 0 ? QStringView() : name.mid(dot);
    if (extension.size() >= kJolietLength)
        return leftWhole(name, kJolietLength).toString();
    return leftWhole(name, kJolietLength - extension.size()) + extension;
}

RenameBatch buildJolietBatch(const FileSet& files)
{
    // Names taken per directory: the entries there and the names given out so far.
    QHash<QString, QSet<QString>> taken;
    const auto takenIn = [&](const QString& dir) -> QSet<QString>& {
        auto it = taken.find(dir);
        if (it == taken.end()) {
            QSet<QString> names;
            const QStringList entries = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden |
                                                            QDir::System | QDir::NoDotAndDotDot);
            for (const QString& e : entries)
                names.insert(foldedCopy(e));
            it = taken.insert(dir, names);
        }
        return *it;
    };

    QList<std::pair<QString, QString>> pairs;
    for (const QString& path : files) {
        const QString name = fileNameOf(path);
        if (!exceedsJolietLength(name) || HasFileAttributes(path, FileAttribute::Directory))
            continue;
        const QString dir = directoryOf(path);
        QSet<QString>& names = takenIn(dir);
        QString target = jolietName(name);
        for (int k = 1; names.contains(foldedCopy(target)); ++k)
            target = numbered(jolietName(name), k);
        names.insert(foldedCopy(target));
        pairs.append({path, addTrailingSeparator(dir) + target});
    }
    RenameBatch batch;
    for (qsizetype i = pairs.size() - 1; i >= 0; --i)
        batch.append(pairs[i].first, pairs[i].second);
    return batch;
}

} // namespace varnolite
