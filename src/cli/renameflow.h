// SPDX-License-Identifier: GPL-3.0-or-later
// What every renaming command shares: the options of the rename pipeline, the preview table,
// the confirmation, the progress bar and the report of failures.
#pragma once

#include "cli/argparser.h"
#include "cli/cli.h"
#include "core/renamepipeline.h"

namespace varnolite::cli {

/// The options every renaming command takes (--yes, --dry-run, --full-paths, the collecting
/// directory).
QList<OptionSpec> renameFlowOptions();

/// The pipeline options: the settings file's, overridden by the flags.
RenameOptions renameOptionsFrom(const Context& context, const ArgParser& args);

/// Told, once the renaming is agreed, of the sources that will be renamed (before any is).
using ConfirmedHook = std::function<void(const QStringList& sources)>;

/// Previews the batch as a table of the entries that change, asks "Rename N files? [y/N]"
/// (unless --yes; --dry-run only prints), renames through the pipeline and reports failures.
/// Gives the exit status.
int runRenameBatch(Context& context, const ArgParser& args, RenameBatch batch,
                   const ConfirmedHook& confirmed = {});

} // namespace varnolite::cli
