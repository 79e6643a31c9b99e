// SPDX-License-Identifier: GPL-3.0-or-later
// The undo log: one entry per rename batch, so that renames can be taken back, also after a
// restart. An entry is a header line "[" date time directory "]" (date dd.MM.yy, time hh:mm:ss,
// the directory ending in '/'), followed by a source line and a target line for every successful
// rename, in the order the renames were made.
#pragma once

#include "core/status.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace varnolite {

/// One rename of a log entry.
struct RenamePair
{
    QString source;
    QString target;
    friend bool operator==(const RenamePair&, const RenamePair&) = default;
};

/// The last entry of the log.
struct UndoEntry
{
    QString header;
    QList<RenamePair> pairs; // in log order
};

/// A rename that undo could not take back.
struct UndoFailure
{
    RenamePair pair;
    QString message;
};

struct UndoReport
{
    Status status; // the log could not be read or rewritten
    qsizetype entriesTakenBack = 0;
    qsizetype restored = 0;      // pairs moved back
    QList<UndoFailure> failures; // pairs that stayed, with the system's message
};

/// Told after each pair that was moved back (from the target to the source path).
using RestoredHook = std::function<void(const QString& from, const QString& to)>;

class UndoLog
{
public:
    /// "mp3varnolite.log"
    static QString fileName();
    /// The header text for a batch in `directory` (ending in '/') at `when`.
    static QString formatHeader(const QString& directory, const QDateTime& when);

    explicit UndoLog(QString path);
    /// The undo log in the program's directory (or another data directory).
    static UndoLog inDirectory(const QString& directory);
    ~UndoLog();
    UndoLog(UndoLog&& other) noexcept;
    UndoLog(const UndoLog&) = delete;
    UndoLog& operator=(const UndoLog&) = delete;

    const QString& path() const { return m_path; }

    /// The headers known to the running program, newest first.
    const QStringList& headers() const { return m_headers; }
    /// Whether the undo command is enabled: headers were read from the log, or one was written
    /// since.
    bool undoEnabled() const { return m_undoEnabled; }

    /// Reads every header of the log into the list, newest first.
    void loadHeaders();

    /// Appends the header of a new batch (creating the log when missing) and puts it at the
    /// front of the list.
    Status writeHeader(const QString& directory,
                       const QDateTime& when = QDateTime::currentDateTime());
    /// Appends the source and target line of one successful rename. A line that cannot be
    /// written completely is taken out again, so the log never holds half a record.
    Status appendRename(const QString& source, const QString& target);
    /// Closes the file the appends of a batch go to.
    void finishBatch();

    /// The last header of the log; empty when there is no log or no header.
    QString lastHeader() const;
    /// The last entry: from the last header line to the end of the log. Two batches with equal
    /// headers (same directory, same second) stay two entries.
    Result<UndoEntry> lastEntry() const;

    /// Takes back the last entry: drops it from the log, then moves every target back to its
    /// source, from the last pair to the first (so a folder renamed together with its content is
    /// restored completely), never overwriting. Pairs that cannot be moved back are reported;
    /// the entry is gone all the same. When the log cannot be rewritten, nothing is moved.
    UndoReport undoLast(const RestoredHook& restored = {});
    /// Takes back the batch at `index` of the header list and every newer one.
    UndoReport undoThrough(qsizetype index, const RestoredHook& restored = {});

    /// Removes the last entry from the log (rewritten through a temporary file, so it is never
    /// absent or half written) and the newest header from the list.
    Status dropLastEntry();

    /// Deletes the log and reloads the (then empty) list.
    Status clear();

private:
    struct LastEntryPosition
    {
        qint64 offset = -1; // byte offset of the last header line, -1 when there is none
        qint64 size = 0;    // size of the log
    };
    Result<LastEntryPosition> findLastEntry() const;
    Status appendLines(const QStringList& lines);

    QString m_path;
    QStringList m_headers;
    bool m_undoEnabled = false;
    int m_appendFd = -1;
};

/// One item of the undo drop-down menu.
struct UndoMenuItem
{
    QString caption; // the directory of the batch
    QString hint;    // "Geändert am <date> um <time>"
};

struct UndoMenu
{
    QList<UndoMenuItem> items; // for headers 0, 1, ... (newest first)
    bool showAll = false;      // the extra item "Alle Undo-Einträge anzeigen..."
};

/// The undo drop-down menu for the known headers and the option "Anzahl Einträge im Undomenu:"
/// (text of the option box). A text that is not a whole number is an error.
Result<UndoMenu> buildUndoMenu(const QStringList& headers, const QString& entryCount);

/// "Alle Undo-Einträge anzeigen..."
QString undoMenuShowAllText();

} // namespace varnolite
