// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

// Hands the character of every key press that yields one to a handler, which
// may set the code to 0 to discard the key before the control sees it. Tab and
// Shift+Tab are never handed over: they move the focus.
class KeyPressFilter final : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(int &keyAscii)>;

    KeyPressFilter(QObject *watched, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler m_handler;
};
