// The engine's lifecycle and its operations on the fake chip, with the
// shipped W83782D descriptor and board defaults in a profile store in memory.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "FakeChip.h"
#include "SimulatorProgram.h"
#include "engine/CHardwareMonitor.h"
#include "platform/CCountingChipLock.h"
#include "platform/CFakeLibraryLoader.h"
#include "platform/CManualClock.h"
#include "platform/CMemoryPrivateProfile.h"
#include "platform/CRecordingMessageBox.h"
#include "platform/CRecordingPowerOff.h"
#include "platform/CRegistryKey.h"
#include "support/CTempDir.h"

namespace {

class HardwareMonitorTest : public ::testing::Test {
protected:
    HardwareMonitorTest() {
        fake.Install(loader);
        fake.SetVendorAt4F(0x5CA3);
        fake.Set(0x58, 0x30);
        profile.SetFile("/prog/W83782D.ini", CTempDir::Read(BuildProgramDirectory() + "/W83782D.ini"));
        profile.SetFile("/prog/def.ini", CTempDir::Read(BuildProgramDirectory() + "/def.ini"));
        // Fans turning: 1350000 / (count x divisor).
        fake.Set(0x28, 40);
        fake.Set(0x29, 100);
        fake.Set(0x2A, 120);
    }

    std::unique_ptr<CHardwareMonitor> MakeEngine() {
        return std::make_unique<CHardwareMonitor>(
            CEngineSeams{loader, lock, box, profile, registry, clock, powerOff, "/prog"});
    }

    std::unique_ptr<CHardwareMonitor> StartEngine(const std::string& board = "") {
        auto engine = MakeEngine();
        engine->SetUseDefaultFiles(true);
        engine->SetUsePreferenceFile(false);
        engine->SetPaths(board);
        EXPECT_TRUE(engine->StartMonitoring());
        return engine;
    }

    int Reads(uint8_t reg, uint8_t bank) const {
        int reads = 0;
        for (const FakeChip::Transfer& t : fake.transfers) reads += !t.write && t.reg == reg && t.bank == bank;
        return reads;
    }

    FakeChip fake;
    CFakeLibraryLoader loader{"libWbcdflsh.so"};
    CCountingChipLock lock;
    CRecordingMessageBox box;
    CMemoryPrivateProfile profile;
    CTempDir dir;
    CRegistryKey registry{dir.File("registry.db"), kHkeyLocalMachine};
    CManualClock clock;
    CRecordingPowerOff powerOff;
};

TEST_F(HardwareMonitorTest, ConstructionTakesOverTheChipAndDestructionHandsItBack) {
    fake.Set(0x40, 0x03);
    fake.Set(0x4C, 0x00);
    fake.Set(0x56, 0x12, 0);
    fake.Set(0x57, 0x34, 0);
    fake.Set(0x4B, 0x42);
    fake.Set(0x4E, 0x81);
    {
        auto engine = MakeEngine();
        EXPECT_TRUE(engine->IsDriverLoaded());
        EXPECT_EQ(fake.Get(0x40), 0x01);
        EXPECT_EQ(fake.Get(0x4C), 0x08);
        engine->SetPaths("");
        ASSERT_TRUE(engine->StartMonitoring());
        EXPECT_EQ(fake.Get(0x4B) & 0x03, 0);
        engine->SetGlobalBeep(true);
    }
    EXPECT_EQ(fake.Get(0x40), 0x03);
    EXPECT_EQ(fake.Get(0x4C), 0x00);
    EXPECT_EQ(fake.Get(0x56, 0), 0x12);
    EXPECT_EQ(fake.Get(0x57, 0), 0x34);
    EXPECT_EQ(fake.Get(0x4B) & 0x03, 1);
    EXPECT_EQ(fake.Get(0x4E), 0x81);
    EXPECT_EQ(fake.unloadCalls, 1);
}

TEST_F(HardwareMonitorTest, ADeferredEngineReachesNothingUntilConnectAndConnectsOnce) {
    fake.Set(0x40, 0x03);
    fake.Set(0x4C, 0x00);
    {
        CHardwareMonitor engine(CEngineSeams{loader, lock, box, profile, registry, clock, powerOff, "/prog"},
                                CHardwareMonitor::DeferConnect{});
        // Items read before Connect fail without a transfer.
        engine.UpdateAll();
        EXPECT_EQ(loader.Opens(), 0);
        EXPECT_TRUE(fake.transfers.empty());
        EXPECT_FALSE(engine.IsConnected());

        engine.Connect();
        EXPECT_TRUE(engine.IsConnected());
        EXPECT_TRUE(engine.IsDriverLoaded());
        EXPECT_EQ(fake.Get(0x40), 0x01);
        EXPECT_EQ(fake.Get(0x4C), 0x08);
        const std::size_t transfers = fake.transfers.size();
        engine.Connect();
        EXPECT_EQ(loader.Opens(), 1);
        EXPECT_EQ(fake.transfers.size(), transfers);
        engine.SetPaths("");
        EXPECT_TRUE(engine.StartMonitoring());
    }
    EXPECT_EQ(fake.Get(0x40), 0x03);
    EXPECT_EQ(fake.Get(0x4C), 0x00);
    EXPECT_EQ(fake.unloadCalls, 1);

    // Released before it connected: it never takes the chip.
    fake.transfers.clear();
    CHardwareMonitor released(CEngineSeams{loader, lock, box, profile, registry, clock, powerOff, "/prog"},
                              CHardwareMonitor::DeferConnect{});
    released.ReleaseChip();
    released.Connect();
    EXPECT_FALSE(released.IsConnected());
    EXPECT_TRUE(fake.transfers.empty());
    EXPECT_EQ(loader.Opens(), 1);
}

TEST_F(HardwareMonitorTest, StartBeforeSetPathsFailsWithoutTouchingTheChip) {
    auto engine = MakeEngine();
    fake.transfers.clear();
    EXPECT_FALSE(engine->StartMonitoring());
    EXPECT_TRUE(fake.transfers.empty());
}

TEST_F(HardwareMonitorTest, AnUnknownIdentificationHasNoDescriptorAndIsNeverWritten) {
    // Whatever answers the vendor value without a known identification is
    // no chip the engine may set up: only detection's own bank register
    // traffic reaches it, and that is put back.
    for (const bool vendorAnswers : {true, false}) {
        SCOPED_TRACE(vendorAnswers);
        fake.Set(0x58, 0x99);
        fake.SetVendorAt4F(vendorAnswers ? 0x5CA3 : 0x1234);
        fake.Set(0x4E, 0x80);
        fake.transfers.clear();
        {
            auto engine = MakeEngine();
            EXPECT_FALSE(engine->IsChipIdentified());
            if (vendorAnswers) {
                EXPECT_EQ(engine->DescriptorPath(), "/prog/");
            }
            engine->SetPaths("");
            EXPECT_FALSE(engine->StartMonitoring());
            engine->UpdateAll();
            engine->SetGlobalBeep(false);
        }
        for (const FakeChip::Transfer& t : fake.transfers) {
            if (t.write) {
                EXPECT_EQ(t.reg, 0x4E) << "register " << std::hex << int(t.reg) << " written";
            }
        }
        EXPECT_EQ(fake.Get(0x4E), 0x80);
    }
}

TEST_F(HardwareMonitorTest, PathsUseSlashesForFilesAndBackslashesForKeys) {
    auto engine = MakeEngine();
    engine->SetUseDefaultFiles(false);
    engine->SetPaths("Boards\\P5A");
    EXPECT_EQ(engine->GetDefaultIniPath(), "/prog/Boards/P5Adef.ini");
    EXPECT_EQ(engine->PreferencesFilePath(), "/prog/Boards/P5Asave.ini");
    EXPECT_EQ(engine->DefaultKeyRoot(), "Software\\Dravik\\HardwareMonitor\\Boards\\P5ADefault");
    EXPECT_EQ(engine->PreferenceKeyRoot(), "Software\\Dravik\\HardwareMonitor\\Boards\\P5APreference");
    EXPECT_EQ(engine->Item(13)->DefaultKey(), "Software\\Dravik\\HardwareMonitor\\Boards\\P5ADefault\\FAN1");
    EXPECT_EQ(engine->Item(0)->SectionName(), "VOLT1");
    EXPECT_FALSE(engine->Item(0)->UseDefaultFiles());
    EXPECT_EQ(engine->Item(18), nullptr);
    EXPECT_EQ(engine->Item(-1), nullptr);
    // Without Default keys in the registry there is nothing to start from.
    EXPECT_FALSE(engine->StartMonitoring());
}

TEST_F(HardwareMonitorTest, AFanStillAtTheFirstReadingAfterALoadIsSwitchedOff) {
    auto engine = StartEngine();
    ASSERT_TRUE(engine->Item(14)->IsEnabled());
    fake.Set(0x29, 255);  // FAN2 stopped
    engine->UpdateAll();
    EXPECT_FALSE(engine->Item(14)->IsEnabled());
    EXPECT_TRUE(engine->Item(13)->IsEnabled());
    fake.Set(0x28, 255);  // FAN1 stops later: an alarm, not a missing fan
    engine->UpdateAll();
    EXPECT_TRUE(engine->Item(13)->IsEnabled());
    // A load makes the next reading the first again.
    engine->LoadAllDefaults();
    engine->UpdateAll();
    EXPECT_FALSE(engine->Item(13)->IsEnabled());
}

TEST_F(HardwareMonitorTest, EachStatusRegisterIsReadOncePerTick) {
    auto engine = StartEngine();
    for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) engine->Item(i)->SetShutDownEnable(true);
    fake.transfers.clear();
    engine->UpdateAll();
    // Items of three status registers (4:0x59, 0x5A, 0x5B) ran their timers.
    EXPECT_EQ(Reads(0x59, 4), 1);
    EXPECT_EQ(Reads(0x5A, 4), 1);
    EXPECT_EQ(Reads(0x5B, 4), 1);
    // The warnings after the tick see the same bytes without reading again.
    for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) engine->Item(i)->IsOutOfRange();
    EXPECT_EQ(Reads(0x59, 4), 1);
}

TEST_F(HardwareMonitorTest, GlobalBeepIsBitSevenOf57) {
    auto engine = MakeEngine();
    fake.Set(0x57, 0x34, 0);
    engine->SetGlobalBeep(true);
    EXPECT_EQ(fake.Get(0x57, 0), 0xB4);
    engine->SetGlobalBeep(false);
    EXPECT_EQ(fake.Get(0x57, 0), 0x34);
}

TEST_F(HardwareMonitorTest, SuspendSnapshotBringsBackLimitsBeepsAndDivisors) {
    auto engine = StartEngine();
    CSensorItem* vtt = engine->Item(1);
    CSmartFanItem* cpuFan = engine->Fan(0);
    const double hi = vtt->HiLimit();
    const uint8_t divisor = cpuFan->Divisor();
    engine->RememberSettings();
    vtt->SetLimits(2.0, 0.5);
    vtt->SetBeepEnable(false);
    cpuFan->SetDivisor(1);
    fake.Set(0x2D, 0);  // the chip forgot VTT's high limit over the suspend
    engine->RestoreSettings();
    EXPECT_DOUBLE_EQ(vtt->HiLimit(), hi);
    EXPECT_TRUE(vtt->IsBeepEnabled());
    EXPECT_EQ(cpuFan->Divisor(), divisor);
    EXPECT_EQ(fake.Get(0x2D), static_cast<int>(hi / 0.016));

    // A resume without a suspend before it changes nothing.
    auto other = StartEngine();
    const double otherHi = other->Item(1)->HiLimit();
    other->RestoreSettings();
    EXPECT_DOUBLE_EQ(other->Item(1)->HiLimit(), otherHi);
    EXPECT_NE(other->Fan(0)->Divisor(), 0);
}

TEST_F(HardwareMonitorTest, PreferencesLiveInTheBoardsPreferenceKeys) {
    auto engine = StartEngine();
    engine->Item(0)->SetLimits(1.9, 1.1);
    ASSERT_TRUE(engine->SaveAllPreferences());
    std::string text;
    ASSERT_TRUE(registry.ReadText("Software\\Dravik\\HardwareMonitor\\Preference\\VOLT1", "HiLimit", text));
    EXPECT_EQ(text, "190");
    auto next = StartEngine();
    EXPECT_DOUBLE_EQ(next->Item(0)->HiLimit(), 1.9);
    // Stored preferences keep the core voltage's own limits.
    next->UpdateAll();
    EXPECT_DOUBLE_EQ(next->Item(0)->HiLimit(), 1.9);

    auto files = MakeEngine();
    files->SetPaths("");
    EXPECT_FALSE(files->SaveAllPreferences());  // no save.ini, and none is made
    EXPECT_FALSE(profile.HasFile("/prog/save.ini"));
}

TEST_F(HardwareMonitorTest, AMissingDefaultsFileFailsTheStart) {
    profile.RemoveFile("/prog/def.ini");
    auto engine = MakeEngine();
    engine->SetUsePreferenceFile(false);
    engine->SetPaths("");
    EXPECT_FALSE(engine->StartMonitoring());
}

}  // namespace
