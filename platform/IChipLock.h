// The lock shared by every process that drives the monitor chip, taken around
// each single register transfer.
#pragma once

#include <string>

class IChipLock {
public:
    virtual ~IChipLock() = default;
    // Waits without a time-out until the lock is held. False when the lock
    // could not be taken at all (the transfer then goes ahead unguarded).
    virtual bool Acquire() = 0;
    virtual void Release() = 0;
    // The lock's file, which every driver of the chip agrees on, so files
    // that the drivers share can live beside it; empty for a lock that is
    // not a file (a test double): such files are then kept in memory.
    virtual const std::string& Path() const {
        static const std::string kNone;
        return kNone;
    }
};
