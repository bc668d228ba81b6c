#include "namedcombobox.h"

#include "namedcomboboxaccessible.h"

#include <QAccessible>

NamedComboBox::NamedComboBox(QWidget *parent)
    : QComboBox(parent)
{
    // Installing the same factory again does nothing.
    QAccessible::installFactory(&NamedComboBoxAccessible::create);
}
