// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "serial/commrelay.h"

#include <QByteArray>
#include <QList>

#include <functional>

// The real serial component (talking to the simulated modem) with a record of
// each write the program makes, as one chunk, in order.
class RecordingComm final : public CommRelay
{
    Q_OBJECT

public:
    using CommRelay::CommRelay;

    void setOutput(const QString &text) override;

    QList<QByteArray> writes;
    // Runs after every write, with the bytes written.
    std::function<void(const QByteArray &)> onWrite;
};
