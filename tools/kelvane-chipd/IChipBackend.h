// How kelvane-chipd reaches the chip: one register at a time, through the
// chip's own interface (its two ISA ports or its SMBus address).
#pragma once

#include <cstdint>
#include <string>

class IChipBackend {
public:
    virtual ~IChipBackend() = default;
    // Takes the access the transfers need (port permission, bus device);
    // false, with Problem() saying why, when it cannot be had.
    virtual bool Open() = 0;
    virtual bool ReadRegister(uint8_t reg, uint8_t& value) = 0;
    virtual bool WriteRegister(uint8_t reg, uint8_t value) = 0;
    // "ISA ports 0x295/0x296", "SMBus /dev/i2c-0 address 0x2d", ...
    virtual std::string Describe() const = 0;
    virtual std::string Problem() const { return {}; }
    // Called after the service wrote its as-found record back: a backend
    // that changed more than the registers record puts that back too.
    virtual void RestoreAsFound() {}
};
