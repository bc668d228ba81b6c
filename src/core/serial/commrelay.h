// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commcontrol.h"

// A serial component that hands every operation and event on to another one.
// Front ends and tests derive from it to watch one operation and leave the
// rest as they are.
class CommRelay : public CommControl
{
    Q_OBJECT

public:
    explicit CommRelay(CommControl &port, QObject *parent = nullptr);

    void setSettings(const QString &settings) override;
    void setCommPort(int portNumber) override;
    bool portOpen() const override;
    void setPortOpen(bool open) override;
    void setOutput(const QString &text) override;
    QString input() override;
    QString inputWaiting() override;

private:
    CommControl &m_port;
};
