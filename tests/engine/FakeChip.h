// An in-process stand-in for the access library and the chip behind it: the
// fourteen entry points served through CFakeLibraryLoader, a register file
// with banks selected in 0x4E, scripted port failures and a log of every
// register transfer. One FakeChip is active at a time (the entry points are
// plain C functions and reach it through a static pointer).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class CFakeLibraryLoader;

class FakeChip {
public:
    struct Transfer {
        bool write;
        uint8_t bank;  // low three bits of 0x4E at the time
        uint8_t reg;
        uint8_t value;
    };

    FakeChip();
    ~FakeChip();
    FakeChip(const FakeChip&) = delete;
    FakeChip& operator=(const FakeChip&) = delete;

    // Adds all fourteen entry points, except the one named in omit.
    void Install(CFakeLibraryLoader& loader, const std::string& omit = "");

    // Registers 0x50-0x5F are banked by the low three bits of 0x4E; the
    // others are shared by all banks.
    uint8_t Get(uint8_t reg, uint8_t bank = 0) const;
    void Set(uint8_t reg, uint8_t value, uint8_t bank = 0);
    // Makes register 0x4F answer the vendor value's high byte while bit 7 of
    // 0x4E is set and the low byte while it is clear.
    void SetVendorAt4F(uint16_t vendor) { m_vendor4F = vendor; m_hasVendor4F = true; }

    // Registers whose reads give a fixed value and whose writes are ignored
    // (identification registers).
    void SetReadOnly(uint8_t reg, uint8_t value) { m_readOnly[reg] = value; }

    // The next n OutPortB calls to the address port, OutPortB calls to the
    // data port, or InPortB calls report error code failureCode.
    int addressFailures = 0;
    int dataWriteFailures = 0;
    int inPortFailures = 0;
    int16_t failureCode = 7;
    int16_t initialBusResult = 0;
    int16_t loadResult = 0;
    int16_t unloadResult = 0;

    int outPortCalls = 0;
    int inPortCalls = 0;
    int initialBusCalls = 0;
    int loadCalls = 0;
    int unloadCalls = 0;
    std::vector<Transfer> transfers;
    // Called at every port access, e.g. to check that the lock is held.
    std::function<void()> onPortAccess;

    // The transfers to registers other than the bank register.
    std::vector<Transfer> DataTransfers() const;

    // Entry points, public for the C trampolines.
    uint8_t InPortB(uint16_t port, int16_t* error);
    int16_t OutPortB(uint16_t port, uint8_t value, int16_t* error);
    int16_t InitialBus();
    int16_t Load();
    int16_t Unload();

private:
    uint8_t Bank() const { return m_shared[0x4E] & 0x07; }
    static bool IsBanked(uint8_t reg) { return reg >= 0x50 && reg <= 0x5F; }

    uint8_t m_shared[256] = {};
    std::map<int, uint8_t> m_banked;  // bank * 256 + reg
    uint16_t m_vendor4F = 0;
    bool m_hasVendor4F = false;
    std::map<uint8_t, uint8_t> m_readOnly;
    uint8_t m_address = 0;
};
