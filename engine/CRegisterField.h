// One chip quantity of up to two register parts. Part 1 holds the low-order
// bits: register Addr1 of bank Bank1, bits StartBit1 .. StartBit1 +
// NumOfBits1 - 1; part 2 the high-order bits in the same way. TotalBits 0
// means the field is absent: reads give 0 and nothing is touched.
#pragma once

#include <cstdint>

class CMonitorChip;

class CRegisterField {
public:
    void Define(uint8_t totalBits, uint8_t bank1, uint8_t addr1, uint8_t numOfBits1, uint8_t startBit1,
                uint8_t bank2, uint8_t addr2, uint8_t numOfBits2, uint8_t startBit2);
    // Back to absent and undefined.
    void Reset();
    void Attach(CMonitorChip* chip);

    // Part 1 + part 2 x 2^NumOfBits1, each part read after selecting its bank.
    double Read() const;
    // Composes both bytes first (reading a register only when its part is
    // narrower than 8 bits), then selects each part's bank and writes it.
    void Write(double value) const;

    // Present fields are those with a register: limit and beep writers skip
    // the others.
    bool IsPresent() const { return m_addr1 != 0; }
    bool IsDefined() const { return m_defined; }
    bool IsAttached() const { return m_attached; }
    CMonitorChip* Chip() const { return m_chip; }

    uint8_t TotalBits() const { return m_totalBits; }
    uint8_t Bank1() const { return m_bank1; }
    uint8_t Addr1() const { return m_addr1; }
    uint8_t NumOfBits1() const { return m_numOfBits1; }
    uint8_t StartBit1() const { return m_startBit1; }
    uint8_t Bank2() const { return m_bank2; }
    uint8_t Addr2() const { return m_addr2; }
    uint8_t NumOfBits2() const { return m_numOfBits2; }
    uint8_t StartBit2() const { return m_startBit2; }

private:
    uint8_t m_totalBits = 0;
    uint8_t m_bank1 = 0;
    uint8_t m_addr1 = 0;
    uint8_t m_numOfBits1 = 0;
    uint8_t m_startBit1 = 0;
    uint8_t m_bank2 = 0;
    uint8_t m_addr2 = 0;
    uint8_t m_numOfBits2 = 0;
    uint8_t m_startBit2 = 0;
    bool m_defined = false;
    CMonitorChip* m_chip = nullptr;
    bool m_attached = false;
};
