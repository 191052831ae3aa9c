#include "FakeChip.h"

#include "accesslib/Wbcdflsh.h"
#include "platform/CFakeLibraryLoader.h"

namespace {

FakeChip* g_active = nullptr;

int16_t Zero() { return 0; }
int16_t ZeroUsers(int16_t) { return 0; }
uint8_t FakeInPortB(uint16_t port, int16_t* error) { return g_active->InPortB(port, error); }
int16_t FakeOutPortB(uint16_t port, uint8_t value, int16_t* error) { return g_active->OutPortB(port, value, error); }
int16_t FakeInitialBus(uint16_t, uint8_t, uint8_t, uint8_t) { return g_active->InitialBus(); }
int16_t FakeBlockRead(uint8_t, uint8_t, uint8_t*, uint8_t) { return 0; }
int16_t FakeBlockWrite(uint8_t, uint8_t, const uint8_t*, uint8_t) { return 0; }
int16_t FakeLoad() { return g_active->Load(); }
int16_t FakeUnload() { return g_active->Unload(); }

}  // namespace

FakeChip::FakeChip() { g_active = this; }

FakeChip::~FakeChip() {
    if (g_active == this) g_active = nullptr;
}

void FakeChip::Install(CFakeLibraryLoader& loader, const std::string& omit) {
    loader.AddSymbol("ReturnChipSetType", &Zero);
    loader.AddSymbol("SetUsers", &ZeroUsers);
    loader.AddSymbol("CheckUsers", &Zero);
    loader.AddSymbol("GetCPURatio", &Zero);
    loader.AddSymbol("InPortB", &FakeInPortB);
    loader.AddSymbol("OutPortB", &FakeOutPortB);
    loader.AddSymbol("EnablePri", &Zero);
    loader.AddSymbol("DisablePri", &Zero);
    loader.AddSymbol("INITBus", &Zero);
    loader.AddSymbol("InitialBus", &FakeInitialBus);
    loader.AddSymbol("I2CBlockRead", &FakeBlockRead);
    loader.AddSymbol("I2CBlockWrite", &FakeBlockWrite);
    loader.AddSymbol("LoadWBCDFlshVxD", &FakeLoad);
    loader.AddSymbol("UnLoadWBCDFlshVxD", &FakeUnload);
    if (!omit.empty()) loader.RemoveSymbol(omit);
}

uint8_t FakeChip::Get(uint8_t reg, uint8_t bank) const {
    if (!IsBanked(reg)) return m_shared[reg];
    auto it = m_banked.find(bank * 256 + reg);
    return it == m_banked.end() ? 0 : it->second;
}

void FakeChip::Set(uint8_t reg, uint8_t value, uint8_t bank) {
    if (IsBanked(reg)) {
        m_banked[bank * 256 + reg] = value;
    } else {
        m_shared[reg] = value;
    }
}

std::vector<FakeChip::Transfer> FakeChip::DataTransfers() const {
    std::vector<Transfer> result;
    for (const Transfer& t : transfers) {
        if (t.reg != 0x4E) result.push_back(t);
    }
    return result;
}

uint8_t FakeChip::InPortB(uint16_t port, int16_t* error) {
    ++inPortCalls;
    if (onPortAccess) onPortAccess();
    if (inPortFailures > 0) {
        --inPortFailures;
        *error = failureCode;
        return 0xEE;
    }
    *error = 0;
    if (port != kChipDataPort) return 0xFF;
    uint8_t value = m_readOnly.count(m_address) ? m_readOnly.at(m_address) : Get(m_address, Bank());
    if (m_address == 0x4F && m_hasVendor4F) {
        value = (m_shared[0x4E] & 0x80) ? static_cast<uint8_t>(m_vendor4F >> 8) : static_cast<uint8_t>(m_vendor4F);
    }
    transfers.push_back({false, Bank(), m_address, value});
    return value;
}

int16_t FakeChip::OutPortB(uint16_t port, uint8_t value, int16_t* error) {
    ++outPortCalls;
    if (onPortAccess) onPortAccess();
    int& failures = port == kChipAddressPort ? addressFailures : dataWriteFailures;
    if (failures > 0) {
        --failures;
        *error = failureCode;
        return 0;
    }
    *error = 0;
    if (port == kChipAddressPort) {
        m_address = value;
    } else if (port == kChipDataPort) {
        transfers.push_back({true, Bank(), m_address, value});
        if (!m_readOnly.count(m_address)) Set(m_address, value, Bank());
    }
    return 0;
}

int16_t FakeChip::InitialBus() {
    ++initialBusCalls;
    return initialBusResult;
}

int16_t FakeChip::Load() {
    ++loadCalls;
    return loadResult;
}

int16_t FakeChip::Unload() {
    ++unloadCalls;
    return unloadResult;
}
