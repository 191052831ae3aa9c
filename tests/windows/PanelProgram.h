// A private program directory on the chip simulator for the sub-screen
// panels: copies of the simulator library (so the chip's state lives in this
// directory only), the descriptors, the board defaults and the skin, an
// engine started on it the way the main window starts its own, and a host
// that hands the panels the engine, the skin and the main window's choices.
// Every seam but the access library is a test double; the real power-off is
// never reachable from here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/CHardwareMonitor.h"
#include "platform/CCountingChipLock.h"
#include "platform/CManualClock.h"
#include "platform/CPrivateProfile.h"
#include "platform/CRecordingMessageBox.h"
#include "platform/CRecordingPowerOff.h"
#include "platform/CRegistryKey.h"
#include "platform/ILibraryLoader.h"
#include "skin/CSkinLibrary.h"
#include "support/CTempDir.h"
#include "windows/ISubScreenHost.h"

// Opens the library of one directory by its full path, whatever bare name is
// asked for.
class CPanelLibraryLoader : public ILibraryLoader {
public:
    explicit CPanelLibraryLoader(std::string directory) : m_directory(std::move(directory)) {}
    void* Open(const std::string& name) override;
    void* Symbol(void* handle, const char* name) override;
    void Close(void* handle) override;

private:
    std::string m_directory;
};

class PanelProgram : public ISubScreenHost {
public:
    // inputs: lines for simchip.ini's [Inputs] ("FAN3=0\n"); edit: applied to
    // the copied board defaults before the engine loads them.
    explicit PanelProgram(const std::string& inputs = "", std::string (*editDefaults)(std::string) = nullptr);
    ~PanelProgram() override;

    // Runs kelvane-simctl on this directory ("set IN1=1.6"); its exit status.
    int SimCtl(const std::string& arguments) const;
    // The chip changes, then one engine update, as one monitoring tick sees them.
    void Set(const std::string& assignments);

    CHardwareMonitor& Engine() override { return *engine; }
    const CSkinLibrary& Skin() const override { return *skin; }
    int SubVoltItem(int slot) const override { return subVoltItems[static_cast<size_t>(slot)]; }
    bool IsCentigrade() const override { return centigrade; }

    CTempDir dir;
    CPanelLibraryLoader loader;
    CCountingChipLock lock;
    CRecordingMessageBox messageBox;
    CPrivateProfile profile;
    std::unique_ptr<CRegistryKey> registry;
    CManualClock clock;
    CRecordingPowerOff powerOff;
    std::unique_ptr<CSkinLibrary> skin;
    std::unique_ptr<CHardwareMonitor> engine;
    bool started = false;

    std::array<std::int32_t, 3> subVoltItems{0, 1, 2};
    bool centigrade = true;
};

// A copy of text with "Enable=1" of one section turned to "Enable=0".
std::string DisableInDefaults(std::string text, const std::string& section);
