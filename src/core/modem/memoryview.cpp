// SPDX-License-Identifier: GPL-3.0-or-later
#include "memoryview.h"

MemoryView::MemoryView(const QString &baudRate)
    : m_baudRate(baudRate)
{
    m_fields.fill(ModemConfig::kUnread);
}

QString MemoryView::fieldText(int field) const
{
    return field >= 0 && field < kFieldCount ? m_fields.at(static_cast<size_t>(field)) : QString();
}

void MemoryView::setFieldText(int field, const QString &text)
{
    if (field >= 0 && field < kFieldCount)
        m_fields.at(static_cast<size_t>(field)) = text;
}

void MemoryView::setShortStatus(const QString &text, const QString &whole)
{
    m_status = text;
    m_whole = whole;
}
