// SPDX-License-Identifier: GPL-3.0-or-later
// CDDB answers on random bytes: the reader that reassembles answers from a connection, cut at
// random places, and the rules the client applies to every answer, with random choices. No
// crash, no hang; every answer handed on is whole, and the lookup state stays consistent.
#include "cddb/cddbclient.h"
#include "check.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

using namespace varnolite;
using namespace Qt::StringLiterals;

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int piece = 1 + data[0] % 64;
    const uint8_t choices = data[1];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));

    // The client waits for a server that is not there; nothing leaves this process.
    CddbSettings settings;
    settings.first = {u"127.0.0.1"_s, 1};
    settings.second = {u"127.0.0.1"_s, 1};
    CddbClient client(settings);
    int asked = 0;
    client.setChoiceHook([&](const QStringList& lines, bool) {
        check(!lines.isEmpty());
        const int kind = (choices >> (2 * (asked++ % 4))) & 3;
        return MatchChoice{kind == 3 ? MatchChoice::Chosen : MatchChoice::Kind(kind),
                           qsizetype(choices % 7)};
    });
    CddbQuery query;
    query.toc = DiscToc{u"09013303"_s, 3, {150, 7650, 15300}, 306};
    client.lookup(query);

    CddbAnswerReader reader;
    qsizetype handed = 0;
    for (qsizetype i = 0; i < bytes.size(); i += piece) {
        reader.append(bytes.mid(i, piece));
        while (const std::optional<QByteArray> answer = reader.next()) {
            check(answer->endsWith("\r\n"));
            handed += answer->size();
            client.handleCddbResponse(QString::fromUtf8(*answer));
            const LookupState& s = client.state();
            check(!s.receivingRecord || !s.recordChunks.isEmpty());
            check(!s.chosenCategory.contains(u' '));
        }
    }
    check(handed <= 2 * bytes.size() + 2);
    client.abort();
    return 0;
}
