// One tick's readings as every front end after the engine sees them: the
// history writer, the metrics exposition and the exports take the same
// snapshot, so all of them tell the same truth about a tick. Values are in
// base units whatever the window shows: volts, degrees Celsius, RPM.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CHardwareMonitor;

struct CReadingSnapshot {
    enum class Kind { kVoltage, kTemperature, kFan };

    struct Item {
        std::string item;  // VOLT1 ... FAN5: the stable key
        std::string name;  // the user's name for it
        Kind kind = Kind::kVoltage;
        // The item is enabled and was read; a failed reading has no value.
        bool readOk = false;
        std::optional<double> value;
        std::optional<double> hi;
        std::optional<double> lo;
        bool alarm = false;
    };

    int64_t timeMs = 0;  // wall clock, milliseconds since the epoch
    std::string chip;    // the chip's name ("W83782D"), "unknown" without one
    std::string access;  // how the chip is reached ("simulator", "service" ...)
    // Only the items that are enabled and present, in array order.
    std::vector<Item> items;
    bool powerOffRequested = false;

    // The snapshot of the engine's last UpdateAll. Opens no status pass of
    // its own: the alarm bits are the ones UpdateAll read.
    static CReadingSnapshot Take(CHardwareMonitor& engine, int64_t timeMs, std::string access);
    // The chip name the engine's chip id stands for.
    static std::string ChipName(const CHardwareMonitor& engine);

    // "service" or "library", from the chip-access text of the loader.
    static std::string AccessLabel(const std::string& access);

    static const char* UnitOf(Kind kind);  // "V", "C", "RPM"
    static const char* KindName(Kind kind);  // "voltage", "temperature", "fan"
    static std::optional<Kind> KindFromName(const std::string& name);
};
