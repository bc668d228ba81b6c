// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "configfilechooser.h"

// Asks with the platform's save-file and open-file dialogs.
class DialogConfigFileChooser final : public ConfigFileChooser
{
public:
    QString chooseConfigFile(QWidget *parent, Purpose purpose, const QString &folder) override;
};
