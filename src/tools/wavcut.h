// SPDX-License-Identifier: GPL-3.0-or-later
// Removing the RIFF WAVE header in front of MP3 data: everything before the first frame header
// 0xFF 0xFB 0x90 0x44 (MPEG 1 Layer III, 128 kbit/s, 44100 Hz, joint stereo) is cut away.
#pragma once

#include "core/fileset.h"
#include "core/progress.h"
#include "core/status.h"

namespace varnolite {

struct WaveCutResult
{
    Status status;
    qint64 removed = 0; // bytes cut from the front; 0 when the file was left as it was
};

/// Cuts the header off one file. Files that are not RIFF, RIFF files holding PCM audio, and
/// files without the frame pattern stay as they are. The pattern is searched for through the
/// whole file; the rest is copied into a new file in the same directory that replaces the
/// original only once it is complete. Read-only files are left alone.
WaveCutResult removeWaveHeader(const QString& path);

/// removeWaveHeader for every file of a set (directories are skipped); gives the failures.
QList<PathError> removeWaveHeaders(const FileSet& files, const ProgressHook& progress = {},
                                   qsizetype* changed = nullptr);

} // namespace varnolite
