// SPDX-License-Identifier: GPL-3.0-or-later
#include "engines/piecetable.h"

namespace varnolite {

void CutByPattern(QString v, QString w, PieceTable& table, PieceEnd end)
{
    while (v.contains(u'%')) {
        table.append(Texpstrarr{});
        const qsizetype q = v.indexOf(u'%');
        if (q == v.size() - 1) {
            v.remove(q, 1);
            continue;
        }
        Texpstrarr& record = table.back();
        record.key = v[q + 1];
        record.used = true;
        const QString literal = v.left(q);
        if (!literal.isEmpty()) {
            if (const qsizetype at = w.indexOf(literal); at >= 0)
                w.remove(0, at + literal.size());
        }
        v.remove(0, q + 2);

        const qsizetype next = v.indexOf(u'%');
        qsizetype stop;
        if (const qsizetype at = next > 0 ? w.indexOf(QStringView(v).first(next)) : -1; at >= 1)
            stop = at;
        else if (end == PieceEnd::TextEnd)
            stop = w.size();
        else if (const qsizetype dot = w.lastIndexOf(u'.'); dot >= 0)
            stop = dot;
        else
            stop = w.size();
        // A literal that ends the pattern ends the value where it first occurs.
        if (next < 0 && !v.isEmpty())
            stop = qMax<qsizetype>(w.indexOf(v), 0);
        record.value = w.left(stop);
    }
}

QString FillFromPieces(QStringView pattern, const PieceTable& table)
{
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != u'%') {
            out += pattern[i];
            continue;
        }
        if (i + 1 >= pattern.size())
            break;
        const QChar key = pattern[++i];
        for (const Texpstrarr& record : table) {
            if (record.used && record.key == key) {
                out += record.value;
                break;
            }
        }
    }
    return out;
}

} // namespace varnolite
