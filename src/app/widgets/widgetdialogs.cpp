// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgetdialogs.h"

#include <QInputDialog>
#include <QMessageBox>

WidgetDialogs::WidgetDialogs(QWidget *parent)
    : m_parent(parent)
{}

void WidgetDialogs::messageBox(const QString &prompt, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Ok, m_parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
}

QString WidgetDialogs::inputBox(const QString &prompt, const QString &title)
{
    QInputDialog box(m_parent);
    box.setObjectName(QStringLiteral("InputBox"));
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(QString());
    if (box.exec() != QDialog::Accepted)
        return {};
    return box.textValue();
}
