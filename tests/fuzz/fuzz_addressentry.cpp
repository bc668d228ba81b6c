// SPDX-License-Identifier: GPL-3.0-or-later
// The rules for typed destination addresses: any bytes as UTF-16 text (so
// characters beyond one byte and lone surrogates come too) through normalize
// and pieces.
#include "fuzzcheck.h"

#include "address/addressentry.h"
#include "address/addresslines.h"

#include <array>
#include <cstdint>

using fuzzcheck::require;

namespace {

QString utf16(const std::uint8_t *data, std::size_t size)
{
    QString text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.append(QChar(static_cast<char16_t>(data[i] | data[i + 1] << 8)));
    return text;
}

qsizetype spacesAtFront(const QString &text)
{
    qsizetype count = 0;
    while (count < text.size() && text.at(count) == QLatin1Char(' '))
        ++count;
    return count;
}

// Each kept character is the typed one or its upper case, in the same place;
// a one-byte character stays one byte and a to z always become A to Z.
void checkCharacter(QChar typed, QChar kept)
{
    require(kept == typed || kept == typed.toUpper(), "a character is kept or upper-cased");
    require(typed.unicode() > 0xFF || kept.unicode() <= 0xFF, "a one-byte character stays one");
    if (typed >= QLatin1Char('a') && typed <= QLatin1Char('z'))
        require(kept == typed.toUpper(), "a to z become upper case");
}

void checkNormalize(const QString &typed, const QString &address)
{
    require(AddressEntry::normalize(address) == address, "normalizing twice changes nothing");
    require(!address.startsWith(QLatin1Char(' ')) && !address.endsWith(QLatin1Char(' ')),
            "no space at either end");
    const qsizetype front = spacesAtFront(typed);
    if (front == typed.size()) {
        require(address.isEmpty(), "spaces only normalize to nothing");
        return;
    }
    qsizetype back = 0;
    while (typed.at(typed.size() - 1 - back) == QLatin1Char(' '))
        ++back;
    require(address.size() == typed.size() - front - back, "only the spaces at the ends go");
    for (qsizetype i = 0; i < address.size(); ++i)
        checkCharacter(typed.at(front + i), address.at(i));
    require(!AddressLines::isStorable(typed) || AddressLines::isStorable(address),
            "a storable text stays storable");
}

void checkPieces(const QString &address)
{
    const std::array<QString, AddressEntry::kBytes> pieces = AddressEntry::pieces(address);
    QString joined;
    for (const QString &piece : pieces) {
        require(piece.size() <= 2, "a piece has two characters at most");
        joined += piece;
    }
    require(joined == address.left(AddressEntry::kLength), "the pieces are the first eight");
    if (AddressEntry::hasValidLength(address)) {
        for (const QString &piece : pieces)
            require(piece.size() == 2, "a valid address has four full pieces");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString typed = utf16(data, size);
    const QString address = AddressEntry::normalize(typed);
    checkNormalize(typed, address);
    checkPieces(address);
    checkPieces(typed);
    return 0;
}
