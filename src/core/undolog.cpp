// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/undolog.h"

#include "core/fdio.h"
#include "core/filemove.h"
#include "core/paths.h"
#include "core/safefile.h"
#include "core/statestorage.h"
#include "core/textcodec.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

// An entry of a hundred thousand renames is a few tens of megabytes; a last entry beyond this
// is not one the program wrote.
constexpr qint64 kMaxEntryBytes = 512LL * 1024 * 1024;

QString decodeLine(QByteArrayView bytes)
{
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    return decodeText(bytes);
}

// Moves one renamed file or folder back, creating its old directory when it is gone.
int moveBack(const RenamePair& pair)
{
    int error = moveWithoutOverwrite(pair.target, pair.source);
    if (error == ENOENT && QFileInfo::exists(pair.target)) {
        error = makeDirectories(directoryOf(pair.source));
        if (error == 0)
            error = moveWithoutOverwrite(pair.target, pair.source);
    }
    return error;
}

} // namespace

QString UndoLog::fileName()
{
    return u"mp3varnolite.log"_s;
}

QString UndoLog::formatHeader(const QString& directory, const QDateTime& when)
{
    const QLocale c = QLocale::c();
    return u'[' + c.toString(when, u"dd.MM.yy") + c.toString(when, u"hh:mm:ss") + directory + u']';
}

UndoLog::UndoLog(QString path)
    : m_path(std::move(path))
{}

UndoLog UndoLog::inDirectory(const QString& directory)
{
    return UndoLog(addTrailingSeparator(directory) + fileName());
}

UndoLog::~UndoLog()
{
    finishBatch();
}

UndoLog::UndoLog(UndoLog&& other) noexcept
    : m_path(std::move(other.m_path))
    , m_headers(std::move(other.m_headers))
    , m_undoEnabled(other.m_undoEnabled)
    , m_appendFd(std::exchange(other.m_appendFd, -1))
{}

void UndoLog::loadHeaders()
{
    m_undoEnabled = false;
    m_headers.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (line.startsWith('[')) {
            m_headers.prepend(decodeLine(line));
            m_undoEnabled = true;
        }
    }
}

Status UndoLog::appendLines(const QStringList& lines)
{
    const QByteArray native = QFile::encodeName(m_path);
    const auto open = [&] {
        return ::open(native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    };
    if (m_appendFd < 0) {
        m_appendFd = open();
        if (m_appendFd < 0 && errno == ENOENT && makeDirectories(directoryOf(m_path)) == 0)
            m_appendFd = open(); // a fresh data directory
        if (m_appendFd < 0)
            return Status::fromErrno(errno, m_path);
    }
    const QByteArray bytes = encodeTextLines(lines);
    const off_t before = ::lseek(m_appendFd, 0, SEEK_END);
    if (!appendAll(m_appendFd, bytes, before))
        return Status::fromErrno(errno, m_path);
    return {};
}

Status UndoLog::writeHeader(const QString& directory, const QDateTime& when)
{
    const QString header = formatHeader(directory, when);
    // A log that does not end with a line end (cut off by hand) must not swallow the header.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    bool needsLineEnd = false;
    if (fd >= 0) {
        struct stat st
        {};
        char last = '\n';
        if (::fstat(fd, &st) == 0 && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1)
            needsLineEnd = last != '\n';
        ::close(fd);
    }
    const Status status =
        appendLines(needsLineEnd ? QStringList{QString(), header} : QStringList{header});
    if (!status.ok())
        return status;
    m_headers.prepend(header);
    m_undoEnabled = true;
    return {};
}

Status UndoLog::appendRename(const QString& source, const QString& target)
{
    return appendLines({source, target});
}

void UndoLog::finishBatch()
{
    if (m_appendFd >= 0) {
        ::close(m_appendFd);
        m_appendFd = -1;
    }
}

Result<UndoLog::LastEntryPosition> UndoLog::findLastEntry() const
{
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Status::fromErrno(errno, m_path);
    struct stat st
    {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return Status::fromErrno(error, m_path);
    }
    LastEntryPosition position;
    position.size = st.st_size;
    // Scan backwards for a '[' that starts a line; each chunk also reads the byte before it.
    constexpr qint64 kChunk = 1 << 16;
    QByteArray buffer;
    for (qint64 end = st.st_size; end > 0 && position.offset < 0;) {
        const qint64 start = qMax<qint64>(0, end - kChunk);
        const qint64 from = qMax<qint64>(0, start - 1);
        buffer.resize(end - from);
        const ssize_t n = ::pread(fd, buffer.data(), size_t(buffer.size()), from);
        if (n != buffer.size()) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            return Status::fromErrno(error, m_path);
        }
        for (qint64 i = end - 1; i >= start; --i) {
            if (buffer[i - from] == '[' && (i == 0 || buffer[i - from - 1] == '\n')) {
                position.offset = i;
                break;
            }
        }
        end = start;
    }
    ::close(fd);
    return position;
}

QString UndoLog::lastHeader() const
{
    const auto entry = lastEntry();
    return entry.ok() ? entry.value().header : QString();
}

Result<UndoEntry> UndoLog::lastEntry() const
{
    const auto position = findLastEntry();
    if (!position.ok())
        return position.status();
    const LastEntryPosition& at = position.value();
    UndoEntry entry;
    if (at.offset < 0)
        return entry;
    const qint64 length = at.size - at.offset;
    if (length > kMaxEntryBytes)
        return Status(ErrorCode::InvalidData, m_path + u": the last entry is too large"_s);
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(at.offset))
        return Status(ErrorCode::IoError, m_path + u": "_s + file.errorString());
    const QStringList lines = decodeTextLines(file.read(length));
    if (lines.isEmpty())
        return entry;
    entry.header = lines.front();
    for (qsizetype i = 1; i + 1 < lines.size(); i += 2)
        entry.pairs.append({lines[i], lines[i + 1]}); // a source without target is ignored
    return entry;
}

UndoReport UndoLog::undoLast(const RestoredHook& restored)
{
    finishBatch();
    UndoReport report;
    if (!QFileInfo::exists(m_path))
        return report; // nothing to take back, and the log stays absent
    const auto entry = lastEntry();
    if (!entry.ok()) {
        report.status = entry.status();
        return report;
    }
    if (entry.value().header.isEmpty())
        return report;
    // The entry leaves the log before anything moves: when the log cannot be rewritten (a full
    // disk) nothing is moved, and log and files still agree.
    report.status = dropLastEntry();
    if (!report.status.ok())
        return report;
    report.entriesTakenBack = 1;
    const QList<RenamePair>& pairs = entry.value().pairs;
    for (qsizetype i = pairs.size() - 1; i >= 0; --i) {
        if (const int error = moveBack(pairs[i]); error != 0) {
            report.failures.append({pairs[i], systemMessage(error)});
            continue;
        }
        ++report.restored;
        if (restored)
            restored(pairs[i].target, pairs[i].source);
    }
    return report;
}

UndoReport UndoLog::undoThrough(qsizetype index, const RestoredHook& restored)
{
    UndoReport total;
    if (index < 0 || index >= m_headers.size()) {
        total.status = {ErrorCode::InvalidArgument, u"there is no batch number %1"_s.arg(index)};
        return total;
    }
    // Count in the log itself how many entries lie between its end and the chosen batch, so a
    // list that no longer matches the log (another copy of the program took entries back) never
    // takes back more than was asked for. Equal headers are told apart by their order.
    const QString chosen = m_headers[index];
    const qsizetype occurrence = m_headers.mid(0, index + 1).count(chosen);
    UndoLog fileView(m_path);
    fileView.loadHeaders();
    qsizetype entries = -1;
    for (qsizetype i = 0, seen = 0; i < fileView.headers().size(); ++i) {
        if (fileView.headers()[i] == chosen && ++seen == occurrence) {
            entries = i + 1;
            break;
        }
    }
    if (entries < 0) {
        total.status = {ErrorCode::NotFound,
                        u"the batch \"%1\" is no longer in %2"_s.arg(chosen, m_path)};
        return total;
    }
    for (qsizetype i = 0; i < entries; ++i) {
        UndoReport one = undoLast(restored);
        total.entriesTakenBack += one.entriesTakenBack;
        total.restored += one.restored;
        total.failures.append(one.failures);
        if (!one.status.ok()) {
            total.status = one.status;
            break;
        }
    }
    return total;
}

Status UndoLog::dropLastEntry()
{
    finishBatch();
    if (!QFileInfo::exists(m_path))
        return {};
    const auto position = findLastEntry();
    if (!position.ok())
        return position.status();
    const qint64 offset = position.value().offset;
    if (offset < 0)
        return {};
    if (offset > 0) {
        if (Status s = truncateFileAtomically(m_path, offset); !s.ok())
            return s;
        if (!m_headers.isEmpty())
            m_headers.removeFirst();
        return {};
    }
    if (::unlink(QFile::encodeName(m_path).constData()) != 0)
        return Status::fromErrno(errno, m_path);
    if (!m_headers.isEmpty())
        m_headers.removeFirst();
    m_undoEnabled = false;
    return {};
}

Status UndoLog::clear()
{
    finishBatch();
    if (::unlink(QFile::encodeName(m_path).constData()) != 0 && errno != ENOENT)
        return Status::fromErrno(errno, m_path);
    loadHeaders();
    return {};
}

QString undoMenuShowAllText()
{
    return u"Alle Undo-Einträge anzeigen..."_s;
}

Result<UndoMenu> buildUndoMenu(const QStringList& headers, const QString& entryCount)
{
    const std::optional<int> m = parseStoredInteger(entryCount);
    if (!m)
        return Status(ErrorCode::InvalidArgument,
                      u"'%1' is not a valid integer value"_s.arg(entryCount));
    UndoMenu menu;
    const qsizetype shown = qBound(qsizetype(0), qsizetype(*m), headers.size());
    for (qsizetype i = 0; i < shown; ++i) {
        const QString& h = headers[i];
        menu.items.append({h.mid(17, qMax<qsizetype>(0, h.size() - 18)),
                           u"Geändert am "_s + h.mid(1, 8) + u" um "_s + h.mid(9, 8)});
    }
    menu.showAll = shown < headers.size();
    return menu;
}

} // namespace varnolite
