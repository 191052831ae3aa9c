// Told just before a register of the chip is written, so that whatever must
// be on disk before that register changes (its as-found bits) gets there.
#pragma once

#include <cstdint>

class IChipWriteGuard {
public:
    virtual ~IChipWriteGuard() = default;
    virtual void BeforeWrite(uint8_t reg) = 0;
};
