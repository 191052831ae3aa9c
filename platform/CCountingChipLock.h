// Test double of the chip lock: counts acquisitions and releases and knows
// whether the lock is held.
#pragma once

#include "platform/IChipLock.h"

class CCountingChipLock : public IChipLock {
public:
    bool Acquire() override {
        ++m_acquires;
        ++m_depth;
        if (m_depth > m_maxDepth) m_maxDepth = m_depth;
        return true;
    }
    void Release() override {
        ++m_releases;
        --m_depth;
    }
    int Acquires() const { return m_acquires; }
    int Releases() const { return m_releases; }
    bool IsHeld() const { return m_depth > 0; }
    // Above 1 when a transfer took the lock while already holding it.
    int MaxDepth() const { return m_maxDepth; }

private:
    int m_acquires = 0;
    int m_releases = 0;
    int m_depth = 0;
    int m_maxDepth = 0;
};
