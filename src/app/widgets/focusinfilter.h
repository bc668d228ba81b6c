// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

// Runs a handler whenever the watched control receives the input focus, with
// the reason it came (a click, Tab, a shortcut).
class FocusInFilter final : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(Qt::FocusReason reason)>;

    FocusInFilter(QObject *watched, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler m_handler;
};
