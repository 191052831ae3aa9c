// Test double of the chip lock: counts acquisitions and releases and knows
// whether the lock is held. SetBusy makes every acquisition time out.
#pragma once

#include "platform/IChipLock.h"

class CCountingChipLock : public IChipLock {
public:
    ChipLockResult Acquire() override {
        ++m_acquires;
        if (m_busy) return ChipLockResult::kBusy;
        ++m_depth;
        if (m_depth > m_maxDepth) m_maxDepth = m_depth;
        return ChipLockResult::kHeld;
    }
    void Release() override {
        ++m_releases;
        --m_depth;
    }
    void SetBusy(bool busy) { m_busy = busy; }
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
    bool m_busy = false;
};
