// SPDX-License-Identifier: GPL-3.0-or-later
#include "keypressfilter.h"

#include <QKeyEvent>

#include <utility>

namespace {
bool movesFocus(const QKeyEvent &key)
{
    return (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) &&
           !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}
} // namespace

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
    // (arrows, function keys) never do. Tab and Shift+Tab move the focus, as
    // everywhere in the window; Ctrl+I still yields the tab character.
    if (key->text().size() != 1 || key->key() == Qt::Key_Delete || movesFocus(*key))
        return false;
    int keyAscii = key->text().front().unicode();
    m_handler(keyAscii);
    return keyAscii == 0;
}
