// SPDX-License-Identifier: GPL-3.0-or-later
// The rename pipeline every name engine ends in: a batch of (source, target) paths is previewed,
// renamed from the last entry to the first with every rename logged for undo, optionally moved
// into a collecting directory, and the failures are collected in one list.
#pragma once

#include "core/progress.h"
#include "core/status.h"
#include "core/undolog.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace varnolite {

/// Sources and targets (full paths) in the order of the file set they were built from. After a
/// preview, `barray` holds one flag per entry as handed over: true when the entry was kept.
struct RenameBatch
{
    QStringList sources;
    QStringList targets;
    QList<bool> barray;

    void append(const QString& source, const QString& target)
    {
        sources.append(source);
        targets.append(target);
    }
    qsizetype size() const { return sources.size(); }
    bool isEmpty() const { return sources.isEmpty(); }
};

/// The clean-up engines apply to a new file name: '*', '/', ':', '<', '>', '?', '\' and '|'
/// become '_', then '"' becomes '\''. NUL and the other control characters (1 to 31) become '_'
/// too: a name never carries them.
QString ReplaceIllegalChars(QStringView name);

/// A name that cannot leave its directory: '/' and control characters become '_', and an empty
/// name, "." or ".." becomes "_". Every other character stays.
QString confinedName(QString name);

/// The options of the pipeline, as the front end reads them at the moment of use.
struct RenameOptions
{
    bool showPreview = true;             // "Vorschau vorm Umbenennen anzeigen"
    bool moveAfterRename = false;        // "Nach dem Umbennen hierhin verschieben"
    QString collectingDirectory;         // its directory box
    bool onlyCompleteDirectories = true; // "nur komplette Verzeichnisse verschieben"
};

/// One line of the preview: the paths and whether the line is checked (kept).
struct PreviewLine
{
    QString source;
    QString target; // the preview may edit it
    bool checked = true;
};

enum class PreviewDecision
{
    Ok,
    Cancel
};

/// Shows the preview; may uncheck lines and edit targets; gives Ok or Cancel.
using PreviewHook = std::function<PreviewDecision(QList<PreviewLine>& lines)>;
/// Told after every successful rename, with the final target.
using RenamedHook = std::function<void(const QString& source, const QString& target)>;

struct RenameHooks
{
    PreviewHook preview;
    ProgressHook progress; // once per entry renamed, total = entries
    RenamedHook renamed;
};

struct RenameReport
{
    QList<PathError> errors; // (source path, system message) in batch order
    qsizetype renamed = 0;
    bool cancelled = false; // the preview was cancelled: nothing renamed, nothing logged
    Status logStatus;       // the undo log could not be written: nothing renamed
};

/// Lets the preview hook decide: unchecked entries leave the batch, edited targets replace
/// theirs, `barray` records what was kept; on Cancel both lists are emptied. Without the
/// option or without a hook the batch stays as it is and `barray` empty. Returns whether the
/// preview was cancelled.
bool PreviewRenameBatch(RenameBatch& batch, bool showPreview, const PreviewHook& preview);

/// Runs a batch: preview, the undo header for the directory of the last source, then every
/// rename from the last entry to the first (so the content of a directory is renamed before the
/// directory). Failures do not stop the other entries.
RenameReport ApplyRenameBatch(RenameBatch& batch, const RenameOptions& options, UndoLog& log,
                              const RenameHooks& hooks = {});

/// Renames one file or folder and logs it for undo. Returns 0 or an errno value. Nothing happens
/// when the target equals the source (letter case counts). The collecting-directory rule may
/// change the target; missing directories of the target are created; an existing target is
/// never overwritten; paths with line breaks are refused (the log could not hold them). A rename
/// that cannot be logged is moved back and fails. `finalTarget` receives where the entry went.
int RenameOne(const QString& source, const QString& target, const RenameOptions& options,
              UndoLog& log, QString* finalTarget = nullptr);

/// The target after the collecting-directory rule (see RenameOptions).
QString collectingTarget(const QString& source, const QString& target,
                         const RenameOptions& options);

/// Caption of the preview for `unchecked` of `total` lines.
QString previewCaption(qsizetype unchecked, qsizetype total);
/// Heading of the rename error list.
QString renameErrorHeading(qsizetype errors);

/// How the preview columns show paths ("Verzeichnisse anzeigen", "nur relative Verzeichnisse").
enum class PreviewPaths
{
    Names,
    FullPaths,
    RelativePaths
};
/// The text of a preview column for a path.
QString previewColumnText(const QString& path, PreviewPaths mode, const QString& explorerDir);
/// The new target after a line's second column was edited to `typed`.
QString previewEditedTarget(const QString& oldTarget, const QString& typed, PreviewPaths mode,
                            const QString& explorerDir);

} // namespace varnolite
