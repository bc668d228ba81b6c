// SPDX-License-Identifier: GPL-3.0-or-later
#include "focusinfilter.h"

#include <QFocusEvent>

#include <utility>

FocusInFilter::FocusInFilter(QObject *watched, Handler handler)
    : QObject(watched)
    , m_handler(std::move(handler))
{
    watched->installEventFilter(this);
}

bool FocusInFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn)
        m_handler(static_cast<QFocusEvent *>(event)->reason());
    return QObject::eventFilter(watched, event);
}
