// What the Monitor Setting dialog edits: a copy of every item's settings and
// last reading, taken from the engine on the thread that owns it. The dialog
// changes only its copy and its controls; what reaches the items and the chip
// goes back as a job run on the engine's own thread (CMonitorSettingHost).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/CHardwareMonitor.h"

struct CMonitorSettings {
    struct SItem {
        bool exists = false;  // the engine has an item at this index
        std::string name;
        bool present = false;
        bool enabled = false;
        bool enabledByDefault = false;
        bool beep = false;
        bool shutDown = false;
        // The user cancelled the shut-down from the countdown this session:
        // the stored setting is still on (see CMonitorSettingHost).
        bool shutDownCancelled = false;
        int32_t shutDownTime = 0;
        double hiLimit = 0.0;
        double loLimit = 0.0;
        double hiBound = 0.0;
        double loBound = 0.0;
        double value = 0.0;
        int32_t rpm = 0;
        // A fan's count to speed, as CFanItem::CountToRpm converts it.
        uint8_t divisor = 0;  // 0: not known
        bool halved = false;
        int32_t CountToRpm(uint8_t count) const;
    };

    // By engine index (CHardwareMonitor::Item).
    std::array<SItem, CHardwareMonitor::kItemCount> items{};

    // cancelled: whether an item's shut-down was cancelled (by engine
    // index); empty for none.
    static CMonitorSettings Take(const CHardwareMonitor& engine, const std::function<bool(int index)>& cancelled);
};
