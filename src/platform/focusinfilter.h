#pragma once

#include <QObject>

#include <functional>

// Runs a handler whenever the watched control receives the input focus.
class FocusInFilter final : public QObject
{
    Q_OBJECT

public:
    FocusInFilter(QObject *watched, std::function<void()> handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_handler;
};
