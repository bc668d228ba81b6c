// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>

class QLineEdit;

// A list that screen readers know by its accessible name, as they know a
// text box. Qt's own interface for lists on Linux gives the chosen item as the
// name, so a reader would announce "38400" where it should say "Baud Rate".
//
// It also tells the user's choice apart from the edit part's editing ending:
// an editable QComboBox raises activated() when its edit part loses the focus
// (Tab, a click elsewhere, the window closing) or takes Return while its text
// names another item. itemChosen() is raised only for a choice made with the
// mouse or the keys in the list.
class NamedComboBox final : public QComboBox
{
    Q_OBJECT

public:
    explicit NamedComboBox(QWidget *parent);

    // Gives the list an edit part that shows the choice and takes no typing.
    void showChoiceInEditPart();
    // Gives the list an edit part the user may also type a value into, which
    // Return hands out as textEntered(); nothing typed becomes an item.
    void acceptTypedText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

Q_SIGNALS:
    void itemChosen(int index);
    void textEntered(const QString &text);

private:
    void useEditPart(QLineEdit *edit);

    bool m_editingEnds = false;
};
