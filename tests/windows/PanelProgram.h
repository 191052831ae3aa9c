// A private program directory on the chip simulator for the sub-screen
// panels: the simulator program with a copy of the skin, an engine started on
// it the way the main window starts its own, and a host that hands the panels
// the engine, the skin and the main window's choices. The real power-off is
// never reachable from here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/CHardwareMonitor.h"
#include "skin/CSkinLibrary.h"
#include "engine/SimulatorProgram.h"
#include "windows/ISubScreenHost.h"

class PanelProgram : public SimulatorProgram, public ISubScreenHost {
public:
    // inputs: lines for simchip.ini's [Inputs] ("FAN3=0\n"); edit: applied to
    // the copied board defaults before the engine loads them.
    explicit PanelProgram(const std::string& inputs = "", std::string (*editDefaults)(std::string) = nullptr);
    ~PanelProgram() override;

    // The chip changes, then one engine update, as one monitoring tick sees them.
    void Set(const std::string& assignments);

    CHardwareMonitor& Engine() override { return *engine; }
    const CSkinLibrary& Skin() const override { return *skin; }
    int SubVoltItem(int slot) const override { return subVoltItems[static_cast<size_t>(slot)]; }
    bool IsCentigrade() const override { return centigrade; }

    std::unique_ptr<CSkinLibrary> skin;
    std::unique_ptr<CHardwareMonitor> engine;
    bool started = false;

    std::array<std::int32_t, 3> subVoltItems{0, 1, 2};
    bool centigrade = true;
};

// A copy of text with "Enable=1" of one section turned to "Enable=0".
std::string DisableInDefaults(std::string text, const std::string& section);
