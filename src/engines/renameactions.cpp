// SPDX-License-Identifier: GPL-3.0-or-later
#include "engines/renameactions.h"

#include "core/integers.h"
#include "core/paths.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace varnolite {

namespace {

constexpr qsizetype kMaxInsertedName = 4096;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isCapital(QChar c)
{
    return c >= u'A' && c <= u'Z';
}

bool isOpening(QChar c)
{
    return c == u'(' || c == u'[';
}

bool isClosing(QChar c)
{
    return c == u')' || c == u']';
}

// Upper case for a-z only.
QChar upperAZ(QChar c)
{
    return c >= u'a' && c <= u'z' ? QChar(c.unicode() - 32) : c;
}

// The lead characters of the word-wise case modes: they stay as they are.
bool isLead(QChar c)
{
    return c == u' ' || c == u'(' || c == u'-' || c == u'[' || isDigit(c);
}

QString sentenceCase(QStringView name, qsizetype i)
{
    const qsizetype n = name.size();
    QString out = name.first(i).toString();
    const auto isGap = [](QChar c) { return c == u' ' || c == u'-'; };
    while (i < n) {
        out += upperAZ(name[i++]);
        while (i < n && name[i] != u'-') {
            // A lower-case "i" standing alone between spaces or dashes is the word "I".
            if (name[i] == u'i' && isGap(name[i - 1]) && i + 1 < n && isGap(name[i + 1]))
                out += u'I';
            else
                out += name[i].toLower();
            ++i;
        }
        while (i < n - 1 && isGap(name[i]))
            out += name[i++];
    }
    return out;
}

QString wordCase(QStringView name, qsizetype i)
{
    const qsizetype n = name.size();
    QString out = name.first(i).toString();
    while (i < n) {
        out += upperAZ(name[i++]);
        while (i < n && !isLead(name[i]))
            out += name[i++].toLower();
        while (i < n - 1 && isLead(name[i]))
            out += name[i++];
    }
    return out;
}

// The whole number of a number field; nullopt when it is not one.
std::optional<qint32> fieldNumber(const QString& text)
{
    return parsePlatformInteger(text);
}

} // namespace

QString ReplaceEvery(QStringView name, QStringView x, QStringView y)
{
    QString out = name.toString();
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (!QStringView(out).sliced(i).startsWith(x))
            continue;
        // The dot of a three-letter extension stays.
        if (x == u"." && i + 1 == out.size() - 3)
            continue;
        // A growing replacement stops at the length limit (a command list that repeats it, or
        // an empty x, would otherwise double the name again and again).
        if (y.size() > x.size() && out.size() + y.size() - x.size() > kMaxInsertedName)
            break;
        out.replace(i, x.size(), y.toString());
        i += y.size();
    }
    return out;
}

QString ReplaceFirst(QStringView name, QStringView x, QStringView y)
{
    QString out = name.toString();
    if (x.isEmpty())
        return out;
    const qsizetype at = out.indexOf(x);
    if (at >= 0)
        out.replace(at, x.size(), y.toString());
    return out;
}

QString RemoveGroupName(QStringView name)
{
    QString out = name.toString();
    const qsizetype n = out.size();
    const qsizetype dot = out.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : out.mid(dot);
    // 1-based positions, as the rule is stated.
    const qsizetype p = extension.isEmpty() ? n : out.indexOf(extension) + 1;
    qsizetype i = 0;
    for (qsizetype k = p; k >= 1; --k) {
        if (out[k - 1] == u'-') {
            i = k;
            break;
        }
    }
    if (i == 0 || i == n || p - i + 1 > 6 || out[i] == u' ')
        return out;
    while (i <= out.size() && out[i - 1] != u'.')
        out.remove(i - 1, 1);
    return out;
}

QString CutToNumber(QStringView name)
{
    for (qsizetype i = 0; i + 2 < name.size(); ++i) {
        if (isDigit(name[i]) && isDigit(name[i + 1]))
            return name.sliced(i).toString();
    }
    return name.toString();
}

QString Unbracket(QStringView name, UnbracketRule rule, UnbracketPlace place)
{
    QString s = name.toString();
    if (rule == UnbracketRule::Numbers && place == UnbracketPlace::Front) {
        if (!s.isEmpty() && isOpening(s[0]))
            s.remove(0, 1);
        if (s.size() >= 3 && isClosing(s[2]))
            s.remove(2, 1);
        return s;
    }
    if (rule == UnbracketRule::Numbers) {
        const qsizetype n = s.size() - 3; // fixed before the loop
        for (qsizetype i = 0; i < n; ++i) {
            if (i + 3 < s.size() && isOpening(s[i]) && isDigit(s[i + 1]) && isDigit(s[i + 2]) &&
                isClosing(s[i + 3])) {
                s.remove(i, 1);
                s.remove(i + 2, 1);
            }
        }
        return s;
    }
    // Any pair; the searches keep out of the last four characters (the extension).
    const auto find = [&](qsizetype from, bool (*is)(QChar)) -> qsizetype {
        for (qsizetype i = from; i < s.size() - 4; ++i) {
            if (is(s[i]))
                return i;
        }
        return -1;
    };
    if (place == UnbracketPlace::Front) {
        if (!s.isEmpty() && isOpening(s[0]))
            s.remove(0, 1);
        if (const qsizetype at = find(1, isClosing); at >= 0)
            s.remove(at, 1);
        return s;
    }
    if (const qsizetype at = find(0, isOpening); at >= 0)
        s.remove(at, 1);
    if (const qsizetype at = find(0, isClosing); at >= 0)
        s.remove(at, 1);
    return s;
}

QString CollapseSpaces(QStringView name)
{
    QString out;
    out.reserve(name.size());
    for (QChar c : name) {
        if (c == u' ' && out.endsWith(u' '))
            continue;
        out += c;
    }
    return out;
}

QString PadNumber(QStringView name)
{
    if (!name.isEmpty() && isDigit(name[0]) && (name.size() == 1 || !isDigit(name[1])))
        return u'0' + name.toString();
    return name.toString();
}

QString InsertBeforeCapitals(QStringView name, QStringView text)
{
    QString out = name.toString();
    for (qsizetype i = 0; i < out.size() - 1;) {
        if (isCapital(out[i]) && out.size() + text.size() <= kMaxInsertedName) {
            out.insert(i, text);
            i += text.size() + 1;
        } else {
            ++i;
        }
    }
    return out;
}

QString EditAtPosition(QStringView name, qint64 position, qint64 count, PositionEdit edit,
                       QStringView blank)
{
    QString out = name.toString();
    if (count <= 0)
        return out;
    if (edit == PositionEdit::Delete) {
        if (position < 1 || position > out.size())
            return out;
        out.remove(qsizetype(position - 1), qsizetype(qMin<qint64>(count, out.size())));
        return out;
    }
    const qsizetype at = qsizetype(qBound<qint64>(1, position, out.size() + 1) - 1);
    if (blank.isEmpty())
        return out;
    const qint64 room = (kMaxInsertedName - out.size()) / blank.size();
    QString inserted;
    for (qint64 k = 0; k < qMin(count, qMax<qint64>(room, 0)); ++k)
        inserted += blank;
    out.insert(at, inserted);
    return out;
}

QString SwapArtistTitle(QStringView name, QStringView separator, QStringView blank)
{
    QString s = name.toString();
    const qsizetype n = s.size();
    if (separator.size() != 1 || n == 0)
        return s;
    const QChar sep = separator[0];
    const auto isJoint = [&](QChar c) { return c == sep || (!blank.isEmpty() && c == blank[0]); };
    qsizetype i = 0;
    while (i < n - 1 && isDigit(s[i]))
        ++i;
    if (i < n && s[i] == u' ')
        ++i;
    qsizetype at = -1;
    for (qsizetype k = i; k < n - 1; ++k) {
        if (s[k] == sep) {
            at = k;
            break;
        }
    }
    if (at < 0)
        return s;
    QString artist = s.mid(i, at - i);
    while (!artist.isEmpty() && isJoint(artist.back()))
        artist.chop(1);
    s.remove(i, artist.size());
    qsizetype jointEnd = i;
    while (jointEnd < s.size() && isJoint(s[jointEnd]))
        ++jointEnd;
    const QString joint = s.mid(i, jointEnd - i);
    s.remove(i, joint.size());
    const qsizetype dot = s.lastIndexOf(u'.');
    s.insert(dot < 0 ? s.size() : dot, joint + artist);
    return s;
}

QString AddToNumber(QStringView name, qint64 increment)
{
    const std::optional<qint32> number =
        parsePlatformInteger(name.first(qMin<qsizetype>(2, name.size())));
    if (!number)
        return name.toString();
    const qint64 sum = qint64(*number) + increment;
    const QString text = QString::number(sum);
    return (sum < 10 ? u"0"_s + text : text) + name.mid(2);
}

QString ChangeCase(QStringView name, QStringView mode)
{
    if (mode.size() < 2)
        return name.toString();
    enum class Mode
    {
        Sentence,
        Word,
        Upper,
        Lower
    } m;
    if (mode[0].isUpper() && mode[1].isLower())
        m = mode.size() == 3 && mode[2].isLower() ? Mode::Sentence : Mode::Word;
    else if (mode[0].isUpper() && mode[1].isUpper())
        m = Mode::Upper;
    else if (mode[0].isLower() && mode[1].isLower())
        m = Mode::Lower;
    else
        return name.toString();
    if (m == Mode::Upper)
        return QLocale().toUpper(name.toString());
    if (m == Mode::Lower)
        return QLocale().toLower(name.toString());
    qsizetype i = 0;
    while (i < name.size() - 1 && isLead(name[i]))
        ++i;
    if (i >= name.size() - 1)
        return name.toString();
    return m == Mode::Sentence ? sentenceCase(name, i) : wordCase(name, i);
}

QString SpaceParts(QStringView name, QStringView separator, QStringView filler)
{
    const QString joint = filler + separator + filler;
    return ReplaceEvery(name, separator, joint);
}

bool RenameActionOptions::anyChecked() const
{
    return removeGroupName || replaceChars || cutToNumber || unbracket || collapseSpaces ||
           padNumber || insertBeforeCapitals || replaceText || editAtPosition || swapArtistTitle ||
           addToNumber || changeCase || spaceParts;
}

QString blankReplacementFor(const QString& boxText)
{
    if (boxText == u"Leerzeichen")
        return u" "_s;
    if (boxText == u"Unterstriche")
        return u"_"_s;
    if (boxText == u"Punkte")
        return u"."_s;
    return boxText;
}

QString replaceWhatText(const QString& comboText)
{
    if (comboText == u"Unterstriche")
        return u"_"_s;
    if (comboText == u"Punkte")
        return u"."_s;
    return comboText;
}

QString replaceWithText(const QString& comboText)
{
    if (comboText == u"Leerzeichen")
        return u" "_s;
    if (comboText == u"nichts")
        return {};
    return comboText;
}

QString fillerText(const QString& comboText)
{
    if (comboText == u"Leerzeichen")
        return u" "_s;
    if (comboText == u"Punkte")
        return u"."_s;
    return comboText;
}

QString caseModeOfItem(int index)
{
    static const QString modes[4] = {u"Aaa"_s, u"Aa"_s, u"AA"_s, u"aa"_s};
    return index >= 0 && index < 4 ? modes[index] : QString();
}

Status checkRenameActions(const RenameActionOptions& o)
{
    const auto bad = [](const QString& what, const QString& text) {
        return Status(ErrorCode::InvalidArgument,
                      u"'%1' is not a valid integer value (%2)"_s.arg(text, what));
    };
    if (o.editAtPosition && !o.position.isEmpty() && !o.count.isEmpty()) {
        if (!fieldNumber(o.position))
            return bad(u"position"_s, o.position);
        if (!fieldNumber(o.count))
            return bad(u"count"_s, o.count);
    }
    if (o.addToNumber && !fieldNumber(o.increment))
        return bad(u"increment"_s, o.increment);
    return {};
}

QString ApplyRenameActions(QStringView name, const RenameActionOptions& o)
{
    QString s = name.toString();
    if (o.removeGroupName)
        s = RemoveGroupName(s);
    if (o.replaceChars)
        s = ReplaceEvery(s, o.replaceWhat, o.replaceWith);
    if (o.cutToNumber)
        s = CutToNumber(s);
    if (o.unbracket)
        s = Unbracket(s, o.unbracketRule, o.unbracketPlace);
    if (o.collapseSpaces)
        s = CollapseSpaces(s);
    if (o.padNumber)
        s = PadNumber(s);
    if (o.insertBeforeCapitals)
        s = InsertBeforeCapitals(s, o.capitalsText);
    if (o.replaceText)
        s = o.replaceFirstOnly ? ReplaceFirst(s, o.search, o.replacement)
                               : ReplaceEvery(s, o.search, o.replacement);
    if (o.editAtPosition && !o.position.isEmpty() && !o.count.isEmpty()) {
        const auto position = fieldNumber(o.position);
        const auto count = fieldNumber(o.count);
        if (position && count)
            s = EditAtPosition(s, *position, *count, o.positionEdit, o.blankReplacement);
    }
    if (o.swapArtistTitle)
        s = SwapArtistTitle(s, o.separator, o.blankReplacement);
    if (o.addToNumber) {
        if (const auto increment = fieldNumber(o.increment))
            s = AddToNumber(s, *increment);
    }
    if (o.changeCase && !o.caseMode.isEmpty())
        s = ChangeCase(s, o.caseMode);
    if (o.spaceParts)
        s = SpaceParts(s, o.separator, o.partsFiller);
    return s;
}

QString targetInDirectory(const QString& entry, const QString& newName)
{
    return addTrailingSeparator(directoryOf(entry)) + confinedName(newName);
}

RenameBatch BuildActionBatch(const FileSet& files, const RenameActionOptions& options)
{
    RenameBatch batch;
    for (const QString& entry : files) {
        const QString name = ReplaceIllegalChars(ApplyRenameActions(fileNameOf(entry), options));
        batch.append(entry, targetInDirectory(entry, name));
    }
    return batch;
}

QString examplePrefix()
{
    return u"Beispiel: "_s;
}

QString actionExample(QStringView name, const RenameActionOptions& options)
{
    return examplePrefix() + ReplaceIllegalChars(ApplyRenameActions(name, options));
}

QString noActionsMessage()
{
    return u"Keine Aktionen gewählt - NIX ZU TUN :("_s;
}

QString noFilesMessage()
{
    return u"Keine Datei[n] gewählt - NIX ZU TUN :("_s;
}

} // namespace varnolite
