// SPDX-License-Identifier: GPL-3.0-or-later
#include "namedcombobox.h"

#include "namedcomboboxaccessible.h"

#include <QAccessible>
#include <QKeyEvent>
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
    // The list hands a Return the edit part left to it back to the edit part,
    // which would raise returnPressed() twice; the key itself comes once.
    edit->installEventFilter(this);
}

bool NamedComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            Q_EMIT textEntered(lineEdit()->text().trimmed());
    }
    return QComboBox::eventFilter(watched, event);
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
