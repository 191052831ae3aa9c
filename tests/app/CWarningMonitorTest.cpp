#include "app/CWarningMonitor.h"

#include <gtest/gtest.h>

#include <array>

#include "CRecordingMailer.h"
#include "app/CComputerName.h"
#include "platform/CMemoryPrivateProfile.h"
#include "platform/CRegistryKey.h"
#include "support/CTempDir.h"

namespace {

class ManualLocalTime : public ILocalTime {
public:
    std::tm Now() const override { return time; }
    void Set(int year, int month, int day, int hour, int minute, int second)
    {
        time = {};
        time.tm_year = year - 1900;
        time.tm_mon = month - 1;
        time.tm_mday = day;
        time.tm_hour = hour;
        time.tm_min = minute;
        time.tm_sec = second;
    }
    std::tm time{};
};

constexpr const char* kLog = "/prog/error.txt";

class WarningMonitor : public ::testing::Test {
protected:
    WarningMonitor()
    {
        static const std::array<const char*, 18> names = {"VOLT1", "VOLT2", "VOLT3", "VOLT4", "VOLT5", "VOLT6",
                                                          "VOLT7", "VOLT8", "VOLT9", "VOLT10", "TEMP1", "TEMP2",
                                                          "TEMP3", "FAN1", "FAN2", "FAN3", "FAN4", "FAN5"};
        for (std::size_t i = 0; i < names.size(); ++i) {
            m_items[i].name = names[i];
            m_items[i].enabled = true;
            m_items[i].value = 1.5;
            m_items[i].rpm = 3000;
        }
        m_profile.SetFile(kLog, "");
        m_clock.Set(2005, 3, 1, 14, 5, 9);
        CComputerName::Record(m_registry, "ATLAS");
    }

    CWarningMonitor::Reading& Item(const char* name)
    {
        for (auto& item : m_items)
            if (item.name == name) return item;
        throw std::logic_error("no such item");
    }
    void Tick() { m_monitor.CheckWarnings(m_items, m_preferences, m_mailReady); }
    void Tick(CWarningMonitor& monitor) { monitor.CheckWarnings(m_items, m_preferences, m_mailReady); }
    std::string LogValue(const std::string& key) const
    {
        return m_profile.GetString(kLog, CWarningMonitor::kLogSection, key, "<none>");
    }
    std::string LogText() const { return m_profile.FileText(kLog); }

    std::array<CWarningMonitor::Reading, 18> m_items{};
    CUserPreferences m_preferences;
    bool m_mailReady = true;
    CMemoryPrivateProfile m_profile;
    CTempDir m_dir;
    CRegistryKey m_registry{m_dir.File("registry.db"), kHkeyLocalMachine};
    ManualLocalTime m_clock;
    CRecordingMailer m_mailer;
    CWarningMonitor m_monitor{m_profile, kLog, m_mailer, m_registry, m_clock};
};

TEST_F(WarningMonitor, PersistingAlarmIsLoggedOnceAndAJoiningItemLogsBoth)
{
    m_preferences.m_bErrorLog = true;
    Item("VOLT1").outOfRange = true;
    Item("VOLT1").value = 1.854;
    for (int tick = 0; tick < 5; ++tick) Tick();
    EXPECT_EQ(LogText(), "[ErrorRecord]\n2005/03/01 14:05:09 Warning:=VOLT1: 1.85V  \n");

    m_clock.Set(2005, 3, 1, 14, 5, 12);
    Item("FAN1").outOfRange = true;
    Item("FAN1").rpm = 0;
    Tick();
    Tick();
    EXPECT_EQ(LogValue("2005/03/01 14:05:12 Warning:"), "VOLT1: 1.85V  FAN1: 0RPM  ");
    EXPECT_EQ(m_monitor.LastAlarm(), "VOLT1FAN1");
    EXPECT_EQ(m_profile.WriteCount(), 2);
    EXPECT_TRUE(m_mailer.mails.empty());
}

TEST_F(WarningMonitor, WithOnlyTheLogEveryEpisodeAndEveryReturnIsRecorded)
{
    m_preferences.m_bErrorLog = true;
    Item("VOLT1").outOfRange = true;
    Item("VOLT1").value = 1.854;
    Tick();
    Item("VOLT1").outOfRange = false;
    Item("VOLT1").value = 1.5;
    m_clock.Set(2005, 3, 1, 14, 6, 0);
    Tick();
    Tick();
    Item("VOLT1").outOfRange = true;
    m_clock.Set(2005, 3, 1, 14, 7, 0);
    Tick();
    EXPECT_EQ(LogText(),
              "[ErrorRecord]\n"
              "2005/03/01 14:05:09 Warning:=VOLT1: 1.85V  \n"
              "2005/03/01 14:06:00 Normal:=VOLT1: 1.50V  back in range\n"
              "2005/03/01 14:07:00 Warning:=VOLT1: 1.50V  \n");
    EXPECT_EQ(m_monitor.LastAlarm(), "VOLT1");
    EXPECT_TRUE(m_mailer.mails.empty());
}

// A mailer that looks at the log when it is asked to send, and may fail.
class LogWatchingMailer : public CRecordingMailer {
public:
    LogWatchingMailer(const CMemoryPrivateProfile& profile, bool fails) : m_profile(profile), m_fails(fails) {}
    bool SendMail(std::string_view displayName, std::string_view recipients, std::string_view subject,
                  std::string_view body) override
    {
        CRecordingMailer::SendMail(displayName, recipients, subject, body);
        logAtSend.push_back(m_profile.FileText(kLog));
        return !m_fails;
    }
    std::string LastFailure() const override { return m_fails ? "ops@example.org: exited with status 75" : ""; }
    std::vector<std::string> logAtSend;

private:
    const CMemoryPrivateProfile& m_profile;
    bool m_fails;
};

TEST_F(WarningMonitor, TheLogLineIsWrittenBeforeTheMailAndAFailedSendIsReported)
{
    m_preferences.m_bErrorLog = true;
    m_preferences.m_bEMailEnable = true;
    m_preferences.m_strEMailAddr = "ops@example.org";
    for (const bool fails : {false, true}) {
        LogWatchingMailer mailer(m_profile, fails);
        CWarningMonitor monitor(m_profile, kLog, mailer, m_registry, m_clock);
        std::vector<std::string> failures;
        monitor.SetMailFailureHandler([&](const std::string& failure) { failures.push_back(failure); });
        m_profile.SetFile(kLog, "");
        Item("FAN1").outOfRange = true;
        Tick(monitor);
        Tick(monitor);
        Item("FAN1").outOfRange = false;
        Tick(monitor);
        ASSERT_EQ(mailer.logAtSend.size(), 2u);
        EXPECT_NE(mailer.logAtSend[0].find("Warning:=FAN1: 3000RPM  "), std::string::npos) << mailer.logAtSend[0];
        EXPECT_NE(mailer.logAtSend[1].find("Normal:=FAN1: 3000RPM  back in range"), std::string::npos);
        EXPECT_EQ(failures, fails ? std::vector<std::string>(2, "ops@example.org: exited with status 75")
                                  : std::vector<std::string>{});
    }
}

TEST_F(WarningMonitor, EachCheckReportsTheItemsInAlarmAndWhetherTheSetChanged)
{
    // Also with both switches off: the tray and the notifications need it.
    struct Step {
        std::vector<const char*> out;
        std::vector<int> items;
        bool changed;
    };
    const Step steps[] = {
        {{}, {}, false},
        {{"TEMP1", "VOLT2"}, {1, 10}, true},
        {{"TEMP1", "VOLT2"}, {1, 10}, false},
        {{"TEMP1", "VOLT2", "FAN2"}, {1, 14, 10}, true},
        {{"VOLT9"}, {}, true},
    };
    for (const Step& step : steps) {
        for (auto& item : m_items) item.outOfRange = false;
        for (const char* name : step.out) Item(name).outOfRange = true;
        const CWarningMonitor::SAlarms alarms = m_monitor.CheckWarnings(m_items, m_preferences, m_mailReady);
        EXPECT_EQ(alarms.items, step.items);
        EXPECT_EQ(alarms.changed, step.changed);
    }
    EXPECT_EQ(m_profile.WriteCount(), 0);
}

TEST_F(WarningMonitor, BothSwitchesMailWarningAllClearAndRecurrence)
{
    m_preferences.m_bErrorLog = true;
    m_preferences.m_bEMailEnable = true;
    m_preferences.m_strEMailAddr = "ops@example.org";
    m_preferences.m_bCentigrade = true;

    Item("TEMP2").outOfRange = true;
    Item("TEMP2").value = 61.25;
    Tick();
    ASSERT_EQ(m_mailer.mails.size(), 1u);
    EXPECT_EQ(m_mailer.mails[0].displayName, "");
    EXPECT_EQ(m_mailer.mails[0].recipients, "ops@example.org");
    EXPECT_EQ(m_mailer.mails[0].subject, "Computer:ATLAS hardware monitor abnormal!");
    EXPECT_EQ(m_mailer.mails[0].body, "2005/03/01, 14:05:09,  Warning: TEMP2: 61.2C  ");

    Item("TEMP2").outOfRange = false;
    Tick();
    Tick();
    ASSERT_EQ(m_mailer.mails.size(), 2u);
    EXPECT_EQ(m_mailer.mails[1].subject, "Computer:ATLAS Hardware Monitor normal!");
    EXPECT_EQ(m_mailer.mails[1].body, "Computer: ATLASHardware Monitor Detect Normal!");
    EXPECT_EQ(m_monitor.LastAlarm(), "");

    m_clock.Set(2005, 3, 1, 15, 0, 0);
    Item("TEMP2").outOfRange = true;
    Tick();
    ASSERT_EQ(m_mailer.mails.size(), 3u);
    EXPECT_EQ(m_mailer.mails[2].subject, "Computer:ATLAS hardware monitor abnormal!");
    EXPECT_EQ(m_profile.WriteCount(), 3);
    EXPECT_EQ(LogValue("2005/03/01 14:05:09 Normal:"), "TEMP2: 61.2C  back in range");
    EXPECT_EQ(LogValue("2005/03/01 15:00:00 Warning:"), "TEMP2: 61.2C  ");
}

TEST_F(WarningMonitor, MailNeedsASuccessfulLogonAndAnUnknownComputerHasAnEmptyName)
{
    m_preferences.m_bEMailEnable = true;
    m_mailReady = false;
    Item("FAN2").outOfRange = true;
    Tick();
    EXPECT_TRUE(m_mailer.mails.empty());
    EXPECT_EQ(m_monitor.LastAlarm(), "FAN2");

    m_registry.DeleteValue(CComputerName::kKey, CComputerName::kValue);
    m_mailReady = true;
    Item("FAN3").outOfRange = true;
    Tick();
    ASSERT_EQ(m_mailer.mails.size(), 1u);
    EXPECT_EQ(m_mailer.mails[0].subject, "Computer: hardware monitor abnormal!");
    EXPECT_EQ(m_mailer.mails[0].body, "2005/03/01, 14:05:09,  Warning: FAN2: 3000RPM  FAN3: 3000RPM  ");
}

TEST_F(WarningMonitor, OnlyEnabledExaminedItemsRaiseAnAlarm)
{
    m_preferences.m_bErrorLog = true;
    m_preferences.m_bEMailEnable = true;
    Item("VOLT9").outOfRange = true;
    Item("VOLT10").outOfRange = true;
    Item("FAN4").outOfRange = true;
    Item("FAN5").outOfRange = true;
    Item("VOLT2").outOfRange = true;
    Item("VOLT2").enabled = false;
    Tick();
    EXPECT_EQ(m_profile.WriteCount(), 0);
    EXPECT_TRUE(m_mailer.mails.empty());
    EXPECT_EQ(m_monitor.LastAlarm(), "");
}

TEST_F(WarningMonitor, EntriesFollowTheGroupOrderAndTheUsersUnit)
{
    m_preferences.m_bErrorLog = true;
    Item("TEMP1").outOfRange = true;
    Item("TEMP1").value = 70.0;
    Item("FAN1").outOfRange = true;
    Item("FAN1").rpm = 1250;
    Item("VOLT8").outOfRange = true;
    Item("VOLT8").value = -12.3456;
    Tick();
    EXPECT_EQ(LogValue("2005/03/01 14:05:09 Warning:"), "VOLT8: -12.35V  FAN1: 1250RPM  TEMP1: 158.0F  ");
    EXPECT_EQ(m_monitor.LastAlarm(), "VOLT8FAN1TEMP1");
}

TEST_F(WarningMonitor, NeitherSwitchDoesNothing)
{
    Item("VOLT1").outOfRange = true;
    Tick();
    EXPECT_EQ(m_profile.WriteCount(), 0);
    EXPECT_TRUE(m_mailer.mails.empty());
    EXPECT_EQ(m_monitor.LastAlarm(), "");
}

TEST(WarningEntries, DecimalCommaOfTheLocaleBecomesAFullStop)
{
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no German locale installed";
    const CWarningMonitor::Reading item{"VCore", true, true, 1.5, 0};
    const std::string volt = CWarningMonitor::VoltEntry(item);
    const std::string temp = CWarningMonitor::TempEntry(item, false);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(volt, "VCore: 1.50V  ");
    EXPECT_EQ(temp, "VCore: 34.7F  ");
}

}  // namespace
