#pragma once

#include <QComboBox>

// A list that screen readers know by its accessible name, as they know a
// text box. Qt's own interface for lists on Linux gives the chosen item as the
// name, so a reader would announce "38400" where it should say "Baud Rate".
class NamedComboBox final : public QComboBox
{
    Q_OBJECT

public:
    explicit NamedComboBox(QWidget *parent);
};
