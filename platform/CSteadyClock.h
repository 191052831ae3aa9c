// The clock over std::chrono::steady_clock.
#pragma once

#include "platform/IClock.h"

class CSteadyClock : public IClock {
public:
    int64_t Ticks() const override;
    int64_t TicksPerSecond() const override;
};
