// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "modemconfig.h"

#include <QList>
#include <QString>

// What the modem session shows and reads in its window, and no more: the
// twelve configuration fields, the byte count, the status text, the busy
// pointer, the buttons' states, the terminal's receive box and the baud rate
// chosen. A front end without a window implements it too.
class ModemView
{
public:
    // The buttons whose enabled state follows the connection.
    enum class Button
    {
        Command1, // "+++"
        Command2, // "Set"
        Command3, // "Refresh"
        Command4, // "- - -"
        Command5, // "Clear"
        Command6, // "Add"
    };

    static constexpr int kFieldCount = ModemConfig::kByteCount;

    // A field whose value the modem reports otherwise than a Set sent it.
    using Difference = ModemConfig::Difference;

    virtual ~ModemView() = default;

    // Text1 to Text12, in packet order (0 to 11).
    virtual QString fieldText(int field) const = 0;
    virtual void setFieldText(int field, const QString &text) = 0;
    // The "Bytes Received" box.
    virtual void setBytesReceived(const QString &text) = 0;
    // The status bar's text; every writer replaces the whole text.
    virtual QString statusText() const = 0;
    virtual void setStatusText(const QString &text) = 0;
    // A status too long for the bar: the short text in the bar, the whole
    // text where the user can read it (the window's tool tip). A view that
    // shows everything whole may show the whole text alone.
    virtual void setShortStatus(const QString &text, const QString &whole)
    {
        Q_UNUSED(whole);
        setStatusText(text);
    }
    // The whole text behind the status shown: the status text itself, or the
    // whole text given with a short one.
    virtual QString wholeStatus() const { return statusText(); }
    // The hourglass while an operation with the modem runs.
    virtual void setBusyPointer(bool busy) = 0;
    virtual void setButtonEnabled(Button button, bool enabled) = 0;
    // "Connect" or "Disconnect".
    virtual void setConnectCaption(const QString &caption) = 0;
    // Received characters while the terminal echo is on.
    virtual void echoReceived(const QString &chunk) = 0;
    // The baud rate as chosen, read when the port opens.
    virtual QString baudRateText() const = 0;
    // Brings the Terminal page to the front.
    virtual void showTerminalPage() = 0;
    // After the read-back that follows a Set decoded: the fields the modem did
    // not take, right after their texts were set. Never called for a Set the
    // modem took entirely. A view without marks ignores it: the status text
    // already gives the count.
    virtual void markNotTaken(const QList<Difference> &differences) { Q_UNUSED(differences); }
};
