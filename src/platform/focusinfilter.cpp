#include "focusinfilter.h"

#include <QEvent>

#include <utility>

FocusInFilter::FocusInFilter(QObject *watched, std::function<void()> handler)
    : QObject(watched)
    , m_handler(std::move(handler))
{
    watched->installEventFilter(this);
}

bool FocusInFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn)
        m_handler();
    return QObject::eventFilter(watched, event);
}
