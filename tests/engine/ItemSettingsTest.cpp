// Item settings in files and in the registry, in both roles.
#include <gtest/gtest.h>

#include "ItemFixture.h"
#include "engine/CSettingsStore.h"
#include "engine/CSmartFanItem.h"
#include "engine/CTempItem.h"
#include "engine/CVoltItem.h"

namespace {

constexpr const char* kFile = "/prog/def.ini";
constexpr const char* kPrefs = "/prog/save.ini";

class ItemSettingsTest : public ItemFixture {
protected:
    void SetUp() override { Detect(0x30); }
};

TEST_F(ItemSettingsTest, FileValuesFollowTheProfileRules) {
    auto volt = Make<CVoltItem>("VOLT1");
    profile.SetFile(kFile,
                    "[VOLT1]\nName=VCore\nEnable=2\nBeepEnable=1\nHiLimit=350\nLoLimit=-1260\n"
                    "HiBound=400abc\nLoBound=x\nNegative=1\nR1=232\nR2=56\n");
    ASSERT_TRUE(volt->LoadSettings(true, kFile));
    EXPECT_EQ(volt->Name(), "VCore");
    EXPECT_FALSE(volt->IsEnabled());  // only 1 is true
    EXPECT_TRUE(volt->IsBeepEnabled());
    EXPECT_DOUBLE_EQ(volt->HiLimit(), 3.5);
    EXPECT_DOUBLE_EQ(volt->LoLimit(), -12.6);
    EXPECT_DOUBLE_EQ(volt->HiBound(), 4.0);
    EXPECT_DOUBLE_EQ(volt->LoBound(), 0.0);
    EXPECT_EQ(volt->ShutDownTime(), 30);  // missing in a file
    EXPECT_TRUE(volt->IsNegative());
    EXPECT_EQ(volt->R1(), 232);
    EXPECT_EQ(volt->R2(), 56);
    EXPECT_FALSE(volt->EnabledByDefault());
}

TEST_F(ItemSettingsTest, RegistryValuesAreStringsAndOnlyOneIsTrue) {
    auto volt = Make<CVoltItem>("VOLT1");
    volt->SetUsePreferenceFile(false);
    const std::string& key = volt->PreferenceKey();
    registry.WriteText(key, "Enable", "1 ");
    registry.WriteText(key, "BeepEnable", "1");
    registry.WriteText(key, "HiLimit", "350abc");
    registry.WriteNumber(key, "LoLimit", 120);  // not a string: reads as missing
    ASSERT_TRUE(volt->LoadSettings(false, ""));
    EXPECT_FALSE(volt->IsEnabled());
    EXPECT_TRUE(volt->IsBeepEnabled());
    EXPECT_EQ(volt->Name(), "");
    EXPECT_EQ(volt->ShutDownTime(), 0);  // missing in the registry
    EXPECT_DOUBLE_EQ(volt->HiLimit(), 3.5);
    EXPECT_DOUBLE_EQ(volt->LoLimit(), 0.0);

    auto other = Make<CVoltItem>("VOLT2");
    other->SetUsePreferenceFile(false);
    EXPECT_FALSE(other->LoadSettings(false, ""));  // no key: nothing loaded
}

TEST_F(ItemSettingsTest, LimitsAreSavedInTruncatedHundredths) {
    struct Case {
        double limit;
        const char* text;
    };
    const Case cases[] = {{3.456, "345"}, {0.29, "29"}, {3.5, "350"}, {-12.6, "-1260"}, {-0.015, "-1"}, {1.1, "110"}};
    for (const Case& c : cases) EXPECT_EQ(std::to_string(CSettingsStore::ToHundredths(c.limit)), c.text) << c.limit;

    auto volt = Make<CVoltItem>("VOLT1");
    profile.SetFile(kPrefs, "; kept\n");
    volt->SetLimits(3.456, 0.29);
    ASSERT_TRUE(volt->SaveSettings(kPrefs));
    EXPECT_EQ(profile.GetString(kPrefs, "VOLT1", "HiLimit", ""), "345");
    EXPECT_EQ(profile.GetString(kPrefs, "VOLT1", "LoLimit", ""), "29");
    // And a load followed by a save keeps every hundredth.
    ASSERT_TRUE(volt->LoadSettings(false, kPrefs));
    ASSERT_TRUE(volt->SaveSettings(kPrefs));
    EXPECT_EQ(profile.GetString(kPrefs, "VOLT1", "LoLimit", ""), "29");
}

TEST_F(ItemSettingsTest, SavingToAFileWritesEveryKeyInOrderAndNeverCreatesTheFile) {
    auto fan = Make<CSmartFanItem>("FAN1");
    Describe(*fan, kFanOne);
    EXPECT_FALSE(fan->SaveSettings(kPrefs));
    EXPECT_FALSE(profile.HasFile(kPrefs));

    profile.SetFile(kPrefs, "");
    fan->SetName("CPU FAN");
    fan->SetDivisor(8);
    fan->SetSmartFanRates(200, 100, 30);
    ASSERT_TRUE(fan->SaveSettings(kPrefs));
    EXPECT_EQ(profile.FileText(kPrefs),
              "[FAN1]\nName=CPU FAN\nEnable=0\nBeepEnable=0\nShutDownEnable=0\nShutDownTime=30\nHiLimit=0\n"
              "LoLimit=0\nHiBound=0\nLoBound=0\nFanDivisor=8\nFanFactor=0\nEnableSmartFan=0\n"
              "ReferenceTempItem=0\nSmartFanRateHi=200\nSmartFanRateMid=100\nSmartFanRateLo=30\n"
              "SmartFanTempHi=70\nSmartFanTempLo=40\nTempTolerance=5\n");
}

TEST_F(ItemSettingsTest, EveryKindRoundTripsThroughTheRegistry) {
    auto volt = Make<CVoltItem>("VOLT6");
    auto temp = Make<CTempItem>("TEMP1");
    auto fan = Make<CSmartFanItem>("FAN1");
    Describe(*fan, kFanOne);
    for (CSensorItem* item : {static_cast<CSensorItem*>(volt.get()), static_cast<CSensorItem*>(temp.get()),
                              static_cast<CSensorItem*>(fan.get())}) {
        item->SetUsePreferenceFile(false);
        item->SetName("Name of " + item->SectionName());
        item->SetEnable(true);
        item->SetBeepEnable(true);
        item->SetShutDownEnable(true);
        item->SetShutDownTime(45);
        item->SetLimits(-10.8, -13.2);
        item->SetBounds(12.34, -0.07);
    }
    volt->SetNegative(true);
    volt->SetResistors(232, 56);
    volt->SetVCore(true);
    temp->SetAddOffset(true);
    fan->SetDivisor(4);
    fan->SetFanFactor(1);
    fan->SetEnableSmartFan(true);
    fan->SetSmartFanRates(240, 120, 60);
    fan->SetSmartFanTemps(65, 45);
    fan->SetTempTolerance(3);
    for (CSensorItem* item : {static_cast<CSensorItem*>(volt.get()), static_cast<CSensorItem*>(temp.get()),
                              static_cast<CSensorItem*>(fan.get())}) {
        ASSERT_TRUE(item->SaveSettings(""));
    }
    EXPECT_TRUE(registry.KeyExists("Software\\Test\\Preference\\FAN1"));

    auto volt2 = Make<CVoltItem>("VOLT6");
    auto temp2 = Make<CTempItem>("TEMP1");
    auto fan2 = Make<CSmartFanItem>("FAN1");
    Describe(*fan2, kFanOne);
    for (CSensorItem* item : {static_cast<CSensorItem*>(volt2.get()), static_cast<CSensorItem*>(temp2.get()),
                              static_cast<CSensorItem*>(fan2.get())}) {
        item->SetUsePreferenceFile(false);
        ASSERT_TRUE(item->LoadSettings(false, ""));
        EXPECT_EQ(item->Name(), "Name of " + item->SectionName());
        EXPECT_TRUE(item->IsEnabled());
        EXPECT_TRUE(item->IsBeepEnabled());
        EXPECT_TRUE(item->IsShutDownEnabled());
        EXPECT_EQ(item->ShutDownTime(), 45);
        EXPECT_DOUBLE_EQ(item->HiLimit(), -10.8);
        EXPECT_DOUBLE_EQ(item->LoLimit(), -13.2);
        EXPECT_DOUBLE_EQ(item->HiBound(), 12.34);
        EXPECT_DOUBLE_EQ(item->LoBound(), -0.07);
    }
    EXPECT_TRUE(volt2->IsNegative());
    EXPECT_EQ(volt2->R1(), 232);
    EXPECT_EQ(volt2->R2(), 56);
    EXPECT_TRUE(volt2->IsVCore());
    EXPECT_TRUE(temp2->AddOffset());
    EXPECT_EQ(fan2->Divisor(), 4);
    EXPECT_EQ(fan2->FanFactor(), 1);
    EXPECT_TRUE(fan2->IsSmartFanEnabled());
    EXPECT_EQ(fan2->SmartFanRateHi(), 240);
    EXPECT_EQ(fan2->SmartFanRateMid(), 120);
    EXPECT_EQ(fan2->SmartFanRateLo(), 60);
    EXPECT_EQ(fan2->SmartFanTempHi(), 65);
    EXPECT_EQ(fan2->SmartFanTempLo(), 45);
    EXPECT_EQ(fan2->TempTolerance(), 3);
}

TEST_F(ItemSettingsTest, DefaultsFromAMissingFileAreTheFileDefaults) {
    auto fan = Make<CSmartFanItem>("FAN1");
    Describe(*fan, kFanOne);
    fan->SetSmartFanRates(1, 2, 3);
    fan->SetSmartFanTemps(4, 5);
    fan->SetTempTolerance(6);
    ASSERT_TRUE(fan->LoadDefaults("/prog/missing.ini"));
    EXPECT_EQ(fan->SmartFanRateHi(), 255);
    EXPECT_EQ(fan->SmartFanRateMid(), 50);
    EXPECT_EQ(fan->SmartFanRateLo(), 20);
    EXPECT_EQ(fan->SmartFanTempHi(), 70);
    EXPECT_EQ(fan->SmartFanTempLo(), 40);
    EXPECT_EQ(fan->TempTolerance(), 5);
    EXPECT_EQ(fan->Divisor(), 2);
    EXPECT_EQ(fake.Get(0x47) & 0x30, 0x10);  // written to the chip at once
    EXPECT_EQ(fan->ShutDownTime(), 30);
    EXPECT_FALSE(fan->LoadDefaults(""));  // no Default key
}

TEST_F(ItemSettingsTest, CoreVoltageGetsLimitsAroundItsFirstReadingUntilPreferencesExist) {
    auto volt = Make<CVoltItem>("VOLT1");
    Describe(*volt, kVoltAt20);
    profile.SetFile(kFile, "[VOLT1]\nEnable=1\nR1=0\nR2=1\nVCore=1\nHiLimit=170\nLoLimit=130\n");
    ASSERT_TRUE(volt->LoadSettings(true, kFile));
    EXPECT_TRUE(volt->EnabledByDefault());
    EXPECT_TRUE(volt->IsAutoLimitPending());
    fake.Set(0x20, 100);  // 1.6 V
    volt->Update();
    EXPECT_NEAR(volt->HiLimit(), 1.8, 1e-9);
    EXPECT_NEAR(volt->LoLimit(), 1.4, 1e-9);
    EXPECT_FALSE(volt->IsAutoLimitArmed());
    // Once used, the band is not taken again by a second load of defaults...
    ASSERT_TRUE(volt->LoadSettings(true, kFile));
    EXPECT_FALSE(volt->IsAutoLimitPending());
    // ...until LoadDefaults re-arms it; stored preferences then win.
    ASSERT_TRUE(volt->LoadDefaults(kFile));
    ASSERT_TRUE(volt->LoadSettings(true, kFile));
    EXPECT_TRUE(volt->IsAutoLimitPending());
    profile.SetFile(kPrefs, "[VOLT1]\nEnable=1\nR1=0\nR2=1\nVCore=1\nHiLimit=160\nLoLimit=140\n");
    ASSERT_TRUE(volt->LoadSettings(false, kPrefs));
    volt->Update();
    EXPECT_DOUBLE_EQ(volt->HiLimit(), 1.6);
}

}  // namespace
