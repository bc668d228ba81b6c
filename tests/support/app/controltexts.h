// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class Form1Ui;
class QComboBox;

// The texts tests compare: the twelve configuration fields in packet order,
// and the items of a list.
// What the twelve fields show when no reply filled them.
inline const QStringList kUnreadFields(12, QStringLiteral("??"));

QStringList fieldTexts(const Form1Ui &ui);
void setFields(Form1Ui &ui, const QStringList &texts);
QStringList items(const QComboBox *combo);
