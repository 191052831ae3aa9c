// The monitoring session without a window: driven synchronously (as
// kelvane-cli drives it) and by its runner on a thread of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/CMonitorSession.h"
#include "app/CSessionRunner.h"
#include "app/CStartupFiles.h"
#include "support/CTempDir.h"
#include "tests/app/CTestProgram.h"
#include "windows/CIniFile.h"

namespace {

const char* const kRoot =
    "[VoltDisplay]\ncount=1\nItem1=0\n[FanDisplay]\ncount=1\nItem1=0\n"
    "[TempDisplay]\ncount=1\nItem1=0\n[User]\nCentigrade=1\nErrorLog=1\n";

constexpr int kTemp1 = CHardwareMonitor::kFirstTemp;

class SessionFixture : public ::testing::Test {
protected:
    SessionFixture() : m_program(kRoot)
    {
        const CKelvaneDlgSeams window = m_program.WindowSeams();
        const CStartupFiles files(window.engine.programDirectory, window.boardName);
        m_session = std::make_unique<CMonitorSession>(
            CMonitorSessionSeams{window.engine, window.mailer, window.localTime, window.boardName, files.LogPath(), ""});
        CUserPreferences prefs;
        prefs.LoadPreferences(CIniFile(files.IniPath(), window.engine.profile));
        m_session->SetSettings(prefs, false);
        EXPECT_TRUE(m_session->Start());
    }
    std::string Log() const { return CTempDir::Read(m_program.File("error.txt")); }
    void ArmShutdown(int seconds)
    {
        CSensorItem& temp1 = *m_session->Engine().Item(kTemp1);
        m_program.Clock().AdvanceSeconds(1);
        temp1.SetShutDownEnable(true);
        temp1.SetShutDownTime(seconds);
    }

    CTestProgram m_program;
    std::unique_ptr<CMonitorSession> m_session;
};

using MonitorSession = SessionFixture;

TEST_F(MonitorSession, EachTickPublishesTheItemsTheAlarmsAndAShutDownTimerThatCountsWithTheClock)
{
    const auto first = m_session->Latest();
    EXPECT_TRUE(first->monitoring);
    EXPECT_EQ(first->tick, 0u);
    EXPECT_TRUE(first->items[kTemp1].present);
    EXPECT_FALSE(first->readings.items.empty());

    ArmShutdown(30);
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=75"}), 0);
    const auto hot = m_session->Tick();
    EXPECT_EQ(hot->tick, 1u);
    EXPECT_DOUBLE_EQ(hot->items[kTemp1].value, 75.0);
    ASSERT_EQ(hot->alarmItems, std::vector<int>{kTemp1});
    int64_t left = 0;
    EXPECT_EQ(hot->SoonestShutdown(hot->clockTicks, &left), kTemp1);
    EXPECT_EQ(left, 30);
    // Between ticks the countdown follows the clock as the engine would.
    m_program.Clock().AdvanceSeconds(12);
    EXPECT_EQ(hot->items[kTemp1].SecondsLeftAt(m_program.Clock().Ticks()),
              m_session->Engine().Item(kTemp1)->ShutdownSecondsLeft());
    // A published snapshot stays as it was.
    m_session->Tick();
    EXPECT_EQ(hot->tick, 1u);

    m_session->PostCancelShutdown(kTemp1);
    EXPECT_FALSE(m_session->Latest()->cancelledShutDowns.count(kTemp1));
    ASSERT_TRUE(m_session->Drain());
    EXPECT_FALSE(m_session->Drain());
    const auto cancelled = m_session->Latest();
    EXPECT_TRUE(cancelled->cancelledShutDowns.count(kTemp1));
    EXPECT_EQ(cancelled->SoonestShutdown(m_program.Clock().Ticks()), -1);
    EXPECT_NE(Log().find("ShutdownCancelled:="), std::string::npos) << Log();
    m_program.Clock().AdvanceSeconds(60);
    m_session->Tick();
    EXPECT_EQ(m_program.PowerOff().Requests(), 0);
}

TEST_F(MonitorSession, APowerOffAndItsRefusalReachTheReaderOnceEvenWhenTicksOutrunIt)
{
    m_program.PowerOff().Refuse("logind: Operation inhibited");
    ArmShutdown(5);
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=75"}), 0);
    m_session->Tick();
    m_program.Clock().AdvanceSeconds(5);
    m_session->Tick();  // the request, refused
    m_program.Clock().AdvanceSeconds(2.5);
    m_session->Tick();  // nothing new
    EXPECT_EQ(m_program.PowerOff().Requests(), 1);

    const auto taken = m_session->TakeLatest();
    EXPECT_EQ(taken->tick, 3u);
    std::vector<CSessionSnapshot::SEvent::Kind> kinds;
    for (const auto& event : taken->events) kinds.push_back(event.kind);
    EXPECT_EQ(kinds, (std::vector{CSessionSnapshot::SEvent::Kind::kPowerOffRequested,
                                  CSessionSnapshot::SEvent::Kind::kPowerOffRefused}));
    EXPECT_EQ(taken->events.back().item, kTemp1);
    EXPECT_EQ(taken->events.back().text, "logind: Operation inhibited");
    EXPECT_TRUE(taken->powerOffRefused);
    EXPECT_TRUE(m_session->TakeLatest()->events.empty());
    const std::string log = Log();
    EXPECT_LT(log.find("PowerOff:="), log.find("PowerOffRefused:=")) << log;
}

using SessionRunner = SessionFixture;

TEST_F(SessionRunner, TicksOnItsOwnThreadRunsCommandsAtOnceAndHandsTheChipBackOnStop)
{
    std::atomic<int> published{0};
    CSessionRunner runner(*m_session, std::chrono::milliseconds(20), [&] { ++published; });
    runner.Start();
    const auto until = [](auto done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return done();
    };
    ASSERT_TRUE(until([&] { return runner.Ticks() >= 3; }));
    // A reader on another thread sees whole ticks under the engine lock.
    {
        const auto hold = m_session->LockEngine();
        EXPECT_TRUE(m_session->Engine().Item(kTemp1)->IsPresent());
    }
    // Paused, the runner leaves the session to this thread.
    runner.Pause();
    const unsigned long long paused = runner.Ticks();
    m_session->Tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(runner.Ticks(), paused);
    runner.Resume();
    ASSERT_TRUE(until([&] { return runner.Ticks() > paused; }));

    m_session->PostCancelShutdown(kTemp1);
    ASSERT_TRUE(until([&] { return m_session->Latest()->cancelledShutDowns.count(kTemp1) != 0; }));
    m_session->PostReleaseChip();
    runner.Stop();
    EXPECT_TRUE(m_session->Latest()->chipReleased);
    EXPECT_GT(published.load(), 3);
}

TEST_F(SessionRunner, ItsFirstJobRunsOnItsThreadBeforeAnyCommandOrTickAndAPauseWaitsForIt)
{
    std::atomic<int> published{0};
    CSessionRunner runner(*m_session, std::chrono::milliseconds(20), [&] { ++published; });
    std::atomic<bool> firstStarted{false};
    std::atomic<bool> firstDone{false};
    std::atomic<bool> commandAfterFirst{false};
    std::thread::id firstThread;
    runner.Start([&] {
        firstThread = std::this_thread::get_id();
        firstStarted = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        firstDone = true;
    });
    while (!firstStarted) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_session->Post([&](CMonitorSession&) { commandAfterFirst = firstDone.load(); });
    // The pause waits for the first job as for a tick under way.
    runner.Pause();
    EXPECT_TRUE(firstDone);
    EXPECT_EQ(runner.Ticks(), 0u);
    EXPECT_EQ(published.load(), 0) << "the first job is no tick or command of the session's";
    runner.Resume();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (runner.Ticks() < 1 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    runner.Stop();
    EXPECT_NE(firstThread, std::this_thread::get_id());
    EXPECT_TRUE(commandAfterFirst);
    EXPECT_GE(runner.Ticks(), 1u);
}

}  // namespace
