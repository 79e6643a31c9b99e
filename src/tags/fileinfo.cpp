// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/fileinfo.h"

#include <cerrno>

using namespace Qt::StringLiterals;

namespace varnolite {

QString megabytesText(qint64 bytes, const QLocale& locale)
{
    if (bytes <= 0)
        return {};
    constexpr qint64 kMiB = 1024 * 1024;
    const qint64 tenths = (bytes * 20 + kMiB) / (2 * kMiB); // rounded, halves up
    const qint64 whole = tenths / 10;
    const qint64 decimal = tenths % 10;
    QString text = whole > 0 ? QString::number(whole) : QString();
    if (decimal != 0)
        text += locale.decimalPoint() + QString::number(decimal);
    return text;
}

FileInfoLabels mpegLabels(const StreamInfo& s, const QLocale& locale)
{
    FileInfoLabels l;
    l.type = u"Mpeg "_s + versionName(s.version) + u" Layer "_s + layerName(s.layer);
    l.length = FormatDuration(s.duration);
    l.sampling = QString::number(s.sampleRate) + u"Hz "_s + channelModeName(s.channelMode);
    if (s.frameLength != 0)
        l.bits = QString::number(s.bitrate) + u"kbit "_s +
                 QString::number(s.fileSize / s.frameLength) + u" frames"_s;
    l.size = QString::number(s.fileSize) + u" ("_s + megabytesText(s.fileSize, locale) + u"MB)"_s;
    l.encoder = s.encoder;
    return l;
}

FileInfoLabels waveLabels(const WaveHeader& h, qint64 fileSize, const QLocale& locale)
{
    FileInfoLabels l;
    if (h.formatTag == 1)
        l.type = u"PCM Wave"_s;
    l.sampling = QString::number(h.samplesPerSecond) + u"Hz "_s +
                 (h.channels == 1 ? u"mono"_s : u"stereo"_s);
    l.length = FormatDuration(WaveSeconds(h));
    l.bits = QString::number(qint64(h.averageBytesPerSecond) * 8 / 1000) + u"kbit "_s;
    l.size = QString::number(fileSize) + u" ("_s + megabytesText(fileSize, locale) + u"MB)"_s;
    return l;
}

FileInfoKind fileInfoKind(const QString& fileName, QByteArrayView first, bool onlyRegisteredFiles)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : fileName.mid(dot).toUpper();
    if (extension.contains(u"MP3"))
        return FileInfoKind::Mpeg;
    if (!onlyRegisteredFiles && first.size() >= 2 && quint8(first[0]) == 0xFF &&
        quint8(first[1]) > 0xF0)
        return FileInfoKind::Mpeg;
    if (first.startsWith("ID3"))
        return FileInfoKind::Mpeg;
    if (extension.contains(u"WAV"))
        return FileInfoKind::Wave;
    if (!onlyRegisteredFiles && first.startsWith("RIFF"))
        return FileInfoKind::Wave;
    return FileInfoKind::None;
}

namespace {

FileInfoLabels labelsOf(FileInfoKind kind, int mpegResult, const StreamInfo& stream, bool isWave,
                        const WaveHeader& wave, qint64 fileSize, const QLocale& locale)
{
    if (kind == FileInfoKind::Wave && isWave)
        return waveLabels(wave, fileSize, locale);
    if (kind == FileInfoKind::None || mpegResult == -1)
        return {};
    return mpegLabels(stream, locale);
}

} // namespace

FileAnalysis analyseFile(const QString& path, bool onlyRegisteredFiles, const QLocale& locale)
{
    FileAnalysis a;
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    auto source = FileSource::open(path);
    if (!source.ok()) {
        const int error = source.status().systemError();
        a.mpegResult = error == ENOENT || error == ENOTDIR || error == EISDIR ? -1 : error;
        a.kind = fileInfoKind(name, {}, onlyRegisteredFiles);
        a.labels = labelsOf(a.kind, a.mpegResult, a.stream, false, a.wave, 0, locale);
        return a;
    }
    const CachedSource file(source.value());
    const QByteArray first =
        file.size() > 20 ? file.read(0, 20).value_or(QByteArray()) : QByteArray();
    a.kind = fileInfoKind(name, first, onlyRegisteredFiles);
    a.mpegResult = AnalyzeMpegFile(file, a.stream);
    a.measured = MeasureMpegLength(file);
    a.isWave = ReadWaveHeader(file, a.wave);
    a.labels = labelsOf(a.kind, a.mpegResult, a.stream, a.isWave, a.wave, file.size(), locale);
    return a;
}

FileInfoLabels fileInfoLabels(const QString& path, FileInfoKind kind, const QLocale& locale)
{
    auto source = FileSource::open(path);
    if (!source.ok())
        return {};
    StreamInfo stream;
    WaveHeader wave;
    const bool isWave = kind == FileInfoKind::Wave && ReadWaveHeader(source.value(), wave);
    const int result = isWave ? 0 : AnalyzeMpegFile(source.value(), stream);
    return labelsOf(kind, result, stream, isWave, wave, source.value().size(), locale);
}

} // namespace varnolite
