#include "namedcomboboxaccessible.h"

#include "namedcombobox.h"

#include <QAbstractItemView>

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
