// Limits, beep-enable bits, status and the shutdown timer on the fake chip.
#include <gtest/gtest.h>

#include "ItemFixture.h"
#include "engine/CSmartFanItem.h"
#include "engine/CTempItem.h"
#include "engine/CVoltItem.h"

namespace {

using LimitsAndBeepTest = ItemFixture;

TEST_F(LimitsAndBeepTest, VoltageLimitsBecomeWholeRegisterBytes) {
    struct Case {
        uint8_t chipId;
        uint8_t reg0C;
        int32_t r1, r2;
        bool negative;
        double limit;
        uint8_t byte;
    };
    const Case cases[] = {
        {0x30, 0, 0, 1, false, 3.52, 220},
        {0x30, 0, 0, 1, false, 5.0, 255},   // 312.5 is beyond the register
        {0x30, 0, 0, 1, false, -1.0, 0},    // not wrapped round
        {0x70, 1, 0, 1, false, 3.918, 200}, // offset taken off first
        {0x70, 1, 0, 1, false, 0.5, 0},     // below the offset
        {0x30, 0, 232, 56, true, -12.0, 35},
        {0x10, 0, 1, 3, true, -1.6 * 4 / 3, 100},
        {0x10, 0, 1, 3, true, 1.0, 0},  // a positive limit on a negative rail: nothing wraps
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        Detect(c.chipId);
        auto volt = Make<CVoltItem>();
        const bool coreOffset = c.chipId == 0x70 || c.chipId == 0x71;
        Describe(*volt, std::string(kVoltAt20) + (coreOffset ? kCoreOffsetBit : ""));
        volt->SetEnable(true);
        volt->SetResistors(c.r1, c.r2);
        volt->SetNegative(c.negative);
        fake.Set(0x0C, c.reg0C);
        fake.Set(0x2C, 0x77);
        volt->SetLimits(c.limit, c.limit);
        volt->WriteLimits();
        EXPECT_EQ(fake.Get(0x2B), c.byte);
        EXPECT_EQ(fake.Get(0x2C), c.byte);
    }
}

TEST_F(LimitsAndBeepTest, TemperatureLimitsAreDoubledOnNineBitFields) {
    Detect(0x30);
    auto nine = Make<CTempItem>("TEMP2");
    Describe(*nine, kTempNineBit);
    nine->SetEnable(true);
    nine->SetLimits(60.0, 55.5);
    nine->WriteLimits();
    // 120 half degrees: 60 in the high byte, bit 7 of the low register clear;
    // 111: 55 and bit 7 set.
    EXPECT_EQ(fake.Get(0x55, 1), 60);
    EXPECT_EQ(fake.Get(0x56, 1) & 0x80, 0);
    EXPECT_EQ(fake.Get(0x53, 1), 55);
    EXPECT_EQ(fake.Get(0x54, 1) & 0x80, 0x80);

    auto eight = Make<CTempItem>("TEMP1");
    Describe(*eight, "TotalBits=8\nAddr1=39\nNumOfBits1=8\nHiLimitAddr1=57\nLoLimitAddr1=58\n");
    eight->SetEnable(true);
    eight->SetLimits(60.0, 50.0);
    eight->WriteLimits();
    EXPECT_EQ(fake.Get(0x39), 60);
    EXPECT_EQ(fake.Get(0x3A), 50);

    // A disabled item writes no limits.
    eight->SetEnable(false);
    eight->SetLimits(70.0, 65.0);
    eight->WriteLimits();
    EXPECT_EQ(fake.Get(0x39), 60);

    // Below zero in two's complement: -5 C is 0xFB; -0.5 C is 0xFF/0x80.
    eight->SetEnable(true);
    eight->SetLimits(-5.0, -20.0);
    eight->WriteLimits();
    EXPECT_EQ(fake.Get(0x39), 0xFB);
    EXPECT_EQ(fake.Get(0x3A), 0xEC);
    nine->SetLimits(-0.5, -1.0);
    nine->WriteLimits();
    EXPECT_EQ(fake.Get(0x55, 1), 0xFF);
    EXPECT_EQ(fake.Get(0x56, 1) & 0x80, 0x80);
    EXPECT_EQ(fake.Get(0x53, 1), 0xFF);
    EXPECT_EQ(fake.Get(0x54, 1) & 0x80, 0);
}

TEST_F(LimitsAndBeepTest, BehindAnInvertingStageTheLimitNearerZeroIsTheChipsLowLimit) {
    // -12 V through 232K/56K on a first-generation part: the pin carries
    // 12 V x 56 / 288, rising with the rail's magnitude.
    for (const uint8_t id : {0x10, 0x11}) {
        Detect(id);
        auto volt = Make<CVoltItem>();
        Describe(*volt, kVoltAt20);
        volt->SetEnable(true);
        volt->SetResistors(232, 56);
        volt->SetNegative(true);
        volt->SetLimits(-10.8, -13.2);
        volt->WriteLimits();
        EXPECT_EQ(fake.Get(0x2B), 160);  // 13.2 V x 56 / 288 / 16 mV
        EXPECT_EQ(fake.Get(0x2C), 131);  // 10.8 V
    }
}

TEST_F(LimitsAndBeepTest, FanLowLimitIsACountAndTheHighLimitStaysInTheItem) {
    Detect(0x30);
    auto fan = Make<CSmartFanItem>("FAN1");
    Describe(*fan, kFanOne);
    fan->SetEnable(true);
    fake.transfers.clear();
    fan->SetLimits(200.0, 120.0);
    fan->WriteLimits();
    EXPECT_EQ(fake.Get(0x3B), 135);
    ASSERT_EQ(Writes(), 1);
    fan->SetFanFactor(1);
    fan->WriteLimits();
    EXPECT_EQ(fake.Get(0x3B), 255);
}

TEST_F(LimitsAndBeepTest, EnableSwitchKeepsTheBeepChoiceInItsSavedCopy) {
    Detect(0x30);
    auto volt = Make<CVoltItem>();
    Describe(*volt, kVoltAt20);
    volt->SetEnable(true);
    volt->SetBeepEnable(true);
    EXPECT_EQ(fake.Get(0x41) & 0x01, 0x01);
    volt->SetEnable(false);
    EXPECT_FALSE(volt->IsBeepEnabled());
    EXPECT_EQ(fake.Get(0x41) & 0x01, 0x00);
    // Switching off again must not lose the choice.
    volt->SetEnable(false);
    EXPECT_TRUE(volt->SavedBeepEnable());
    volt->SetEnable(true);
    EXPECT_TRUE(volt->IsBeepEnabled());
    EXPECT_EQ(fake.Get(0x41) & 0x01, 0x01);

    // Only the item's own bit changes, and an unchanged bit is not written.
    fake.Set(0x41, 0xF0 | 0x01);
    fake.transfers.clear();
    volt->ApplyBeepBit();
    EXPECT_EQ(Writes(), 0);
    volt->ClearBeepBit();
    EXPECT_EQ(fake.Get(0x41), 0xF0);
    volt->ApplyToChip();
    EXPECT_EQ(fake.Get(0x41), 0xF1);
}

TEST_F(LimitsAndBeepTest, BeepBitsAreLeftAloneOnOtherLayoutsAndWithoutARegister) {
    for (uint8_t id : {uint8_t{0x50}, uint8_t{0x51}}) {
        Detect(id);
        auto volt = Make<CVoltItem>();
        Describe(*volt, kVoltAt20);
        fake.transfers.clear();
        volt->SetEnable(true);
        volt->SetBeepEnable(true);
        volt->ClearBeepBit();
        EXPECT_EQ(Writes(), 0) << std::hex << int(id);
    }
    Detect(0x30);
    auto volt = Make<CVoltItem>();
    Describe(*volt, "TotalBits=8\nAddr1=32\nNumOfBits1=8\n");
    fake.transfers.clear();
    volt->SetBeepEnable(true);
    volt->ClearBeepBit();
    EXPECT_TRUE(fake.transfers.empty());
}

TEST_F(LimitsAndBeepTest, AnItemWithoutStatusRegisterIsNeverOutOfRange) {
    Detect(0x30);
    auto volt = Make<CVoltItem>();
    Describe(*volt, "TotalBits=8\nAddr1=32\nNumOfBits1=8\n");
    fake.Set(0x00, 0xFF);
    fake.transfers.clear();
    EXPECT_FALSE(volt->IsOutOfRange());
    EXPECT_TRUE(fake.transfers.empty());
}

TEST_F(LimitsAndBeepTest, StatusPassReadsALatchedRegisterOnceForEveryItem) {
    Detect(0x30);
    auto first = Make<CVoltItem>("VOLT1");
    auto second = Make<CVoltItem>("VOLT2");
    Describe(*first, "StatusAddr=66\nStatusStartBit=0\n");
    Describe(*second, "StatusAddr=66\nStatusStartBit=3\n");
    // Only items that are switched on are ever in alarm.
    first->SetEnable(true);
    second->SetEnable(true);
    fake.Set(0x42, 0x09);
    chip.BeginStatusPass();
    EXPECT_TRUE(first->IsOutOfRange());
    // The chip clears a latched register when it is read.
    fake.Set(0x42, 0x00);
    EXPECT_TRUE(second->IsOutOfRange());
    // A new pass reads the register again.
    chip.BeginStatusPass();
    EXPECT_FALSE(second->IsOutOfRange());
    chip.EndStatusPass();
    fake.Set(0x42, 0x08);
    EXPECT_TRUE(second->IsOutOfRange());
}

TEST_F(LimitsAndBeepTest, ShutdownTimerNeedsTheWholeTimeOutOfRange) {
    Detect(0x30);
    auto volt = Make<CVoltItem>();
    Describe(*volt, kVoltAt20);
    volt->SetResistors(0, 1);
    volt->SetEnable(true);
    volt->SetShutDownEnable(true);
    volt->SetShutDownTime(30);
    struct Step {
        double advance;
        bool outOfRange;
        bool pending;
    };
    const Step steps[] = {
        {0, true, false},     // the count starts
        {20, true, false},
        {5, false, false},    // one clear reading restarts it
        {5, true, false},
        {29.9, true, false},
        {0.1, true, true},    // 30 s after the restart
        {5, false, true},     // the request stands
    };
    for (const Step& s : steps) {
        clock.AdvanceSeconds(s.advance);
        fake.Set(0x59, s.outOfRange ? 0x01 : 0x00, 4);
        volt->Update();
        EXPECT_EQ(volt->IsShutdownPending(), s.pending) << s.advance;
    }

    // Without ShutDownEnable the timer never starts.
    auto quiet = Make<CVoltItem>();
    Describe(*quiet, kVoltAt20);
    quiet->SetResistors(0, 1);
    quiet->SetEnable(true);
    fake.Set(0x59, 0x01, 4);
    quiet->Update();
    clock.AdvanceSeconds(100);
    quiet->Update();
    EXPECT_FALSE(quiet->IsShutdownPending());
    EXPECT_EQ(quiet->OutOfRangeStart(), 0);
}

TEST_F(LimitsAndBeepTest, ASwitchedTimerStartsAfreshFromItsNextReading) {
    Detect(0x30);
    auto volt = Make<CVoltItem>();
    Describe(*volt, kVoltAt20);
    volt->SetResistors(0, 1);
    volt->SetEnable(true);
    volt->SetShutDownEnable(true);
    volt->SetShutDownTime(30);
    fake.Set(0x59, 0x01, 4);
    clock.AdvanceSeconds(1);
    volt->Update();
    clock.AdvanceSeconds(20);
    volt->Update();
    EXPECT_EQ(volt->ShutdownSecondsLeft(), 10);

    // Off for a while, out of range all along, then on again: no power-off
    // from the start time of before.
    const auto offAndOn = [&](auto switchOff, auto switchOn) {
        switchOff();
        clock.AdvanceSeconds(100);
        volt->Update();
        switchOn();
        EXPECT_EQ(volt->ShutdownSecondsLeft(), -1);
        volt->Update();
        EXPECT_FALSE(volt->IsShutdownPending());
        EXPECT_EQ(volt->ShutdownSecondsLeft(), 30);
    };
    offAndOn([&] { volt->SetShutDownEnable(false); }, [&] { volt->SetShutDownEnable(true); });
    offAndOn([&] { volt->SetEnable(false); }, [&] { volt->SetEnable(true); });

    // The same switch set again changes nothing.
    clock.AdvanceSeconds(10);
    volt->SetShutDownEnable(true);
    volt->SetEnable(true);
    volt->Update();
    EXPECT_EQ(volt->ShutdownSecondsLeft(), 20);
}

}  // namespace
