// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// Asks the user for the file a capture goes to; tests answer with a path.
class CaptureFileChooser
{
public:
    virtual ~CaptureFileChooser() = default;
    // Returns the chosen file, or an empty text when the user cancelled.
    virtual QString chooseCaptureFile(QWidget *parent) = 0;
};
