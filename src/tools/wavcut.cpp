// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/wavcut.h"

#include "core/bytesource.h"
#include "core/fileattributes.h"
#include "core/safefile.h"

namespace varnolite {

namespace {

constexpr QByteArrayView kFramePattern("\xFF\xFB\x90\x44", 4);
constexpr qint64 kChunk = 1 << 16;

// The offset of the first frame pattern, or -1.
qint64 findPattern(const ByteSource& source)
{
    const qint64 size = source.size();
    for (qint64 start = 0; start < size; start += kChunk) {
        // Each chunk overlaps the next by three bytes, so no occurrence is missed at a border.
        const qint64 length = qMin<qint64>(kChunk + kFramePattern.size() - 1, size - start);
        const auto chunk = source.read(start, length);
        if (!chunk)
            return -1;
        const qsizetype at = chunk->indexOf(kFramePattern);
        if (at >= 0)
            return start + at;
    }
    return -1;
}

} // namespace

WaveCutResult removeWaveHeader(const QString& path)
{
    WaveCutResult result;
    qint64 start = -1;
    {
        auto source = FileSource::open(path);
        if (!source.ok()) {
            result.status = source.status();
            return result;
        }
        const auto head = source.value().read(0, 22);
        if (!head || !head->startsWith("RIFF"))
            return result;
        // PCM audio could hold the four bytes by chance; it is never cut.
        const quint16 formatTag = quint16(quint8((*head)[20]) | quint8((*head)[21]) << 8);
        if (formatTag == 1)
            return result;
        start = findPattern(source.value());
    }
    if (start <= 0)
        return result;
    result.status = dropFileHeadAtomically(path, start, ReadOnlyFiles::Respect);
    if (result.status.ok())
        result.removed = start;
    return result;
}

QList<PathError> removeWaveHeaders(const FileSet& files, const ProgressHook& progress,
                                   qsizetype* changed)
{
    QList<PathError> errors;
    if (changed)
        *changed = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (!HasFileAttributes(files[i], FileAttribute::Directory)) {
            const WaveCutResult r = removeWaveHeader(files[i]);
            if (!r.status.ok())
                errors.append({files[i], r.status.message()});
            else if (r.removed > 0 && changed)
                ++*changed;
        }
        if (progress)
            progress(i + 1, files.size());
    }
    return errors;
}

} // namespace varnolite
