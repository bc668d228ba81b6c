#pragma once

#include "eventpump.h"

class QtEventPump final : public EventPump
{
public:
    void processEvents(std::chrono::milliseconds maxWait) override;
};
