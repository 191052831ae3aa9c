// Smart Fan zones, duty writes and their restoration.
#include <gtest/gtest.h>

#include "ItemFixture.h"
#include "engine/CSmartFanItem.h"
#include "engine/CTempItem.h"

namespace {

TEST(SmartFanZoneTest, FallingZonesWaitForTheToleranceBand) {
    using F = CSmartFanItem;
    struct Case {
        uint8_t zone;
        double celsius;
        uint8_t next;
    };
    const Case cases[] = {
        {F::kZoneNone, 55, F::kZoneMid}, {F::kZoneNone, 75, F::kZoneHi}, {F::kZoneNone, 20, F::kZoneLo},
        {F::kZoneMid, 70, F::kZoneHi},   {F::kZoneHi, 66, F::kZoneHi},   {F::kZoneHi, 65, F::kZoneHi},
        {F::kZoneHi, 64.9, F::kZoneMid}, {F::kZoneHi, 30, F::kZoneMid},  {F::kZoneMid, 30, F::kZoneLo},
        {F::kZoneMid, 36, F::kZoneMid},  {F::kZoneMid, 35, F::kZoneMid}, {F::kZoneMid, 34, F::kZoneLo},
        {F::kZoneLo, 45, F::kZoneMid},   {F::kZoneLo, 70, F::kZoneHi},   {F::kZoneLo, 39.5, F::kZoneLo},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(F::NextZone(c.zone, c.celsius, 70, 40, 5), c.next) << int(c.zone) << " at " << c.celsius;
    }
}

class SmartFanTest : public ItemFixture {
protected:
    void SetUp() override {
        Detect(0x30);
        temp = Make<CTempItem>("TEMP2");
        Describe(*temp, "TotalBits=8\nAddr1=39\nNumOfBits1=8\n");
        temp->SetEnable(true);
        fan = Make<CSmartFanItem>("FAN1");
        profile.SetFile(kDescriptor, std::string("[FAN1]\n") + kFanOne + "FanPWMOutTotalBits=3\nFanPWMOutAddr1=62\n" +
                                         "FanPWMOutNumOfBits1=3\nFanPWMOutStartBit1=2\n");
        ASSERT_TRUE(fan->LoadDescriptor(kDescriptor));
        fake.Set(0x5B, 0xFF);
        fake.Set(0x3E, 0xE3);
    }

    void LoadFromFile(bool smartFan) {
        profile.SetFile(kDefaults, std::string("[FAN1]\nEnable=1\nFanDivisor=4\nEnableSmartFan=") +
                                       (smartFan ? "1" : "0") + "\nReferenceTempItem=2\n");
        ASSERT_TRUE(fan->LoadSettings(true, kDefaults));
        fan->LinkReference(temp.get());
    }

    // The duty writes of one tick at a temperature.
    std::vector<int> Tick(int celsius) {
        fake.Set(0x27, static_cast<uint8_t>(celsius));
        temp->Update();
        fake.transfers.clear();
        fan->Update();
        std::vector<int> duties;
        for (const FakeChip::Transfer& t : fake.DataTransfers()) {
            if (t.write && t.reg == 0x5B) duties.push_back(t.value);
        }
        return duties;
    }

    static constexpr const char* kDefaults = "/prog/def.ini";
    std::unique_ptr<CTempItem> temp;
    std::unique_ptr<CSmartFanItem> fan;
};

TEST_F(SmartFanTest, ZoneSequenceWritesOnlyOnChanges) {
    LoadFromFile(true);
    ASSERT_TRUE(fan->IsDutyWriteAllowed());
    struct Step {
        int celsius;
        uint8_t zone;
        std::vector<int> duties;
    };
    const Step steps[] = {
        {55, 2, {50}}, {70, 1, {255}}, {66, 1, {}},  {64, 2, {50}}, {75, 1, {255}}, {30, 2, {50}},
        {30, 3, {20}}, {45, 2, {50}},  {36, 2, {}},  {34, 3, {20}}, {20, 3, {}},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(Tick(s.celsius), s.duties) << s.celsius;
        EXPECT_EQ(fan->SmartFanZone(), s.zone) << s.celsius;
    }
}

TEST_F(SmartFanTest, EachDutyWriteCopiesTheDivisorIntoThePwmOutputFirst) {
    LoadFromFile(true);
    fake.Set(0x3E, 0xE3);
    fake.transfers.clear();
    fan->SetDuty(128);
    int pwmOutAt = -1, dutyAt = -1, index = 0;
    for (const FakeChip::Transfer& t : fake.DataTransfers()) {
        if (t.write && t.reg == 0x3E) pwmOutAt = index;
        if (t.write && t.reg == 0x5B) dutyAt = index;
        ++index;
    }
    ASSERT_GE(pwmOutAt, 0);
    EXPECT_LT(pwmOutAt, dutyAt);
    // Divisor 4 is code 2, in bits 2-4 of the PWM output; the rest is kept.
    EXPECT_EQ(fake.Get(0x3E), (0xE3 & ~0x1C) | (2 << 2));
    EXPECT_EQ(fake.Get(0x5B), 128);
    fan->SetFullSpeed();
    EXPECT_EQ(fake.Get(0x5B), 255);
    fan->SetDutyLo();
    EXPECT_EQ(fake.Get(0x5B), 20);
}

TEST_F(SmartFanTest, WithoutPermissionZonesAreTrackedButNothingIsWritten) {
    LoadFromFile(false);
    // A registry load of EnableSmartFan does not grant the permission.
    registry.WriteText(fan->DefaultKey(), "EnableSmartFan", "1");
    registry.WriteText(fan->DefaultKey(), "ReferenceTempItem", "2");
    registry.WriteText(fan->DefaultKey(), "Enable", "1");
    fan->SetUseDefaultFiles(false);
    ASSERT_TRUE(fan->LoadSettings(true, ""));
    ASSERT_TRUE(fan->IsSmartFanEnabled());
    EXPECT_FALSE(fan->IsDutyWriteAllowed());
    fan->LinkReference(temp.get());
    EXPECT_TRUE(Tick(75).empty());
    EXPECT_EQ(fan->SmartFanZone(), CSmartFanItem::kZoneHi);
    EXPECT_EQ(fake.Get(0x5B), 0xFF);
}

TEST_F(SmartFanTest, NoReferenceSkipsSmartFan) {
    LoadFromFile(true);
    fan->LinkReference(nullptr);
    EXPECT_TRUE(Tick(75).empty());
    EXPECT_EQ(fan->SmartFanZone(), CSmartFanItem::kZoneNone);
}

TEST_F(SmartFanTest, RestoreDutyPutsBackWhatTheFirstWriteFound) {
    LoadFromFile(true);
    fake.transfers.clear();
    fan->RestoreDuty();
    EXPECT_TRUE(fake.transfers.empty());  // nothing changed yet
    Tick(55);
    Tick(75);
    ASSERT_EQ(fake.Get(0x5B), 255);
    ASSERT_TRUE(fan->HasChangedDuty());
    fake.Set(0x5B, 0x33);  // whatever is there now
    fan->RestoreDuty();
    EXPECT_EQ(fake.Get(0x5B), 0xFF);
    EXPECT_EQ(fake.Get(0x3E), 0xE3);
}

}  // namespace
