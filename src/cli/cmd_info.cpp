// SPDX-License-Identifier: GPL-3.0-or-later
// "info": the stream information of MPEG and WAV files, as the file panel shows it.
#include "cli/cli.h"
#include "cli/paths.h"

#include "core/bytesource.h"
#include "core/fileattributes.h"
#include "core/settingskeys.h"
#include "tags/fileinfo.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

QString kindName(FileInfoKind kind)
{
    switch (kind) {
    case FileInfoKind::Mpeg:
        return u"mpeg"_s;
    case FileInfoKind::Wave:
        return u"wave"_s;
    case FileInfoKind::None:
        break;
    }
    return u"none"_s;
}

struct FileReport : FileAnalysis
{
    QString path;
};

FileReport analyse(const QString& path, bool onlyRegistered)
{
    FileReport r;
    static_cast<FileAnalysis&>(r) = analyseFile(path, onlyRegistered);
    r.path = path;
    return r;
}

QJsonObject toJson(const FileReport& r)
{
    const StreamInfo& s = r.stream;
    QJsonObject o{
        {u"path"_s, r.path},
        {u"kind"_s, kindName(r.kind)},
        {u"result"_s, r.mpegResult},
        {u"duration"_s, s.duration},
        {u"fileSize"_s, s.fileSize},
        {u"version"_s, s.version},
        {u"layer"_s, s.layer},
        {u"sampleRate"_s, s.sampleRate},
        {u"bitrate"_s, s.bitrate},
        {u"channelMode"_s, s.channelMode},
        {u"copyright"_s, s.copyright},
        {u"original"_s, s.original},
        {u"noCrc"_s, s.noCrc},
        {u"paddingBit"_s, s.paddingBit},
        {u"frameLength"_s, s.frameLength},
        {u"encoder"_s, s.encoder},
        {u"measuredOk"_s, r.measured.ok},
        {u"measuredBitrate"_s, r.measured.bitrate},
        {u"measuredSeconds"_s, r.measured.seconds},
        {u"labels"_s, QJsonObject{{u"type"_s, r.labels.type},
                                  {u"length"_s, r.labels.length},
                                  {u"sampling"_s, r.labels.sampling},
                                  {u"bits"_s, r.labels.bits},
                                  {u"size"_s, r.labels.size},
                                  {u"encoder"_s, r.labels.encoder}}},
    };
    if (r.isWave) {
        const WaveHeader& w = r.wave;
        o.insert(u"wave"_s,
                 QJsonObject{{u"riffSize"_s, qint64(w.riffSize)},
                             {u"formatTag"_s, w.formatTag},
                             {u"channels"_s, w.channels},
                             {u"samplesPerSecond"_s, qint64(w.samplesPerSecond)},
                             {u"averageBytesPerSecond"_s, qint64(w.averageBytesPerSecond)},
                             {u"blockAlign"_s, w.blockAlign},
                             {u"bitsPerSample"_s, w.bitsPerSample},
                             {u"dataSize"_s, qint64(w.dataSize)},
                             {u"seconds"_s, WaveSeconds(w)}});
    }
    return o;
}

void printText(LinePrinter& out, const FileReport& r)
{
    out.print(r.path);
    for (const QString& label : {r.labels.type, r.labels.length, r.labels.sampling, r.labels.bits,
                                 r.labels.size, r.labels.encoder}) {
        if (!label.isEmpty())
            out.print(QString(u"  "_s + label));
    }
    const StreamInfo& s = r.stream;
    const auto n = [](qint64 v) { return QString::number(v); };
    out.print(QString(u"  result "_s + n(r.mpegResult) + u", duration "_s + n(s.duration) +
                      u", fileSize "_s + n(s.fileSize) + u", version "_s + n(s.version) +
                      u", layer "_s + n(s.layer) + u", sampleRate "_s + n(s.sampleRate) +
                      u", bitrate "_s + n(s.bitrate) + u", channelMode "_s + n(s.channelMode) +
                      u", frameLength "_s + n(s.frameLength)));
    out.print(QString(u"  measured: "_s + (r.measured.ok ? u"ok"_s : u"failed"_s) +
                      u", bitrate "_s + n(r.measured.bitrate) + u", seconds "_s +
                      n(r.measured.seconds)));
    if (r.isWave)
        out.print(QString(u"  wave: format "_s + n(r.wave.formatTag) + u", "_s +
                          n(r.wave.channels) + u" channels, "_s + n(r.wave.samplesPerSecond) +
                          u" Hz, "_s + n(r.wave.bitsPerSample) + u" bits, "_s +
                          n(WaveSeconds(r.wave)) + u" s"_s));
}

int runInfo(Context& context, const ArgParser& args)
{
    if (args.positionals().isEmpty())
        return usageHint(context, u"info"_s, u"no FILE given"_s);
    const auto doc = context.settings().load();
    const bool onlyRegistered =
        ValueMap::effective(optionsStorage(), doc.ok() ? doc.value() : IniDocument())
            .boolValue(u"only_regged_files_Checked");
    bool failed = false;
    const FileSet files = filesOf(context, args.positionals(), args.isSet(u"recursive"),
                                  FileMask(explorerMask(context)), failed);
    QJsonArray array;
    LinePrinter printer(context.io);
    for (const QString& path : files) {
        const FileReport r = analyse(path, onlyRegistered);
        if (r.mpegResult > 0) {
            context.fail(path, systemMessage(r.mpegResult));
            failed = true;
        }
        if (args.isSet(u"json"))
            array.append(toJson(r));
        else
            printText(printer, r);
    }
    if (args.isSet(u"json"))
        context.io.out() << QJsonDocument(array).toJson();
    return failed ? ExitFailed : ExitOk;
}

} // namespace

Command infoCommand()
{
    return {
        u"info"_s,
        u"show MPEG and WAV stream information"_s,
        u"[-r] [--json] FILE..."_s,
        u"Prints for each file the labels of the file panel (type, play time, sampling rate and\n"
        "channels, bit rate and frames, size, encoder guess), chosen by the file's extension or\n"
        "first bytes as the panel does, then the values of the first-frame analysis, of the\n"
        "two-frame measurement and of the WAV header. --json prints every member by name."_s,
        {
            {{u"r"_s, u"recursive"_s}, {}, u"work on the files inside directories too"_s},
            {{u"json"_s}, {}, u"print JSON"_s},
        },
        runInfo,
    };
}

} // namespace varnolite::cli
