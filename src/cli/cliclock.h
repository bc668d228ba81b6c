#pragma once

#include "platform/clock.h"
#include "platform/steadyclock.h"

// The session's clock on the command line: steady time until the run is
// interrupted; from then on every reading is far beyond the one before, so
// each wait the session is in or starts ends at its next look.
class CliClock final : public Clock
{
public:
    double seconds() const override;

    void runOut() { m_runOut = true; }

private:
    static constexpr double kLeap = 1e6;

    SteadyClock m_steady;
    bool m_runOut = false;
    mutable double m_leaps = 0;
};
