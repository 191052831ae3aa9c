// Which registers a chip has, by the identification the service read from
// it. Registers 0x00..0x7F exist on every part; 0x50..0x5F (and the vendor
// byte 0x4F) are banked and exist only in the banks the part has; only the
// W83791D has registers 0x80..0xFF, and it is reached over SMBus only.
// On the ISA interface bit 7 of the address port is the busy flag, so an
// address with bit 7 set would land on the register without it there
// (0xC0 on 0x40, the reset): such addresses never exist behind ISA ports.
#pragma once

#include <cstdint>

#include "chipproto/ChipFrame.h"

class CChipRegisterMap {
public:
    // Before a chip is known: banks 0..7 and no register at or above 0x80.
    CChipRegisterMap() = default;
    CChipRegisterMap(uint8_t banks, bool highRegisters) : m_banks(banks), m_highRegisters(highRegisters) {}

    // The map of the part with that identification (0x58, or 0x4E on the
    // alternate parts); an unknown part gets the common map of the family.
    static CChipRegisterMap ForChip(uint8_t chipId, bool alternateId);

    // Whether the bank byte's register exists. sevenBitAddresses: the
    // interface cannot address registers 0x80..0xFF (ISA ports).
    bool Has(const ChipFrame::CRegisterAddress& address, bool sevenBitAddresses) const;
    bool HasBank(uint8_t bank) const { return (m_banks >> (bank & 0x07)) & 1; }

private:
    uint8_t m_banks = 0xFF;
    bool m_highRegisters = false;
};
