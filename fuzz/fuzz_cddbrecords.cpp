// SPDX-License-Identifier: GPL-3.0-or-later
// Album descriptions on random input: xmcd records named onto files, plain lists, SFV files and
// .qdb files. No crash; every target stays in the album's folder (or, for the folder itself,
// in its parent) and is never empty, "." or "..".
#include "cddb/naming.h"
#include "check.h"

#include <cstdint>
#include <cstdlib>

using namespace varnolite;
using namespace Qt::StringLiterals;

namespace {

void checkLeaf(const QString& target, const QString& parent)
{
    check(target.startsWith(parent));
    const QString leaf = target.mid(parent.size());
    check(!leaf.isEmpty() && leaf != u"." && leaf != u"..");
    for (const QStringView part : QStringView(leaf).split(u'/')) {
        check(!part.isEmpty() && part != u"." && part != u"..");
        for (const QChar c : part)
            check(c.unicode() >= 32);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t bits = data[0];
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QStringList fields = text.split(u'\x1f');
    const QString record = fields.value(0);

    FileSet files;
    for (int i = 0; i < 1 + bits % 5; ++i)
        files.append(u"/music/album/t%1.mp3"_s.arg(i));
    CddbNamingOptions o;
    o.fileNamePattern = fields.value(1, u"%N %S"_s).left(64);
    o.blankReplacement = fields.value(2, u" "_s).left(3);
    o.renameDirectory = bits & 0x20;
    o.writeTags = bits & 0x40;
    o.sampler = bits & 0x80;
    const CddbNamingPlan plan = planCddbNaming(record, fields.value(3), fields.value(4), files, o);
    for (qsizetype i = 0; i < plan.batch.size(); ++i) {
        const bool directory = plan.batch.sources[i] == u"/music/album";
        checkLeaf(plan.batch.targets[i], directory ? u"/music/"_s : u"/music/album/"_s);
    }
    check(plan.batch.size() + plan.unnamed.size() <= files.size() + 1);

    const QStringList lines = record.split(u'\n');
    const RenameBatch plain =
        listNamingBatch(files, plainListNames(lines, files.size(), bits & 1, bits & 2));
    const RenameBatch sfv = listNamingBatch(files, sfvNames(lines, files.size()));
    for (const RenameBatch* batch : {&plain, &sfv}) {
        for (const QString& target : batch->targets)
            checkLeaf(target, u"/music/album/"_s);
    }
    for (const QString& title : qdbDiscTitles(lines, files.size()))
        qdbRecord(lines, title);
    return 0;
}
