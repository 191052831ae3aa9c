// Told just before a register of the chip is written, so that whatever must
// be on disk before that register changes (its as-found bits) gets there.
// False when it could not get there: the write must not happen, since the
// chip could then not be handed back as it was found.
#pragma once

#include <cstdint>

class IChipWriteGuard {
public:
    virtual ~IChipWriteGuard() = default;
    virtual bool BeforeWrite(uint8_t reg) = 0;
};
