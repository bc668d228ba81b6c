// SPDX-License-Identifier: GPL-3.0-or-later
#include "hexrow.h"

namespace {
constexpr int kOffsetDigits = 8;
constexpr int kGap = 2;
constexpr char kDigits[] = "0123456789ABCDEF";
} // namespace

int HexRow::hexColumn(int index)
{
    // Two spaces after the offset, one between bytes, one more after eight.
    return kOffsetDigits + kGap + index * 3 + (index >= kBytes / 2 ? 1 : 0);
}

int HexRow::charColumn(int index)
{
    return hexColumn(kBytes - 1) + 2 + kGap + index;
}

int HexRow::width()
{
    return charColumn(kBytes);
}

QString HexRow::format(qint64 offset, QByteArrayView bytes)
{
    QString row(width(), QLatin1Char(' '));
    for (int digit = kOffsetDigits - 1; digit >= 0; --digit) {
        row[digit] = QLatin1Char(kDigits[offset & 0xF]);
        offset >>= 4;
    }
    const auto count = static_cast<int>(std::min<qsizetype>(bytes.size(), kBytes));
    for (int i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        row[hexColumn(i)] = QLatin1Char(kDigits[byte >> 4]);
        row[hexColumn(i) + 1] = QLatin1Char(kDigits[byte & 0xF]);
        const bool printable = byte >= 0x20 && byte < 0x7F;
        row[charColumn(i)] = QLatin1Char(printable ? char(byte) : '.');
    }
    row.truncate(charColumn(count));
    return row;
}
