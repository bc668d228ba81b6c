// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The modal boxes the program shows. Every box has an OK button only and no
// icon; tests replace the real boxes with a recorder.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    virtual void messageBox(const QString &prompt, const QString &title) = 0;
    // Returns the entered text, or an empty text when the box is cancelled.
    virtual QString inputBox(const QString &prompt, const QString &title) = 0;
};
