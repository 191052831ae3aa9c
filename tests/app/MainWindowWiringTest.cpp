// The main window with the parts it owns: the six panels behind the area
// buttons and timer 1, the single-instance hand-off of the start, the link
// with the Dravik Manager stand-in (a child process ended by its pid), the
// tray commands without a tray host, and the three dialogs behind buttons
// 1000-1002. Everything runs offscreen on private program directories.
#include "app/CKelvaneDlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/CAboutDlg.h"
#include "engine/CHardwareMonitor.h"
#include "skin/CSkinButton.h"
#include "skin/CTransparentStatic.h"
#include "support/QtTestApplication.h"
#include "tests/app/CTestProgram.h"
#include "tests/windows/CChildProcess.h"
#include "tests/windows/WaitFor.h"
#include "windows/CDisplaySettingDlg.h"
#include "windows/CFanGraphSubScreen.h"
#include "windows/CGraphSubScreen.h"
#include "windows/CInstanceChecker.h"
#include "windows/CMonitorSettingDlg.h"
#include "windows/CNumericSubScreen.h"
#include "windows/CStripChart.h"
#include "windows/CSuiteItemsDlg.h"
#include "windows/CTempGraphSubScreen.h"
#include "windows/CTempSubScreen.h"
#include "windows/CVoltGraphSubScreen.h"

namespace {

namespace fs = std::filesystem;

class MainWindowWiring : public ::testing::Test {
protected:
    MainWindowWiring() { QtTestApplication(); }

    static std::unique_ptr<CKelvaneDlg> Start(CTestProgram& program, bool minimised = false)
    {
        auto window = program.MakeWindow();
        EXPECT_TRUE(window->InitDialog(minimised));
        return window;
    }

    // Runs action, which opens a modal dialog; once the dialog runs, inspect
    // sees it and then it is closed (rejected unless inspect closed it).
    // Returns whether a modal dialog was seen.
    static bool WithModal(const std::function<void()>& action, const std::function<void(QWidget&)>& inspect)
    {
        bool seen = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) return;
            poll.stop();
            seen = true;
            inspect(*modal);
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
        });
        poll.start();
        action();
        poll.stop();
        return seen;
    }
};

// The strip chart's picture of a graph panel.
QImage ChartOf(CGraphSubScreen* graph) { return graph->Chart().Image(); }

TEST_F(MainWindowWiring, AreaButtonsSwitchThePanelsAndTimerOneTicksTheGraphs)
{
    CTestProgram program;
    auto window = Start(program);
    CSubScreenPanels& panels = window->Panels();
    ASSERT_TRUE(panels.IsCreated());
    window->ShowDetail();
    window->show();

    struct Case {
        CSubScreenPanels::Area area;
        int back, detail;
    };
    for (const Case& c : {Case{CSubScreenPanels::Area::Voltage, 1043, 1044},
                          Case{CSubScreenPanels::Area::Fan, 1045, 1046},
                          Case{CSubScreenPanels::Area::Temperature, 1041, 1042}}) {
        SCOPED_TRACE(c.detail);
        EXPECT_TRUE(panels.NumericPanel(c.area)->isVisible());
        EXPECT_FALSE(panels.GraphPanel(c.area)->isVisible());
        window->Button(c.detail)->click();
        EXPECT_FALSE(panels.NumericPanel(c.area)->isVisible());
        EXPECT_TRUE(panels.GraphPanel(c.area)->isVisible());
        window->Button(c.back)->click();
        EXPECT_TRUE(panels.NumericPanel(c.area)->isVisible());
        EXPECT_FALSE(panels.GraphPanel(c.area)->isVisible());
    }

    // Each tick of timer 1 scrolls all three charts, shown or hidden.
    window->Button(1046)->click();  // the fan graph shown, the others hidden
    for (int tick = 0; tick < 3; ++tick) {
        SCOPED_TRACE(tick);
        const QImage volts = ChartOf(panels.VoltGraphPanel());
        const QImage temps = ChartOf(panels.TempGraphPanel());
        const QImage fans = ChartOf(panels.FanGraphPanel());
        ASSERT_EQ(program.Simctl({"set", tick % 2 ? "FAN1=2500" : "FAN1=5200", tick % 2 ? "TEMP1=30" : "TEMP1=50",
                                  tick % 2 ? "IN0=1.2" : "IN0=1.8"}),
                  0);
        window->OnTimer(CKelvaneDlg::kMonitorTimer);
        EXPECT_NE(ChartOf(panels.VoltGraphPanel()), volts);
        EXPECT_NE(ChartOf(panels.TempGraphPanel()), temps);
        EXPECT_NE(ChartOf(panels.FanGraphPanel()), fans);
    }
}

TEST_F(MainWindowWiring, ASecondCopyBringsTheFirstForwardAndEndsWithoutTouchingAnything)
{
    CTestProgram first;
    CKelvaneApp firstApp = first.MakeApp();
    auto window = firstApp.CreateMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->InstanceChecker(), nullptr);
    EXPECT_TRUE(window->InstanceChecker()->IsTracking());
    ASSERT_TRUE(window->InitDialog());
    window->show();
    window->MinimiseToTray();  // no tray host: minimised on the taskbar
    ASSERT_TRUE(window->isMinimized());

    CTestProgram second;
    const std::string root = CTempDir::Read(second.File("Root.ini"));
    const auto written = fs::last_write_time(second.File("Root.ini"));
    {
        CKelvaneApp secondApp = second.MakeApp(first.InstanceName());
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(secondApp.CreateMainWindow(), nullptr);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  std::string(CKelvaneApp::kAlreadyRunningMessage) + "\n");
        EXPECT_TRUE(secondApp.HandedOff());
    }
    EXPECT_EQ(second.Exits(), std::vector<int>{0});
    EXPECT_EQ(second.Loader().Opens(), 0) << "the second copy must not reach the chip";
    EXPECT_EQ(CTempDir::Read(second.File("Root.ini")), root);
    EXPECT_EQ(fs::last_write_time(second.File("Root.ini")), written);
    EXPECT_TRUE(second.MessageBoxes().ShownBoxes().empty());

    EXPECT_TRUE(WaitFor([&] { return !window->isMinimized(); }));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Tray().DefaultCommand(), CSystemTray::kMinimize);

    // Another start under a different name is a first copy of its own.
    CTestProgram third;
    CKelvaneApp thirdApp = third.MakeApp();
    EXPECT_NE(thirdApp.CreateMainWindow(), nullptr);
    EXPECT_TRUE(third.Exits().empty());
}

TEST_F(MainWindowWiring, WithDravikManagerRunningButton1000IsEnabledAndTimerTwoSendsReadings)
{
    CTestProgram program("[VoltDisplay]\ncount=1\nItem1=0\n[FanDisplay]\ncount=1\nItem1=0\n"
                         "[TempDisplay]\ncount=1\nItem1=0\n[User]\nCentigrade=1\n",
                         "[Chip]\nModel=W83782D\n[Inputs]\nTEMP1=41.7\n");
    CChildProcess sim(ProgramDirectoryPath() + "/dravik-manager-sim",
                      {"--hive", program.File("registry.db"), "--class", program.SuiteClass()});
    ASSERT_NE(sim.Pid(), 0);
    ASSERT_TRUE(sim.WaitForLine("listening on "));

    auto window = Start(program);
    EXPECT_TRUE(window->Button(CKelvaneDlg::kIdDravikManager)->isEnabled());
    EXPECT_TRUE(window->IsReportingToSuite());
    EXPECT_EQ(window->SuiteReporter().FrequencyText(), "2400");
    // Kelvane's own "ID" and "Path" for the suite.
    std::uint32_t id = 0;
    EXPECT_TRUE(program.Registry().ReadNumber(CSuiteTransport::kOwnKey, "ID", id));
    EXPECT_EQ(id, static_cast<std::uint32_t>(::getpid()));

    // The default send list: whichever of fan 1, fan 3, temperature 1 and 2
    // are enabled, then the processor frequency.
    const std::vector<std::uint8_t>& list = window->SuiteReporter().SendList();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front(), 11);
    EXPECT_EQ(list.back(), 19);
    std::vector<std::string> lines;
    {
        // The readings come from the snapshot: a beat neither waits for
        // the engine's lock nor passes over while another thread has it.
        const auto engineBusy = window->Session().LockEngine();
        for (std::size_t tick = 0; tick < list.size(); ++tick) window->OnTimer(CKelvaneDlg::kSuiteTimer);
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto line = sim.WaitForLine("code ");
        if (!line) break;
        lines.push_back(*line);
    }
    ASSERT_EQ(lines.size(), list.size());
    const std::string fan = "code 11 CPU FAN " + std::to_string(window->Engine().Fan(0)->Rpm()) + " RPM alarm ";
    EXPECT_EQ(lines.front().substr(0, fan.size()), fan) << lines.front();
    EXPECT_GT(window->Engine().Fan(0)->Rpm(), 0);
    EXPECT_EQ(lines.back(), "code 19 CPU Frequency 2400 MHz");
    if (std::find(list.begin(), list.end(), 16) != list.end()) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), "code 16 SYSTEM Temperature 41 C alarm 0"), lines.end());
    }

    // Button 1000 shows the same choice.
    const bool seen = WithModal([&] { window->Button(CKelvaneDlg::kIdDravikManager)->click(); },
                                [&](QWidget& modal) {
                                    auto* dialog = qobject_cast<CSuiteItemsDlg*>(&modal);
                                    ASSERT_NE(dialog, nullptr);
                                    EXPECT_TRUE(dialog->CheckBox(CSuiteItemsDlg::kCpuFanId)->isChecked());
                                    EXPECT_TRUE(dialog->CheckBox(CSuiteItemsDlg::kCpuFrequencyId)->isChecked());
                                });
    EXPECT_TRUE(seen);

    window->EndDialog(CKelvaneDlg::kResultCancel);
    EXPECT_FALSE(window->IsReportingToSuite());
    EXPECT_EQ(sim.Terminate(), 0);
}

TEST_F(MainWindowWiring, WithoutDravikManagerNothingIsRegisteredOrSent)
{
    CTestProgram program;
    auto window = Start(program);
    EXPECT_FALSE(window->Button(CKelvaneDlg::kIdDravikManager)->isEnabled());
    EXPECT_FALSE(window->IsReportingToSuite());
    EXPECT_TRUE(window->SuiteReporter().SendList().empty());
    std::uint32_t id = 0;
    EXPECT_FALSE(program.Registry().ReadNumber(CSuiteTransport::kOwnKey, "ID", id));
}

// The tray menu's commands as the menu sends them.
void Trigger(CKelvaneDlg& window, int command)
{
    for (QAction* action : window.Tray().Menu().actions()) {
        if (action->data().toInt() == command) {
            action->trigger();
            return;
        }
    }
    ADD_FAILURE() << "no menu item " << command;
}

TEST_F(MainWindowWiring, TrayCommandsMoveTheWindowAndTheDefaultItemWithoutATrayHost)
{
    CTestProgram program;
    auto window = Start(program);
    window->show();
    // Offscreen there is no notification area: the icon is wanted but not in.
    EXPECT_TRUE(window->Tray().IsEnabled());
    EXPECT_TRUE(window->Tray().IsRemoved());
    EXPECT_TRUE(window->Tray().IsReAddPending());
    // The readings of the three wells.
    EXPECT_TRUE(window->Tray().Tooltip().startsWith("Kelvane: ")) << window->Tray().Tooltip().toStdString();
    EXPECT_EQ(window->Tray().IconId(), 185u);

    Trigger(*window, CSystemTray::kMinimize);
    EXPECT_EQ(window->Tray().DefaultCommand(), CSystemTray::kMaximize);
    EXPECT_TRUE(window->isVisible()) << "without an icon the window must stay reachable";
    EXPECT_TRUE(window->isMinimized());
    EXPECT_FALSE(window->IsInTray());

    Trigger(*window, CSystemTray::kMaximize);
    EXPECT_EQ(window->Tray().DefaultCommand(), CSystemTray::kMinimize);
    EXPECT_FALSE(window->isMinimized());

    // Button 1014 is the same move.
    window->Button(CKelvaneDlg::kIdMinimal)->click();
    EXPECT_EQ(window->Tray().DefaultCommand(), CSystemTray::kMaximize);
    EXPECT_TRUE(window->isMinimized());
    Trigger(*window, CSystemTray::kMaximize);

    EXPECT_TRUE(WithModal([&] { Trigger(*window, CSystemTray::kAbout); },
                          [](QWidget& modal) { EXPECT_NE(qobject_cast<CAboutDlg*>(&modal), nullptr); }));

    // Exit: the icon is out at once, the dialog ends through the close.
    std::vector<int> finished;
    QObject::connect(window.get(), &CKelvaneDlg::finished, [&](int result) { finished.push_back(result); });
    Trigger(*window, CSystemTray::kExit);
    EXPECT_FALSE(window->Tray().IsReAddPending());
    EXPECT_FALSE(window->IsEnded()) << "the close comes one event-loop turn later";
    EXPECT_TRUE(WaitFor([&] { return window->IsEnded(); }));
    EXPECT_EQ(finished, std::vector<int>{CKelvaneDlg::kResultCancel});
}

TEST_F(MainWindowWiring, StartedMinimisedWithoutATrayHostTheWindowStaysReachable)
{
    CTestProgram program;
    auto window = Start(program, true);
    EXPECT_TRUE(window->StartsMinimised());
    EXPECT_FALSE(window->IsInTray());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());
    EXPECT_EQ(window->Tray().DefaultCommand(), CSystemTray::kMaximize);
    EXPECT_TRUE(window->IsMonitoring()) << "the rest of the start ran";

    window->BringBack();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowWiring, SuspendAndResumeReachTheWindowThroughTheTrayOnce)
{
    CTestProgram program;
    auto window = Start(program);
    CMonitorChip& chip = window->Engine().Chip();
    const auto globalBeep = [&] {
        chip.SelectBank(0);
        return (chip.ReadRegister(0x57) & 0x80) != 0;
    };
    ASSERT_TRUE(globalBeep());
    window->Tray().PowerEvents().OnPrepareForSleep(true);
    EXPECT_FALSE(globalBeep());
    window->Tray().PowerEvents().OnPrepareForSleep(false);
    EXPECT_TRUE(globalBeep());
}

TEST_F(MainWindowWiring, MonitorSettingChangesReachTheRealPanels)
{
    CTestProgram program;
    auto window = Start(program);
    ASSERT_TRUE(window->Preferences().m_bCentigrade);
    CTempSubScreen* temps = window->Panels().TempPanel();
    ASSERT_EQ(temps->UnitLabel(0)->Text(), QStringLiteral("\u00B0C"));

    const bool seen = WithModal([&] { window->Button(CKelvaneDlg::kIdMonitorSetting)->click(); },
                                [](QWidget& modal) {
                                    auto* dialog = qobject_cast<CMonitorSettingDlg*>(&modal);
                                    ASSERT_NE(dialog, nullptr);
                                    qobject_cast<QAbstractButton*>(dialog->Control(CMonitorSettingDlg::kIdFahrenheit))
                                        ->click();
                                    qobject_cast<QAbstractButton*>(dialog->Control(CMonitorSettingDlg::kIdApply))
                                        ->click();
                                });
    EXPECT_TRUE(seen);
    EXPECT_FALSE(window->Preferences().m_bCentigrade);
    for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(temps->UnitLabel(slot)->Text(), QStringLiteral("\u00B0F")) << slot;
    window->OnTimer(CKelvaneDlg::kMonitorTimer);
    EXPECT_EQ(window->Label(CKelvaneDlg::kIdTempUnit)->Text(), QStringLiteral("\u00B0F"));
}

TEST_F(MainWindowWiring, DisplaySettingSavesThePreferencesAndWritesTheAutostartEntry)
{
    CTestProgram program;
    auto window = Start(program);
    const bool seen =
        WithModal([&] { window->Button(CKelvaneDlg::kIdDisplaySetting)->click(); }, [](QWidget& modal) {
            auto* dialog = qobject_cast<CDisplaySettingDlg*>(&modal);
            ASSERT_NE(dialog, nullptr);
            qobject_cast<QCheckBox*>(dialog->Control(CDisplaySettingDlg::kAutoRun))->setChecked(true);
            qobject_cast<QAbstractButton*>(dialog->Control(CDisplaySettingDlg::kOk))->click();
        });
    EXPECT_TRUE(seen);
    EXPECT_TRUE(window->Preferences().m_bAutoRun);
    const std::string entry = CTempDir::Read(program.File("autostart/Kelvane.desktop"));
    EXPECT_NE(entry.find(program.Directory() + "/kelvane"), std::string::npos) << entry;
    EXPECT_NE(CTempDir::Read(program.File("Root.ini")).find("autorun=1"), std::string::npos);
}

}  // namespace
