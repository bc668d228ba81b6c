// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>

// The rules for destination addresses typed into "Add" and chosen from the
// address list.
class AddressEntry
{
public:
    static constexpr int kLength = 8;

    // Upper case, then without leading and trailing spaces; inner blanks stay.
    static QString normalize(const QString &typed);
    static bool hasValidLength(const QString &address) { return address.size() == kLength; }

    // Characters 1-2, 3-4, 5-6 and 7-8: the four destination address bytes.
    // A piece past the end of the text is cut short or empty.
    static std::array<QString, 4> pieces(const QString &address);
};
