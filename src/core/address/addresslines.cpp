// SPDX-License-Identifier: GPL-3.0-or-later
#include "addresslines.h"

#include <algorithm>

QStringList AddressLines::split(const QByteArray &content)
{
    return entries(content).lines;
}

AddressLines::Entries AddressLines::entries(QByteArrayView content, qsizetype longest)
{
    Entries entries;
    const auto take = [&](qsizetype start, qsizetype end) {
        if (end - start > longest)
            entries.skipped.append(entries.lines.size() + entries.skipped.size() + 1);
        else
            entries.lines.append(QString::fromLatin1(content.sliced(start, end - start)));
    };
    qsizetype lineStart = 0;
    const qsizetype size = content.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (content.at(i) != '\r')
            continue;
        take(lineStart, i);
        if (i + 1 < size && content.at(i + 1) == '\n')
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < size)
        take(lineStart, size);
    return entries;
}

QByteArray AddressLines::appendBytes(const QString &entry, const QByteArray &tail)
{
    QByteArray bytes;
    const bool terminated = tail.isEmpty() || tail.endsWith('\r') || tail.endsWith("\r\n");
    if (!terminated)
        bytes += "\r\n";
    bytes += entry.toLatin1();
    bytes += "\r\n";
    return bytes;
}

bool AddressLines::isStorable(const QString &entry)
{
    return std::all_of(entry.cbegin(), entry.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
}
