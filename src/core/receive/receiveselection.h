// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "receivestore.h"

#include <QString>

// The receive box's selection: an anchor where it began and a caret where it
// ends, as absolute offsets (see ReceiveStore). Read back, both lie within
// the held bytes, whatever was dropped since.
class ReceiveSelection final
{
public:
    explicit ReceiveSelection(const ReceiveStore &store);

    void select(qint64 anchor, qint64 caret);
    // Moves the caret to the offset; the anchor goes with it unless `extend`.
    void moveCaret(qint64 offset, bool extend);
    // The line that holds the offset, with its line break.
    void selectLine(qint64 offset);
    // Keeps anchor and caret within the held bytes.
    void clamp();
    void clear() { m_anchor = m_caret = 0; }

    qint64 start() const;
    qint64 end() const;
    bool isEmpty() const { return start() == end(); }
    // The received bytes behind the selection, one character per byte.
    QString text() const;

private:
    const ReceiveStore &m_store;
    qint64 m_anchor = 0;
    qint64 m_caret = 0;
};
