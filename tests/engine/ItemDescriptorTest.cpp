#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "FakeChip.h"
#include "engine/CAccessLibrary.h"
#include "engine/CMonitorChip.h"
#include "engine/CSmartFanItem.h"
#include "engine/CTempItem.h"
#include "engine/CVoltItem.h"
#include "platform/CCountingChipLock.h"
#include "platform/CFakeLibraryLoader.h"
#include "platform/CManualClock.h"
#include "platform/CMemoryPrivateProfile.h"
#include "platform/CRecordingMessageBox.h"
#include "platform/CRegistryKey.h"
#include "support/CTempDir.h"

namespace {

const std::string kDescriptor = "/prog/W83782D.ini";
const std::string kDefaultRoot = "Software\\Dravik\\HardwareMonitor\\P5ADefault";

struct FieldValues {
    int totalBits, bank1, addr1, numOfBits1, startBit1, bank2, addr2, numOfBits2, startBit2;
};

void ExpectField(const CRegisterField& field, const FieldValues& v, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_TRUE(field.IsDefined());
    EXPECT_EQ(field.TotalBits(), v.totalBits);
    EXPECT_EQ(field.Bank1(), v.bank1);
    EXPECT_EQ(field.Addr1(), v.addr1);
    EXPECT_EQ(field.NumOfBits1(), v.numOfBits1);
    EXPECT_EQ(field.StartBit1(), v.startBit1);
    EXPECT_EQ(field.Bank2(), v.bank2);
    EXPECT_EQ(field.Addr2(), v.addr2);
    EXPECT_EQ(field.NumOfBits2(), v.numOfBits2);
    EXPECT_EQ(field.StartBit2(), v.startBit2);
}

class ItemDescriptorTest : public ::testing::Test {
protected:
    ItemDescriptorTest() {
        fake.Install(loader);
        library = std::make_unique<CAccessLibrary>(loader);
        chip.AttachLibrary(library.get());
    }

    template <typename Item>
    std::unique_ptr<Item> MakeItem(const std::string& name, bool fromFiles = true) {
        auto item = std::make_unique<Item>(services);
        item->SetSectionName(name);
        item->SetDefaultKey(kDefaultRoot + "\\" + name);
        item->SetUseDefaultFiles(fromFiles);
        item->Attach(&chip);
        return item;
    }

    FakeChip fake;
    CFakeLibraryLoader loader{"libWbcdflsh.so"};
    CCountingChipLock lock;
    CRecordingMessageBox box;
    std::unique_ptr<CAccessLibrary> library;
    CMonitorChip chip{lock, box};
    CTempDir dir;
    CMemoryPrivateProfile profile;
    CRegistryKey registry{dir.File("registry.db"), kHkeyLocalMachine};
    CManualClock clock;
    CItemServices services{profile, registry, clock};
};

TEST_F(ItemDescriptorTest, CommonKeysFillValueLimitsBeepAndStatus) {
    profile.SetFile(kDescriptor,
                    "[TEMP2]\n"
                    "TotalBits=9\nBank1=1\nAddr1=0x51\nNumOfBits1=1\nStartBit1=7\n"  // "0x51" reads as 0
                    "Bank2=1\nAddr2=80\nNumOfBits2=8\nStartBit2=0\n"
                    "HiLimitAddr1=86\nHiLimitAddr2=85\nLoLimitAddr1=84\nLoLimitAddr2=83\n"
                    "BeepBank=0\nBeepAddr=87\nBeepStartBit=5\n"
                    "StatusBank=0\nStatusAddr=66\nStatusStartBit=5\n"
                    "TempOffsetAddr1=0\nTempOffsetTotalBits=8\n");
    auto temp = MakeItem<CTempItem>("temp2");  // section names are compared without case
    ASSERT_TRUE(temp->LoadDescriptor(kDescriptor));
    ExpectField(temp->ValueField(), {9, 1, 0, 1, 7, 1, 80, 8, 0}, "value");
    ExpectField(temp->HiLimitField(), {9, 1, 86, 1, 7, 1, 85, 8, 0}, "high limit");
    ExpectField(temp->LoLimitField(), {9, 1, 84, 1, 7, 1, 83, 8, 0}, "low limit");
    ExpectField(temp->BeepField(), {1, 0, 87, 1, 5, 0, 0, 0, 0}, "beep");
    ExpectField(temp->StatusField(), {1, 0, 66, 1, 5, 0, 0, 0, 0}, "status");
    EXPECT_FALSE(temp->IsOffsetDefined());
    EXPECT_FALSE(temp->OffsetField().IsDefined());
    EXPECT_TRUE(temp->ValueField().IsAttached());
}

TEST_F(ItemDescriptorTest, TempOffsetIsDefinedOnlyWithAnAddress) {
    profile.SetFile(kDescriptor,
                    "[TEMP1]\nTotalBits=8\nAddr1=39\nNumOfBits1=8\n"
                    "TempOffsetTotalBits=8\nTempOffsetBank1=4\nTempOffsetAddr1=84\nTempOffsetNumOfBits1=8\n"
                    "[TEMP3]\nTotalBits=8\nAddr1=41\nNumOfBits1=8\nTempOffsetTotalBits=8\n");
    auto temp1 = MakeItem<CTempItem>("TEMP1");
    auto temp3 = MakeItem<CTempItem>("TEMP3");
    ASSERT_TRUE(temp1->LoadDescriptor(kDescriptor));
    ASSERT_TRUE(temp3->LoadDescriptor(kDescriptor));
    EXPECT_TRUE(temp1->IsOffsetDefined());
    ExpectField(temp1->OffsetField(), {8, 4, 84, 8, 0, 0, 0, 0, 0}, "offset");
    EXPECT_TRUE(temp1->OffsetField().IsAttached());
    EXPECT_FALSE(temp3->IsOffsetDefined());
    EXPECT_FALSE(temp3->OffsetField().IsDefined());
}

TEST_F(ItemDescriptorTest, SmartFanLoadsFanKeysThenDutyAndPwm) {
    profile.SetFile(kDescriptor,
                    "[FAN1]\nTotalBits=8\nAddr1=40\nNumOfBits1=8\n"
                    "FanDivisorTotalBits=2\nFanDivisorAddr1=71\nFanDivisorNumOfBits1=2\nFanDivisorStartBit1=4\n"
                    "FanDutyCycleTotalBits=8\nFanDutyCycleAddr1=91\nFanDutyCycleNumOfBits1=8\n"
                    "FanPWMOutTotalBits=1\nFanPWMOutBank1=0\nFanPWMOutAddr1=92\nFanPWMOutNumOfBits1=1\n"
                    "FanPWMOutStartBit1=3\n");
    auto fan = MakeItem<CSmartFanItem>("FAN1");
    ASSERT_TRUE(fan->LoadDescriptor(kDescriptor));
    ExpectField(fan->ValueField(), {8, 0, 40, 8, 0, 0, 0, 0, 0}, "value");
    ExpectField(fan->DivisorField(), {2, 0, 71, 2, 4, 0, 0, 0, 0}, "divisor");
    ExpectField(fan->DutyCycleField(), {8, 0, 91, 8, 0, 0, 0, 0, 0}, "duty");
    ExpectField(fan->PwmOutField(), {1, 0, 92, 1, 3, 0, 0, 0, 0}, "pwm");
    EXPECT_TRUE(fan->IsDutyCycleDefined());
    EXPECT_TRUE(fan->IsPwmOutDefined());
    EXPECT_TRUE(fan->DutyCycleField().IsAttached());
    EXPECT_TRUE(fan->DivisorField().IsAttached());
}

TEST_F(ItemDescriptorTest, MissingSectionLoadsEveryFieldAbsent) {
    profile.SetFile(kDescriptor, "[VOLT1]\nTotalBits=8\nAddr1=32\nNumOfBits1=8\n");
    auto volt = MakeItem<CVoltItem>("VOLT9");
    auto fan = MakeItem<CSmartFanItem>("FAN5");
    ASSERT_TRUE(volt->LoadDescriptor(kDescriptor));
    ASSERT_TRUE(fan->LoadDescriptor(kDescriptor));
    for (const CRegisterField* field : {&volt->ValueField(), &volt->HiLimitField(), &volt->LoLimitField(),
                                        &fan->ValueField(), &fan->DivisorField(), &fan->DutyCycleField(),
                                        &fan->PwmOutField()}) {
        EXPECT_EQ(field->TotalBits(), 0);
        EXPECT_FALSE(field->IsPresent());
        EXPECT_DOUBLE_EQ(field->Read(), 0.0);
    }
    EXPECT_FALSE(volt->BeepField().IsPresent());
    EXPECT_TRUE(fake.transfers.empty());
}

TEST_F(ItemDescriptorTest, UnopenableDescriptorFailsEveryKind) {
    auto volt = MakeItem<CVoltItem>("VOLT1");
    auto temp = MakeItem<CTempItem>("TEMP1");
    auto fan = MakeItem<CSmartFanItem>("FAN1");
    EXPECT_FALSE(volt->LoadDescriptor("/prog/missing.ini"));
    EXPECT_FALSE(temp->LoadDescriptor("/prog/missing.ini"));
    EXPECT_FALSE(fan->LoadDescriptor("/prog/missing.ini"));
    EXPECT_FALSE(fan->IsDutyCycleDefined());
}

TEST_F(ItemDescriptorTest, RegistryDescriptorUsesTheLowByteOfEachValue) {
    const std::string key = kDefaultRoot + "\\TEMP1";
    ASSERT_TRUE(registry.WriteNumber(key, "TotalBits", 0x109));  // low byte 9
    ASSERT_TRUE(registry.WriteNumber(key, "Bank1", 1));
    ASSERT_TRUE(registry.WriteNumber(key, "Addr1", 0xFFFF'FF51u));
    ASSERT_TRUE(registry.WriteNumber(key, "NumOfBits1", 1));
    ASSERT_TRUE(registry.WriteNumber(key, "StartBit1", 7));
    ASSERT_TRUE(registry.WriteNumber(key, "Addr2", 0x50));
    ASSERT_TRUE(registry.WriteNumber(key, "NumOfBits2", 8));
    ASSERT_TRUE(registry.WriteNumber(key, "TempOffsetTotalBits", 8));
    ASSERT_TRUE(registry.WriteNumber(key, "TempOffsetAddr1", 0x54));
    ASSERT_TRUE(registry.WriteNumber(key, "TempOffsetNumOfBits1", 8));
    ASSERT_TRUE(registry.WriteText(key, "BeepAddr", "87"));  // not a 4-byte value: reads as 0

    auto temp = MakeItem<CTempItem>("TEMP1", false);
    ASSERT_TRUE(temp->LoadDescriptor("ignored.ini"));
    ExpectField(temp->ValueField(), {9, 1, 0x51, 1, 7, 0, 0x50, 8, 0}, "value");
    EXPECT_TRUE(temp->IsOffsetDefined());
    ExpectField(temp->OffsetField(), {8, 0, 0x54, 8, 0, 0, 0, 0, 0}, "offset");
    EXPECT_EQ(temp->BeepField().Addr1(), 0);

    auto missing = MakeItem<CTempItem>("TEMP2", false);
    EXPECT_FALSE(missing->LoadDescriptor("ignored.ini"));
}

TEST_F(ItemDescriptorTest, ItemsStartWithTheirDesignedState) {
    clock = CManualClock(3'579'545);
    auto volt = MakeItem<CVoltItem>("VOLT1");
    auto fan = MakeItem<CSmartFanItem>("FAN1");
    EXPECT_EQ(volt->ShutDownTime(), 30);
    EXPECT_EQ(volt->CounterFrequency(), 3'579'545);
    EXPECT_EQ(volt->OutOfRangeStart(), 0);
    EXPECT_TRUE(volt->IsAutoLimitArmed());
    EXPECT_FALSE(volt->IsAutoLimitPending());
    EXPECT_FALSE(volt->IsPreferenceKeySet());
    EXPECT_TRUE(volt->IsDefaultKeySet());
    EXPECT_EQ(volt->Chip(), &chip);
    EXPECT_EQ(fan->SmartFanZone(), CSmartFanItem::kZoneNone);
    EXPECT_FALSE(fan->IsDutyWriteAllowed());
    EXPECT_FALSE(fan->IsDivisorKnown());
    fan->SetFanFactor(3);
    EXPECT_DOUBLE_EQ(fan->FanScale(), 8.0);
    fan->SetFanFactor(-1);
    EXPECT_DOUBLE_EQ(fan->FanScale(), 0.5);
}

}  // namespace
