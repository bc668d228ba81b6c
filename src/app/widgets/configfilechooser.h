// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// Asks the user for a configuration file to save to, open or compare with;
// tests answer with a path.
class ConfigFileChooser
{
public:
    enum class Purpose
    {
        Save,
        Open,
        Compare,
    };

    virtual ~ConfigFileChooser() = default;
    // The dialog starts in folder. Returns the chosen file, or an empty text
    // when the user cancelled.
    virtual QString chooseConfigFile(QWidget *parent, Purpose purpose, const QString &folder) = 0;
};
