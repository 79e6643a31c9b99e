// SPDX-License-Identifier: GPL-3.0-or-later
#include "engines/actionlanguage.h"

#include "core/fileattributes.h"
#include "core/integers.h"
#include "core/paths.h"
#include "core/safefile.h"
#include "core/textcodec.h"
#include "engines/regexlist.h"
#include "engines/renameactions.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

QString upperAZ(QString text)
{
    for (QChar& c : text) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    }
    return text;
}

QString withoutExtension(const QString& text)
{
    const qsizetype dot = text.lastIndexOf(u'.');
    return dot < 0 ? text : text.left(dot);
}

QString runCommand(const QString& command, const QString& args, QString name,
                   const ActionContext& context)
{
    const qsizetype slash = args.indexOf(u'/');
    const bool hasSlash = slash >= 0;
    const QString x = hasSlash ? args.left(slash) : args;
    const QString y = hasSlash ? args.mid(slash + 1) : QString();

    if (command == u"S")
        return hasSlash ? ReplaceEvery(name, x, y) : name;
    if (command == u"FS")
        return hasSlash ? ReplaceFirst(name, x, y) : name;
    if (command == u"GK")
        return args.size() >= 2 ? ChangeCase(name, args) : name;
    if (command == u"INS") {
        if (!hasSlash)
            return name;
        QString blank = context.blankReplacement;
        QString cut = args;
        const qsizetype second = args.indexOf(u'/', slash + 1);
        if (second >= 0) {
            blank = blankReplacementFor(args.mid(second + 1));
            cut = args.left(args.lastIndexOf(u'/'));
        }
        const qsizetype s = cut.indexOf(u'/');
        const QString px = s >= 0 ? cut.left(s) : cut;
        const QString py = s >= 0 ? cut.mid(s + 1) : QString();
        return EditAtPosition(name, looseNumber(px), looseNumber(py), PositionEdit::Insert, blank);
    }
    if (command == u"DEL")
        return hasSlash ? EditAtPosition(name, looseNumber(x), looseNumber(y), PositionEdit::Delete,
                                         context.blankReplacement)
                        : name;
    if (command == u"DEL2#")
        return CutToNumber(name);
    if (command == u"REMBR") {
        if (!hasSlash)
            return name;
        const int c = upperAZ(y).compare(u"Y");
        if (c == 0)
            return Unbracket(name, UnbracketRule::Numbers, UnbracketPlace::Front);
        if (c < 0)
            return Unbracket(name, UnbracketRule::AnyPair, UnbracketPlace::Anywhere);
        return Unbracket(name, UnbracketRule::Numbers, UnbracketPlace::Anywhere);
    }
    if (command == u"SHORT")
        return CollapseSpaces(name);
    if (command == u"EXP#")
        return PadNumber(name);
    if (command == u"INSA")
        return args.isEmpty() ? name : InsertBeforeCapitals(name, args);
    if (command == u"FLIP")
        return SwapArtistTitle(name, context.separator, context.blankReplacement);
    if (command == u"ADD")
        return args.isEmpty() ? name : AddToNumber(name, looseNumber(args));
    if (command == u"INSP")
        return args.isEmpty() ? name : SpaceParts(name, context.separator, context.partsFiller);
    if (command == u"RMGROUP")
        return RemoveGroupName(name);
    if (command == u"REGEXP") {
        if (!hasSlash)
            return name;
        return RegexReplace(name, x, y).value_or(name);
    }
    return name;
}

} // namespace

QString RunActionList(QString list, QStringView name, const ActionContext& context)
{
    QString result = name.toString();
    while (!list.isEmpty() && list.contains(u'(')) {
        const qsizetype open = list.indexOf(u'(');
        const QString command = upperAZ(list.left(open));
        list.remove(0, open + 1);
        QString args;
        if (const qsizetype close = list.indexOf(u')'); close >= 0) {
            args = list.left(close);
            list.remove(0, close + 1);
        } else {
            args = list;
            list.clear();
        }
        result = runCommand(command, args, result, context);
    }
    return result;
}

PieceTable cutExpressionPieces(QString v, QString w)
{
    PieceTable slots;
    while (v.contains(u'%')) {
        if (slots.size() >= kMaxPieces)
            break; // the table is full: further placeholders are ignored
        slots.append(Texpstrarr{});
        Texpstrarr& slot = slots.back();
        const qsizetype q = v.indexOf(u'%');
        const QString literal = v.left(q);
        if (q == v.size() - 1) {
            v.remove(q, 1);
            continue;
        }
        slot.key = v[q + 1];
        slot.used = true;
        if (!literal.isEmpty()) {
            if (const qsizetype at = w.indexOf(literal); at >= 0)
                w.remove(0, at + literal.size());
        }
        v.remove(0, q + 2);
        const qsizetype next = v.indexOf(u'%');
        const QString literal2 = next >= 0 ? v.left(next) : QString();
        const QString stem = withoutExtension(w);
        if (const qsizetype at = literal2.isEmpty() ? -1 : w.indexOf(literal2); at >= 1) {
            slot.value = w.left(at);
        } else if (v.isEmpty() || !w.contains(v)) {
            slot.value = stem;
        } else {
            slot.value = w.left(w.indexOf(v));
        }
        if (slot.value.size() == stem.size())
            w.clear();
    }
    return slots;
}

QString ApplyExpression(QStringView entryName, EntryKind kind, const Expression& e,
                        const ActionContext& context)
{
    QString name = entryName.toString();
    QString result;
    if (e.applyTo == ActionsApplyTo::Source) {
        name = RunActionList(e.commands, name, context);
        result = name;
    }
    QString from = e.from;
    QString to = e.to;
    if (from.isEmpty() && to.isEmpty()) {
        if (!e.commands.isEmpty())
            result = name;
        from = to = u"%a"_s;
    }
    const QString built = FillFromPieces(to, cutExpressionPieces(from, name));
    if (kind == EntryKind::Directory)
        result = built;
    else if (!built.isEmpty())
        result = built + extensionOf(name);
    if (e.applyTo == ActionsApplyTo::Result)
        result = RunActionList(e.commands, result, context);
    return result;
}

bool expressionIsUsable(const Expression& e)
{
    return !((e.from.isEmpty() || e.to.isEmpty()) && e.commands.isEmpty());
}

RenameBatch BuildExpressionBatch(const FileSet& files, const Expression& expression,
                                 const ActionContext& context)
{
    RenameBatch batch;
    for (const QString& entry : files) {
        const EntryKind kind = HasFileAttributes(entry, FileAttribute::Directory)
                                   ? EntryKind::Directory
                                   : EntryKind::File;
        const QString name =
            ReplaceIllegalChars(ApplyExpression(fileNameOf(entry), kind, expression, context));
        batch.append(entry, targetInDirectory(entry, name));
    }
    return batch;
}

QString expressionExample(QStringView name, const Expression& expression,
                          const ActionContext& context)
{
    return examplePrefix() +
           ReplaceIllegalChars(ApplyExpression(name, EntryKind::File, expression, context));
}

Result<ExpressionFile> readExpressionFile(const QString& path)
{
    auto bytes = readFileBytes(path, 1024 * 1024);
    if (!bytes.ok())
        return bytes.status();
    const QStringList lines = decodeTextLines(bytes.value());
    ExpressionFile file;
    if (lines.size() > 0)
        file.from = lines[0];
    if (lines.size() > 1)
        file.to = lines[1];
    if (lines.size() > 2)
        file.commands = lines[2];
    return file;
}

Status writeExpressionFile(const QString& path, const Expression& e)
{
    for (const QString& field : {e.from, e.to, e.commands}) {
        if (field.contains(u'\n') || field.contains(u'\r'))
            return {ErrorCode::InvalidArgument, path + u": a field cannot hold a line break"_s};
    }
    return writeFileAtomically(path, encodeTextLines({e.from, e.to, e.commands}));
}

QStringList listExpressionFiles(const QString& directory)
{
    return fileStemsWithExtension(directory, u".qxn");
}

const QList<CommandMenuEntry>& commandMenu()
{
    static const QList<CommandMenuEntry> entries = {
        {u"s(x/y) - x durch y ersetzen"_s, u"s(/)"_s},
        {u"fs(x/y) - Erstes x durch y ersetzen"_s, u"fs(/)"_s},
        {u"gk([AA][aa][Aa][Aaa]) - Gross/Kleinschreibung ändern"_s, u"gk()"_s},
        {u"del(x/y) - bei x y Zeichen löschen"_s, u"del(/)"_s},
        {u"ins(x/y[/z]) - bei x y Zeichen [z] einfuegen"_s, u"ins(/)"_s},
        {u"del2#() - bis zur Nummer löschen"_s, u"del2#()"_s},
        {u"rembr([x][1]/[y][n]) -  entklammer [Alles][Zahlen] wenn vorne [y]"_s, u"rembr(/)"_s},
        {u"short() - mehr als ein Leerzeichen kürzen"_s, u"short()"_s},
        {u"exp#() - Nummer 2-stellig machen"_s, u"exp#()"_s},
        {u"insA(x) - vor Grossbuchstaben x einfügen"_s, u"insA()"_s},
        {u"flip() - Künstler<->Titel tauschen"_s, u"flip()"_s},
        {u"add(x) - Bei Nummer x addieren"_s, u"add()"_s},
        {u"insP(x) - Zwischen Teilen x einfügen"_s, u"insP()"_s},
        {u"rmgroup() - Groupname entfernen"_s, u"rmgroup()"_s},
        {u"regexp(x/y) - Regular Expression"_s, u"regexp(/)"_s},
    };
    return entries;
}

std::pair<QString, qsizetype> appendCommand(const QString& list, const CommandMenuEntry& entry)
{
    return {list + entry.text, list.size() + entry.text.indexOf(u'(') + 1};
}

} // namespace varnolite
