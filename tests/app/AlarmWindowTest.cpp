// What the main window does with an alarm: the wells stay on it, the tray
// icon and its tooltip show it, one notification per new episode, and the
// shut-down countdown with its Cancel; all on the simulated chip.
#include "app/CKelvaneDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/CAlarmPresenter.h"
#include "app/CFaceWells.h"
#include "app/CWarningMonitor.h"
#include "engine/CSensorItem.h"
#include "skin/CSegmentDisplay.h"
#include "skin/SkinColour.h"
#include "skin/CSkinButton.h"
#include "skin/CTransparentStatic.h"
#include "support/QtTestApplication.h"
#include "tests/app/CTestProgram.h"
#include "windows/CAlarmStrip.h"
#include "windows/CWindowPlacement.h"
#include "windows/CMonitorSettingDlg.h"
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
        shown.push_back({"", summary.toStdString(), body.toStdString(), critical, critical ? 0 : -1});
    }
    void Show(const QString& key, const QString& summary, const QString& body, bool critical, int expireMs) override
    {
        shown.push_back({key.toStdString(), summary.toStdString(), body.toStdString(), critical, expireMs});
    }
    void Withdraw(const QString& key) override { withdrawn.push_back(key.toStdString()); }
    struct Shown {
        std::string key, summary, body;
        bool critical;
        int expireMs;
    };
    std::vector<Shown> shown;
    std::vector<std::string> withdrawn;
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
        const int shown = CFaceWells::PositionToShow(c.position, c.count, inAlarm);
        EXPECT_EQ(shown, c.shown) << c.position;
        EXPECT_EQ(CFaceWells::NextPosition(shown, c.count, inAlarm), c.next) << c.position;
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
        const int shown = CFaceWells::PositionToShow(c.position, c.count, inAlarm, present);
        EXPECT_EQ(shown, c.shown) << c.position << "/" << c.count;
        EXPECT_EQ(CFaceWells::NextPosition(shown, c.count, inAlarm, present), c.next) << c.position << "/" << c.count;
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

TEST_F(AlarmWindow, TrayTooltipShowsTheReadingsAndTheAlarmsWithTheirValues)
{
    Tick();
    const std::string tooltip = m_window->Tray().Tooltip().toStdString();
    // The three wells' items as they read: a voltage, a fan, a temperature.
    EXPECT_TRUE(tooltip.starts_with("Kelvane: " + ItemName(0) + " ")) << tooltip;
    EXPECT_NE(tooltip.find(" V, " + ItemName(CHardwareMonitor::kFirstFan) + " "), std::string::npos) << tooltip;
    EXPECT_NE(tooltip.find(" RPM, "), std::string::npos) << tooltip;
    EXPECT_TRUE(tooltip.ends_with(" \u00B0C")) << tooltip;
    EXPECT_EQ(tooltip.find("alarm"), std::string::npos) << tooltip;

    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=75"}), 0);
    Tick();
    const std::string temp1 = ItemName(CHardwareMonitor::kFirstTemp);
    EXPECT_EQ(m_window->Tray().Tooltip().toStdString(), "Kelvane - alarm: " + temp1 + " 75.0 \u00B0C");
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=40"}), 0);
    Tick();
    EXPECT_EQ(m_window->Tray().Tooltip().toStdString().find("alarm"), std::string::npos);
    EXPECT_TRUE(m_window->AlarmItems().empty());
    // The return is on record.
    EXPECT_NE(Log().find("Normal:=" + temp1 + ": 40.0C  back in range"), std::string::npos) << Log();
}

TEST_F(AlarmWindow, OneNotificationPerEpisodeReplacedWhileItLastsAndTurnedIntoBackToNormal)
{
    const std::string key = CAlarmPresenter::NotificationKey(CHardwareMonitor::kFirstTemp).toStdString();
    const std::string temp1 = ItemName(CHardwareMonitor::kFirstTemp);
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=75"}), 0);
    Tick();
    Tick();
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].key, key);
    EXPECT_EQ(m_notifier.shown[0].summary, "Kelvane alarm: " + temp1);
    EXPECT_EQ(m_notifier.shown[0].body, temp1 + " 75.0 \u00B0C");
    // No shut-down pending: normal, and it expires.
    EXPECT_FALSE(m_notifier.shown[0].critical);
    EXPECT_EQ(m_notifier.shown[0].expireMs, CAlarmPresenter::kAlarmExpireMs);

    // A value that changes is shown in the same bubble, not too often.
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=77"}), 0);
    Tick();
    EXPECT_EQ(m_notifier.shown.size(), 1u);
    for (int tick = 0; tick < CAlarmPresenter::kNormalNotificationTicks; ++tick) Tick();
    ASSERT_EQ(m_notifier.shown.size(), 2u);
    EXPECT_EQ(m_notifier.shown[1].key, key);
    EXPECT_EQ(m_notifier.shown[1].body, temp1 + " 77.0 \u00B0C");

    // A shut-down timer makes it critical at once, kept until dismissed.
    m_window->Engine().Item(CHardwareMonitor::kFirstTemp)->SetShutDownEnable(true);
    Tick();
    ASSERT_EQ(m_notifier.shown.size(), 3u);
    EXPECT_TRUE(m_notifier.shown[2].critical);
    EXPECT_EQ(m_notifier.shown[2].expireMs, 0);
    m_window->Engine().Item(CHardwareMonitor::kFirstTemp)->SetShutDownEnable(false);

    // The end turns the same bubble into a short note.
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=40"}), 0);
    Tick();
    const auto& back = m_notifier.shown.back();
    EXPECT_EQ(back.key, key);
    EXPECT_EQ(back.summary, "Kelvane: " + temp1 + " back to normal");
    EXPECT_FALSE(back.critical);
    EXPECT_EQ(back.expireMs, CAlarmPresenter::kBackToNormalExpireMs);
    const std::size_t count = m_notifier.shown.size();
    Tick();
    EXPECT_EQ(m_notifier.shown.size(), count);
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=76"}), 0);
    Tick();
    EXPECT_EQ(m_notifier.shown.size(), count + 1);
}

TEST_F(AlarmWindow, TheAlarmStripNamesEveryItemInAlarmWhetherOrNotAWellShowsIt)
{
    Tick();
    CAlarmStrip& strip = m_window->AlarmStrip();
    EXPECT_FALSE(strip.isVisible());
    m_window->show();
    // VTT (VOLT2) is in no well's list: only the strip can tell.
    const std::string vtt = ItemName(1);
    ASSERT_EQ(m_program.Simctl({"set", "IN1=1.44"}), 0);
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=75"}), 0);
    Tick();
    EXPECT_TRUE(strip.isVisible());
    const QStringList entries = strip.Entries();
    ASSERT_EQ(entries.size(), 2) << strip.ShownText().toStdString();
    EXPECT_TRUE(entries.contains(QString::fromStdString(vtt + " 1.44 V"))) << entries.join(',').toStdString();
    EXPECT_TRUE(entries.contains(QString::fromStdString(ItemName(CHardwareMonitor::kFirstTemp) + " 75.0 \u00B0C")));
    // Painted over the face, in red.
    const QImage face = m_window->grab().toImage();
    const QRect place = strip.geometry();
    const QColor plate = face.pixelColor(place.left() + place.width() - 4, place.center().y());
    EXPECT_GT(plate.red(), 2 * plate.green()) << plate.name().toStdString();

    ASSERT_EQ(m_program.Simctl({"set", "IN1=1.20"}), 0);
    ASSERT_EQ(m_program.Simctl({"set", "TEMP1=40"}), 0);
    Tick();
    EXPECT_FALSE(strip.isVisible());
    m_window->hide();
}

TEST(AlarmStripText, AFullStripTakesASmallerTypeThenEndsInAnEllipsisWithTheWholeListAsTooltip)
{
    QtTestApplication();
    CAlarmStrip strip;
    strip.resize(CAlarmPresenter::kAlarmStripPlace.size());
    strip.SetEntries({QStringLiteral("VTT 1.40 V")});
    EXPECT_EQ(strip.ShownText(), QStringLiteral("VTT 1.40 V"));
    EXPECT_EQ(strip.TextFont().pixelSize(), CAlarmStrip::kTextPixels);
    EXPECT_TRUE(strip.toolTip().isEmpty());
    QStringList many;
    for (int i = 0; i < 12; ++i) many << QStringLiteral("SYSTEM Temperature %1 95.0 \u00B0C").arg(i);
    strip.SetEntries(many);
    EXPECT_EQ(strip.TextFont().pixelSize(), CAlarmStrip::kSmallestTextPixels);
    EXPECT_TRUE(strip.ShownText().endsWith(QChar(0x2026)));
    EXPECT_EQ(strip.toolTip(), many.join('\n'));
    strip.SetEntries({});
    EXPECT_TRUE(strip.isHidden());
}

TEST_F(AlarmWindow, TheCountdownShowsTheTimeLeftAndCancelSwitchesTheItemsShutDownOff)
{
    CSensorItem& temp1 = *m_window->Engine().Item(CHardwareMonitor::kFirstTemp);
    m_program.Clock().AdvanceSeconds(1);
    temp1.SetShutDownEnable(true);
    temp1.SetShutDownTime(30);
    m_window->Engine().SaveAllPreferences();
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

    // Monitor Setting shows and keeps the user's setting: an Apply made for
    // anything else does not store the cancel.
    bool shownOn = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CMonitorSettingDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shownOn = qobject_cast<QCheckBox*>(dialog->Control(1150))->isChecked();
        qobject_cast<QAbstractButton*>(dialog->Control(CMonitorSettingDlg::kIdApply))->click();
    });
    m_window->OpenMonitorSetting();
    EXPECT_TRUE(shownOn);
    std::string stored;
    m_program.Registry().ReadText(temp1.PreferenceKey(), "ShutDownEnable", stored);
    EXPECT_EQ(stored, "1");
    // Still cancelled for this session.
    EXPECT_FALSE(temp1.IsShutDownEnabled());
    m_program.Clock().AdvanceSeconds(60);
    Tick();
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
    const auto refusal = std::find_if(m_notifier.shown.begin(), m_notifier.shown.end(), [](const auto& shown) {
        return shown.summary == "Kelvane could not power off this computer";
    });
    ASSERT_NE(refusal, m_notifier.shown.end());
    EXPECT_TRUE(refusal->critical);
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
    CTestProgram program(std::string(kRoot) + "WindowX=120\nWindowY=20\nExpanded=1\nFanGraph=1\n");
    {
        auto window = program.MakeWindow();
        ASSERT_TRUE(window->InitDialog());
        window->show();
        EXPECT_TRUE(window->IsExpanded());
        EXPECT_EQ(window->pos(), QPoint(120, 20));
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

TEST(WindowPlacement, APlaceIsUsedOnlyWhereTheWholeWindowLiesOnAScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const QRect halfScale(0, 0, 960, 540);  // the same screen at scale 2
    const std::vector<QRect> two = {screen, QRect(1920, 0, 1280, 1024)};
    struct Case {
        QPoint wanted;
        QSize size;
        std::vector<QRect> screens;
        QPoint placed;
    };
    const Case cases[] = {
        {{100, 100}, {404, 200}, {screen}, {100, 100}},       // whole on the screen: kept
        {{100, -45}, {404, 200}, {screen}, {100, 0}},         // off the top: the buttons come back
        {{1700, 950}, {404, 562}, {screen}, {1516, 518}},     // the expanded form inside
        {{300, 200}, {404, 562}, {halfScale}, {300, 0}},      // taller than the screen: top on it
        {{2000, 300}, {404, 200}, two, {2000, 300}},          // on the second monitor: kept
        {{3400, 300}, {404, 200}, two, {2796, 300}},          // beyond it: into the nearest
        {{1800, 100}, {404, 200}, two, {1920, 100}},          // across both: the one holding most
    };
    for (const Case& c : cases)
        EXPECT_EQ(CWindowPlacement::FitOnScreen(c.wanted, c.size, c.screens), c.placed) << c.wanted.x() << "," << c.wanted.y();
}

TEST(WindowPlacement, ASavedPlaceOffTheScreenAndTheTraysReturnKeepTheWindowWhole)
{
    QtTestApplication();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    CTestProgram program(std::string(kRoot) + "WindowX=100\nWindowY=-45\nExpanded=1\n");
    auto window = program.MakeWindow();
    ASSERT_TRUE(window->InitDialog());
    window->show();
    EXPECT_TRUE(screen.contains(window->geometry()) || window->y() == screen.top())
        << window->x() << "," << window->y();
    EXPECT_GE(window->y(), screen.top());

    // A window placed by the desktop and sent away without a move comes
    // back where it was.
    CTestProgram fresh(kRoot);
    auto placed = fresh.MakeWindow();
    ASSERT_TRUE(placed->InitDialog());
    placed->show();
    const QPoint before = placed->pos();
    placed->MinimiseToTray();
    EXPECT_TRUE(placed->Preferences().m_bWindowPlaced);
    EXPECT_EQ(QPoint(placed->Preferences().m_nWindowX, placed->Preferences().m_nWindowY), before);
}

TEST(FaceLook, TwoDecimalsForVoltagesAndADisabledKeyThatReads)
{
    EXPECT_EQ(CFaceWells::FormatVolts(1.46), "1.46");
    EXPECT_EQ(CFaceWells::FormatVolts(-12.048), "-12.05");
    QtTestApplication();
    CTestProgram program(kRoot);
    auto window = program.MakeWindow();
    ASSERT_TRUE(window->InitDialog());
    window->show();
    EXPECT_EQ(window->Display(CKelvaneDlg::kIdVoltDisplay)->DisplayText(),
              CFaceWells::FormatVolts(window->Engine().Volt(0)->Value()));
    // The disabled Dravik Manager key: its caption against its picture.
    CSkinButton* key = window->Button(CKelvaneDlg::kIdDravikManager);
    ASSERT_FALSE(key->isEnabled());
    const QImage picture = key->grab().toImage();
    const QColor text = key->palette().color(QPalette::Disabled, QPalette::WindowText);
    const QColor plate = picture.pixelColor(4, picture.height() / 2);
    EXPECT_GE(ContrastRatio(text, plate), 3.0) << text.name().toStdString() << " on " << plate.name().toStdString();
    // The caption is drawn in that colour.
    bool drawn = false;
    for (int y = 0; y < picture.height() && !drawn; ++y)
        for (int x = 0; x < picture.width() && !drawn; ++x)
            drawn = ContrastRatio(picture.pixelColor(x, y), text) < 1.2 && ContrastRatio(picture.pixelColor(x, y), plate) > 2.0;
    EXPECT_TRUE(drawn);
}

TEST(FaceKeyboard, AboutIsReachedFromTheMenuKeysWindowManagersLeaveAlone)
{
    QtTestApplication();
    CTestProgram program(kRoot);
    auto window = program.MakeWindow();
    ASSERT_TRUE(window->InitDialog());
    std::vector<QKeySequence> keys;
    for (const QShortcut* shortcut : window->findChildren<QShortcut*>()) keys.push_back(shortcut->key());
    for (const QKeySequence& key : {QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)})
        EXPECT_NE(std::find(keys.begin(), keys.end(), key), keys.end()) << key.toString().toStdString();
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
