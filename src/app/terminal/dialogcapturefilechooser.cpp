// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogcapturefilechooser.h"

#include <QFileDialog>

QString DialogCaptureFileChooser::chooseCaptureFile(QWidget *parent)
{
    return QFileDialog::getSaveFileName(
        parent, QStringLiteral("Capture Received Bytes"), QString(),
        QStringLiteral("Capture files (*.bin *.log *.txt);;All files (*)"));
}
