// Items on the in-process fake chip: a detected chip of a chosen
// identification, a profile store in memory, a registry hive in a temporary
// directory and a clock moved by hand.
#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "FakeChip.h"
#include "engine/CAccessLibrary.h"
#include "engine/CItemServices.h"
#include "engine/CMonitorChip.h"
#include "platform/CCountingChipLock.h"
#include "platform/CFakeLibraryLoader.h"
#include "platform/CManualClock.h"
#include "platform/CMemoryPrivateProfile.h"
#include "platform/CRecordingMessageBox.h"
#include "platform/CRegistryKey.h"
#include "support/CTempDir.h"

class ItemFixture : public ::testing::Test {
protected:
    ItemFixture() {
        fake.Install(loader);
        library = std::make_unique<CAccessLibrary>(loader);
        chip.AttachLibrary(library.get());
    }

    // Detects a main-family chip answering id at 0x58, then forgets the
    // detection's transfers.
    void Detect(uint8_t id) {
        fake.SetVendorAt4F(0x5CA3);
        fake.Set(0x58, id);
        ASSERT_TRUE(chip.DetectChip());
        ASSERT_EQ(chip.ChipId(), id);
        fake.transfers.clear();
    }

    template <typename Item>
    std::unique_ptr<Item> Make(const std::string& name = "ITEM") {
        auto item = std::make_unique<Item>(services);
        item->SetSectionName(name);
        item->SetDefaultKey("Software\\Test\\Default\\" + name);
        item->SetPreferenceKey("Software\\Test\\Preference\\" + name);
        item->Attach(&chip);
        return item;
    }

    // Loads an item's descriptor from section text given as the body of
    // its section.
    template <typename Item>
    void Describe(Item& item, const std::string& body) {
        profile.SetFile(kDescriptor, "[" + item.SectionName() + "]\n" + body);
        ASSERT_TRUE(item.LoadDescriptor(kDescriptor));
    }

    // Writes to registers other than the bank register.
    int Writes() const {
        int writes = 0;
        for (const FakeChip::Transfer& t : fake.DataTransfers()) writes += t.write ? 1 : 0;
        return writes;
    }

    static constexpr const char* kDescriptor = "/prog/CHIP.ini";

    FakeChip fake;
    CFakeLibraryLoader loader{"libWbcdflsh.so"};
    CCountingChipLock lock;
    CRecordingMessageBox box;
    std::unique_ptr<CAccessLibrary> library;
    CMonitorChip chip{lock, box};
    CTempDir dir;
    CMemoryPrivateProfile profile;
    CRegistryKey registry{dir.File("registry.db"), kHkeyLocalMachine};
    CManualClock clock{1000, 1};
    CItemServices services{profile, registry, clock};
};

// The W83782D layouts the tests use.
inline const char* const kVoltAt20 =
    "TotalBits=8\nBank1=0\nAddr1=32\nNumOfBits1=8\nHiLimitAddr1=43\nLoLimitAddr1=44\n"
    "BeepAddr=65\nBeepStartBit=0\nStatusBank=4\nStatusAddr=89\nStatusStartBit=0\n";
// The core offset bit of the 0x70/0x71 parts' core input, as their
// descriptors name it: register 0x0C bit 0.
inline const char* const kCoreOffsetBit =
    "VCoreOffsetTotalBits=1\nVCoreOffsetAddr1=12\nVCoreOffsetNumOfBits1=1\nVCoreOffsetStartBit1=0\n";
inline const char* const kTempNineBit =
    "TotalBits=9\nBank1=1\nAddr1=81\nNumOfBits1=1\nStartBit1=7\nBank2=1\nAddr2=80\nNumOfBits2=8\n"
    "HiLimitAddr1=86\nHiLimitAddr2=85\nLoLimitAddr1=84\nLoLimitAddr2=83\n";
inline const char* const kFanOne =
    "TotalBits=8\nAddr1=40\nNumOfBits1=8\nLoLimitAddr1=59\nBeepAddr=65\nBeepStartBit=6\n"
    "FanDivisorTotalBits=3\nFanDivisorAddr1=71\nFanDivisorNumOfBits1=2\nFanDivisorStartBit1=4\n"
    "FanDivisorAddr2=93\nFanDivisorNumOfBits2=1\nFanDivisorStartBit2=5\n"
    "FanDutyCycleTotalBits=8\nFanDutyCycleAddr1=91\nFanDutyCycleNumOfBits1=8\n";
