// The chip on an SMBus adapter through i2c-dev (/dev/i2c-N): every register,
// 0x4E included, is an SMBus byte-data read or write at the chip's 7-bit
// address, which must lie in the chips' range 0x28..0x2F.
#pragma once

#include "tools/kelvane-chipd/IChipBackend.h"

class CSmbusBackend : public IChipBackend {
public:
    static constexpr uint8_t kFirstAddress = 0x28;
    static constexpr uint8_t kLastAddress = 0x2F;

    CSmbusBackend(std::string devicePath, uint8_t address) : m_path(std::move(devicePath)), m_address(address) {}
    ~CSmbusBackend() override;
    CSmbusBackend(const CSmbusBackend&) = delete;
    CSmbusBackend& operator=(const CSmbusBackend&) = delete;

    static bool ValidAddress(int address) { return address >= kFirstAddress && address <= kLastAddress; }

    bool Open() override;
    bool ReadRegister(uint8_t reg, uint8_t& value) override;
    bool WriteRegister(uint8_t reg, uint8_t value) override;
    std::string Describe() const override;
    std::string Problem() const override { return m_problem; }

private:
    std::string m_path;
    uint8_t m_address;
    int m_fd = -1;
    std::string m_problem;
};
