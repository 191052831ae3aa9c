// The run-time binding of the hardware access library "libWbcdflsh.so".
#pragma once

#include <cstdint>

#include "accesslib/Wbcdflsh.h"

class ILibraryLoader;

class CAccessLibrary {
public:
    // Loads the library by bare name and looks up the fourteen entry points
    // in their fixed order, stopping at the first that is missing.
    explicit CAccessLibrary(ILibraryLoader& loader, const char* libraryName = kWbcdflshLibraryName);
    ~CAccessLibrary();
    CAccessLibrary(const CAccessLibrary&) = delete;
    CAccessLibrary& operator=(const CAccessLibrary&) = delete;

    // Loaded, with all fourteen entry points found.
    bool IsUsable() const { return m_usable; }
    bool IsLoaded() const { return m_handle != nullptr; }

    // True when usable and "InitialBus" reported 0.
    bool InitBus(uint16_t bus, uint8_t address1, uint8_t address2, uint8_t address3);
    // True when usable and "LoadWBCDFlshVxD" reported 0.
    bool LoadDriver();
    // True when usable and "UnLoadWBCDFlshVxD" reported 0.
    bool UnloadDriver();
    // The byte at port; error is 0 on success. Without a usable library no
    // call is made, 0 is returned and error is set to kNotUsable.
    uint8_t InPort(uint16_t port, int16_t& error);
    // Writes value to port; error as for InPort.
    void OutPort(uint16_t port, uint8_t value, int16_t& error);

    // What "ReturnChipSetType" answers (kChipSetDirect ... in Wbcdflsh.h):
    // who owns the chip and how far it can be driven; kChipSetDirect
    // without a usable library.
    int16_t ChipSetType() const { return m_usable ? m_returnChipSetType() : kChipSetDirect; }

    // The error a transfer reports when there is no usable library.
    static constexpr int16_t kNotUsable = -1;

private:
    ILibraryLoader& m_loader;
    void* m_handle = nullptr;
    bool m_usable = false;

    ReturnChipSetTypeFn m_returnChipSetType = nullptr;
    SetUsersFn m_setUsers = nullptr;
    CheckUsersFn m_checkUsers = nullptr;
    GetCPURatioFn m_getCpuRatio = nullptr;
    InPortBFn m_inPortB = nullptr;
    OutPortBFn m_outPortB = nullptr;
    EnablePriFn m_enablePri = nullptr;
    DisablePriFn m_disablePri = nullptr;
    INITBusFn m_initBus = nullptr;
    InitialBusFn m_initialBus = nullptr;
    I2CBlockReadFn m_i2cBlockRead = nullptr;
    I2CBlockWriteFn m_i2cBlockWrite = nullptr;
    LoadWBCDFlshVxDFn m_loadDriver = nullptr;
    UnLoadWBCDFlshVxDFn m_unloadDriver = nullptr;
};
