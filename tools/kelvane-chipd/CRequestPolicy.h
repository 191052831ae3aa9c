// What the service agrees to do to the chip. Every register the chip has
// may be read (CChipRegisterMap); any other address is refused, reads
// included. Writes are refused where they would take the chip out of the
// service's hands or stop it from watching:
// - 0x4E (bank select and vendor-byte select): the service selects the bank
//   of each operation itself and puts it back afterwards;
// - 0x4F (vendor value) and 0x58 of bank 0 (identification): read-only on
//   every part;
// - 0x40 with bit 7 set (a chip reset, which would wipe every register the
//   as-found record is meant to restore) or bit 0 clear (monitoring stopped:
//   every reading and alarm would freeze at its last value);
// - anything at all while the chip is shared read-only beside a driver.
// A bank byte may carry only the bank (bits 2..0) and the vendor-byte
// select (bit 7). Whether a peer may write at all is its right, checked by
// the service.
#pragma once

#include "chipproto/ChipFrame.h"
#include "tools/kelvane-chipd/CChipRegisterMap.h"

class CRequestPolicy {
public:
    // sevenBitAddresses: the chip is reached through ISA ports, whose
    // address port cannot carry register addresses 0x80..0xFF.
    explicit CRequestPolicy(bool readOnly, bool sevenBitAddresses = false)
        : m_readOnly(readOnly), m_sevenBit(sevenBitAddresses) {}

    // The chip the service identified.
    void SetChip(const CChipRegisterMap& map) { m_map = map; }

    ChipFrame::Status CheckRead(const ChipFrame::CRegisterAddress& address) const;
    ChipFrame::Status CheckWrite(const ChipFrame::CRegisterAddress& address, uint8_t value) const;
    bool ReadOnly() const { return m_readOnly; }

    static bool IsBanked(uint8_t reg) { return ChipFrame::BankMatters(reg); }

private:
    bool m_readOnly;
    bool m_sevenBit;
    CChipRegisterMap m_map;
};
