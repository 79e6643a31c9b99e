// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/playlist.h"

#include "core/fdio.h"
#include "core/paths.h"
#include "core/safefile.h"
#include "core/textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

constexpr qint64 kMaxPlaylistBytes = 64LL * 1024 * 1024;

Status appendLines(const QString& path, const QStringList& lines)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return Status::fromErrno(errno, path);
    QByteArray bytes = encodeTextLines(lines);
    // A last line without its line end must not run into the first new one.
    const off_t size = ::lseek(fd, 0, SEEK_END);
    char last = '\n';
    if (size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n')
        bytes.prepend("\r\n");
    if (!appendAll(fd, bytes, size)) {
        const int error = errno;
        ::close(fd);
        return Status::fromErrno(error, path);
    }
    if (::close(fd) != 0)
        return Status::fromErrno(errno, path);
    return {};
}

} // namespace

QString appendToPlaylistQuestion()
{
    return u"Mp3''s zur bestehenden Playlist hinzufügen?"_s;
}

Status writePlaylist(const QString& playlistPath, const QStringList& files,
                     const ExistingPlaylistQuestion& ifExists)
{
    ExistingPlaylist mode = ExistingPlaylist::Replace;
    if (QFileInfo::exists(playlistPath)) {
        mode = ifExists ? ifExists() : ExistingPlaylist::Append;
        if (mode == ExistingPlaylist::Cancel)
            return {ErrorCode::Cancelled, playlistPath + u": not written"_s};
    }
    if (files.isEmpty())
        return {};
    const QDir dir = QFileInfo(playlistPath).absoluteDir();
    QStringList lines;
    lines.reserve(files.size());
    for (const QString& file : files)
        lines.append(dir.relativeFilePath(file));
    if (mode == ExistingPlaylist::Append)
        return appendLines(playlistPath, lines);
    return writeFileAtomically(playlistPath, encodeTextLines(lines));
}

QString automaticPlaylistPath(const QString& firstEntry, const QString& pattern)
{
    const QString dir = directoryOf(firstEntry);
    if (pattern == u"<directoryname>.m3u")
        return addTrailingSeparator(dir) + fileNameOf(dir) + u".m3u"_s;
    return addTrailingSeparator(dir) + pattern;
}

Result<QStringList> readPlaylist(const QString& playlistPath)
{
    auto bytes = readFileBytes(playlistPath, kMaxPlaylistBytes);
    if (!bytes.ok())
        return bytes.status();
    const QDir dir = QFileInfo(playlistPath).absoluteDir();
    const auto isFile = [](const QString& path) {
        const QFileInfo info(path);
        return info.exists() && !info.isDir();
    };
    QStringList files;
    for (QString line : decodeTextLines(bytes.value())) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u"file://"))
            line = QUrl(line).toLocalFile();
        if (QDir::isAbsolutePath(line) && isFile(line)) {
            files.append(line);
            continue;
        }
        for (const QString& candidate : {line, QString(line).replace(u'\\', u'/')}) {
            const QString path = QDir::cleanPath(dir.filePath(candidate));
            if (isFile(path)) {
                files.append(path);
                break;
            }
        }
    }
    return files;
}

} // namespace varnolite
