// SPDX-License-Identifier: GPL-3.0-or-later
// The name engines on random input: the command lists and piece patterns of the rename action
// language, the rename actions with random options, and a regular-expression replacement. No
// crash, no hang, no out-of-range access; results stay bounded, and a batch target stays in its
// entry's directory.
#include "check.h"
#include "engines/actionlanguage.h"
#include "engines/regexlist.h"
#include "engines/renameactions.h"

#include <cstdint>
#include <cstdlib>

using namespace varnolite;
using namespace Qt::StringLiterals;

namespace {

// The target of an entry "/d/e" renamed to `name` is a plain name in "/d/".
void checkStaysInDirectory(const QString& name)
{
    const QString target = targetInDirectory(u"/d/e"_s, name);
    check(target.startsWith(u"/d/"_s));
    const QString leaf = target.sliced(3);
    check(!leaf.isEmpty() && !leaf.contains(u'/') && leaf != u"." && leaf != u"..");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const quint32 bits =
        quint32(data[0]) | quint32(data[1]) << 8 | quint32(data[2]) << 16 | quint32(data[3]) << 24;
    // The rest: fields separated by line feeds, read as UTF-8 (invalid bytes included).
    const QStringList fields =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4))
            .split(u'\n');
    const auto field = [&](int i) { return fields.value(i); };
    const QString name = field(0);

    ActionContext context;
    context.blankReplacement = field(4).left(3);
    context.separator = field(5).left(2);
    context.partsFiller = field(6).left(2);

    const Expression e{field(1), field(2), field(3),
                       bits & 1 ? ActionsApplyTo::Source : ActionsApplyTo::Result};
    const QString expressed =
        ApplyExpression(name, bits & 2 ? EntryKind::Directory : EntryKind::File, e, context);
    check(expressed.size() < 1 << 24);
    checkStaysInDirectory(expressed);
    check(cutExpressionPieces(field(1), name).size() <= kMaxPieces);

    RenameActionOptions o;
    o.removeGroupName = bits & (1 << 2);
    o.replaceChars = bits & (1 << 3);
    o.replaceWhat = field(7);
    o.replaceWith = field(8);
    o.cutToNumber = bits & (1 << 4);
    o.unbracket = bits & (1 << 5);
    o.unbracketRule = bits & (1 << 6) ? UnbracketRule::Numbers : UnbracketRule::AnyPair;
    o.unbracketPlace = bits & (1 << 7) ? UnbracketPlace::Front : UnbracketPlace::Anywhere;
    o.collapseSpaces = bits & (1 << 8);
    o.padNumber = bits & (1 << 9);
    o.insertBeforeCapitals = bits & (1 << 10);
    o.capitalsText = field(9).left(4);
    o.replaceText = bits & (1 << 11);
    o.replaceFirstOnly = bits & (1 << 12);
    o.search = field(10);
    o.replacement = field(11);
    o.editAtPosition = bits & (1 << 13);
    o.positionEdit = bits & (1 << 14) ? PositionEdit::Insert : PositionEdit::Delete;
    o.position = field(12);
    o.count = field(13);
    o.swapArtistTitle = bits & (1 << 15);
    o.addToNumber = bits & (1 << 16);
    o.increment = field(14);
    o.changeCase = bits & (1 << 17);
    o.caseMode = field(15).left(4);
    o.spaceParts = bits & (1 << 18);
    o.partsFiller = field(16).left(3);
    o.blankReplacement = context.blankReplacement;
    o.separator = context.separator;
    checkRenameActions(o);
    const QString acted = ApplyRenameActions(name, o);
    check(acted.size() < 1 << 24);
    checkStaysInDirectory(acted);

    // A short expression on a short name: the match limits end any backtracking.
    if (const auto replaced = RegexReplace(name.left(256), field(17).left(64), field(18).left(16)))
        checkStaysInDirectory(*replaced);
    return 0;
}
