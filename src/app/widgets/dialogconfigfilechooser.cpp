// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogconfigfilechooser.h"

#include <QDir>
#include <QFileDialog>

namespace {
const QString kFilter = QStringLiteral("Configurations (*.json);;All files (*)");
} // namespace

QString DialogConfigFileChooser::chooseConfigFile(QWidget *parent, Purpose purpose,
                                                  const QString &folder)
{
    switch (purpose) {
    case Purpose::Save:
        // The name miran-cli's examples use, in the folder last used.
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Configuration"),
                                            QDir(folder).filePath(QStringLiteral("modem.json")),
                                            kFilter);
    case Purpose::Open:
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Open Configuration"), folder,
                                            kFilter);
    case Purpose::Compare:
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Compare with Configuration"),
                                            folder, kFilter);
    }
    return {};
}
