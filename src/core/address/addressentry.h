// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>
#include <optional>

// A destination or module address: four bytes, written as two hexadecimal
// digits a byte, the first byte first. The shape is checked, read, written
// and split here and nowhere else, as are the rules for addresses typed into
// "Add" and chosen from the address list.
class AddressEntry
{
public:
    static constexpr int kBytes = 4;
    // The digits of a written address.
    static constexpr int kLength = 2 * kBytes;

    // Upper case, then without leading and trailing spaces; inner blanks stay.
    static QString normalize(const QString &typed);
    static bool hasValidLength(const QString &address) { return address.size() == kLength; }

    // The address, when the text is exactly an address's digits in either
    // case: no sign, prefix or blank.
    static std::optional<quint32> value(const QString &text);
    // The address as upper-case digits, leading zeros kept.
    static QString text(quint32 address);

    // Characters 1-2, 3-4, 5-6 and 7-8: the address's bytes.
    // A piece past the end of the text is cut short or empty.
    static std::array<QString, kBytes> pieces(const QString &address);
};
