#include "tools/kelvane-chipd/CChipRegisterMap.h"

namespace {

constexpr uint8_t Banks(std::initializer_list<int> banks) {
    uint8_t mask = 0;
    for (int bank : banks) mask = static_cast<uint8_t>(mask | (1u << bank));
    return mask;
}

}  // namespace

CChipRegisterMap CChipRegisterMap::ForChip(uint8_t chipId, bool alternateId) {
    // The parts with the alternate identification have no banks but 0.
    if (alternateId) return {Banks({0}), false};
    switch (chipId) {
    case 0x10:  // W83781D
    case 0x11:
        return {Banks({0, 1, 2}), false};
    case 0x40:  // W83783S: no temp3, so no bank 2
        return {Banks({0, 1, 4}), false};
    case 0x60:  // W83697HF
        return {Banks({0, 1, 4, 5}), false};
    case 0x70:  // W83791D: everything in bank 0, and registers up to 0xFF
    case 0x71:
        return {Banks({0}), true};
    default:  // W83782D, W83627HF, W83637HF and parts not known here
        return {Banks({0, 1, 2, 4, 5}), false};
    }
}

bool CChipRegisterMap::Has(const ChipFrame::CRegisterAddress& address, bool sevenBitAddresses) const {
    if (address.reg & 0x80) return m_highRegisters && !sevenBitAddresses;
    return !ChipFrame::BankMatters(address.reg) || HasBank(address.bank);
}
