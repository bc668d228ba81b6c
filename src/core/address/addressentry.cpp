// SPDX-License-Identifier: GPL-3.0-or-later
#include "addressentry.h"

#include <algorithm>

namespace {
bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}
} // namespace

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

std::optional<quint32> AddressEntry::value(const QString &text)
{
    if (!hasValidLength(text) || !std::all_of(text.cbegin(), text.cend(), isHexDigit))
        return std::nullopt;
    return text.toUInt(nullptr, 16);
}

QString AddressEntry::text(quint32 address)
{
    return QStringLiteral("%1").arg(address, kLength, 16, QLatin1Char('0')).toUpper();
}

std::array<QString, AddressEntry::kBytes> AddressEntry::pieces(const QString &address)
{
    std::array<QString, kBytes> result;
    for (qsizetype i = 0; i < kBytes; ++i)
        result[static_cast<size_t>(i)] = address.mid(2 * i, 2);
    return result;
}
