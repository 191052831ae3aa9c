#include "engine/CRegisterField.h"

#include <cmath>

#include "engine/CMonitorChip.h"

namespace {

struct Part {
    uint8_t bank;
    uint8_t addr;
    uint8_t bits;
    uint8_t start;
};

// A register is one byte: wider parts and start bits past bit 7 are cut to
// what a byte can hold, so that a damaged descriptor never shifts past the
// width of the type.
unsigned Mask(uint8_t bits) { return bits >= 8 ? 0xFFu : ((1u << bits) - 1u); }

unsigned ShiftRight(unsigned byte, uint8_t start) { return start >= 8 ? 0u : (byte >> start); }

unsigned ShiftLeft(unsigned bits, uint8_t start) { return start >= 8 ? 0u : ((bits << start) & 0xFFu); }

// The part's share of a value, truncated toward zero; values beyond any
// register's reach saturate instead of overflowing the conversion.
long long Truncate(double share) {
    if (std::isnan(share)) return 0;
    constexpr double kReach = 9.0e15;
    if (share > kReach) share = kReach;
    if (share < -kReach) share = -kReach;
    return static_cast<long long>(share);
}

}  // namespace

void CRegisterField::Define(uint8_t totalBits, uint8_t bank1, uint8_t addr1, uint8_t numOfBits1, uint8_t startBit1,
                            uint8_t bank2, uint8_t addr2, uint8_t numOfBits2, uint8_t startBit2) {
    m_totalBits = totalBits;
    m_bank1 = bank1;
    m_addr1 = addr1;
    m_numOfBits1 = numOfBits1;
    m_startBit1 = startBit1;
    m_bank2 = bank2;
    m_addr2 = addr2;
    m_numOfBits2 = numOfBits2;
    m_startBit2 = startBit2;
    m_defined = true;
}

void CRegisterField::Reset() {
    Define(0, 0, 0, 0, 0, 0, 0, 0, 0);
    m_defined = false;
}

void CRegisterField::Attach(CMonitorChip* chip) {
    m_chip = chip;
    m_attached = chip != nullptr;
}

double CRegisterField::Read() const {
    if (m_totalBits == 0 || !m_chip) return 0.0;
    CMonitorChip::LockHold hold(*m_chip);
    const Part parts[2] = {{m_bank1, m_addr1, m_numOfBits1, m_startBit1},
                           {m_bank2, m_addr2, m_numOfBits2, m_startBit2}};
    unsigned values[2] = {0, 0};
    unsigned widthSoFar = 0;
    for (int i = 0; i < 2 && widthSoFar < m_totalBits; ++i) {
        m_chip->SelectBank(parts[i].bank);
        unsigned byte = m_chip->ReadRegister(parts[i].addr);
        values[i] = ShiftRight(byte, parts[i].start) & Mask(parts[i].bits);
        widthSoFar += parts[i].bits;
    }
    return static_cast<double>(values[0]) + static_cast<double>(values[1]) * std::ldexp(1.0, m_numOfBits1);
}

void CRegisterField::Write(double value) const {
    if (m_totalBits == 0 || !m_chip) return;
    // The bytes of a partial field are read, merged and written back in one
    // critical section, so a peer's write in between is not undone.
    CMonitorChip::LockHold hold(*m_chip);
    const Part parts[2] = {{m_bank1, m_addr1, m_numOfBits1, m_startBit1},
                           {m_bank2, m_addr2, m_numOfBits2, m_startBit2}};
    const double shares[2] = {value, value / std::ldexp(1.0, m_numOfBits1)};
    uint8_t bytes[2] = {0, 0};
    int composed = 0;
    unsigned widthSoFar = 0;
    for (int i = 0; i < 2 && widthSoFar < m_totalBits; ++i) {
        unsigned base = 0;
        // A full-byte part replaces the whole register, so it is not read.
        if (parts[i].bits < 8) {
            m_chip->SelectBank(parts[i].bank);
            base = m_chip->ReadRegister(parts[i].addr);
        }
        unsigned mask = Mask(parts[i].bits);
        unsigned share = static_cast<unsigned>(Truncate(shares[i])) & mask;
        bytes[i] = static_cast<uint8_t>(ShiftLeft(share, parts[i].start) | (base & ~ShiftLeft(mask, parts[i].start)));
        widthSoFar += parts[i].bits;
        ++composed;
    }
    for (int i = 0; i < composed; ++i) {
        m_chip->SelectBank(parts[i].bank);
        m_chip->WriteRegister(parts[i].addr, bytes[i]);
    }
}
