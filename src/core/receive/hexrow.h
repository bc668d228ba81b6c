// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

// One row of the hex view: the offset, up to 16 bytes in hex and the bytes
// that are printable ASCII, others as a dot. A short row keeps the columns.
class HexRow final
{
public:
    static constexpr int kBytes = 16;

    static QString format(qint64 offset, QByteArrayView bytes);
    // Characters in a full row.
    static int width();
    // Where the hex digits and the characters of byte `index` start.
    static int hexColumn(int index);
    static int charColumn(int index);
};
