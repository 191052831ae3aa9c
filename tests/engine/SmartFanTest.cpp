// Smart Fan zones, duty writes and their restoration.
#include <gtest/gtest.h>

#include "ItemFixture.h"
#include "engine/CSmartFanItem.h"
#include "engine/CTempItem.h"
#include "engine/IAsFoundKeeper.h"

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

// Records which registers it was told about, and what they held then.
class RecordingKeeper : public IAsFoundKeeper {
public:
    explicit RecordingKeeper(FakeChip& fake) : m_fake(fake) {}
    void KeepField(const CRegisterField& field) override { kept.push_back({field.Addr1(), m_fake.Get(field.Addr1())}); }
    std::vector<std::pair<int, int>> kept;

private:
    FakeChip& m_fake;
};

TEST_F(SmartFanTest, EveryDutyRegisterIsKeptBeforeItIsFirstWritten) {
    RecordingKeeper keeper(fake);
    fan->SetAsFoundKeeper(&keeper);
    LoadFromFile(true);
    EXPECT_TRUE(keeper.kept.empty());  // nothing changed yet
    Tick(55);
    // PWMOut (0x3E) and the duty (0x5B), each as found before its write.
    const std::vector<std::pair<int, int>> expected = {{0x3E, 0xE3}, {0x5B, 0xFF}};
    EXPECT_EQ(keeper.kept, expected);
    EXPECT_EQ(fake.Get(0x5B), fan->SmartFanRateMid());
}

TEST_F(SmartFanTest, NoDutyIsWrittenWhileThePinDrivesSomethingElse) {
    // The duty output shares a pin; the firmware gives it to PWM when bit 3
    // of 0x5C is set and bit 4 of 0x4D is clear.
    profile.SetFile(kDescriptor, std::string("[FAN1]\n") + kFanOne +
                                     "FanPwmPinTotalBits=2\nFanPwmPinAddr1=92\nFanPwmPinNumOfBits1=1\n"
                                     "FanPwmPinStartBit1=3\nFanPwmPinAddr2=77\nFanPwmPinNumOfBits2=1\n"
                                     "FanPwmPinStartBit2=4\nFanPwmPinValue=1\n");
    ASSERT_TRUE(fan->LoadDescriptor(kDescriptor));
    LoadFromFile(true);
    struct Case {
        uint8_t reg5C, reg4D;
        bool drives;
    };
    for (const Case c : {Case{0x11, 0x00, false}, Case{0x19, 0x10, false}, Case{0x19, 0x00, true}}) {
        fake.Set(0x5C, c.reg5C);
        fake.Set(0x4D, c.reg4D);
        fake.Set(0x5B, 0xFF);
        EXPECT_EQ(fan->IsPwmPinDriving(), c.drives);
        fan->SetDutyLo();
        EXPECT_EQ(fake.Get(0x5B), c.drives ? fan->SmartFanRateLo() : 0xFF) << std::hex << int(c.reg5C);
    }
}

}  // namespace
