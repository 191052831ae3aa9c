// The suite link's items from a snapshot: fan and temperature numbers map to
// the engine's item indices, and an alarm is the snapshot's out-of-range.
#include <gtest/gtest.h>

#include "app/CSnapshotSuiteItems.h"
#include "engine/CHardwareMonitor.h"

namespace {

CSessionSnapshot::SItem Item(bool enabled, double value, int rpm, bool outOfRange)
{
    CSessionSnapshot::SItem item;
    item.present = true;
    item.enabled = enabled;
    item.value = value;
    item.rpm = rpm;
    item.outOfRange = outOfRange;
    return item;
}

TEST(SnapshotSuiteItems, FansAndTemperaturesAreTheSnapshotsItemsOfTheirKind)
{
    CSessionSnapshot snapshot;
    snapshot.items[CHardwareMonitor::kFirstFan + 0] = Item(true, 0, 2700, false);
    snapshot.items[CHardwareMonitor::kFirstFan + 2] = Item(true, 0, 1500, true);
    snapshot.items[CHardwareMonitor::kFirstFan + 4] = Item(false, 0, 900, false);
    snapshot.items[CHardwareMonitor::kFirstTemp + 0] = Item(true, 41.5, 0, true);
    snapshot.items[CHardwareMonitor::kFirstTemp + 1] = Item(false, 33.0, 0, false);
    // A voltage in the fans' way must not be taken for one.
    snapshot.items[0] = Item(true, 3.3, 1234, true);
    const CSnapshotSuiteItems items([&]() -> const CSessionSnapshot& { return snapshot; });

    struct SFan {
        int fan;
        bool enabled;
        int rpm;
        bool alarm;
    };
    for (const SFan& row : {SFan{0, true, 2700, false}, SFan{2, true, 1500, true}, SFan{4, false, 900, false},
                            SFan{1, false, 0, false}, SFan{-1, false, 0, false}, SFan{5, false, 0, false}}) {
        EXPECT_EQ(items.IsFanEnabled(row.fan), row.enabled) << "fan " << row.fan;
        EXPECT_EQ(items.FanRpm(row.fan), row.rpm) << "fan " << row.fan;
        EXPECT_EQ(items.IsFanInAlarm(row.fan), row.alarm) << "fan " << row.fan;
    }
    struct STemp {
        int temperature;
        bool enabled;
        double value;
        bool alarm;
    };
    for (const STemp& row : {STemp{0, true, 41.5, true}, STemp{1, false, 33.0, false}, STemp{2, false, 0.0, false},
                             STemp{-1, false, 0.0, false}, STemp{3, false, 0.0, false}}) {
        EXPECT_EQ(items.IsTemperatureEnabled(row.temperature), row.enabled) << "temperature " << row.temperature;
        EXPECT_EQ(items.TemperatureValue(row.temperature), row.value) << "temperature " << row.temperature;
        EXPECT_EQ(items.IsTemperatureInAlarm(row.temperature), row.alarm) << "temperature " << row.temperature;
    }

    // Read on every call: the next snapshot is seen at once.
    snapshot.items[CHardwareMonitor::kFirstFan + 0].rpm = 2800;
    EXPECT_EQ(items.FanRpm(0), 2800);
}

}  // namespace
