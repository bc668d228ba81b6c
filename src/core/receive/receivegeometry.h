// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "receivelayout.h"

#include <QPoint>
#include <QRect>
#include <QRectF>

#include <vector>

// Where the held bytes sit in the receive box, without fonts: the layout
// gives each byte's advance in text view; the frame says which row is at the
// top, where the text starts, how far the hex view is scrolled across and
// how wide a hex column and how high a row is. Maps a point to the offset it
// falls on and an offset to the rectangle of its byte.
class ReceiveGeometry final
{
public:
    using Row = ReceiveLayout::Row;

    struct Frame
    {
        qint64 top = 0;    // where the top row starts
        int textLeft = 0;  // where a row's text starts, past margin and stamps
        int scroll = 0;    // scrolled across, in hex view
        int rowHeight = 1; // at least 1
        int height = 0;    // of the visible part
        qreal hexCell = 1; // one hex view column
    };

    // A stretch of a text row drawn alike, where it is drawn. A selected line
    // break is a run without bytes, a space wide, after the row's text.
    struct Run
    {
        qint64 from = 0;
        qint64 to = 0;
        QRectF rect;
        bool selected = false;
    };

    ReceiveGeometry(const ReceiveLayout &layout, const Frame &frame);

    // The rows on screen, top down, one every row height; a row cut at the
    // bottom counts.
    std::vector<Row> rowsOnScreen() const;

    // The offset before which a click puts the caret. Above the box it is
    // the top row's start, below the last row the end of the held bytes.
    qint64 offsetAt(const QPoint &point) const;
    // The offset a click at `x` falls on within the row: in text view the
    // gap between characters nearest to it, in hex view the byte whose hex
    // digits or character it is on. Past the end it gives the row's end.
    qint64 offsetInRow(const Row &row, int x) const;
    // The byte's character (its hex digits in hex view) on screen: an empty
    // rectangle after the row's text for a line break, a null one for a byte
    // not on screen.
    QRect byteRect(qint64 offset) const;
    // The width of the held bytes in [from, to) in text view.
    qreal textWidth(qint64 from, qint64 to) const;
    // The text row at `y` in runs before, in and after the selection
    // [from, to); empty ones left out.
    std::vector<Run> textRuns(const Row &row, int y, qint64 from, qint64 to) const;
    // In hex view, the hex digits and then the character of each byte of the
    // row at `y` within [from, to).
    std::vector<QRectF> hexSelection(const Row &row, int y, qint64 from, qint64 to) const;

private:
    qint64 hexOffsetInRow(const Row &row, int x) const;
    QRect byteRectInRow(const Row &row, int y, qint64 offset) const;
    qreal hexLeft(int index) const;
    qreal charLeft(int index) const;

    const ReceiveLayout &m_layout;
    Frame m_frame;
};
