#pragma once

#include <QStringList>

class Form1Ui;
class QComboBox;

// The texts tests compare: the twelve configuration fields in packet order,
// and the items of a list.
QStringList fieldTexts(const Form1Ui &ui);
void setFields(Form1Ui &ui, const QStringList &texts);
QStringList items(const QComboBox *combo);
