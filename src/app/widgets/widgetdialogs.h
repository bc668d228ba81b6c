// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "system/dialogs.h"

#include <QPointer>
#include <QWidget>

class WidgetDialogs final : public Dialogs
{
public:
    explicit WidgetDialogs(QWidget *parent = nullptr);

    void setParent(QWidget *parent) { m_parent = parent; }

    void messageBox(const QString &prompt, const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title) override;

private:
    QPointer<QWidget> m_parent;
};
