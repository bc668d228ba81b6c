#include "namedcombobox.h"

#include "namedcomboboxaccessible.h"

#include <QAccessible>
#include <QLineEdit>

NamedComboBox::NamedComboBox(QWidget *parent)
    : QComboBox(parent)
{
    // Installing the same factory again does nothing.
    QAccessible::installFactory(&NamedComboBoxAccessible::create);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!m_editingEnds)
            Q_EMIT itemChosen(index);
    });
}

void NamedComboBox::showChoiceInEditPart()
{
    auto *edit = new QLineEdit(this);
    edit->setPalette(palette());
    edit->setReadOnly(true);
    useEditPart(edit);
}

void NamedComboBox::acceptTypedText()
{
    auto *edit = new QLineEdit(this);
    useEditPart(edit);
    setInsertPolicy(QComboBox::NoInsert);
    connect(edit, &QLineEdit::returnPressed, this,
            [this, edit] { Q_EMIT textEntered(edit->text().trimmed()); });
}

void NamedComboBox::useEditPart(QLineEdit *edit)
{
    // The list's own set-up of an edit part first, then the edit part whose
    // editing's end can be told apart.
    setEditable(true);
    // Slots run in the order they were connected: the flag is up while the
    // list's own handler of the editing's end runs, which is connected by
    // setLineEdit() between these two.
    connect(edit, &QLineEdit::editingFinished, this, [this] { m_editingEnds = true; });
    setLineEdit(edit);
    connect(edit, &QLineEdit::editingFinished, this, [this] { m_editingEnds = false; });
    // Completion would choose items from partly typed text.
    setCompleter(nullptr);
}
