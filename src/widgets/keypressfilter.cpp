#include "keypressfilter.h"

#include <QKeyEvent>

#include <utility>

KeyPressFilter::KeyPressFilter(QObject *watched, Handler handler)
    : QObject(watched)
    , m_handler(std::move(handler))
{
    watched->installEventFilter(this);
}

bool KeyPressFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    // Delete moves nothing through the character path; keys without text
    // (arrows, function keys) never do.
    if (key->text().size() != 1 || key->key() == Qt::Key_Delete)
        return false;
    int keyAscii = key->text().front().unicode();
    m_handler(keyAscii);
    return keyAscii == 0;
}
