// A performance-counter-like clock: a monotonic tick count and its rate.
#pragma once

#include <cstdint>

class IClock {
public:
    virtual ~IClock() = default;
    virtual int64_t Ticks() const = 0;
    virtual int64_t TicksPerSecond() const = 0;
};
