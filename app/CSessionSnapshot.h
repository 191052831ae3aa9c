// What one monitoring tick leaves for the front ends: every item as the tick
// read it, the alarm set, the shut-down timers, the chip's state and the
// events of the tick. A snapshot is never changed once published, so any
// thread may read it while the session goes on with the next tick.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "history/CReadingSnapshot.h"

struct CSessionSnapshot {
    enum class Kind { kVolt, kTemp, kFan };

    struct SItem {
        std::string name;
        Kind kind = Kind::kVolt;
        bool present = false;
        bool enabled = false;
        bool enabledByDefault = false;
        bool readFailed = false;
        // Enabled, read at least once, and the last reading did not fail.
        bool hasReading = false;
        bool outOfRange = false;
        // A fan that read no speed at the start (not monitored).
        bool notConnected = false;
        double value = 0.0;  // volts, degrees Celsius, or the fan's count value
        int32_t rpm = 0;     // fans only
        double hiLimit = 0.0;
        double loLimit = 0.0;
        double hiBound = 0.0;  // the top of the item's scale
        bool shutDownEnabled = false;
        bool shutdownPending = false;
        int32_t shutDownTime = 0;
        // The shut-down timer as the engine keeps it (clock ticks), so that a
        // countdown between ticks counts the way the engine does.
        int64_t outOfRangeStart = 0;
        int64_t counterFrequency = 1;

        // Whole seconds until the shut-down timer runs out (0 once it has),
        // -1 while it is idle, at clock reading nowTicks.
        int64_t SecondsLeftAt(int64_t nowTicks) const;
        bool InAlarm() const { return enabled && outOfRange; }
    };

    // Something the tick did that a front end tells the user about once.
    struct SEvent {
        enum class Kind {
            kPowerOffRequested,  // item: the item whose timer ran out
            kPowerOffRefused,    // item, text: the refusal's reason
            kFanNotConnected,    // item, text: the log line
            kMailFailed,         // text: the failure
            kHistoryMessage,     // text: a change of the history's state
        };
        Kind kind;
        int item = -1;
        std::string text;
    };

    uint64_t tick = 0;           // 0 before the first tick, then counting
    bool monitoring = false;     // the engine started (StartMonitoring)
    bool chipReleased = false;
    int16_t chipSetType = 0;     // who owns the chip (kChipSetDirect ...)
    bool powerOffRequested = false;
    bool powerOffRefused = false;
    int64_t clockTicks = 0;      // the engine clock when the snapshot was made
    std::array<SItem, 18> items{};
    // Engine indices of the examined items in alarm, in log order.
    std::vector<int> alarmItems;
    // Items whose shut-down the user cancelled until the next start.
    std::set<int> cancelledShutDowns;
    // The readings as the history and the exports record them.
    CReadingSnapshot readings;
    // The events since the previous snapshot the caller was handed.
    std::vector<SEvent> events;

    const SItem* Item(int index) const
    {
        return index >= 0 && index < static_cast<int>(items.size()) ? &items[static_cast<std::size_t>(index)] : nullptr;
    }
    // The soonest-running shut-down timer at nowTicks: its item, or -1.
    int SoonestShutdown(int64_t nowTicks, int64_t* secondsLeft = nullptr) const;
};
