// SPDX-License-Identifier: GPL-3.0-or-later
#include "namedcomboboxaccessible.h"

#include "namedcombobox.h"

#include <QAbstractItemView>
#include <QLineEdit>

NamedComboBoxAccessible::NamedComboBoxAccessible(QComboBox *combo)
    : QAccessibleWidget(combo, QAccessible::ComboBox)
{}

QAccessibleInterface *NamedComboBoxAccessible::create(const QString &className, QObject *object)
{
    auto *combo = qobject_cast<NamedComboBox *>(object);
    if (!combo || className != QLatin1String(NamedComboBox::staticMetaObject.className()))
        return nullptr;
    return new NamedComboBoxAccessible(combo);
}

QComboBox *NamedComboBoxAccessible::combo() const
{
    return static_cast<QComboBox *>(widget());
}

int NamedComboBoxAccessible::childCount() const
{
    return combo()->lineEdit() ? 2 : 1;
}

QAccessibleInterface *NamedComboBoxAccessible::child(int index) const
{
    if (index == 0)
        return QAccessible::queryAccessibleInterface(combo()->view());
    if (index == 1 && combo()->lineEdit())
        return QAccessible::queryAccessibleInterface(combo()->lineEdit());
    return nullptr;
}

int NamedComboBoxAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    if (child->object() == combo()->view())
        return 0;
    if (combo()->lineEdit() && child->object() == combo()->lineEdit())
        return 1;
    return -1;
}

QAccessibleInterface *NamedComboBoxAccessible::focusChild() const
{
    // The list is its edit part's focus proxy, so the edit part never holds
    // the focus itself; a reader still wants the caret there.
    return combo()->lineEdit() ? child(1) : nullptr;
}

QString NamedComboBoxAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return combo()->currentText();
    return QAccessibleWidget::text(kind);
}

QAccessible::State NamedComboBoxAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.expandable = true;
    state.expanded = combo()->view()->isVisible();
    return state;
}

QStringList NamedComboBoxAccessible::actionNames() const
{
    return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
}

void NamedComboBoxAccessible::doAction(const QString &actionName)
{
    if (actionName == showMenuAction() || actionName == pressAction()) {
        if (combo()->view()->isVisible())
            combo()->hidePopup();
        else
            combo()->showPopup();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}
