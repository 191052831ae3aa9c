// The engine end to end on the chip simulator library: detection, the
// descriptors of every model, readings against the simulated inputs, and the
// registers it leaves behind.
#include <fcntl.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SimulatorProgram.h"
#include "engine/CAccessLibrary.h"
#include "engine/CHardwareMonitor.h"
#include "engine/CMonitorChip.h"
#include "engine/IShutdownObserver.h"
#include "platform/CRecordingPowerOff.h"
#include "engine/SensorConversion.h"

namespace {

struct Model {
    const char* name;
    uint8_t id;
};

const Model kModels[] = {
    {"W83781D_B", 0x10}, {"W83781D_C", 0x11}, {"W83627F", 0x21},   {"W83782D", 0x30},
    {"W83783S", 0x40},   {"W83784R", 0x50},   {"W83784R_B", 0x51}, {"W83697F", 0x60},
    {"W83785R", 0x61},   {"W83791D_B", 0x70}, {"W83791D_C", 0x71}, {"W83637HF", 0x80},
};

// What every input of the reference board reads as, at the simulator's
// default inputs.
const std::map<int, double> kBoardReadings = {
    {0, 1.50},  {1, 1.20},  {2, 3.30},  {3, 5.0},  {4, 12.0},  {5, -12.0}, {6, -5.0},
    {7, 5.0},   {8, 3.0},   {10, 38.0}, {11, 45.5}, {12, 35.0},
};
const std::map<int, double> kFullSpeedRpm = {{13, 4500}, {14, 3000}, {15, 2700}};

// A second accessor on the same simulated chip, to look at its registers
// from outside the engine.
class ChipInspector {
public:
    explicit ChipInspector(SimulatorProgram& program)
        : m_library(program.loader), m_chip(m_lock, program.messageBox) {
        m_chip.AttachLibrary(&m_library);
    }
    // Register values of bank 0 (the bank register as found first).
    std::map<int, int> Snapshot(const std::vector<int>& registers) {
        std::map<int, int> values;
        const uint8_t bank = m_chip.ReadRegister(0x4E);
        values[0x4E] = bank;
        m_chip.SelectBank(0);
        for (int reg : registers) values[reg] = m_chip.ReadRegister(static_cast<uint8_t>(reg));
        m_chip.WriteRegister(0x4E, bank);
        return values;
    }
    CMonitorChip& Chip() { return m_chip; }

private:
    CCountingChipLock m_lock;
    CAccessLibrary m_library;
    CMonitorChip m_chip;
};

double VoltStep(const CVoltItem& item) {
    // The W83781D's dividers carry the sign in R1: the step is the magnitude.
    if (item.IsInvertingStage()) return std::fabs(SensorConversion::kVoltStep * (item.R1() + item.R2()) / item.R2());
    if (item.IsNegative()) {
        const double d = static_cast<double>(item.R1()) / (item.R1() + item.R2());
        return SensorConversion::kVoltStep / (1.0 - d);
    }
    return SensorConversion::kVoltStep * (item.R1() + item.R2()) / item.R2();
}

TEST(HardwareMonitorSimulatorTest, EveryModelSelectsItsDescriptorAndReadsEveryInput) {
    for (const Model& model : kModels) {
        SCOPED_TRACE(model.name);
        SimulatorProgram program(model.name);
        bool started = false;
        auto engine = program.StartEngine(&started);
        EXPECT_EQ(engine->ChipId(), model.id);
        EXPECT_EQ(engine->DescriptorPath(), program.Directory() + "/" + model.name + ".ini");
        ASSERT_TRUE(started);
        engine->UpdateAll();

        int compared = 0;
        for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) {
            CSensorItem* item = engine->Item(i);
            if (!item->ValueField().IsPresent() || !item->IsEnabled()) continue;
            SCOPED_TRACE(item->Name());
            ASSERT_TRUE(item->IsValueSet());
            if (i < CHardwareMonitor::kFirstTemp) {
                // The first-generation parts' boards carry their negative
                // rails through an inverting stage; they read the same rails.
                auto* volt = engine->Volt(i);
                const double expected = kBoardReadings.at(i);
                EXPECT_NEAR(item->Value(), expected, VoltStep(*volt) + 1e-9);
            } else if (i < CHardwareMonitor::kFirstFan) {
                EXPECT_NEAR(item->Value(), kBoardReadings.at(i), 1.0);
            } else {
                auto* fan = engine->Fan(i - CHardwareMonitor::kFirstFan);
                const double duty = fan->DutyCycleField().IsPresent() ? fan->DutyCycleField().Read() : 255.0;
                const double rpm = kFullSpeedRpm.at(i) * (0.25 + 0.75 * duty / 255.0);
                // One count either way, at the fan's divisor.
                // The 0x50/0x51 parts count at half the clock.
                const double clock = (model.id == 0x50 || model.id == 0x51) ? 675000.0 : 1350000.0;
                const double count = std::floor(clock / (rpm * fan->Divisor()));
                const double step = clock / (fan->Divisor() * count) - clock / (fan->Divisor() * (count + 1));
                EXPECT_NEAR(fan->Rpm(), rpm, step + 1.0) << "duty " << duty << " divisor " << int(fan->Divisor());
            }
            ++compared;
        }
        EXPECT_GE(compared, 6);
        EXPECT_EQ(program.powerOff.Requests(), 0);
    }
}

TEST(HardwareMonitorSimulatorTest, SimctlSwitchesTheModelTheEngineFinds) {
    SimulatorProgram program("W83782D");
    ASSERT_EQ(program.SimCtl("chip W83627F"), 0);
    auto engine = program.StartEngine();
    EXPECT_EQ(engine->ChipId(), 0x21);
    EXPECT_EQ(engine->DescriptorPath(), program.Directory() + "/W83627F.ini");
}

TEST(HardwareMonitorSimulatorTest, AlternateIdentificationIsReadFromTheBankRegister) {
    // This part answers the vendor value at 0x4C/0x4D and 0x60 in 0x4E: it is
    // the 0x61 descriptor, not the main-family 0x60 one.
    SimulatorProgram program("W83785R");
    bool started = false;
    auto engine = program.StartEngine(&started);
    EXPECT_TRUE(started);
    EXPECT_TRUE(engine->Chip().IsAlternateId());
    EXPECT_EQ(engine->ChipId(), 0x61);
    EXPECT_EQ(engine->DescriptorPath(), program.Directory() + "/W83785R.ini");
}

TEST(HardwareMonitorSimulatorTest, StartFailsWithoutAChipOrWithoutTheLibrary) {
    {
        SimulatorProgram program("W83782D", "", "");
        CTempDir::Write(program.Directory() + "/simchip.ini", "[Chip]\nModel=W83782D\n[Faults]\nNoChip=1\n");
        bool started = true;
        auto engine = program.StartEngine(&started);
        EXPECT_FALSE(started);
        EXPECT_EQ(engine->ChipId(), CMonitorChip::kUnknownChipId);
    }
    {
        SimulatorProgram program;
        program.loader.SetMissing(true);
        bool started = true;
        auto engine = program.StartEngine(&started);
        EXPECT_FALSE(started);
        EXPECT_FALSE(engine->IsDriverLoaded());
    }
}

TEST(HardwareMonitorSimulatorTest, DestructionPutsBackEveryRegisterTheEngineChanged) {
    SimulatorProgram program;
    ChipInspector inspector(program);
    // The registers the engine writes on this board: control, beep enables,
    // the fan divisors and the three PWM duties.
    const std::vector<int> watched = {0x40, 0x4B, 0x4C, 0x56, 0x57, 0x5A, 0x5B, 0x5E};
    inspector.Chip().WriteRegister(0x4E, 0x80 | 0x02);  // a peer left bank 2 selected
    const std::map<int, int> before = inspector.Snapshot(watched);
    {
        auto engine = program.StartEngine();
        engine->UpdateAll();
        engine->SetGlobalBeep(false);
        // Smart Fan drove the CPU fan below full speed.
        EXPECT_EQ(engine->Fan(0)->SmartFanZone(), CSmartFanItem::kZoneMid);
        const std::map<int, int> during = inspector.Snapshot(watched);
        EXPECT_EQ(during.at(0x5B), 50);
        EXPECT_EQ(during.at(0x4C) & 0x18, 0x08);
        EXPECT_EQ(during.at(0x4B) & 0x03, 0);
    }
    const std::map<int, int> after = inspector.Snapshot(watched);
    for (int reg : {0x40, 0x4C, 0x56, 0x57, 0x5A, 0x5B, 0x5E, 0x4E}) {
        EXPECT_EQ(after.at(reg), before.at(reg)) << std::hex << reg;
    }
    // The chip is marked as released; the rest of 0x4B holds FAN3's divisor,
    // which follows the settings.
    EXPECT_EQ(after.at(0x4B) & 0x03, 1);
}

TEST(HardwareMonitorSimulatorTest, ALoadOpensEachDescriptorAndDefaultsFileOnceAndTheNextSeesItsChanges) {
    SimulatorProgram program;
    std::map<std::string, int> opens;
    CPrivateProfile profile({}, [&opens](const std::string& path, int flags) {
        ++opens[std::filesystem::path(path).filename().string()];
        return ::open(path.c_str(), flags);
    });
    CEngineSeams seams = program.Seams();
    CHardwareMonitor engine(CEngineSeams{seams.loader, seams.lock, seams.messageBox, profile, seams.registry,
                                         seams.clock, seams.powerOff, seams.programDirectory});
    engine.SetUseDefaultFiles(true);
    engine.SetUsePreferenceFile(false);
    engine.SetPaths("");
    // The files were just copied: their time stamps cannot yet tell a later
    // change, and still each is read once.
    ASSERT_TRUE(engine.StartMonitoring());
    engine.UpdateAll();
    EXPECT_EQ(opens, (std::map<std::string, int>{{"W83782D.ini", 1}, {"def.ini", 1}}));

    std::string defaults = CTempDir::Read(program.m_dir.File("def.ini"));
    const std::size_t at = defaults.find("HiLimit=170");
    ASSERT_NE(at, std::string::npos);
    defaults.replace(at, 11, "HiLimit=175");
    CTempDir::Write(program.m_dir.File("def.ini"), defaults);
    EXPECT_TRUE(engine.LoadAllDefaults());
    EXPECT_DOUBLE_EQ(engine.Volt(0)->HiLimit(), 1.75);
    EXPECT_EQ(opens["def.ini"], 2);
}

// Records what the engine tells about its power-off, with the number of
// requests the seam had seen at that moment.
class RecordingShutdownObserver : public IShutdownObserver {
public:
    explicit RecordingShutdownObserver(const CRecordingPowerOff& powerOff) : m_powerOff(powerOff) {}
    void PowerOffRequested(const CSensorItem& item) override {
        events.push_back("requested " + item.Name() + " after " + std::to_string(m_powerOff.Requests()));
    }
    void PowerOffRefused(const CSensorItem& item, const std::string& reason) override {
        events.push_back("refused " + item.Name() + ": " + reason);
    }
    std::vector<std::string> events;

private:
    const CRecordingPowerOff& m_powerOff;
};

TEST(HardwareMonitorSimulatorTest, AnOutOfRangeInputPowersOffThroughTheSeamAfterItsTime) {
    // VBAT (VOLT9) at 2.0 V is below its 2.70 V limit.
    SimulatorProgram program("W83782D", "", "IN8=2.0\n");
    auto engine = program.StartEngine();
    RecordingShutdownObserver observer(program.powerOff);
    engine->SetShutdownObserver(&observer);
    CSensorItem* battery = engine->Item(8);
    program.clock.AdvanceSeconds(1);
    battery->SetShutDownEnable(true);
    battery->SetShutDownTime(30);
    engine->UpdateAll();
    EXPECT_TRUE(battery->IsOutOfRange());
    EXPECT_EQ(battery->ShutdownSecondsLeft(), 30);
    program.clock.AdvanceSeconds(29.9);
    engine->UpdateAll();
    EXPECT_EQ(battery->ShutdownSecondsLeft(), 1);
    EXPECT_EQ(program.powerOff.Requests(), 0);
    program.clock.AdvanceSeconds(0.1);
    engine->UpdateAll();
    EXPECT_TRUE(battery->IsShutdownPending());
    EXPECT_EQ(program.powerOff.Requests(), 1);
    // The observer heard of it before the request went out.
    EXPECT_EQ(observer.events, (std::vector<std::string>{"requested " + battery->Name() + " after 0"}));
    // An accepted request is not repeated on every tick.
    engine->UpdateAll();
    program.clock.AdvanceSeconds(120);
    engine->UpdateAll();
    EXPECT_EQ(program.powerOff.Requests(), 1);
    engine->SetShutdownObserver(nullptr);
}

TEST(HardwareMonitorSimulatorTest, ARefusedPowerOffIsReportedOnceAndRetriedOnlyAfterAMinute) {
    SimulatorProgram program("W83782D", "", "IN8=2.0\n");
    auto engine = program.StartEngine();
    RecordingShutdownObserver observer(program.powerOff);
    engine->SetShutdownObserver(&observer);
    program.powerOff.Refuse("logind: Operation inhibited");
    CSensorItem* battery = engine->Item(8);
    program.clock.AdvanceSeconds(1);
    battery->SetShutDownEnable(true);
    battery->SetShutDownTime(5);
    engine->UpdateAll();
    program.clock.AdvanceSeconds(5);
    const std::string name = battery->Name();
    struct Step {
        double advance;
        int requests;
    };
    const Step steps[] = {{0, 1}, {2.5, 1}, {2.5, 1}, {50, 1}, {5, 2}, {2.5, 2}, {60, 3}};
    for (const Step& s : steps) {
        program.clock.AdvanceSeconds(s.advance);
        engine->UpdateAll();
        EXPECT_EQ(program.powerOff.Requests(), s.requests) << s.advance;
        EXPECT_TRUE(engine->WasPowerOffRefused());
    }
    EXPECT_EQ(observer.events, (std::vector<std::string>{"requested " + name + " after 0",
                                                         "refused " + name + ": logind: Operation inhibited"}));

    // Switching the item's shut-down off ends the episode; switched on
    // again while still out of range, its timer starts afresh.
    battery->SetShutDownEnable(false);
    engine->UpdateAll();
    EXPECT_FALSE(engine->IsPowerOffRequested());
    battery->SetShutDownEnable(true);
    EXPECT_FALSE(battery->IsShutdownPending());
    EXPECT_EQ(battery->ShutdownSecondsLeft(), -1);
    engine->UpdateAll();
    program.clock.AdvanceSeconds(4);
    engine->UpdateAll();
    EXPECT_FALSE(battery->IsShutdownPending());
    EXPECT_EQ(program.powerOff.Requests(), 3);
    program.clock.AdvanceSeconds(1);
    engine->UpdateAll();
    EXPECT_EQ(program.powerOff.Requests(), 4);
    EXPECT_EQ(observer.events.size(), 4u);
    engine->SetShutdownObserver(nullptr);
}

}  // namespace
