// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/tagtext.h"

#include "core/textcodec.h"

namespace varnolite {

QString TrimTagText(QString text)
{
    qsizetype n = text.size();
    while (n > 0 && (text[n - 1] == u'\0' || text[n - 1] == u' '))
        --n;
    text.truncate(n);
    return text;
}

QByteArray PadTagText(QStringView text, int width)
{
    QByteArray bytes = encodeWindows1252(text);
    if (bytes.size() > width)
        bytes.truncate(width);
    else
        bytes.append(width - bytes.size(), '\0');
    return bytes;
}

qsizetype tagTextLength(QStringView text)
{
    return encodeWindows1252(text).size();
}

} // namespace varnolite
