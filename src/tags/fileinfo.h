// SPDX-License-Identifier: GPL-3.0-or-later
// The "Datei Info" panel: which analysis a file gets, and the six label texts.
#pragma once

#include "tags/mpeg.h"
#include "tags/wave.h"

#include <QByteArrayView>
#include <QLocale>
#include <QString>

namespace varnolite {

/// The texts of the labels mpglabel, langlabel, khzlabel, bitlabel, sizelabel and encoder.
/// An empty text is a label the analysis leaves as the caller cleared it.
struct FileInfoLabels
{
    QString type;
    QString length;
    QString sampling;
    QString bits;
    QString size;
    QString encoder;
    friend bool operator==(const FileInfoLabels&, const FileInfoLabels&) = default;
};

/// The size in megabytes as the pattern "##.#" gives it: one decimal (halves away from zero),
/// no leading zero, no ",0"; empty below 0.05 MB. The decimal separator is the locale's.
QString megabytesText(qint64 bytes, const QLocale& locale = QLocale());

/// The labels of an MPEG file (mpginfos).
FileInfoLabels mpegLabels(const StreamInfo& s, const QLocale& locale = QLocale());

/// The labels of a WAV file (waveinfos); `fileSize` from the directory entry.
FileInfoLabels waveLabels(const WaveHeader& header, qint64 fileSize,
                          const QLocale& locale = QLocale());

enum class FileInfoKind
{
    None,
    Mpeg,
    Wave
};

/// Which analysis the panel shows: by the extension ("MP3" or "WAV" in it), else, unless only
/// registered files are examined, by the first bytes (an MPEG sync, "ID3", "RIFF").
FileInfoKind fileInfoKind(const QString& fileName, QByteArrayView first20Bytes,
                          bool onlyRegisteredFiles);

/// Everything the panel and the command line show of one file, read through one open file.
struct FileAnalysis
{
    FileInfoKind kind = FileInfoKind::None;
    int mpegResult = -1; // AnalyzeMpegFile
    StreamInfo stream;
    MpegMeasurement measured;
    bool isWave = false; // ReadWaveHeader
    WaveHeader wave;
    FileInfoLabels labels; // as the panel shows them
};

/// Analyses a file once: the panel's choice (by name and first bytes), both MPEG analyses, the
/// WAV header, and the labels (nothing for None; WAV falls back to MPEG when the file is no WAV
/// file for ReadWaveHeader). `mpegResult` is the errno when the file cannot be opened.
FileAnalysis analyseFile(const QString& path, bool onlyRegisteredFiles,
                         const QLocale& locale = QLocale());

/// The labels of a file as the panel shows them for the chosen kind.
FileInfoLabels fileInfoLabels(const QString& path, FileInfoKind kind,
                              const QLocale& locale = QLocale());

} // namespace varnolite
