// What the service agrees to do to the chip. Reads of any register are
// served; writes are refused where they would take the chip out of the
// service's hands:
// - 0x4E (bank select and vendor-byte select): the service selects the bank
//   of each operation itself and puts it back afterwards;
// - 0x4F (vendor value) and 0x58 of bank 0 (identification): read-only on
//   every part;
// - 0x40 with bit 7 set: a chip reset, which would wipe every register the
//   as-found record is meant to restore;
// - anything at all while the chip is shared read-only beside a driver.
// A bank byte may carry only the bank (bits 2..0) and the vendor-byte
// select (bit 7).
#pragma once

#include "chipproto/ChipFrame.h"

class CRequestPolicy {
public:
    explicit CRequestPolicy(bool readOnly) : m_readOnly(readOnly) {}

    ChipFrame::Status CheckRead(const ChipFrame::CRegisterAddress& address) const;
    ChipFrame::Status CheckWrite(const ChipFrame::CRegisterAddress& address, uint8_t value) const;
    bool ReadOnly() const { return m_readOnly; }

    static bool IsBanked(uint8_t reg) { return ChipFrame::BankMatters(reg); }

private:
    bool m_readOnly;
};
