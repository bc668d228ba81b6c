// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringList>

#include <limits>

// The line rules of the address file, without any file access. Bytes map to
// characters of the same code both ways.
class AddressLines
{
public:
    // The longest line the list takes: far beyond an address, short enough
    // that no list is slowed down by it.
    static constexpr qsizetype kLongestEntry = 64;

    struct Entries
    {
        QStringList lines;
        // The numbers, from 1, of the lines left out as too long.
        QList<qsizetype> skipped;
    };

    // A line ends at CR or at CR LF (one terminator). A lone LF stays in the
    // line. A last line without a terminator is a line too.
    static QStringList split(const QByteArray &content);
    // The same lines, but those longer than longest are left out (and never
    // copied) and their numbers kept.
    static Entries entries(QByteArrayView content,
                           qsizetype longest = std::numeric_limits<qsizetype>::max());

    // The bytes that append one entry to a file whose content ends in tail
    // (its last two bytes, fewer for a shorter file): a CR LF first when the
    // last line is unterminated by the rules above, so the new entry never
    // joins it.
    static QByteArray appendBytes(const QString &entry, const QByteArray &tail);

    // True when every character of the text fits in one byte.
    static bool isStorable(const QString &entry);
};
