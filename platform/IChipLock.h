// The lock shared by every process that drives the monitor chip, taken around
// each register transfer, or around a bank selection and the transfers in
// that bank as one critical section.
#pragma once

#include <string>

enum class ChipLockResult {
    kHeld,
    // The lock could not be taken at all (no usable lock file): the transfer
    // goes ahead unguarded, as it would with no peer around.
    kUnguarded,
    // A peer kept the lock beyond the wait's bound: the transfer fails.
    kBusy,
};

class IChipLock {
public:
    virtual ~IChipLock() = default;
    // Waits a bounded time for the lock. Release is called only after kHeld.
    virtual ChipLockResult Acquire() = 0;
    virtual void Release() = 0;
    // The lock's file, which every driver of the chip agrees on, so files
    // that the drivers share can live beside it; empty for a lock that is
    // not a file (a test double): such files are then kept in memory.
    virtual const std::string& Path() const {
        static const std::string kNone;
        return kNone;
    }
};
