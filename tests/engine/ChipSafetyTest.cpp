// The chip left safe and the readings true, through the real engine on the
// chip simulator: Smart Fan fans never left slow, the chip handed back as it
// was found by overlapping and killed drivers, every model's items raising
// their status and beep bits past their limits, and absent inputs absent.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SimulatorProgram.h"
#include "engine/CAccessLibrary.h"
#include "engine/CHardwareMonitor.h"
#include "engine/CMonitorChip.h"
#include "engine/IChipWriteGuard.h"
#include "platform/CFileChipLock.h"

namespace {

// A second accessor on the simulated chip, for looking at and setting its
// registers as another program (or the BIOS) would.
class Registers {
public:
    explicit Registers(SimulatorProgram& program) : m_library(program.loader), m_chip(m_lock, program.messageBox) {
        m_chip.AttachLibrary(&m_library);
    }
    int Get(uint8_t reg, uint8_t bank = 0) {
        const uint8_t saved = m_chip.ReadRegister(0x4E);
        m_chip.SelectBank(bank);
        const int value = m_chip.ReadRegister(reg);
        m_chip.WriteRegister(0x4E, saved);
        return value;
    }
    void Set(uint8_t reg, uint8_t value, uint8_t bank = 0) {
        if (reg == 0x4E) return m_chip.WriteRegister(reg, value);
        const uint8_t saved = m_chip.ReadRegister(0x4E);
        m_chip.SelectBank(bank);
        m_chip.WriteRegister(reg, value);
        m_chip.WriteRegister(0x4E, saved);
    }
    std::map<int, int> Snapshot(const std::vector<int>& registers) {
        std::map<int, int> values;
        for (int reg : registers) values[reg] = reg == 0x4E ? m_chip.ReadRegister(0x4E) : Get(static_cast<uint8_t>(reg));
        return values;
    }

private:
    CCountingChipLock m_lock;
    CAccessLibrary m_library;
    CMonitorChip m_chip;
};

constexpr uint8_t kCpuFanDuty = 0x5B;  // pwm1 of the reference board's W83782D, FAN1

const char* const kModelNames[] = {"W83781D_B", "W83781D_C", "W83627F",   "W83782D", "W83783S",  "W83784R",
                                   "W83784R_B", "W83697F",   "W83785R",   "W83791D_B", "W83791D_C", "W83637HF"};

// ---- Fans ----------------------------------------------------------------

struct FanCase {
    const char* name;
    const char* inputs;
    bool referenceOffInDefaults;
    // What happens after the first reading; then the fan must be at full duty.
    void (*act)(CHardwareMonitor&);
    // Undoes it; then Smart Fan drives again (nullptr: nothing to undo).
    void (*undo)(CHardwareMonitor&);
};

TEST(ChipSafetyTest, ASmartFanFanWithoutARealReadingRunsAtFullDuty) {
    const FanCase cases[] = {
        {"fan stands at the first reading", "FAN1=0\nTEMP2=30\n", false, [](CHardwareMonitor&) {}, nullptr},
        {"user switches the fan off", "TEMP2=30\n", false, [](CHardwareMonitor& e) { e.Fan(0)->SetEnable(false); },
         [](CHardwareMonitor& e) { e.Fan(0)->SetEnable(true); }},
        {"reference switched off", "TEMP2=30\n", false, [](CHardwareMonitor& e) { e.Temp(1)->SetEnable(false); },
         [](CHardwareMonitor& e) { e.Temp(1)->SetEnable(true); }},
        {"reference never read", "TEMP2=30\n", true, [](CHardwareMonitor&) {}, nullptr},
    };
    for (const FanCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatorProgram program("W83782D", "", c.inputs);
        if (c.referenceOffInDefaults) program.profile.WriteString(program.Directory() + "/def.ini", "TEMP2", "Enable", "0");
        Registers chip(program);
        bool started = false;
        auto engine = program.StartEngine(&started);
        ASSERT_TRUE(started);
        engine->UpdateAll();
        c.act(*engine);
        engine->UpdateAll();
        EXPECT_EQ(chip.Get(kCpuFanDuty), 0xFF);
        // The CPU heats up: nothing may have left the fan slow meanwhile.
        ASSERT_EQ(program.SimCtl("set TEMP2=95"), 0);
        engine->UpdateAll();
        engine->UpdateAll();
        EXPECT_EQ(chip.Get(kCpuFanDuty), 0xFF);
        EXPECT_TRUE(engine->Fan(0)->IsHeldAtFullSpeed());
        if (c.undo) {
            ASSERT_EQ(program.SimCtl("set TEMP2=50"), 0);
            c.undo(*engine);
            engine->UpdateAll();
            EXPECT_EQ(chip.Get(kCpuFanDuty), engine->Fan(0)->SmartFanRateMid());
            EXPECT_FALSE(engine->Fan(0)->IsHeldAtFullSpeed());
        }
    }
}

TEST(ChipSafetyTest, Pwm2DrivesOnlyWhileItOwnsThePinItSharesWithFan3) {
    SimulatorProgram program("W83782D");
    program.profile.WriteString(program.Directory() + "/def.ini", "FAN2", "EnableSmartFan", "1");
    program.profile.WriteString(program.Directory() + "/def.ini", "FAN2", "ReferenceTempItem", "2");
    // A divisor that still counts the slowed fan.
    program.profile.WriteString(program.Directory() + "/def.ini", "FAN2", "FanDivisor", "8");
    Registers chip(program);
    {
        // As the board's firmware left it (0x5C bit 3 clear) the pin is the
        // fan3 input: no duty is written into pwm2.
        auto engine = program.StartEngine();
        engine->UpdateAll();
        EXPECT_EQ(chip.Get(0x5A), 0xFF);
        EXPECT_FALSE(engine->Fan(1)->IsPwmPinDriving());
        EXPECT_TRUE(engine->Fan(2)->IsEnabled());
        EXPECT_GT(engine->Fan(2)->Rpm(), 2000);
    }
    chip.Set(0x5C, static_cast<uint8_t>(chip.Get(0x5C) | 0x08));
    {
        // Given to pwm2, the pin drives FAN2 and fan3 reads no speed: FAN3
        // is switched off at the first reading.
        auto engine = program.StartEngine();
        engine->UpdateAll();
        EXPECT_TRUE(engine->Fan(1)->IsPwmPinDriving());
        EXPECT_EQ(chip.Get(0x5A), engine->Fan(1)->SmartFanRateMid());
        EXPECT_LT(engine->Fan(1)->Rpm(), 3000 * 0.5);
        EXPECT_FALSE(engine->Fan(2)->IsEnabled());
    }
}

// ---- Handing the chip back --------------------------------------------------

// Registers the engine changes on the reference board, with values the board
// holds before any driver starts (not the power-on ones, so that a restore
// from the wrong source shows).
const std::vector<int> kWatched = {0x40, 0x4C, 0x56, 0x57, 0x5A, 0x5B, 0x5D, 0x4E};

std::map<int, int> PrepareAsFound(Registers& chip) {
    chip.Set(0x40, 0x03);
    chip.Set(kCpuFanDuty, 0xC0);
    chip.Set(0x56, 0x01);
    chip.Set(0x4E, 0x82);
    return chip.Snapshot(kWatched);
}

CEngineSeams SeamsWithLock(SimulatorProgram& program, IChipLock& lock) {
    return CEngineSeams{program.loader, lock,          program.messageBox, program.profile, *program.registry,
                        program.clock,  program.powerOff, program.Directory()};
}

std::unique_ptr<CHardwareMonitor> StartWithLock(SimulatorProgram& program, IChipLock& lock) {
    auto engine = std::make_unique<CHardwareMonitor>(SeamsWithLock(program, lock));
    engine->SetUseDefaultFiles(true);
    engine->SetUsePreferenceFile(false);
    engine->SetPaths("");
    EXPECT_TRUE(engine->StartMonitoring());
    engine->UpdateAll();
    return engine;
}

void ExpectAsFound(Registers& chip, const std::map<int, int>& before) {
    const std::map<int, int> after = chip.Snapshot(kWatched);
    for (int reg : kWatched) EXPECT_EQ(after.at(reg), before.at(reg)) << "register 0x" << std::hex << reg;
}

TEST(ChipSafetyTest, OverlappingDriversHandBackWhatTheFirstFound) {
    for (const bool firstLeavesFirst : {true, false}) {
        SCOPED_TRACE(firstLeavesFirst ? "first leaves first" : "last started leaves first");
        SimulatorProgram program;
        Registers chip(program);
        const std::map<int, int> before = PrepareAsFound(chip);
        CFileChipLock lockA(program.Directory() + "/Dravik_SM_Event");
        CFileChipLock lockB(program.Directory() + "/Dravik_SM_Event");
        auto a = StartWithLock(program, lockA);
        EXPECT_EQ(chip.Get(kCpuFanDuty), a->Fan(0)->SmartFanRateMid());
        EXPECT_EQ(chip.Get(0x5D) & 1, 1);  // VBAT monitoring on
        auto b = StartWithLock(program, lockB);
        auto& leaving = firstLeavesFirst ? a : b;
        auto& staying = firstLeavesFirst ? b : a;
        leaving->ReleaseChip();
        // Still driven by the other: nothing handed back yet.
        EXPECT_EQ(chip.Get(kCpuFanDuty), staying->Fan(0)->SmartFanRateMid());
        EXPECT_EQ(chip.Get(0x4B) & 3, 0);
        leaving.reset();
        staying.reset();
        ExpectAsFound(chip, before);
        EXPECT_EQ(chip.Get(0x4B) & 3, 1);
    }
}

// "Status: 0x000000, beeper silent" of kelvane-simctl show.
std::string StatusLine(const SimulatorProgram& program) {
    const std::string command = BuildProgramDirectory() + "/kelvane-simctl --dir '" + program.Directory() + "' show";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return {};
    std::string text;
    char buffer[4096];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
    ::pclose(pipe);
    const size_t at = text.find("Status: ");
    if (at == std::string::npos) return {};
    const size_t end = text.find(", selected", at);
    return text.substr(at, end - at);
}

TEST(ChipSafetyTest, EveryModelIsSilentAndAsFoundAfterAnOrdinaryExit) {
    for (const char* model : kModelNames) {
        SCOPED_TRACE(model);
        SimulatorProgram program(model);
        Registers chip(program);
        const std::string before = StatusLine(program);
        ASSERT_FALSE(before.empty());
        // Every beep-enable register of every bank and the duties.
        const std::vector<std::pair<int, int>> watched = {
            {0x56, 0}, {0x57, 0}, {0x53, 4}, {0xA3, 0}, {0x5D, 0}, {0x5A, 0}, {0x5B, 0}, {0x01, 0}, {0x03, 0},
            {0x11, 0}, {0x81, 0}, {0x83, 0}, {0x94, 0}, {0x40, 0}, {0x4C, 0}};
        std::map<std::pair<int, int>, int> found;
        for (const auto& [reg, bank] : watched) found[{reg, bank}] = chip.Get(static_cast<uint8_t>(reg), static_cast<uint8_t>(bank));
        {
            bool started = false;
            auto engine = program.StartEngine(&started);
            ASSERT_TRUE(started);
            engine->UpdateAll();
            engine->UpdateAll();
        }
        EXPECT_EQ(StatusLine(program), before);
        for (const auto& [reg, bank] : watched) {
            EXPECT_EQ(chip.Get(static_cast<uint8_t>(reg), static_cast<uint8_t>(bank)), (found[{reg, bank}]))
                << "register " << bank << ":0x" << std::hex << reg;
        }
    }
}

TEST(ChipSafetyTest, TheRecordIsSavedOncePerChangeOfWhatIsKept) {
    SimulatorProgram program;
    Registers chip(program);
    const std::map<int, int> before = PrepareAsFound(chip);
    CFileChipLock lock(program.Directory() + "/Dravik_SM_Event");
    {
        auto engine = std::make_unique<CHardwareMonitor>(SeamsWithLock(program, lock));
        const CAsFoundRecord& record = engine->Restorer().Record();
        engine->SetPaths("");
        engine->SetUsePreferenceFile(false);
        ASSERT_TRUE(engine->StartMonitoring());
        engine->UpdateAll();
        // A start of the reference board saves once per group of registers
        // kept before its first write (the bank register; the control
        // registers; the VBAT input with its limits; each fan's PWM output
        // and duty), not once per register (11 before).
        EXPECT_EQ(record.Saves(), 6);
        // A tick that changes nothing new keeps nothing new.
        engine->UpdateAll();
        EXPECT_EQ(record.Saves(), 6);
    }
    ExpectAsFound(chip, before);
}

TEST(ChipSafetyTest, TemporariesOfARecordLeftByAKilledDriverAreRemoved) {
    SimulatorProgram program;
    const std::string lockPath = program.Directory() + "/Dravik_SM_Event";
    CFileChipLock lock(lockPath);
    std::string record;
    {
        auto engine = StartWithLock(program, lock);
        record = engine->Restorer().Record().RecordPath();
        ASSERT_FALSE(record.empty());
        // What a driver killed between its write and its rename leaves.
        CTempDir::Write(record + ".a1B2c3", "kelvane-asfound 1\n");
        CTempDir::Write(record + ".Zz9Yy8", "");
    }
    EXPECT_FALSE(std::filesystem::exists(record + ".a1B2c3"));
    EXPECT_FALSE(std::filesystem::exists(record + ".Zz9Yy8"));
}

TEST(ChipSafetyTest, ADriverKilledAtAnyMomentIsUndoneByTheNextStart) {
    SimulatorProgram program;
    Registers chip(program);
    const std::map<int, int> before = PrepareAsFound(chip);
    const std::string lockPath = program.Directory() + "/Dravik_SM_Event";
    std::mt19937 random(11);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // A driver that runs until it is killed; it never returns into
            // the test framework.
            CFileChipLock lock(lockPath);
            auto engine = std::make_unique<CHardwareMonitor>(SeamsWithLock(program, lock));
            engine->SetPaths("");
            engine->SetUsePreferenceFile(false);
            engine->StartMonitoring();
            for (;;) engine->UpdateAll();
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 60000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        CFileChipLock lock(lockPath);
        {
            // The next start puts back what the dead driver changed before
            // it changes anything itself.
            CHardwareMonitor next(SeamsWithLock(program, lock));
            for (int reg : {0x56, 0x57, 0x5A, 0x5B, 0x5D}) {
                EXPECT_EQ(chip.Get(static_cast<uint8_t>(reg)), before.at(reg)) << "register 0x" << std::hex << reg;
            }
        }
        ExpectAsFound(chip, before);
    }
}

// Stands before the engine's own guard and kills the process right after its
// save numbered killAtSave (counted from now), before the write that save was
// made for.
class KillAfterSave : public IChipWriteGuard {
public:
    KillAfterSave(IChipWriteGuard& inner, const CAsFoundRecord& record, int killAtSave)
        : m_inner(inner), m_record(record), m_killAtSave(record.Saves() + killAtSave) {}
    bool BeforeWrite(uint8_t reg) override {
        const bool allowed = m_inner.BeforeWrite(reg);
        if (m_record.Saves() == m_killAtSave) ::kill(::getpid(), SIGKILL);
        return allowed;
    }

private:
    IChipWriteGuard& m_inner;
    const CAsFoundRecord& m_record;
    int m_killAtSave;
};

TEST(ChipSafetyTest, ADriverKilledBetweenASaveAndItsWriteIsUndoneByTheNextStart) {
    SimulatorProgram program;
    Registers chip(program);
    const std::map<int, int> before = PrepareAsFound(chip);
    const std::string lockPath = program.Directory() + "/Dravik_SM_Event";
    // Each save the start makes after the engine is built (of the six, the
    // first two come while it is built).
    int killed = 0;
    for (int save = 1;; ++save) {
        SCOPED_TRACE(save);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CFileChipLock lock(lockPath);
            auto engine = std::make_unique<CHardwareMonitor>(SeamsWithLock(program, lock));
            KillAfterSave killer(*engine->Chip().WriteGuard(), engine->Restorer().Record(), save);
            engine->Chip().SetWriteGuard(&killer);
            engine->SetPaths("");
            engine->SetUsePreferenceFile(false);
            engine->StartMonitoring();
            engine->UpdateAll();
            ::_exit(3);  // no such save
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 3) break;
        ASSERT_TRUE(WIFSIGNALED(status));
        ++killed;

        CFileChipLock lock(lockPath);
        { CHardwareMonitor next(SeamsWithLock(program, lock)); }
        ExpectAsFound(chip, before);
    }
    EXPECT_EQ(killed, 4);
}

TEST(ChipSafetyTest, AWriteWhoseAsFoundBitsCannotBeSavedIsNotMade) {
    SimulatorProgram program;
    Registers chip(program);
    const std::map<int, int> before = PrepareAsFound(chip);
    // The record's directory goes away (a cleaned run directory) after the
    // driver joined: nothing can be saved any more.
    const std::string run = program.Directory() + "/run";
    std::filesystem::create_directory(run);
    CCountingChipLock lock;
    CAccessLibrary library(program.loader);
    CMonitorChip driver(lock, program.messageBox);
    driver.AttachLibrary(&library);
    CChipRestorer restorer(driver, run + "/Dravik_SM_Event", run + "/Dravik_SM_Event.asfound.lock");
    restorer.Join();
    driver.SelectBank(0);  // saves the bank register, kept by Join
    restorer.Keep(0, kCpuFanDuty, 0xFF);
    std::filesystem::rename(run, run + ".gone");

    const uint32_t failures = driver.FailedTransfers();
    driver.WriteRegister(kCpuFanDuty, 0x11);
    EXPECT_EQ(driver.FailedTransfers(), failures + 1);
    EXPECT_EQ(chip.Get(kCpuFanDuty), before.at(kCpuFanDuty));

    // Once it can be saved, the write is made, the as-found value on disk.
    std::filesystem::rename(run + ".gone", run);
    driver.WriteRegister(kCpuFanDuty, 0x11);
    EXPECT_EQ(driver.FailedTransfers(), failures + 1);
    EXPECT_EQ(chip.Get(kCpuFanDuty), 0x11);
    std::vector<CAsFoundRecord::Entry> onDisk;
    ASSERT_TRUE(CAsFoundRecord::Parse(CTempDir::Read(restorer.Record().RecordPath()), onDisk));
    ASSERT_EQ(onDisk.size(), 2u);
    EXPECT_EQ(onDisk[1].reg, kCpuFanDuty);
    EXPECT_EQ(onDisk[1].value, before.at(kCpuFanDuty));
    ASSERT_TRUE(restorer.BeginRelease());
    restorer.EndRelease();
    ExpectAsFound(chip, before);
}

// ---- Every model, every item ----------------------------------------------------

bool BeepBitSet(Registers& chip, const CSensorItem& item) {
    const CRegisterField& beep = item.BeepField();
    return ((chip.Get(beep.Addr1(), beep.Bank1()) >> beep.StartBit1()) & 1) != 0;
}

TEST(ChipSafetyTest, EveryPresentItemOfEveryModelAlarmsPastEachLimit) {
    // Both ends of every input: pins at 4.08 V and 0 V lie beyond both limits
    // of every rail (whichever way its divider turns), 125 C and -55 C beyond
    // a temperature's over limit and below its hysteresis, 300 rpm below
    // every fan's low limit.
    const std::string high = "IN0=4.08 IN1=4.08 IN2=4.08 IN3=4.08 IN4=4.08 IN5=4.08 IN6=4.08 IN7=4.08 IN8=4.08 "
                             "IN9=4.08 TEMP1=125 TEMP2=125 TEMP3=125 FAN1=300 FAN2=300 FAN3=300 FAN4=300 FAN5=300";
    const std::string low = "IN0=0 IN1=0 IN2=0 IN3=0 IN4=0 IN5=0 IN6=0 IN7=0 IN8=0 IN9=0 TEMP1=-55 TEMP2=-55 "
                            "TEMP3=-55 FAN1=4500 FAN2=3000 FAN3=2700 FAN4=3000 FAN5=3000";
    for (const char* model : kModelNames) {
        SCOPED_TRACE(model);
        SimulatorProgram program(model, "", "FAN4=3000\nFAN5=3000\nIN9=2.0\n");
        // The inputs the reference board leaves unwired, wired with limits.
        const std::string defaults = program.Directory() + "/def.ini";
        for (const char* item : {"VOLT10", "FAN4", "FAN5"}) program.profile.WriteString(defaults, item, "Enable", "1");
        program.profile.WriteString(defaults, "VOLT10", "LoLimit", "100");
        program.profile.WriteString(defaults, "FAN4", "LoLimit", "1000");
        program.profile.WriteString(defaults, "FAN5", "LoLimit", "1000");
        Registers chip(program);
        bool started = false;
        auto engine = program.StartEngine(&started);
        ASSERT_TRUE(started);
        engine->UpdateAll();
        const bool beeps = engine->ChipId() != 0x50 && engine->ChipId() != 0x51 && engine->ChipId() != 0x61;

        std::vector<int> present;
        for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) {
            CSensorItem* item = engine->Item(i);
            if (!item->IsPresent()) continue;
            present.push_back(i);
            SCOPED_TRACE(item->SectionName());
            EXPECT_TRUE(item->IsEnabled());
            EXPECT_FALSE(item->IsOutOfRange()) << "at the board's own inputs, value " << item->Value();
            if (beeps && item->IsBeepEnabled() && item->BeepField().IsPresent()) {
                EXPECT_TRUE(BeepBitSet(chip, *item));
            }
        }
        EXPECT_GE(present.size(), 9u);

        std::map<int, double> atHigh;
        ASSERT_EQ(program.SimCtl("set " + high), 0);
        engine->UpdateAll();
        for (int i : present) {
            CSensorItem* item = engine->Item(i);
            SCOPED_TRACE(item->SectionName());
            EXPECT_TRUE(item->IsOutOfRange()) << "value " << item->Value();
            atHigh[i] = item->Value();
        }
        ASSERT_EQ(program.SimCtl("set " + low), 0);
        // Latching status registers report what they gathered since their
        // last read once more, as the window's tick reads them: the next
        // tick is the chip's present state.
        engine->UpdateAll();
        for (int i : present) engine->Item(i)->IsOutOfRange();
        engine->UpdateAll();
        for (int i : present) {
            CSensorItem* item = engine->Item(i);
            SCOPED_TRACE(item->SectionName());
            const double a = atHigh.at(i);
            const double b = item->Value();
            if (i < CHardwareMonitor::kFirstTemp) {
                // One end above the high limit, the other below the low one.
                EXPECT_TRUE(item->IsOutOfRange()) << "value " << b;
                EXPECT_GT(std::max(a, b), item->HiLimit());
                EXPECT_LT(std::min(a, b), item->LoLimit());
            } else if (i < CHardwareMonitor::kFirstFan) {
                // Over the limit, then back below the hysteresis, read below
                // zero as the two's complement register says.
                EXPECT_GT(a, item->HiLimit());
                EXPECT_FALSE(item->IsOutOfRange());
                EXPECT_DOUBLE_EQ(b, -55.0);
            } else {
                EXPECT_LT(a, item->LoLimit());
                EXPECT_FALSE(item->IsOutOfRange()) << "value " << b;
            }
        }
    }
}

TEST(ChipSafetyTest, AnInputTheChipDoesNotHaveIsNeverShownOrInAlarm) {
    struct Case {
        const char* model;
        int item;  // an input this part lacks
    };
    const Case cases[] = {{"W83697F", 15},   {"W83697F", 1},  {"W83637HF", 5},  {"W83783S", 7},
                          {"W83781D_B", 8}, {"W83785R", 11}, {"W83782D", 16}};
    for (const Case& c : cases) {
        SimulatorProgram program(c.model);
        auto engine = program.StartEngine();
        CSensorItem* item = engine->Item(c.item);
        SCOPED_TRACE(std::string(c.model) + " " + item->SectionName());
        engine->UpdateAll();
        EXPECT_FALSE(item->IsPresent());
        EXPECT_FALSE(item->IsEnabled());
        EXPECT_FALSE(item->IsValueSet());
        // Not even the user can switch it on.
        item->SetEnable(true);
        engine->UpdateAll();
        EXPECT_FALSE(item->IsEnabled());
        EXPECT_FALSE(item->IsOutOfRange());
    }
}

TEST(ChipSafetyTest, ADescriptionThatDescribesNothingFailsTheStart) {
    struct Case {
        const char* file;
        const char* text;
    };
    const Case cases[] = {
        {"W83782D.ini", ""},
        {"W83782D.ini", "\x7f" "ELF\x01\x02 garbage\n\x00\xff"},
        {"W83782D.ini", "[VOLT1]\nName=not a register map\n"},
        {"def.ini", ""},
        {"def.ini", "random words\nno sections=at all\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + ": " + c.text);
        SimulatorProgram program;
        CTempDir::Write(program.Directory() + "/" + c.file, c.text);
        bool started = true;
        auto engine = program.StartEngine(&started);
        EXPECT_FALSE(started);
    }
}

TEST(ChipSafetyTest, CoreAndBatteryReadTheirOwnWay) {
    {
        // VRM9 mode: the core reads 4.88 mV steps above 0.70 V; +3.3V keeps
        // 16 mV steps and no offset.
        SimulatorProgram program("W83637HF", "VCoreOffset=1");
        auto engine = program.StartEngine();
        engine->UpdateAll();
        EXPECT_NEAR(engine->Item(0)->Value(), 1.50, 0.00488);
        EXPECT_NEAR(engine->Item(2)->Value(), 3.30, 0.016);
        EXPECT_FALSE(engine->Item(0)->IsOutOfRange());
    }
    {
        // VBAT is measured once the engine switched its monitoring on, and
        // the switch goes back off with the engine.
        SimulatorProgram program("W83782D");
        Registers chip(program);
        ASSERT_EQ(chip.Get(0x5D) & 1, 0);
        {
            auto engine = program.StartEngine();
            // Every other part keeps the board's one defaults file.
            EXPECT_EQ(engine->GetDefaultIniPath(), program.Directory() + "/def.ini");
            engine->UpdateAll();
            EXPECT_NEAR(engine->Item(8)->Value(), 3.0, 0.016);
            EXPECT_FALSE(engine->Item(8)->IsOutOfRange());
        }
        EXPECT_EQ(chip.Get(0x5D) & 1, 0);
    }
    {
        // Behind the W83781D's inverting stage the rails read negative, and
        // the limit nearer zero is the chip's low limit. The board's defaults
        // for this part carry its own dividers (x-3.477, x-1.505), and the
        // simulated pins follow from them.
        SimulatorProgram program("W83781D_B");
        Registers chip(program);
        auto engine = program.StartEngine();
        engine->UpdateAll();
        EXPECT_EQ(engine->GetDefaultIniPath(), program.Directory() + "/W83781Ddef.ini");
        EXPECT_NEAR((engine->Volt(5)->R1() + engine->Volt(5)->R2()) / double(engine->Volt(5)->R2()), -3.477, 0.001);
        EXPECT_NEAR((engine->Volt(6)->R1() + engine->Volt(6)->R2()) / double(engine->Volt(6)->R2()), -1.505, 0.001);
        EXPECT_NEAR(chip.Get(0x25) * 0.016, 12.0 / 3.477, 0.016);
        EXPECT_NEAR(engine->Item(5)->Value(), -12.0, 0.1);
        EXPECT_NEAR(engine->Item(6)->Value(), -5.0, 0.06);
        EXPECT_FALSE(engine->Item(5)->IsOutOfRange());
        EXPECT_GT(chip.Get(0x35), chip.Get(0x36));
    }
}

}  // namespace
