// Snapshots made by hand for the history tests: a chip with one voltage,
// one temperature and one fan, at a time the test chooses.
#pragma once

#include <cstdint>
#include <string>

#include "history/CReadingSnapshot.h"

inline CReadingSnapshot MakeSnapshot(int64_t timeMs, double volts, double celsius, double rpm,
                                     const std::string& chip = "W83782D") {
    CReadingSnapshot snapshot;
    snapshot.timeMs = timeMs;
    snapshot.chip = chip;
    snapshot.access = "simulator";
    using Kind = CReadingSnapshot::Kind;
    snapshot.items = {
        {"VOLT1", "VCore", Kind::kVoltage, true, volts, 1.9, 1.5, false},
        {"TEMP1", "CPU", Kind::kTemperature, true, celsius, 60.0, 55.0, false},
        {"FAN1", "CPU FAN", Kind::kFan, true, rpm, std::nullopt, 1200.0, false},
    };
    return snapshot;
}

// 2026-12-09T00:00:00Z
constexpr int64_t kDayStartMs = 1796774400000LL;
