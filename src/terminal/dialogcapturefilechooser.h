#pragma once

#include "capturefilechooser.h"

// Asks with the platform's save-file dialog.
class DialogCaptureFileChooser final : public CaptureFileChooser
{
public:
    QString chooseCaptureFile(QWidget *parent) override;
};
