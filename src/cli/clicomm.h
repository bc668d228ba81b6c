// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "serial/commrelay.h"
#include "system/failure.h"

#include <optional>

// The serial component as the command line hands it to the session: the real
// one, with a note of why the last open failed, which the session shows only
// in a message box.
class CliComm final : public CommRelay
{
    Q_OBJECT

public:
    using CommRelay::CommRelay;

    void setSettings(const QString &settings) override;
    void setCommPort(int portNumber) override;
    void setPortOpen(bool open) override;

    // The failure that stopped the last open, with the component's number and
    // description.
    const std::optional<Failure> &openFailure() const { return m_openFailure; }

private:
    template<typename Step>
    void opening(Step step);

    std::optional<Failure> m_openFailure;
};
