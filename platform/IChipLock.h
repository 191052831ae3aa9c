// The lock shared by every process that drives the monitor chip, taken around
// each single register transfer.
#pragma once

class IChipLock {
public:
    virtual ~IChipLock() = default;
    // Waits without a time-out until the lock is held. False when the lock
    // could not be taken at all (the transfer then goes ahead unguarded).
    virtual bool Acquire() = 0;
    virtual void Release() = 0;
};
