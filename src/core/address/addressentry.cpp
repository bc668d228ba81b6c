// SPDX-License-Identifier: GPL-3.0-or-later
#include "addressentry.h"

QString AddressEntry::normalize(const QString &typed)
{
    QString upper = typed;
    // Character by character, so that every character keeps its place and a
    // one-byte character stays one byte.
    for (QChar &c : upper) {
        const QChar mapped = c.toUpper();
        if (mapped.unicode() <= 0xFF || c.unicode() > 0xFF)
            c = mapped;
    }
    qsizetype first = 0;
    qsizetype last = upper.size();
    while (first < last && upper.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && upper.at(last - 1) == QLatin1Char(' '))
        --last;
    return upper.mid(first, last - first);
}

std::array<QString, 4> AddressEntry::pieces(const QString &address)
{
    std::array<QString, 4> result;
    for (qsizetype i = 0; i < 4; ++i)
        result[static_cast<size_t>(i)] = address.mid(2 * i, 2);
    return result;
}
