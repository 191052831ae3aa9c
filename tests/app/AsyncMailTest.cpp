// Alert mails never hold the monitoring tick: the warning check hands its
// mail to CAsyncMailer and returns while a sendmail stand-in that hangs is
// still running; the stand-in is ended by its pid at the runner's time limit
// and the failure is reported. The log line is on disk before sendmail runs.
#include "app/CAsyncMailer.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "CRecordingMailer.h"
#include "app/CComputerName.h"
#include "app/CMapiMailTransport.h"
#include "app/CMapiMailer.h"
#include "app/CProgramRunner.h"
#include "app/CWarningMonitor.h"
#include "platform/CPrivateProfile.h"
#include "platform/CRegistryKey.h"
#include "support/CTempDir.h"

namespace {

using namespace std::chrono_literals;

class FixedTime : public ILocalTime {
public:
    std::tm Now() const override
    {
        std::tm t{};
        t.tm_year = 126;
        t.tm_mon = 11;
        t.tm_mday = 8;
        t.tm_hour = 19;
        return t;
    }
};

bool ProcessExists(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

// Polls for a condition; the limit only keeps a broken build from hanging.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit = 20s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(AsyncMailTest, AHangingSendmailNeverHoldsTheCheckAndIsEndedByItsPid)
{
    CTempDir dir;
    const std::string sendmail = dir.File("sendmail");
    const std::string pidFile = dir.File("pid");
    const std::string logAtStart = dir.File("log-at-start");
    const std::string log = dir.File("error.txt");
    CTempDir::Write(log, "");
    // The stand-in copies the log as it finds it, records its pid and hangs
    // as a sendmail does whose server is out of reach.
    CTempDir::Write(sendmail, "#!/bin/sh\ncp " + log + " " + logAtStart + ".tmp\nmv " + logAtStart + ".tmp " +
                                  logAtStart + "\necho $$ > " + pidFile + ".tmp\nmv " + pidFile + ".tmp " +
                                  pidFile + "\nexec sleep 60\n");
    ::chmod(sendmail.c_str(), 0755);

    CProgramRunner runner(1500ms);
    CMapiMailer mailer(runner, {sendmail});
    CMapiMailTransport transport(mailer);
    CAsyncMailer async(transport);
    std::mutex mutex;
    std::condition_variable reported;
    std::vector<std::string> failures;
    async.SetFailureHandler([&](const std::string& failure) {
        std::lock_guard lock(mutex);
        failures.push_back(failure);
        reported.notify_all();
    });

    CPrivateProfile profile;
    CRegistryKey registry(dir.File("registry.db"), kHkeyLocalMachine);
    CComputerName::Record(registry, "ATLAS");
    FixedTime time;
    CWarningMonitor monitor(profile, log, async, registry, time);
    CUserPreferences preferences;
    preferences.m_bErrorLog = true;
    preferences.m_bEMailEnable = true;
    preferences.m_strEMailAddr = "ops@example.org";
    std::array<CWarningMonitor::Reading, CWarningMonitor::kItemCount> items{};
    items[0] = {"VCore", true, true, 1.85, 0};

    ASSERT_EQ(async.Logon(), 0);
    monitor.CheckWarnings(items, preferences, true);
    // The check is back while sendmail has not even reported its pid, or
    // hangs: the mail is the worker's.
    {
        std::lock_guard lock(mutex);
        EXPECT_TRUE(failures.empty());
    }
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(pidFile); }));
    const pid_t pid = static_cast<pid_t>(std::stol(CTempDir::Read(pidFile)));
    EXPECT_TRUE(ProcessExists(pid));
    // A second check (the next tick) is not held either.
    items[0].outOfRange = false;
    monitor.CheckWarnings(items, preferences, true);

    // The log line was on disk before the mail program started.
    EXPECT_NE(CTempDir::Read(logAtStart).find("Warning:=VCore: 1.85V  "), std::string::npos);

    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(reported.wait_for(lock, 20s, [&] { return !failures.empty(); }));
        EXPECT_NE(failures[0].find("did not finish in time"), std::string::npos) << failures[0];
        EXPECT_NE(failures[0].find("ops@example.org"), std::string::npos) << failures[0];
    }
    EXPECT_FALSE(ProcessExists(pid));
    // The all-clear mail waits its turn behind the first one; let it time
    // out too before the stand-in's directory goes.
    async.WaitUntilIdle();
    std::lock_guard lock(mutex);
    EXPECT_EQ(failures.size(), 2u);
}

TEST(AsyncMailTest, QueuedMailsGoOutInOrderAndTheHandlerCanBeRemoved)
{
    CRecordingMailer recording;
    std::vector<std::string> failures;
    {
        CAsyncMailer async(recording);
        async.SetFailureHandler([&](const std::string& failure) { failures.push_back(failure); });
        for (const char* subject : {"one", "two", "three"}) EXPECT_TRUE(async.SendMail("", "a@b", subject, "body"));
        async.WaitUntilIdle();
        async.SetFailureHandler(nullptr);
        EXPECT_TRUE(async.SendMail("", "a@b", "four", "body"));
        // Destruction sends what is still queued.
    }
    ASSERT_EQ(recording.mails.size(), 4u);
    EXPECT_EQ(recording.mails[0].subject, "one");
    EXPECT_EQ(recording.mails[3].subject, "four");
    EXPECT_TRUE(failures.empty());
}

}  // namespace
