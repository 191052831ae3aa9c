// An in-memory chip for the service's own tests: registers 0x50..0x5F banked
// by 0x4E bits 2..0, 0x4F answering the vendor bytes by 0x4E bit 7, and a log
// of every transfer the service makes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/kelvane-chipd/IChipBackend.h"

class CFakeRegisterBackend : public IChipBackend {
public:
    struct CTransfer {
        bool write;
        uint8_t reg;
        uint8_t value;
        bool operator==(const CTransfer&) const = default;
    };

    CFakeRegisterBackend() {
        m_shared[0x4E] = 0x80;
        m_banks[0][0x58] = 0x30;
    }

    bool Open() override { return true; }
    bool ReadRegister(uint8_t reg, uint8_t& value) override {
        if (m_failing) return false;
        value = Get(reg, m_shared[0x4E] & 0x07);
        if (reg == 0x4F && m_vendor) value = (m_shared[0x4E] & 0x80) ? 0x5C : 0xA3;
        log.push_back({false, reg, value});
        return true;
    }
    bool WriteRegister(uint8_t reg, uint8_t value) override {
        if (m_failing) return false;
        log.push_back({true, reg, value});
        Set(reg, value, m_shared[0x4E] & 0x07);
        return true;
    }
    std::string Describe() const override { return "fake chip"; }

    uint8_t Get(uint8_t reg, uint8_t bank = 0) const {
        const auto& file = Banked(reg) ? m_banks.at(bank & 7) : m_shared;
        const auto found = file.find(reg);
        return found == file.end() ? 0 : found->second;
    }
    void Set(uint8_t reg, uint8_t value, uint8_t bank = 0) { (Banked(reg) ? m_banks[bank & 7] : m_shared)[reg] = value; }
    void SetVendor(bool present) { m_vendor = present; }
    void SetFailing(bool failing) { m_failing = failing; }

    std::vector<CTransfer> log;

private:
    static bool Banked(uint8_t reg) { return reg >= 0x50 && reg <= 0x5F; }

    std::map<uint8_t, uint8_t> m_shared;
    std::map<int, std::map<uint8_t, uint8_t>> m_banks{{0, {}}, {1, {}}, {2, {}}, {3, {}}, {4, {}}, {5, {}}, {6, {}}, {7, {}}};
    bool m_vendor = true;
    bool m_failing = false;
};
