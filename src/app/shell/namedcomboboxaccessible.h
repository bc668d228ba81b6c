// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class QComboBox;

// The accessibility interface of a NamedComboBox: its name is the accessible
// name, its value the chosen item, and it opens its list on request. Its
// children are those of Qt's own list interface: the list of items first, then
// the edit part when there is one, so a screen reader can read every choice.
class NamedComboBoxAccessible final : public QAccessibleWidget
{
public:
    explicit NamedComboBoxAccessible(QComboBox *combo);

    // The factory Qt asks for every object; it answers only for a NamedComboBox.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *focusChild() const override;
    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    QComboBox *combo() const;
};
