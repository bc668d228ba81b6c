// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "receivelayout.h"

#include <QString>

#include <vector>

// A bounded excerpt of the receive box's text exactly as shown, for assistive
// technology: the rows on screen and up to kRowsAround rows before and after
// them, in text or hex view, with a map between its characters and the held
// bytes. In text view a line break is a line feed and wrapping adds nothing;
// in hex view each row is a line. Control bytes appear as the box shows them,
// so the text never holds a NUL.
class ShownExcerpt final
{
public:
    static constexpr int kRowsAround = 100;

    // How one excerpt becomes the next: first the head goes, then the rest of
    // the old text past the common part, then the new text is inserted there.
    struct Change
    {
        QString head;
        int kept = 0; // characters the two have in common, after the head
        QString removed;
        QString inserted;
    };

    ShownExcerpt() = default;
    // The excerpt around a box whose top row starts at `top` and which shows
    // `visibleRows` rows.
    static ShownExcerpt around(const ReceiveLayout &layout, qint64 top, int visibleRows);

    const QString &text() const { return m_text; }
    bool isEmpty() const { return m_rows.empty(); }
    // Where the held byte at the offset shows; offsets outside give an end.
    int position(qint64 offset) const;
    // The held byte a character shows, or the one after the excerpt's end.
    qint64 offset(int position) const;

    static Change between(const ShownExcerpt &before, const ShownExcerpt &after);

private:
    struct Piece
    {
        int position = 0; // of the row's first character
        ReceiveLayout::Row row;
    };

    void append(const ReceiveLayout &layout, const ReceiveLayout::Row &row, bool last);
    const Piece *pieceAt(qint64 offset) const;

    QString m_text;
    std::vector<Piece> m_rows;
    bool m_hex = false;
    qint64 m_end = 0;
};
