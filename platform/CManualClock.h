// Test double of the clock: time moves only when the test advances it.
#pragma once

#include "platform/IClock.h"

class CManualClock : public IClock {
public:
    explicit CManualClock(int64_t ticksPerSecond = 1000, int64_t start = 1) : m_rate(ticksPerSecond), m_now(start) {}
    int64_t Ticks() const override { return m_now; }
    int64_t TicksPerSecond() const override { return m_rate; }
    void Advance(int64_t ticks) { m_now += ticks; }
    void AdvanceSeconds(double seconds) { m_now += static_cast<int64_t>(seconds * static_cast<double>(m_rate)); }

private:
    int64_t m_rate;
    int64_t m_now;
};
