#include "platform/CSteadyClock.h"

#include <chrono>

int64_t CSteadyClock::Ticks() const {
    return static_cast<int64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

int64_t CSteadyClock::TicksPerSecond() const {
    using Period = std::chrono::steady_clock::period;
    return static_cast<int64_t>(Period::den / Period::num);
}
