// SPDX-License-Identifier: GPL-3.0-or-later
#include "controltexts.h"

#include "shell/form1ui.h"

#include <QComboBox>
#include <QLineEdit>

QStringList fieldTexts(const Form1Ui &ui)
{
    QStringList texts;
    for (const QLineEdit *field : ui.configFields())
        texts.append(field->text());
    return texts;
}

void setFields(Form1Ui &ui, const QStringList &texts)
{
    const auto fields = ui.configFields();
    for (size_t i = 0; i < fields.size(); ++i)
        fields[i]->setText(texts.at(static_cast<qsizetype>(i)));
}

QStringList items(const QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}
