// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "modemconfig.h"
#include "modemview.h"

#include <QString>

// The session's view in memory, for a front end without a window and for a
// scan's tries: the field texts, the byte count and the status are kept to be
// read; buttons, pointer, echo and pages have nothing to show.
class MemoryView final : public ModemView
{
public:
    explicit MemoryView(const QString &baudRate = {});

    QString fieldText(int field) const override;
    void setFieldText(int field, const QString &text) override;
    void setBytesReceived(const QString &text) override { m_bytesReceived = text; }
    QString statusText() const override { return m_status; }
    void setStatusText(const QString &text) override { setShortStatus(text, text); }
    void setShortStatus(const QString &text, const QString &whole) override;
    QString wholeStatus() const override { return m_whole; }
    void setBusyPointer(bool) override {}
    void setButtonEnabled(Button, bool) override {}
    void setConnectCaption(const QString &) override {}
    void echoReceived(const QString &) override {}
    QString baudRateText() const override { return m_baudRate; }
    void showTerminalPage() override {}

    void setBaudRateText(const QString &rate) { m_baudRate = rate; }
    const ModemConfig::Texts &fieldTexts() const { return m_fields; }
    const QString &bytesReceived() const { return m_bytesReceived; }

private:
    ModemConfig::Texts m_fields;
    QString m_status;
    QString m_whole;
    QString m_bytesReceived;
    QString m_baudRate;
};
