// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "system/dialogs.h"

#include <QList>
#include <QStringList>

#include <functional>

// Dialogs that record what the window shows instead of showing it. Input
// boxes answer from a queue, as if the user typed and pressed OK.
class RecordingDialogs final : public Dialogs
{
public:
    struct Box
    {
        QString prompt;
        QString title;
        bool operator==(const Box &other) const = default;
    };

    void messageBox(const QString &prompt, const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title) override;

    QList<Box> messages;
    QList<Box> inputs;
    // What the next input boxes return; an empty queue answers as Cancel.
    QStringList answers;
    // Runs while a message box is "open", as the modal loop would.
    std::function<void()> whileOpen;
};

char *toString(const RecordingDialogs::Box &box);
