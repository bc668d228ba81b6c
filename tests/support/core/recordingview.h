// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "modem/modemview.h"

#include <QMap>
#include <QStringList>

#include <array>

// The session's view in memory: it keeps what the session shows and records
// the status texts and pointer changes in order.
class RecordingView final : public ModemView
{
public:
    QString fieldText(int field) const override;
    void setFieldText(int field, const QString &text) override;
    void setBytesReceived(const QString &text) override { bytesReceived = text; }
    QString statusText() const override { return status; }
    void setStatusText(const QString &text) override;
    void setShortStatus(const QString &text, const QString &whole) override;
    QString wholeStatus() const override { return whole; }
    void setBusyPointer(bool isBusy) override;
    void setButtonEnabled(Button button, bool enabled) override { buttons[button] = enabled; }
    void setConnectCaption(const QString &caption) override { connectCaption = caption; }
    void echoReceived(const QString &chunk) override { echoed += chunk; }
    QString baudRateText() const override { return baudRate; }
    void showTerminalPage() override { ++terminalPageShown; }

    // The twelve field texts joined by blanks, for compact comparisons.
    QString fieldLine() const;
    void setFields(const QStringList &texts);

    std::array<QString, kFieldCount> fields;
    QString bytesReceived;
    QString status;
    QStringList statusHistory;
    // The whole text behind the last status, as the window's tool tip holds it.
    QString whole;
    QStringList wholeHistory;
    bool busy = false;
    int busyChanges = 0;
    QMap<Button, bool> buttons;
    QString connectCaption;
    QString echoed;
    QString baudRate = QStringLiteral("38400");
    int terminalPageShown = 0;
};
