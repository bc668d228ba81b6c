// SPDX-License-Identifier: GPL-3.0-or-later
#include "receiveselection.h"

#include <algorithm>

ReceiveSelection::ReceiveSelection(const ReceiveStore &store)
    : m_store(store)
{}

void ReceiveSelection::select(qint64 anchor, qint64 caret)
{
    m_anchor = anchor;
    m_caret = caret;
    clamp();
}

void ReceiveSelection::moveCaret(qint64 offset, bool extend)
{
    if (!extend)
        m_anchor = offset;
    m_caret = offset;
}

void ReceiveSelection::selectLine(qint64 offset)
{
    const qint64 next = m_store.nextLineStart(offset);
    select(m_store.lineStart(offset), next < 0 ? m_store.end() : next);
}

void ReceiveSelection::clamp()
{
    m_anchor = std::clamp(m_anchor, m_store.begin(), m_store.end());
    m_caret = std::clamp(m_caret, m_store.begin(), m_store.end());
}

qint64 ReceiveSelection::start() const
{
    return std::clamp(std::min(m_anchor, m_caret), m_store.begin(), m_store.end());
}

qint64 ReceiveSelection::end() const
{
    return std::clamp(std::max(m_anchor, m_caret), m_store.begin(), m_store.end());
}

QString ReceiveSelection::text() const
{
    const QByteArrayView bytes = m_store.slice(start(), end());
    return QString::fromLatin1(bytes.data(), bytes.size());
}
