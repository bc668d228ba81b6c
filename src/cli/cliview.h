#pragma once

#include "modem/modemview.h"

#include <QStringList>

// The session's view for the command line: the field texts and the status are
// kept in memory for the command to read; buttons, pointer and echo have
// nothing to show.
class CliView final : public ModemView
{
public:
    explicit CliView(qint32 baudRate);

    QString fieldText(int field) const override;
    void setFieldText(int field, const QString &text) override;
    void setBytesReceived(const QString &text) override { m_bytesReceived = text; }
    QString statusText() const override { return m_status; }
    void setStatusText(const QString &text) override { m_status = text; }
    void setBusyPointer(bool) override {}
    void setButtonEnabled(Button, bool) override {}
    void setConnectCaption(const QString &) override {}
    void echoReceived(const QString &) override {}
    QString baudRateText() const override { return m_baudRate; }
    void showTerminalPage() override {}

    const QStringList &fieldTexts() const { return m_fields; }
    void setFieldTexts(const QStringList &texts);
    const QString &bytesReceived() const { return m_bytesReceived; }

private:
    QStringList m_fields;
    QString m_status;
    QString m_bytesReceived;
    QString m_baudRate;
};
