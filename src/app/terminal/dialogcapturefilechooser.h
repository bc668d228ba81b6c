// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capturefilechooser.h"

// Asks with the platform's save-file dialog.
class DialogCaptureFileChooser final : public CaptureFileChooser
{
public:
    QString chooseCaptureFile(QWidget *parent) override;
};
