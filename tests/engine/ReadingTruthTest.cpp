// Readings that tell the truth and fans that never stay slow, through the real
// engine on the chip simulator: a failed transfer is no reading, a Smart Fan
// fan goes to full duty on every fault, a fan without speed at the start is
// reported and watched, the limits shown are the limits in force, and shared
// or latched status bits name only the items really out of range.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SimulatorProgram.h"
#include "engine/CAccessLibrary.h"
#include "engine/CHardwareMonitor.h"
#include "engine/CMonitorChip.h"
#include "engine/IReadingObserver.h"

namespace {

constexpr uint8_t kCpuFanDuty = 0x5B;  // pwm1 of the reference board's W83782D, FAN1

// A register of the simulated chip as another program sees it.
int ChipRegister(SimulatorProgram& program, uint8_t reg, uint8_t bank = 0) {
    CCountingChipLock lock;
    CAccessLibrary library(program.loader);
    CMonitorChip chip(lock, program.messageBox);
    chip.AttachLibrary(&library);
    const uint8_t saved = chip.ReadRegister(0x4E);
    chip.SelectBank(bank);
    const int value = chip.ReadRegister(reg);
    chip.WriteRegister(0x4E, saved);
    return value;
}

struct EventLog : IReadingObserver {
    std::vector<std::string> lines;
    void ReadingFailed(const CSensorItem& item) override { lines.push_back("failed " + item.SectionName()); }
    void ReadingRestored(const CSensorItem& item) override { lines.push_back("restored " + item.SectionName()); }
    void FanNotConnected(const CSmartFanItem& fan) override { lines.push_back("no fan " + fan.SectionName()); }
    void FanConnected(const CSmartFanItem& fan) override { lines.push_back("fan " + fan.SectionName()); }
    void FanHeldAtFullDuty(const CSmartFanItem& fan) override { lines.push_back("held " + fan.SectionName()); }
    void FanReleased(const CSmartFanItem& fan) override { lines.push_back("released " + fan.SectionName()); }
    int Count(const std::string& line) const {
        int n = 0;
        for (const std::string& l : lines) n += l == line;
        return n;
    }
};

// ---- Smart Fan ----------------------------------------------------------------

struct FaultCase {
    const char* name;
    const char* start;  // simulator inputs of the first reading
    const char* fault;  // then this happens
    const char* heal;   // and this undoes it
    CSmartFanItem::HoldReason reason;
};

TEST(ReadingTruthTest, ADrivenFanGoesToFullDutyAtOnceOnEveryFaultAndBackWhenReadingsReturn) {
    const FaultCase cases[] = {
        {"fan stops while driven at Mid", "TEMP2=45", "StoppedFan=1", "StoppedFan=0",
         CSmartFanItem::HoldReason::kFanStalled},
        {"fan stalls while driven at Lo", "TEMP2=30", "FAN1=0", "FAN1=4500", CSmartFanItem::HoldReason::kFanStalled},
        {"reference reads below -40 C", "TEMP2=45", "TEMP2=-50", "TEMP2=45",
         CSmartFanItem::HoldReason::kReferenceImplausible},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatorProgram program("W83782D", "", c.start);
        EventLog events;
        auto engine = program.StartEngine();
        engine->SetReadingObserver(&events);
        engine->UpdateAll();
        CSmartFanItem& fan = *engine->Fan(0);
        ASSERT_NE(ChipRegister(program, kCpuFanDuty), 0xFF);
        ASSERT_EQ(program.SimCtl(std::string("set ") + c.fault), 0);
        engine->UpdateAll();
        EXPECT_EQ(ChipRegister(program, kCpuFanDuty), 0xFF);
        EXPECT_TRUE(fan.IsHeldAtFullSpeed());
        EXPECT_EQ(fan.HeldFor(), c.reason);
        engine->UpdateAll();
        engine->UpdateAll();
        EXPECT_EQ(ChipRegister(program, kCpuFanDuty), 0xFF);
        ASSERT_EQ(program.SimCtl(std::string("set ") + c.heal), 0);
        engine->UpdateAll();
        engine->UpdateAll();
        EXPECT_FALSE(fan.IsHeldAtFullSpeed());
        EXPECT_NE(ChipRegister(program, kCpuFanDuty), 0xFF);
        // Once per episode on record, not once per tick.
        EXPECT_EQ(events.Count("held FAN1"), 1);
        EXPECT_EQ(events.Count("released FAN1"), 1);
        engine->SetReadingObserver(nullptr);
    }
}

TEST(ReadingTruthTest, AFanDrivenToDutyZeroMayStandStill) {
    SimulatorProgram program("W83782D", "", "TEMP2=30");
    program.profile.WriteString(program.Directory() + "/def.ini", "FAN1", "SmartFanRateLo", "0");
    auto engine = program.StartEngine();
    engine->UpdateAll();
    ASSERT_EQ(program.SimCtl("set FAN1=0"), 0);
    engine->UpdateAll();
    EXPECT_FALSE(engine->Fan(0)->IsHeldAtFullSpeed());
    EXPECT_EQ(ChipRegister(program, kCpuFanDuty), 0);
}

// ---- Failed transfers ------------------------------------------------------------

TEST(ReadingTruthTest, AFailedTransferIsNoReadingAndNeitherRaisesNorClearsAnAlarm) {
    SimulatorProgram program("W83782D", "", "TEMP1=82\nTEMP2=45");
    EventLog events;
    auto engine = program.StartEngine();
    engine->SetReadingObserver(&events);
    engine->UpdateAll();
    CSensorItem& hot = *engine->Item(CHardwareMonitor::kFirstTemp);
    CSensorItem& vcore = *engine->Item(0);
    ASSERT_TRUE(hot.IsOutOfRange());
    ASSERT_FALSE(vcore.IsOutOfRange());
    EXPECT_FALSE(engine->AnyReadingFailed());

    // A peer holds the chip lock beyond the wait: every transfer fails.
    program.lock.SetBusy(true);
    ASSERT_EQ(program.SimCtl("set TEMP1=30 IN0=3.9"), 0);
    for (int tick = 0; tick < 3; ++tick) {
        engine->UpdateAll();
        EXPECT_TRUE(engine->AnyReadingFailed());
        for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) {
            const CSensorItem& item = *engine->Item(i);
            if (!item.IsEnabled()) continue;
            SCOPED_TRACE(item.SectionName());
            EXPECT_TRUE(item.IsReadFailed());
            EXPECT_FALSE(item.HasReading());
        }
        EXPECT_TRUE(hot.IsOutOfRange());
        EXPECT_FALSE(vcore.IsOutOfRange());
        // The fan held at full duty does not count the bus's silence as a
        // stopped fan: it stays enabled.
        EXPECT_TRUE(engine->Fan(0)->IsEnabled());
    }
    program.lock.SetBusy(false);
    engine->UpdateAll();
    EXPECT_FALSE(engine->AnyReadingFailed());
    EXPECT_FALSE(hot.IsOutOfRange());
    EXPECT_TRUE(vcore.IsOutOfRange());
    EXPECT_NEAR(hot.Value(), 30.0, 0.5);
    // One start and one end per item's episode.
    EXPECT_EQ(events.Count("failed TEMP1"), 1);
    EXPECT_EQ(events.Count("restored TEMP1"), 1);
    EXPECT_EQ(events.Count("failed FAN1"), 1);
    engine->SetReadingObserver(nullptr);
}

TEST(ReadingTruthTest, AFanWhoseFirstReadingFailsIsNotTakenForAMissingFan) {
    SimulatorProgram program("W83782D");
    auto engine = program.StartEngine();
    program.lock.SetBusy(true);
    engine->UpdateAll();
    program.lock.SetBusy(false);
    engine->UpdateAll();
    for (int f = 0; f < 3; ++f) {
        EXPECT_TRUE(engine->Fan(f)->IsEnabled()) << "FAN" << f + 1;
        EXPECT_FALSE(engine->Fan(f)->IsNotConnected());
    }
}

// ---- A fan without speed at the start --------------------------------------------

TEST(ReadingTruthTest, AFanWithoutSpeedAtTheStartIsReportedAndWatchedUntilItTurns) {
    SimulatorProgram program("W83782D", "", "FAN2=0");
    EventLog events;
    auto engine = program.StartEngine();
    engine->SetReadingObserver(&events);
    engine->UpdateAll();
    CSmartFanItem& fan = *engine->Fan(1);
    EXPECT_TRUE(fan.IsNotConnected());
    EXPECT_FALSE(fan.IsEnabled());
    EXPECT_FALSE(fan.IsOutOfRange());
    engine->UpdateAll();
    EXPECT_EQ(events.Count("no fan FAN2"), 1);

    ASSERT_EQ(program.SimCtl("set FAN2=3000"), 0);
    engine->UpdateAll();
    EXPECT_FALSE(fan.IsNotConnected());
    EXPECT_TRUE(fan.IsEnabled());
    EXPECT_EQ(events.Count("fan FAN2"), 1);
    // Monitored from then on: its limit is in the chip, and its stop alarms.
    EXPECT_EQ(ChipRegister(program, 0x3C), 255 - 67);
    ASSERT_EQ(program.SimCtl("set FAN2=0"), 0);
    engine->UpdateAll();
    EXPECT_TRUE(fan.IsEnabled());
    EXPECT_TRUE(fan.IsOutOfRange());
    engine->SetReadingObserver(nullptr);
}

// ---- Alarms and the limits shown ----------------------------------------------------

const char* const kModels[] = {"W83781D_B", "W83781D_C", "W83627F",   "W83782D",   "W83783S",   "W83784R",
                               "W83784R_B", "W83697F",   "W83785R",   "W83791D_B", "W83791D_C", "W83637HF"};

// The chip's comparison, redone from what the item shows: the alarm a user
// sees must follow from the value and the limits beside it.
bool BeyondShownLimits(int index, const CSensorItem& item) {
    if (index < CHardwareMonitor::kFirstTemp) return item.Value() > item.HiLimit() || item.Value() < item.LoLimit();
    if (index < CHardwareMonitor::kFirstFan) return item.Value() > item.HiLimit();
    return item.Value() < item.LoLimit();
}

TEST(ReadingTruthTest, EveryAlarmAgreesWithTheLimitsShownInBothRunModes) {
    // VCore off its stored limits (its first reading sets new ones), TEMP2
    // over its limit while TEMP3, which shares its status bit on the
    // W83781D, is not.
    for (const char* model : kModels) {
        SCOPED_TRACE(model);
        SimulatorProgram program(model, "", "IN0=1.20\nTEMP2=75\nTEMP3=35");
        auto check = [](CHardwareMonitor& engine, const char* mode) {
            SCOPED_TRACE(mode);
            for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) {
                const CSensorItem& item = *engine.Item(i);
                if (!item.HasReading() || !item.StatusField().IsPresent()) continue;
                SCOPED_TRACE(item.SectionName());
                EXPECT_EQ(item.IsOutOfRange(), BeyondShownLimits(i, item))
                    << "value " << item.Value() << " limits " << item.LoLimit() << ".." << item.HiLimit();
            }
        };
        {
            // One shot: start, one reading, out.
            auto engine = program.StartEngine();
            engine->UpdateAll();
            EXPECT_NEAR(engine->Item(0)->HiLimit(), 1.40, 0.02);
            check(*engine, "one shot");
        }
        {
            // Watching: the same after some ticks.
            auto engine = program.StartEngine();
            for (int tick = 0; tick < 3; ++tick) engine->UpdateAll();
            check(*engine, "watch");
        }
    }
}

TEST(ReadingTruthTest, ALatchedAlarmThatHasEndedIsNotReported) {
    for (const char* model : {"W83781D_B", "W83784R", "W83785R"}) {
        SCOPED_TRACE(model);
        SimulatorProgram program(model, "", "TEMP1=94");
        {
            auto engine = program.StartEngine();
            engine->UpdateAll();
            EXPECT_TRUE(engine->Temp(0)->IsOutOfRange());
        }
        // The condition ends while no program reads the chip; the latched
        // bit still holds it.
        ASSERT_EQ(program.SimCtl("set TEMP1=40"), 0);
        auto engine = program.StartEngine();
        engine->UpdateAll();
        EXPECT_FALSE(engine->Temp(0)->IsOutOfRange());
    }
}

// ---- Chip facts ------------------------------------------------------------------------

TEST(ReadingTruthTest, TheW83791DOffsetsItsCoreAloneAndReadsHalfDegrees) {
    for (const char* model : {"W83791D_B", "W83791D_C"}) {
        SCOPED_TRACE(model);
        SimulatorProgram program(model, "VCoreOffset=1", "IN0=1.50\nTEMP2=45.5\nTEMP3=-0.5");
        program.profile.WriteString(program.Directory() + "/def.ini", "TEMP2", "HiLimit", "7050");
        program.profile.WriteString(program.Directory() + "/def.ini", "TEMP2", "LoLimit", "6550");
        auto engine = program.StartEngine();
        engine->UpdateAll();
        // The core reads its pin back through the offset; the other
        // positive inputs keep plain 16 mV steps and stay in range.
        EXPECT_NEAR(engine->Item(0)->Value(), 1.50, 0.016);
        for (int i = 1; i < CHardwareMonitor::kVoltCount; ++i) {
            const CSensorItem& item = *engine->Item(i);
            if (!item.HasReading()) continue;
            SCOPED_TRACE(item.SectionName());
            EXPECT_FALSE(item.IsOutOfRange()) << "value " << item.Value();
        }
        EXPECT_NEAR(engine->Item(2)->Value(), 3.30, 0.016);
        EXPECT_DOUBLE_EQ(engine->Temp(1)->Value(), 45.5);
        EXPECT_DOUBLE_EQ(engine->Temp(2)->Value(), -0.5);
        // Half-degree limits reach the chip whole: 70.5 over, 65.5 hysteresis.
        EXPECT_EQ(ChipRegister(program, 0xC5), 70);
        EXPECT_EQ(ChipRegister(program, 0xC6) & 0x80, 0x80);
        EXPECT_EQ(ChipRegister(program, 0xC3), 65);
        EXPECT_EQ(ChipRegister(program, 0xC4) & 0x80, 0x80);
    }
}

}  // namespace
