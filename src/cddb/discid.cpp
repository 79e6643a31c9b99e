// SPDX-License-Identifier: GPL-3.0-or-later
#include "cddb/discid.h"

#include "core/bytesource.h"
#include "tags/mpeg.h"
#include "tags/wave.h"

#include <QFile>

#include <discid/discid.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

QString hex(qint64 value, int width)
{
    return QString::number(value, 16).rightJustified(width, u'0');
}

} // namespace

QString formatDiscId(qint64 checksum, qint64 lengthField, qint64 trackCount)
{
    return hex(checksum, 2) + hex(lengthField, 4) + hex(trackCount, 2);
}

qint64 digitSum(qint64 value)
{
    qint64 sum = 0;
    for (; value > 0; value /= 10)
        sum += value % 10;
    return sum;
}

Result<DiscToc> tocFromTable(const QList<qint64>& offsets, qint64 leadOut)
{
    if (offsets.isEmpty() || offsets.size() > 99)
        return Status{ErrorCode::InvalidArgument,
                      u"The disc has %1 tracks; a CD has 1 to 99."_s.arg(offsets.size())};
    for (qsizetype i = 0; i < offsets.size(); ++i) {
        if (offsets[i] < 0 || (i > 0 && offsets[i] < offsets[i - 1]) || offsets[i] > leadOut)
            return Status{ErrorCode::InvalidArgument,
                          u"The track starts must rise and lie before the lead-out."_s};
    }
    DiscToc toc;
    qint64 checksum = 0;
    for (const qint64 offset : offsets)
        checksum += digitSum(offset / kFramesPerSecond);
    toc.trackCount = int(offsets.size());
    toc.offsets = offsets;
    toc.discSeconds = leadOut / kFramesPerSecond - offsets.front() / kFramesPerSecond;
    toc.discId = formatDiscId(checksum % 255, toc.discSeconds, toc.trackCount);
    return toc;
}

Result<DiscToc> tocFromCd(const QString& device)
{
    const std::unique_ptr<DiscId, void (*)(DiscId*)> disc(discid_new(), discid_free);
    if (!disc)
        return Status{ErrorCode::IoError, u"Out of memory"_s};
    const QByteArray name = QFile::encodeName(device.isEmpty() ? u"/dev/cdrom"_s : device);
    if (!discid_read_sparse(disc.get(), name.constData(), 0))
        return Status{ErrorCode::IoError, QString::fromLocal8Bit(discid_get_error_msg(disc.get()))};
    const int first = discid_get_first_track_num(disc.get());
    const int last = discid_get_last_track_num(disc.get());
    QList<qint64> offsets;
    for (int t = first; t <= last; ++t)
        offsets.append(discid_get_track_offset(disc.get(), t));
    return tocFromTable(offsets, discid_get_sectors(disc.get()));
}

Result<DiscToc> tocFromFiles(const FileSet& files, const ProgressHook& progress)
{
    DiscToc toc;
    qint64 checksum = 0;
    qint64 length = 0; // C(k)
    for (qsizetype i = 0; i < files.size(); ++i) {
        auto source = FileSource::open(files[i]);
        if (!source.ok())
            return Status{source.status().code(), files[i] + u": "_s + source.status().message()};
        const CachedSource file(source.value());
        qint64 checksumPart = 0;
        qint64 lengthPart = 0;
        WaveHeader wave;
        if (ReadWaveHeader(file, wave)) {
            const qint64 seconds = WaveSeconds(wave);
            checksumPart = digitSum(seconds);
            lengthPart = seconds;
        } else {
            StreamInfo stream;
            if (AnalyzeMpegFile(file, stream) != -1)
                checksumPart = digitSum(stream.duration + 2);
            if (const MpegMeasurement m = MeasureMpegLength(file); m.ok)
                lengthPart = m.seconds + 2;
        }
        toc.offsets.append(i == 0 ? 150 : kFramesPerSecond * length);
        checksum += checksumPart;
        length += lengthPart;
        if (progress)
            progress(i + 1, files.size());
    }
    const qint64 n = files.size();
    toc.trackCount = int(n);
    toc.discSeconds = length;
    toc.discId = formatDiscId(checksum % 255,
                              (30 * n + kFramesPerSecond * length + 1) / kFramesPerSecond, n);
    return toc;
}

QString cddbQueryLine(const DiscToc& toc)
{
    QString line = u"cddb query "_s + toc.discId + u' ' + QString::number(toc.trackCount);
    for (const qint64 offset : toc.offsets)
        line += u' ' + QString::number(offset);
    return line + u' ' + QString::number(toc.discSeconds);
}

} // namespace varnolite
