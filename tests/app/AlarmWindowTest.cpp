// What the main window does with an alarm: the wells stay on it, the tray
// icon and its tooltip show it, one notification per new episode, and the
// shut-down countdown with its Cancel; all on the simulated chip.
#include "app/CKelvaneDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/CWarningMonitor.h"
#include "engine/CSensorItem.h"
#include "skin/CSegmentDisplay.h"
#include "skin/CSkinButton.h"
#include "skin/CTransparentStatic.h"
#include "support/QtTestApplication.h"
#include "tests/app/CTestProgram.h"
#include "windows/CShutdownCountdown.h"
#include "windows/CFanSubScreen.h"
#include "windows/CTempSubScreen.h"
#include "windows/CVoltSubScreen.h"
#include "windows/IDesktopNotifier.h"

namespace {

class RecordingNotifier : public IDesktopNotifier {
public:
    void Notify(const QString& summary, const QString& body, bool critical) override
    {
        shown.push_back({summary.toStdString(), body.toStdString(), critical});
    }
    struct Shown {
        std::string summary, body;
        bool critical;
    };
    std::vector<Shown> shown;
};

// Temperatures rotate TEMP1, TEMP2, TEMP3; the log is on.
const char* const kRoot =
    "[VoltDisplay]\ncount=1\nItem1=0\n[FanDisplay]\ncount=1\nItem1=0\n"
    "[TempDisplay]\ncount=3\nItem1=0\nItem2=1\nItem3=2\n[User]\nCentigrade=1\nErrorLog=1\n";

class AlarmWindow : public ::testing::Test {
protected:
    AlarmWindow() : m_program(kRoot)
    {
        QtTestApplication();
        m_window = m_program.MakeWindow();
        m_window->SetNotifier(&m_notifier);
        EXPECT_TRUE(m_window->InitDialog());
    }
    ~AlarmWindow() override { m_window.reset(); }

    void Tick() { m_window->OnTimer(CKelvaneDlg::kMonitorTimer); }
    std::string TempName() const { return m_window->Label(CKelvaneDlg::kIdTempName)->Text().toStdString(); }
    std::string ItemName(int index) const { return m_window->Engine().Item(index)->Name(); }
    std::string Log() const { return CTempDir::Read(m_program.File("error.txt")); }

    CTestProgram m_program;
    RecordingNotifier m_notifier;
    std::unique_ptr<CKelvaneDlg> m_window;
};

TEST(WellRotation, StaysOnItemsInAlarmAndTakesThemInTurn)
{
    struct Case {
        int position, count;
        std::vector<int> alarmed;
        int shown, next;
    };
    const Case cases[] = {
        {1, 3, {}, 1, 2},         // nothing in alarm: ordinary rotation
        {2, 3, {}, 2, 0},
        {0, 3, {2}, 2, 2},        // one in alarm: the well goes to it and stays
        {2, 3, {2}, 2, 2},
        {0, 3, {0, 2}, 0, 2},     // two: in turn
        {2, 3, {0, 2}, 2, 0},
        {1, 3, {0, 2}, 2, 0},
        {0, 0, {0}, 0, 0},        // an empty list keeps its one entry
        {0, 1, {}, 0, 0},
    };
    for (const Case& c : cases) {
        const auto inAlarm = [&](int p) { return std::find(c.alarmed.begin(), c.alarmed.end(), p) != c.alarmed.end(); };
        const int shown = CKelvaneDlg::PositionToShow(c.position, c.count, inAlarm);
        EXPECT_EQ(shown, c.shown) << c.position;
        EXPECT_EQ(CKelvaneDlg::NextPosition(shown, c.count, inAlarm), c.next) << c.position;
    }
}

TEST(WellRotation, PassesOverEntriesTheChipLacks)
{
    struct Case {
        int position, count;
        std::vector<int> absent, alarmed;
        int shown, next;
    };
    const Case cases[] = {
        {0, 3, {1}, {}, 0, 2},          // the rotation skips the missing entry
        {2, 3, {1}, {}, 2, 0},
        {1, 3, {1}, {}, 2, 0},          // a position left on it moves on
        {0, 3, {0, 2}, {}, 1, 1},       // one present entry: the well stays on it
        {0, 3, {0, 1, 2}, {}, 0, 1},    // none present: nothing to go to
        {0, 3, {2}, {2}, 0, 1},         // an absent entry never counts as in alarm
        {0, 4, {1}, {3}, 3, 3},
    };
    for (const Case& c : cases) {
        const auto has = [](const std::vector<int>& v, int p) { return std::find(v.begin(), v.end(), p) != v.end(); };
        const auto inAlarm = [&](int p) { return has(c.alarmed, p); };
        const auto present = [&](int p) { return !has(c.absent, p); };
        const int shown = CKelvaneDlg::PositionToShow(c.position, c.count, inAlarm, present);
        EXPECT_EQ(shown, c.shown) << c.position << "/" << c.count;
        EXPECT_EQ(CKelvaneDlg::NextPosition(shown, c.count, inAlarm, present), c.next) << c.position << "/" << c.count;
    }
}

TEST_F(AlarmWindow, TheTemperatureWellShowsTheAlarmedItemAtOnceUntilItClears)
{
    const std::string temp1 = ItemName(CHardwareMonitor::kFirstTemp);
    const std::string temp2 = ItemName(CHardwareMonitor::kFirstTemp + 1);
    const std::string temp3 = ItemName(CHardwareMonitor::kFirstTemp + 2);
    ASSERT_EQ(TempName(), temp1);
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=75"}), 0);
    // The rotation would show TEMP2 next; the alarm comes first, every tick.
    for (int tick = 0; tick < 3; ++tick) {
        Tick();
        EXPECT_EQ(TempName(), temp1);
        EXPECT_EQ(m_window->Display(CKelvaneDlg::kIdTempDisplay)->GetLitColour(), CKelvaneDlg::kRed);
    }
    // The temperature panel (slot 0 is TEMP1) lights the value red too.
    CTempSubScreen& panel = *m_window->Panels().TempPanel();
    panel.OnTimer(panel.TimerId());
    EXPECT_EQ(panel.ValueDisplay(0)->GetLitColour(), CNumericSubScreen::kAlarmLitColour);
    EXPECT_EQ(panel.ValueDisplay(1)->GetLitColour(), CNumericSubScreen::kLitColour);

    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=40"}), 0);
    Tick();
    panel.OnTimer(panel.TimerId());
    EXPECT_EQ(panel.ValueDisplay(0)->GetLitColour(), CNumericSubScreen::kLitColour);
    std::vector<std::string> shown;
    shown.push_back(TempName());
    for (int tick = 0; tick < 2; ++tick) {
        Tick();
        shown.push_back(TempName());
    }
    // Once more on TEMP1, now green, then the rotation goes on.
    EXPECT_EQ(shown, (std::vector<std::string>{temp1, temp2, temp3}));
}

TEST_F(AlarmWindow, TrayTooltipNamesTheAlarmsAndEachNewEpisodeNotifiesOnce)
{
    EXPECT_EQ(m_window->Tray().Tooltip().toStdString(), CSystemTray::kTooltip);
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=75"}), 0);
    Tick();
    Tick();
    const std::string temp1 = ItemName(CHardwareMonitor::kFirstTemp);
    EXPECT_EQ(m_window->Tray().Tooltip().toStdString(), "Kelvane - alarm: " + temp1);
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].summary, "Kelvane: hardware alarm");
    EXPECT_EQ(m_notifier.shown[0].body, temp1 + " 75.0 \u00B0C");
    EXPECT_TRUE(m_notifier.shown[0].critical);

    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=40"}), 0);
    Tick();
    EXPECT_EQ(m_window->Tray().Tooltip().toStdString(), CSystemTray::kTooltip);
    EXPECT_TRUE(m_window->AlarmItems().empty());
    // The return is on record, and so is the next episode.
    EXPECT_NE(Log().find("Normal:=" + temp1 + ": 40.0C  back in range"), std::string::npos) << Log();
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=76"}), 0);
    Tick();
    EXPECT_EQ(m_notifier.shown.size(), 2u);
}

TEST_F(AlarmWindow, TheCountdownShowsTheTimeLeftAndCancelSwitchesTheItemsShutDownOff)
{
    CSensorItem& temp1 = *m_window->Engine().Item(CHardwareMonitor::kFirstTemp);
    m_program.Clock().AdvanceSeconds(1);
    temp1.SetShutDownEnable(true);
    temp1.SetShutDownTime(30);
    CShutdownCountdown& box = m_window->Countdown();
    Tick();
    EXPECT_FALSE(box.isVisible());

    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=75"}), 0);
    Tick();
    ASSERT_TRUE(box.isVisible());
    EXPECT_EQ(box.Item(), CHardwareMonitor::kFirstTemp);
    EXPECT_EQ(box.Text().toStdString(),
              "Kelvane will power off this computer in 30 s: " + temp1.Name() + " 75.0 \u00B0C");
    m_program.Clock().AdvanceSeconds(12);
    Tick();
    EXPECT_EQ(box.Text().toStdString(),
              "Kelvane will power off this computer in 18 s: " + temp1.Name() + " 75.0 \u00B0C");

    box.findChild<QPushButton*>(QStringLiteral("cancel"))->click();
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(temp1.IsShutDownEnabled());
    EXPECT_NE(Log().find("ShutdownCancelled:=" + temp1.Name() + ": 75.0C  shut-down cancelled"), std::string::npos)
        << Log();
    m_program.Clock().AdvanceSeconds(60);
    Tick();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(m_program.PowerOff().Requests(), 0);
}

TEST_F(AlarmWindow, APowerOffIsLoggedBeforeItsRequestAndARefusalIsShownAndLoggedOnce)
{
    CSensorItem& temp1 = *m_window->Engine().Item(CHardwareMonitor::kFirstTemp);
    m_program.PowerOff().Refuse("logind: Operation inhibited");
    m_program.Clock().AdvanceSeconds(1);
    temp1.SetShutDownEnable(true);
    temp1.SetShutDownTime(5);
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=75"}), 0);
    Tick();
    m_program.Clock().AdvanceSeconds(5);
    Tick();
    EXPECT_EQ(m_program.PowerOff().Requests(), 1);
    for (int tick = 0; tick < 4; ++tick) {
        m_program.Clock().AdvanceSeconds(2.5);
        Tick();
    }
    const std::string log = Log();
    const std::size_t requested = log.find("PowerOff:=" + temp1.Name() + ": 75.0C  out of range for 5 s");
    const std::size_t refused = log.find("PowerOffRefused:=" + temp1.Name() +
                                         ": 75.0C  power-off refused: logind: Operation inhibited");
    EXPECT_NE(requested, std::string::npos) << log;
    EXPECT_NE(refused, std::string::npos) << log;
    EXPECT_EQ(log.find("PowerOffRefused:", refused + 1), std::string::npos) << log;
    EXPECT_EQ(m_program.PowerOff().Requests(), 1);

    CShutdownCountdown& box = m_window->Countdown();
    EXPECT_TRUE(box.isVisible());
    EXPECT_TRUE(box.IsShowingRefusal());
    EXPECT_NE(box.Text().toStdString().find("Operation inhibited"), std::string::npos);
    ASSERT_FALSE(m_notifier.shown.empty());
    EXPECT_EQ(m_notifier.shown.back().summary, "Kelvane could not power off this computer");
}

// Volts and fans show VOLT1 and FAN2 (the power supply fan); the log is on.
const char* const kReadingRoot =
    "[VoltDisplay]\ncount=1\nItem1=0\n[FanDisplay]\ncount=1\nItem1=1\n"
    "[TempDisplay]\ncount=1\nItem1=0\n[User]\nCentigrade=1\nErrorLog=1\n";

TEST(ReadingWindow, AFanWithoutSpeedAtTheStartIsReportedOnceAndShownAsNoFanUntilItTurns)
{
    QtTestApplication();
    CTestProgram program(kReadingRoot);
    ASSERT_EQ(program.Simctl({"set", "FAN2=0"}), 0);
    RecordingNotifier notifier;
    auto window = program.MakeWindow();
    window->SetNotifier(&notifier);
    ASSERT_TRUE(window->InitDialog());
    window->OnTimer(CKelvaneDlg::kMonitorTimer);

    const std::string line = "POWER FAN reads no speed at start: not monitored";
    CSegmentDisplay& well = *window->Display(CKelvaneDlg::kIdFanDisplay);
    EXPECT_EQ(well.DisplayText().toStdString(), "NO FAN");
    EXPECT_EQ(well.GetLitColour(), CKelvaneDlg::kAmber);
    CFanSubScreen& panel = *window->Panels().FanPanel();
    panel.OnTimer(panel.TimerId());
    EXPECT_EQ(panel.ValueDisplay(1)->DisplayText().toStdString(), "NO FAN");
    EXPECT_EQ(panel.ValueDisplay(1)->GetLitColour(), CNumericSubScreen::kUnreadableLitColour);
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].body, line);
    const std::string log = CTempDir::Read(program.File("error.txt"));
    EXPECT_NE(log.find("NoFan:=" + line), std::string::npos) << log;
    EXPECT_EQ(log.find(line), log.rfind(line)) << log;

    ASSERT_EQ(program.Simctl({"set", "FAN2=3000"}), 0);
    window->OnTimer(CKelvaneDlg::kMonitorTimer);
    EXPECT_EQ(well.GetLitColour(), CKelvaneDlg::kGreen);
    EXPECT_NE(well.DisplayText().toStdString(), "NO FAN");
    EXPECT_NE(CTempDir::Read(program.File("error.txt")).find("POWER FAN reads a speed: monitored again"),
              std::string::npos);
    window.reset();
}

TEST(ReadingWindow, AFailedReadingShowsErrInAmberAndIsLoggedOncePerEpisode)
{
    QtTestApplication();
    CTestProgram program(kReadingRoot);
    auto window = program.MakeWindow();
    ASSERT_TRUE(window->InitDialog());
    CSegmentDisplay& well = *window->Display(CKelvaneDlg::kIdVoltDisplay);
    ASSERT_EQ(well.GetLitColour(), CKelvaneDlg::kGreen);

    // A peer holds the chip lock and stops.
    const int fd = ::open(program.File("Dravik_SM_Event").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    for (int tick = 0; tick < 2; ++tick) window->OnTimer(CKelvaneDlg::kMonitorTimer);
    EXPECT_EQ(well.DisplayText().toStdString(), "ERR");
    EXPECT_EQ(well.GetLitColour(), CKelvaneDlg::kAmber);
    CVoltSubScreen& panel = *window->Panels().VoltPanel();
    panel.OnTimer(panel.TimerId());
    EXPECT_EQ(panel.ValueDisplay(0)->DisplayText().toStdString(), "ERR");
    ::close(fd);
    window->OnTimer(CKelvaneDlg::kMonitorTimer);
    EXPECT_EQ(well.GetLitColour(), CKelvaneDlg::kGreen);
    EXPECT_NE(well.DisplayText().toStdString(), "ERR");

    const std::string log = CTempDir::Read(program.File("error.txt"));
    const std::size_t failed = log.find("ReadFailed:=VCore: no reading");
    EXPECT_NE(failed, std::string::npos) << log;
    EXPECT_EQ(log.find("ReadFailed:", failed + 1), std::string::npos) << log;
    EXPECT_NE(log.find("ReadRestored:=VCore: read again"), std::string::npos) << log;
    window.reset();
}

}  // namespace

namespace {

TEST(WindowPlacement, TheWindowComesBackWhereAndAsItWasAndNeverResizes)
{
    QtTestApplication();
    CTestProgram program(std::string(kRoot) + "WindowX=120\nWindowY=60\nExpanded=1\nFanGraph=1\n");
    {
        auto window = program.MakeWindow();
        ASSERT_TRUE(window->InitDialog());
        window->show();
        EXPECT_TRUE(window->IsExpanded());
        EXPECT_EQ(window->pos(), QPoint(120, 60));
        EXPECT_FALSE(window->Button(CKelvaneDlg::kIdFanDetail)->isEnabled()) << "the fan area shows its graph";
        EXPECT_TRUE(window->Button(CKelvaneDlg::kIdTempDetail)->isEnabled());
        EXPECT_EQ(window->minimumSize(), window->maximumSize());

        window->ShowCompact();
        EXPECT_EQ(window->minimumSize(), window->maximumSize());
        EXPECT_EQ(window->size(), window->Skins().Image(CKelvaneDlg::kCompactOutline).size());
        window->ShowAreaView(CKelvaneDlg::Area::Fan, false);
        window->ShowAreaView(CKelvaneDlg::Area::Temp, true);
        window->move(200, 90);
    }
    const std::string root = CTempDir::Read(program.File("Root.ini"));
    for (const char* line : {"WindowX=200\n", "WindowY=90\n", "Expanded=0\n", "FanGraph=0\n", "TempGraph=1\n"})
        EXPECT_NE(root.find(line), std::string::npos) << line << root;
}

TEST(FaceKeyboard, ButtonsTakeTheFocusWithTabAndActOnReturn)
{
    QtTestApplication();
    CTestProgram program(kRoot);
    auto window = program.MakeWindow();
    ASSERT_TRUE(window->InitDialog());
    CSkinButton* expand = window->Button(CKelvaneDlg::kIdExpand);
    for (const int id : {CKelvaneDlg::kIdMonitorSetting, CKelvaneDlg::kIdExpand, CKelvaneDlg::kIdClose})
        EXPECT_EQ(window->Button(id)->focusPolicy(), Qt::TabFocus) << id;
    EXPECT_TRUE(expand->HasFocusRing());

    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(expand, &press);
    // The click follows the short press animation.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!window->IsExpanded() && std::chrono::steady_clock::now() < end) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(window->IsExpanded());
}

}  // namespace
