// The warning check over the engine's own items, on the chip simulator.
#include "app/CWarningMonitor.h"

#include <gtest/gtest.h>

#include "CRecordingMailer.h"
#include "app/CPowerEventHandler.h"
#include "engine/SimulatorProgram.h"
#include "platform/CMemoryPrivateProfile.h"

namespace {

class FixedLocalTime : public ILocalTime {
public:
    std::tm Now() const override
    {
        std::tm time{};
        time.tm_year = 2026 - 1900;
        time.tm_mon = 11;
        time.tm_mday = 8;
        time.tm_hour = 9;
        return time;
    }
};

TEST(WarningMonitorOnEngine, OutOfRangeInputsOfTheChipAreLoggedWithTheirItemNames)
{
    // +3.3V at 3.60 V lies above its 3.47 V limit; VBAT (VOLT9) at 2.0 V
    // lies below its limit but is not examined. (VCore would not do: its
    // limits follow its first reading.)
    SimulatorProgram program("W83782D", "", "IN2=3.60\nIN8=2.0\n");
    bool started = false;
    auto engine = program.StartEngine(&started);
    ASSERT_TRUE(started);
    engine->UpdateAll();
    ASSERT_TRUE(engine->Item(8)->IsOutOfRange());

    const auto items = CWarningMonitor::ReadItems(*engine);
    EXPECT_EQ(items[0].name, "VCore");
    EXPECT_FALSE(items[0].outOfRange);
    EXPECT_EQ(items[2].name, "+3.3V");
    EXPECT_TRUE(items[2].outOfRange);
    EXPECT_EQ(items[13].name, engine->Item(13)->Name());
    EXPECT_EQ(items[13].rpm, engine->Fan(0)->Rpm());

    CMemoryPrivateProfile log;
    log.SetFile("/p/error.txt", "");
    CRecordingMailer mailer;
    FixedLocalTime clock;
    CWarningMonitor monitor(log, "/p/error.txt", mailer, *program.registry, clock);
    CUserPreferences preferences;
    preferences.m_bErrorLog = true;
    monitor.CheckWarnings(*engine, preferences, false);

    EXPECT_EQ(monitor.LastAlarm(), "+3.3V");
    // The chip reads 3.60 V in 16 mV steps: 225 steps, 3.600 V.
    EXPECT_EQ(log.GetString("/p/error.txt", "ErrorRecord", "2026/12/08 09:00:00 Warning:", ""), "+3.3V: 3.60V  ");
}

TEST(PowerEventHandlerOnEngine, TheChipIsSilentWhileTheMachineSleeps)
{
    SimulatorProgram program("W83782D");
    bool started = false;
    auto engine = program.StartEngine(&started);
    ASSERT_TRUE(started);
    const auto globalBeep = [&] {
        engine->Chip().SelectBank(0);
        return (engine->Chip().ReadRegister(0x57) & 0x80) != 0;
    };
    engine->SetGlobalBeep(true);

    EXPECT_TRUE(CPowerEventHandler::Handle(*engine, CPowerEventHandler::kSuspend));
    EXPECT_FALSE(globalBeep());
    EXPECT_TRUE(CPowerEventHandler::Handle(*engine, CPowerEventHandler::kResume));
    EXPECT_TRUE(globalBeep());
}

}  // namespace
