// Readings of the three item kinds on the fake chip.
#include <gtest/gtest.h>

#include "ItemFixture.h"
#include "engine/CSmartFanItem.h"
#include "engine/CTempItem.h"
#include "engine/CVoltItem.h"

namespace {

using ItemReadingTest = ItemFixture;

TEST_F(ItemReadingTest, VoltageFollowsTheChipsOffsetBitsAndNegativeRailFormulas) {
    struct Case {
        uint8_t chipId;
        uint8_t reg0C, reg18;
        int32_t r1, r2;
        bool negative;
        uint8_t raw;
        double volts;
    };
    const Case cases[] = {
        {0x30, 0, 0, 0, 1, false, 200, 3.2},
        {0x30, 1, 1, 0, 1, false, 200, 3.2},  // other chips have no offset bit
        {0x70, 1, 0, 0, 1, false, 200, 3.918},
        {0x71, 1, 0, 0, 1, false, 200, 3.918},
        {0x70, 0, 0, 0, 1, false, 200, 3.2},
        {0x80, 0, 1, 0, 1, false, 200, 3.2},  // 0x18 belongs to the core input's VRM9 mode alone
        {0x80, 1, 0, 0, 1, false, 200, 3.2},
        {0x30, 0, 0, 34, 50, false, 186, 4.99968},
        {0x30, 0, 0, 1, 3, true, 100, 0.7 / 0.75},
        {0x70, 1, 0, 1, 3, true, 100, 0.7 / 0.75},  // no offset on a negative rail
        // Behind the inverting stage a negative rail reads negative, whichever
        // resistor carries the sign.
        {0x10, 0, 0, 1, 3, true, 100, -1.6 * 4 / 3},
        {0x11, 0, 0, 1, 3, true, 100, -1.6 * 4 / 3},
        {0x10, 0, 0, -4477, 1000, true, 100, -1.6 * 3.477},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.chipId) << " raw " << std::dec << int(c.raw));
        Detect(c.chipId);
        auto volt = Make<CVoltItem>();
        const bool coreOffset = c.chipId == 0x70 || c.chipId == 0x71;
        Describe(*volt, std::string(kVoltAt20) + (coreOffset ? kCoreOffsetBit : ""));
        volt->SetEnable(true);
        volt->SetResistors(c.r1, c.r2);
        volt->SetNegative(c.negative);
        fake.Set(0x0C, c.reg0C);
        fake.Set(0x18, c.reg18);
        fake.Set(0x20, c.raw);
        volt->Update();
        ASSERT_TRUE(volt->IsValueSet());
        EXPECT_NEAR(volt->Value(), c.volts, 1e-9);
    }
}

TEST_F(ItemReadingTest, AnImpossibleDividerLeavesTheReadingAsItWas) {
    Detect(0x30);
    auto volt = Make<CVoltItem>();
    Describe(*volt, kVoltAt20);
    volt->SetEnable(true);
    volt->SetResistors(0, 1);
    fake.Set(0x20, 100);
    volt->Update();
    ASSERT_NEAR(volt->Value(), 1.6, 1e-9);
    struct Case {
        int32_t r1, r2;
        bool negative;
    };
    for (const Case& c : {Case{5, 0, false}, Case{5, 0, true}, Case{-3, 3, true}, Case{0, 0, false}}) {
        volt->SetResistors(c.r1, c.r2);
        volt->SetNegative(c.negative);
        fake.Set(0x20, 200);
        volt->Update();
        EXPECT_NEAR(volt->Value(), 1.6, 1e-9) << c.r1 << "/" << c.r2;
        // Nor do its limits reach the chip.
        volt->SetLimits(3.0, 1.0);
        fake.transfers.clear();
        volt->WriteLimits();
        EXPECT_EQ(Writes(), 0);
    }
}

TEST_F(ItemReadingTest, ADisabledItemReadsNothingAndKeepsItsValue) {
    Detect(0x30);
    auto volt = Make<CVoltItem>();
    Describe(*volt, kVoltAt20);
    volt->SetResistors(0, 1);
    volt->SetEnable(true);
    fake.Set(0x20, 100);
    volt->Update();
    volt->SetEnable(false);
    fake.Set(0x20, 200);
    fake.transfers.clear();
    volt->Update();
    EXPECT_TRUE(fake.transfers.empty());
    EXPECT_NEAR(volt->Value(), 1.6, 1e-9);
}

TEST_F(ItemReadingTest, NineBitTemperaturesCountHalfDegreesAndAddTheOffset) {
    Detect(0x30);
    auto temp = Make<CTempItem>("TEMP2");
    Describe(*temp, std::string(kTempNineBit) + "TempOffsetTotalBits=8\nTempOffsetAddr1=63\nTempOffsetNumOfBits1=8\n");
    ASSERT_TRUE(temp->IsOffsetDefined());
    temp->SetEnable(true);
    fake.Set(0x50, 50, 1);
    fake.Set(0x51, 0x80, 1);
    fake.Set(0x3F, 3);
    temp->Update();
    EXPECT_DOUBLE_EQ(temp->Value(), 50.5);
    temp->SetAddOffset(true);
    temp->Update();
    EXPECT_DOUBLE_EQ(temp->Value(), 53.5);

    auto eightBit = Make<CTempItem>("TEMP1");
    Describe(*eightBit, "TotalBits=8\nAddr1=39\nNumOfBits1=8\n");
    eightBit->SetEnable(true);
    eightBit->SetAddOffset(true);  // no offset register on this sensor
    fake.Set(0x27, 38);
    eightBit->Update();
    EXPECT_DOUBLE_EQ(eightBit->Value(), 38.0);
}

TEST_F(ItemReadingTest, FanReadsItsDivisorOnceThenCountsSpeed) {
    Detect(0x30);
    auto fan = Make<CSmartFanItem>("FAN1");
    Describe(*fan, kFanOne);
    fan->SetEnable(true);
    fake.Set(0x47, 0x10);  // divisor code 1: divisor 2
    struct Case {
        uint8_t count;
        double fanValue;
        int32_t rpm;
    };
    const Case cases[] = {{135, 120, 5000}, {255, 0, 0}, {0, 255, 675000}, {1, 254, 675000}};
    for (const Case& c : cases) {
        fake.Set(0x28, c.count);
        fan->Update();
        EXPECT_TRUE(fan->IsDivisorKnown());
        EXPECT_EQ(fan->Divisor(), 2);
        EXPECT_DOUBLE_EQ(fan->Value(), c.fanValue) << int(c.count);
        EXPECT_EQ(fan->Rpm(), c.rpm) << int(c.count);
    }
    // The divisor was read and written back once, at the first reading only.
    int divisorWrites = 0;
    for (const FakeChip::Transfer& t : fake.transfers) divisorWrites += t.write && t.reg == 0x47 ? 1 : 0;
    EXPECT_EQ(divisorWrites, 1);

    fan->SetFanFactor(1);
    fake.Set(0x28, 100);  // 200 scaled
    fan->Update();
    EXPECT_DOUBLE_EQ(fan->Value(), 55);
    fake.Set(0x28, 130);  // 260 scaled is beyond the counter
    fan->Update();
    EXPECT_DOUBLE_EQ(fan->Value(), 0);
    EXPECT_EQ(fan->Rpm(), 0);
}

TEST_F(ItemReadingTest, SpeedIsHalvedOnTheTwoPulseParts) {
    for (uint8_t id : {uint8_t{0x50}, uint8_t{0x51}, uint8_t{0x30}}) {
        Detect(id);
        auto fan = Make<CSmartFanItem>("FAN1");
        Describe(*fan, kFanOne);
        fan->SetEnable(true);
        fake.Set(0x47, 0x10);
        fake.Set(0x28, 135);
        fan->Update();
        EXPECT_EQ(fan->Rpm(), id == 0x30 ? 5000 : 2500) << std::hex << int(id);
        EXPECT_EQ(fan->CountToRpm(120), fan->Rpm());
    }
}

TEST_F(ItemReadingTest, DivisorsAreWrittenAsCodesAndZeroMeansReadItFromTheChip) {
    Detect(0x30);
    auto fan = Make<CSmartFanItem>("FAN1");
    Describe(*fan, kFanOne);
    struct Case {
        uint8_t divisor;
        uint8_t reg47bits, reg5Dbit;  // code bits 0-1 at 0x47 bits 4-5, bit 2 at 0x5D bit 5
        uint8_t kept;
    };
    const Case cases[] = {{8, 0x30, 0x00, 8}, {16, 0x00, 0x20, 16}, {1, 0x00, 0x00, 1}, {6, 0x20, 0x00, 4}, {128, 0x30, 0x20, 128}};
    for (const Case& c : cases) {
        fan->SetDivisor(c.divisor);
        EXPECT_EQ(fake.Get(0x47) & 0x30, c.reg47bits) << int(c.divisor);
        EXPECT_EQ(fake.Get(0x5D) & 0x20, c.reg5Dbit) << int(c.divisor);
        EXPECT_EQ(fan->Divisor(), c.kept);
        EXPECT_TRUE(fan->IsDivisorKnown());
    }
    fake.Set(0x47, 0x10);
    fake.Set(0x5D, 0x00);
    fake.transfers.clear();
    fan->SetDivisor(0);
    EXPECT_TRUE(fake.transfers.empty());
    EXPECT_FALSE(fan->IsDivisorKnown());
    EXPECT_EQ(fan->CountToRpm(120), 0);
    fan->SetEnable(true);
    fake.Set(0x28, 135);
    fan->Update();
    EXPECT_EQ(fan->Divisor(), 2);
    EXPECT_EQ(fan->Rpm(), 5000);
}

}  // namespace
