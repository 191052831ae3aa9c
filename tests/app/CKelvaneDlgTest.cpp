#include "app/CKelvaneDlg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/CComputerName.h"
#include "app/CTerminationSignals.h"
#include "engine/CFanItem.h"
#include "engine/CSensorItem.h"
#include "skin/CSegmentDisplay.h"
#include "skin/CSkinButton.h"
#include "skin/CTransparentStatic.h"
#include "windows/CSubScreenPanel.h"
#include "support/QtTestApplication.h"
#include "tests/app/CTestProgram.h"

namespace {

std::string Root(const std::string& volt, const std::string& fan, const std::string& temp, bool centigrade,
                 bool errorLog = false)
{
    return "[VoltDisplay]\n" + volt + "[FanDisplay]\n" + fan + "[TempDisplay]\n" + temp +
           "[User]\nCentigrade=" + (centigrade ? "1" : "0") + "\nErrorLog=" + (errorLog ? "1" : "0") + "\n";
}

class MainWindow : public ::testing::Test {
protected:
    MainWindow() { QtTestApplication(); }

    // Starts the window of program; fails the test when the engine does not.
    std::unique_ptr<CKelvaneDlg> Start(CTestProgram& program)
    {
        auto window = program.MakeWindow();
        EXPECT_TRUE(window->InitDialog());
        EXPECT_TRUE(program.MessageBoxes().ShownBoxes().empty());
        return window;
    }

    static std::string Text(const CTransparentStatic* label) { return label->Text().toStdString(); }
    static std::string Text(const CSegmentDisplay* display) { return display->DisplayText().toStdString(); }
};

TEST_F(MainWindow, ListsOfThreeOneAndTwoRotateIndependently)
{
    CTestProgram program(Root("count=3\nItem1=0\nItem2=2\nItem3=3\n", "count=1\nItem1=1\n",
                              "count=2\nItem1=1\nItem2=0\n", true));
    auto window = Start(program);
    CHardwareMonitor& engine = window->Engine();
    const auto name = [&](int item) { return engine.Item(item)->Name(); };

    // The start's own refresh showed position 0 of every list.
    std::vector<std::string> volts{Text(window->Label(CKelvaneDlg::kIdVoltName))};
    std::vector<std::string> fans{Text(window->Label(CKelvaneDlg::kIdFanName))};
    std::vector<std::string> temps{Text(window->Label(CKelvaneDlg::kIdTempName))};
    for (int tick = 0; tick < 4; ++tick) {
        window->OnTimer(CKelvaneDlg::kMonitorTimer);
        volts.push_back(Text(window->Label(CKelvaneDlg::kIdVoltName)));
        fans.push_back(Text(window->Label(CKelvaneDlg::kIdFanName)));
        temps.push_back(Text(window->Label(CKelvaneDlg::kIdTempName)));
        // The display shows the value of the item its label names.
        const int voltItem = tick % 3 == 0 ? 2 : tick % 3 == 1 ? 3 : 0;
        EXPECT_EQ(Text(window->Display(CKelvaneDlg::kIdVoltDisplay)),
                  CFaceWells::FormatVolts(engine.Item(voltItem)->Value()).toStdString());
    }

    EXPECT_EQ(volts, (std::vector<std::string>{name(0), name(2), name(3), name(0), name(2)}));
    EXPECT_EQ(fans, std::vector<std::string>(5, name(CHardwareMonitor::kFirstFan + 1)));
    const std::string temp1 = name(CHardwareMonitor::kFirstTemp), temp2 = name(CHardwareMonitor::kFirstTemp + 1);
    EXPECT_EQ(temps, (std::vector<std::string>{temp2, temp1, temp2, temp1, temp2}));
    EXPECT_NE(name(0), name(2)) << "the names must tell the items apart";
    EXPECT_NE(temp1, temp2);
}

TEST_F(MainWindow, TheWellsNeverShowAnInputTheChipLacks)
{
    // This part has no VOLT2 (item 1) and no FAN3 (item 15); the stored
    // lists name them all the same.
    const std::string root = Root("count=3\nItem1=0\nItem2=1\nItem3=2\n", "count=1\nItem1=2\n",
                                  "count=1\nItem1=0\n", true);
    CTestProgram program(root, "[Chip]\nModel=W83697F\n");
    auto window = Start(program);
    CHardwareMonitor& engine = window->Engine();
    ASSERT_FALSE(engine.Item(1)->IsPresent());
    ASSERT_FALSE(engine.Item(CHardwareMonitor::kFirstFan + 2)->IsPresent());

    std::vector<std::string> volts{Text(window->Label(CKelvaneDlg::kIdVoltName))};
    for (int tick = 0; tick < 4; ++tick) {
        window->OnTimer(CKelvaneDlg::kMonitorTimer);
        volts.push_back(Text(window->Label(CKelvaneDlg::kIdVoltName)));
        EXPECT_NE(Text(window->Display(CKelvaneDlg::kIdVoltDisplay)), "OFF");
        // A list of nothing but missing inputs leaves its well empty.
        EXPECT_EQ(Text(window->Label(CKelvaneDlg::kIdFanName)), "");
        EXPECT_EQ(Text(window->Display(CKelvaneDlg::kIdFanDisplay)), "");
    }
    const auto name = [&](int item) { return engine.Item(item)->Name(); };
    EXPECT_EQ(volts, (std::vector<std::string>{name(0), name(2), name(0), name(2), name(0)}));

    // The lists keep the entries: only their use passes over them.
    EXPECT_EQ(window->Preferences().m_nVoltCount, 3);
    EXPECT_EQ(window->Preferences().m_nVoltItem[1], 1);
    EXPECT_EQ(window->Preferences().m_nFanItem[0], 2);
}

TEST_F(MainWindow, AnEmptyListNeverAdvances)
{
    CTestProgram program(Root("count=0\n", "count=0\n", "count=0\n", true));
    auto window = Start(program);
    for (int tick = 0; tick < 3; ++tick) {
        window->OnTimer(CKelvaneDlg::kMonitorTimer);
        EXPECT_EQ(window->VoltPosition(), 0);
        EXPECT_EQ(Text(window->Label(CKelvaneDlg::kIdVoltName)), window->Engine().Item(0)->Name());
        EXPECT_EQ(Text(window->Label(CKelvaneDlg::kIdTempName)),
                  window->Engine().Item(CHardwareMonitor::kFirstTemp)->Name());
    }
}

TEST_F(MainWindow, TemperaturesInTheUsersUnitWithTheUnitLabel)
{
    CTestProgram program(Root("count=1\nItem1=0\n", "count=1\nItem1=0\n", "count=1\nItem1=0\n", false),
                         "[Chip]\nModel=W83782D\n[Inputs]\nTEMP1=40.0\nFAN1=3000\n");
    auto window = Start(program);
    EXPECT_EQ(Text(window->Display(CKelvaneDlg::kIdTempDisplay)), "104.0");
    EXPECT_EQ(Text(window->Label(CKelvaneDlg::kIdTempUnit)), "\u00B0F");

    window->Preferences().m_bCentigrade = true;
    window->OnTimer(CKelvaneDlg::kMonitorTimer);
    EXPECT_EQ(Text(window->Display(CKelvaneDlg::kIdTempDisplay)), "40.0");
    EXPECT_EQ(Text(window->Label(CKelvaneDlg::kIdTempUnit)), "\u00B0C");

    // Fans show whole revolutions per minute.
    const auto* fan = static_cast<const CFanItem*>(window->Engine().Item(CHardwareMonitor::kFirstFan));
    EXPECT_EQ(Text(window->Display(CKelvaneDlg::kIdFanDisplay)), std::to_string(fan->Rpm()));
    EXPECT_GT(fan->Rpm(), 0);
}

TEST_F(MainWindow, AnItemOutOfRangeIsShownRedAtOnceAndGreenWhenItClears)
{
    // Temperatures rotate TEMP1, TEMP2; TEMP1 alarms above 60 C and clears
    // below 55 C. The warning log is on.
    CTestProgram program(Root("count=1\nItem1=0\n", "count=1\nItem1=0\n", "count=2\nItem1=0\nItem2=1\n", true, true));
    auto window = Start(program);
    CSegmentDisplay* display = window->Display(CKelvaneDlg::kIdTempDisplay);
    const auto lit = [&] { return display->GetLitColour(); };
    ASSERT_EQ(lit(), CKelvaneDlg::kGreen);

    ASSERT_EQ(program.Simctl({"set", "TEMP1=75"}), 0);
    // The rotation would show TEMP2; the well goes to the alarm at once.
    window->OnTimer(CKelvaneDlg::kMonitorTimer);
    EXPECT_EQ(Text(display), "75.0");
    EXPECT_EQ(lit(), CKelvaneDlg::kRed);
    EXPECT_EQ(display->GetUnlitColour(), CKelvaneDlg::kWhite);
    // The warning check ran after the refresh: one log entry for the alarm.
    const std::string log = CTempDir::Read(program.File("error.txt"));
    EXPECT_NE(log.find("[ErrorRecord]"), std::string::npos) << log;
    EXPECT_NE(log.find("SYSTEM Temperature: 75.0C  "), std::string::npos) << log;

    ASSERT_EQ(program.Simctl({"set", "TEMP1=40"}), 0);
    window->OnTimer(CKelvaneDlg::kMonitorTimer);  // TEMP1 again, back in range: green
    EXPECT_EQ(Text(display), "40.0");
    EXPECT_EQ(lit(), CKelvaneDlg::kGreen);
    EXPECT_EQ(display->GetUnlitColour(), CKelvaneDlg::kWhite);
    window->OnTimer(CKelvaneDlg::kMonitorTimer);  // the rotation goes on: TEMP2
    EXPECT_EQ(Text(window->Label(CKelvaneDlg::kIdTempName)), window->Engine().Item(CHardwareMonitor::kFirstTemp + 1)->Name());
}

TEST_F(MainWindow, ADisabledItemShowsOffAndKeepsItsColour)
{
    CTestProgram program(Root("count=1\nItem1=0\n", "count=1\nItem1=0\n", "count=1\nItem1=0\n", true),
                         "[Chip]\nModel=W83782D\n[Inputs]\nTEMP1=80\n");
    auto window = Start(program);
    CSegmentDisplay* display = window->Display(CKelvaneDlg::kIdTempDisplay);
    ASSERT_EQ(display->GetLitColour(), CKelvaneDlg::kRed);

    window->Engine().Item(CHardwareMonitor::kFirstTemp)->SetEnable(false);
    ASSERT_EQ(program.Simctl({"set", "TEMP1=30"}), 0);
    window->OnTimer(CKelvaneDlg::kMonitorTimer);
    EXPECT_EQ(Text(display), "OFF");
    EXPECT_EQ(display->GetLitColour(), CKelvaneDlg::kRed);
    EXPECT_EQ(Text(window->Label(CKelvaneDlg::kIdTempName)), "SYSTEM Temperature");
}

TEST_F(MainWindow, TheEngineFailingToStartShowsInitialValueFailAndEndsTheDialog)
{
    CTestProgram program;
    std::filesystem::remove(program.File("libWbcdflsh.so"));
    auto window = program.MakeWindow();
    std::vector<int> finished;
    QObject::connect(window.get(), &CKelvaneDlg::finished, [&](int result) { finished.push_back(result); });

    EXPECT_FALSE(window->InitDialog());
    ASSERT_EQ(program.MessageBoxes().ShownBoxes().size(), 1u);
    const auto& box = program.MessageBoxes().ShownBoxes().back();
    EXPECT_EQ(box.text, "Initial value fail!");
    EXPECT_EQ(box.caption, "ERROR");
    EXPECT_EQ(box.style, MessageBoxStyle::kOk);
    EXPECT_TRUE(window->IsEnded());
    EXPECT_EQ(window->Result(), CKelvaneDlg::kResultCancel);
    EXPECT_FALSE(window->IsMonitoring());
    EXPECT_EQ(finished, std::vector<int>{CKelvaneDlg::kResultCancel});
}

TEST_F(MainWindow, AStartedEngineRunsTimerOneAndTheWindowSavesThePreferencesWhenItGoes)
{
    CTestProgram program(Root("count=2\nItem1=0\nItem2=9\n", "count=1\nItem1=2\n", "count=1\nItem1=1\n", true) +
                         "EMailEnable=0\nSmartFan=7\n");
    {
        auto window = Start(program);
        EXPECT_TRUE(window->IsMonitoring());
        EXPECT_FALSE(window->IsEnded());
        window->Preferences().m_bCentigrade = false;
    }
    const std::string root = CTempDir::Read(program.File("Root.ini"));
    EXPECT_NE(root.find("Centigrade=0"), std::string::npos) << root;
    EXPECT_NE(root.find("SmartFan=1"), std::string::npos) << root;
    EXPECT_NE(root.find("Item2=9"), std::string::npos) << root;
}

TEST_F(MainWindow, TheFaceCarriesEveryControlAtItsPlaceWithItsMaskSize)
{
    CTestProgram program;
    auto window = Start(program);
    const CSkinLibrary& skins = window->Skins();

    EXPECT_EQ(window->windowTitle(), "Kelvane");
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    const QImage compact = skins.Image(CKelvaneDlg::kCompactOutline);
    EXPECT_EQ(window->size(), compact.size());
    EXPECT_EQ(window->mask(), window->Outline());
    EXPECT_FALSE(window->mask().contains(QPoint(0, 0))) << "the white corner lies outside";
    EXPECT_TRUE(window->mask().contains(QPoint(202, 100)));

    for (const auto& place : CFaceControls::kButtonLayout) {
        SCOPED_TRACE(place.id);
        CSkinButton* button = window->Button(place.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->objectName(), QString::number(place.id));
        EXPECT_EQ(button->property("controlId").toInt(), place.id);
        EXPECT_EQ(button->pos(), QPoint(place.x, place.y));
        const QImage mask = skins.Image(place.mask);
        ASSERT_FALSE(mask.isNull());
        EXPECT_EQ(button->size(), mask.size());
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(place.tooltip));
        EXPECT_EQ(button->DrawMode(), 0);
        EXPECT_EQ(button->Border(), 0);
        EXPECT_EQ(button->FocusMargin(), 0);
        EXPECT_FALSE(button->SkinImages().normal.isNull());
    }
    for (const auto& place : CFaceControls::kDisplayLayout) {
        SCOPED_TRACE(place.id);
        CSegmentDisplay* display = window->Display(place.id);
        ASSERT_NE(display, nullptr);
        EXPECT_EQ(display->property("controlId").toInt(), place.id);
        EXPECT_EQ(display->geometry(), QRect(place.x, place.y, place.width, place.height));
        EXPECT_TRUE(display->IsTransparentMode());
        EXPECT_EQ(display->DisplayStyle(), SDS_KEEP_ASPECT | SDS_LIT_ONLY | SDS_SOFT_EDGE);
        EXPECT_EQ(display->GetUnlitColour(), CKelvaneDlg::kBlack);
    }
    for (const auto& place : CFaceControls::kLabelLayout) {
        SCOPED_TRACE(place.id);
        CTransparentStatic* label = window->Label(place.id);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->objectName(), QString::number(place.id));
        EXPECT_EQ(label->geometry(), QRect(place.x, place.y, place.width, place.height));
        EXPECT_EQ(label->TextColour(), CKelvaneDlg::kGreen);
    }

    // The template's starting states and captions.
    const auto enabled = [&](int id) { return window->Button(id)->isEnabled(); };
    const auto hidden = [&](int id) { return window->Button(id)->isHidden(); };
    EXPECT_FALSE(enabled(1041));
    EXPECT_FALSE(enabled(1045));
    EXPECT_FALSE(enabled(1043));
    EXPECT_TRUE(hidden(1043));
    EXPECT_TRUE(hidden(1044));
    EXPECT_FALSE(enabled(1000));
    EXPECT_TRUE(enabled(1042));
    EXPECT_TRUE(enabled(1046));
    EXPECT_FALSE(hidden(1041));
    EXPECT_EQ(window->Button(1000)->text(), "Dravik Manager");
    EXPECT_EQ(window->Button(1001)->text(), "Display Setting");
    EXPECT_EQ(window->Button(1002)->text(), "Monitor Setting");
    EXPECT_EQ(Text(window->Label(CKelvaneDlg::kIdVoltUnit)), "V");
    EXPECT_EQ(Text(window->Label(CKelvaneDlg::kIdFanUnit)), "RPM");
}

TEST_F(MainWindow, OnTheSimulatorTheTitleStripSaysSimulatedWithoutCoveringAControl)
{
    CTestProgram program;
    auto window = Start(program);
    EXPECT_EQ(window->findChild<CTransparentStatic*>(QStringLiteral("simulatedTag")), nullptr);

    window->SetAccessState(true, {});
    const auto* tag = window->findChild<CTransparentStatic*>(QStringLiteral("simulatedTag"));
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(Text(tag), "SIMULATED");
    EXPECT_TRUE(tag->isVisibleTo(window.get()));
    EXPECT_TRUE(window->mask().contains(tag->geometry()));
    for (const auto& place : CFaceControls::kButtonLayout) {
        const CSkinButton* button = window->Button(place.id);
        if (button->isVisibleTo(window.get())) {
            EXPECT_FALSE(button->geometry().intersects(tag->geometry())) << place.id;
        }
    }
    // The tag is painted: some pixel of its box is amber.
    const QImage face = window->grab().toImage();
    bool amber = false;
    for (int y = tag->y(); y < tag->y() + tag->height() && !amber; ++y)
        for (int x = tag->x(); x < tag->x() + tag->width() && !amber; ++x)
            amber = face.pixelColor(x, y).red() > 200 && face.pixelColor(x, y).blue() < 80;
    EXPECT_TRUE(amber);
    if (const char* dir = std::getenv("KELVANE_PICTURE_DIR")) {
        EXPECT_TRUE(window->grab().save(QString::fromLocal8Bit(dir) + "/main-simulated.png"));
    }

    window->SetAccessState(false, {});
    EXPECT_FALSE(tag->isVisibleTo(window.get()));
}

TEST_F(MainWindow, ExpandAndCollapseSwitchOutlineFaceAndButtons)
{
    CTestProgram program;
    auto window = Start(program);
    const CSkinLibrary& skins = window->Skins();
    // The panels sit below the compact form, which the voltage panel's top
    // rows would reach into: they show only in the expanded one.
    const auto shownPanels = [&] {
        int shown = 0;
        for (const CSubScreenPanel* panel : window->findChildren<CSubScreenPanel*>()) shown += panel->isVisibleTo(window.get());
        return shown;
    };
    ASSERT_EQ(window->findChildren<CSubScreenPanel*>().size(), 6);
    EXPECT_EQ(shownPanels(), 0);

    window->Button(CKelvaneDlg::kIdExpand)->click();
    EXPECT_EQ(shownPanels(), 3);
    EXPECT_TRUE(window->IsExpanded());
    EXPECT_EQ(window->size(), skins.Image(CKelvaneDlg::kExpandedOutline).size());
    EXPECT_EQ(window->Face(), skins.Image(CKelvaneDlg::kExpandedFace));
    EXPECT_TRUE(window->mask().contains(QPoint(202, 500)));
    EXPECT_TRUE(window->Button(CKelvaneDlg::kIdExpand)->isHidden());
    EXPECT_FALSE(window->Button(CKelvaneDlg::kIdVoltBack)->isHidden());
    EXPECT_FALSE(window->Button(CKelvaneDlg::kIdVoltDetail)->isHidden());

    window->ShowCompact();
    EXPECT_FALSE(window->IsExpanded());
    EXPECT_EQ(shownPanels(), 0);
    EXPECT_EQ(window->size(), skins.Image(CKelvaneDlg::kCompactOutline).size());
    EXPECT_EQ(window->Face(), skins.Image(CKelvaneDlg::kCompactFace));
    EXPECT_FALSE(window->mask().contains(QPoint(202, 500)));
    EXPECT_FALSE(window->Button(CKelvaneDlg::kIdExpand)->isHidden());
    EXPECT_TRUE(window->Button(CKelvaneDlg::kIdVoltBack)->isHidden());
    EXPECT_TRUE(window->Button(CKelvaneDlg::kIdVoltDetail)->isHidden());
}

TEST_F(MainWindow, AreaButtonsSwapTheirEnableStatesAndAnnounceTheView)
{
    CTestProgram program;
    auto window = Start(program);
    window->ShowDetail();
    std::vector<std::pair<CKelvaneDlg::Area, bool>> views;
    QObject::connect(window.get(), &CKelvaneDlg::areaViewChanged,
                     [&](CKelvaneDlg::Area area, bool graph) { views.emplace_back(area, graph); });

    struct Case {
        CKelvaneDlg::Area area;
        int back, detail;
    };
    for (const Case& c : {Case{CKelvaneDlg::Area::Volt, 1043, 1044}, Case{CKelvaneDlg::Area::Fan, 1045, 1046},
                          Case{CKelvaneDlg::Area::Temp, 1041, 1042}}) {
        SCOPED_TRACE(c.back);
        views.clear();
        window->Button(c.detail)->click();
        EXPECT_FALSE(window->Button(c.detail)->isEnabled());
        EXPECT_TRUE(window->Button(c.back)->isEnabled());
        window->Button(c.back)->click();
        EXPECT_TRUE(window->Button(c.detail)->isEnabled());
        EXPECT_FALSE(window->Button(c.back)->isEnabled());
        const std::vector<std::pair<CKelvaneDlg::Area, bool>> expected{{c.area, true}, {c.area, false}};
        EXPECT_EQ(views, expected);
    }
}

TEST_F(MainWindow, HelpAndWebSiteGoToTheDesktop)
{
    CTestProgram program;
    auto window = Start(program);
    window->Button(CKelvaneDlg::kIdHelp)->click();
    window->Button(CKelvaneDlg::kIdWebSite)->click();
    EXPECT_EQ(program.Shell().files,
              (std::vector<std::string>{program.File("help/help_enu.htm"), program.File("help/about.htm")}));
    EXPECT_TRUE(program.Shell().urls.empty()) << "no placeholder web address";
    EXPECT_TRUE(std::filesystem::exists(program.File("help/about.htm")));
}

TEST_F(MainWindow, TheCloseButtonEndsTheDialog)
{
    CTestProgram program;
    auto window = Start(program);
    std::vector<int> finished;
    QObject::connect(window.get(), &CKelvaneDlg::finished, [&](int result) { finished.push_back(result); });
    window->Button(CKelvaneDlg::kIdClose)->click();
    EXPECT_TRUE(window->IsEnded());
    EXPECT_EQ(finished, std::vector<int>{CKelvaneDlg::kResultCancel});
    EXPECT_FALSE(window->IsMonitoring());
}

TEST_F(MainWindow, SuspendSilencesTheChipAndResumeBringsItBack)
{
    CTestProgram program;
    auto window = Start(program);
    CMonitorChip& chip = window->Engine().Chip();
    const auto globalBeep = [&] {
        chip.SelectBank(0);
        return (chip.ReadRegister(0x57) & 0x80) != 0;
    };
    ASSERT_TRUE(globalBeep());
    EXPECT_TRUE(window->OnPowerBroadcast(4));
    EXPECT_FALSE(globalBeep());
    EXPECT_TRUE(window->OnPowerBroadcast(7));
    EXPECT_TRUE(globalBeep());
    EXPECT_FALSE(window->OnPowerBroadcast(10));
}

TEST_F(MainWindow, SettingCaptionsComeFromTheLanguageFileOfTheCurrentDirectory)
{
    CTestProgram program;
    CTempDir working;
    CTempDir::Write(working.File("kelvaneDEU.ini"),
                    "[Kelvane]\nMonitor Setting=\xC3\x9C" "berwachung\nDisplay Setting=Anzeige\n"
                    "[Display Setting]\nDravik Manager=Falsch\n");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(working.Path());
    CKelvaneDlgSeams seams = program.WindowSeams();
    seams.languageCode = "DEU";
    CKelvaneDlg window(seams);
    const bool started = window.InitDialog();
    std::filesystem::current_path(before);

    EXPECT_TRUE(started);
    EXPECT_EQ(window.LanguageFile(), working.File("kelvaneDEU.ini"));
    EXPECT_EQ(window.Button(1002)->text(), QString::fromUtf8("\xC3\x9C" "berwachung"));
    EXPECT_EQ(window.Button(1001)->text(), "Anzeige");
    EXPECT_EQ(window.Button(1000)->text(), "Dravik Manager") << "no key in the window's section: unchanged";
}

class ProgramStart : public MainWindow {};

TEST_F(ProgramStart, AMissingFileEndsTheStartBeforeTheChipIsTouched)
{
    for (const char* missing : {"Root.ini", "def.ini"}) {
        SCOPED_TRACE(missing);
        CTestProgram program;
        const std::string root = CTempDir::Read(program.File("Root.ini"));
        std::filesystem::remove(program.File(missing));

        CKelvaneApp app = program.MakeApp();
        EXPECT_EQ(app.CreateMainWindow(), nullptr);
        EXPECT_EQ(program.Exits(), std::vector<int>{0});
        ASSERT_EQ(program.MessageBoxes().ShownBoxes().size(), 1u);
        EXPECT_EQ(program.MessageBoxes().ShownBoxes()[0].text.rfind("Open File error!\n\n", 0), 0u);
        EXPECT_EQ(program.MessageBoxes().ShownBoxes()[0].caption, "Warning");
        EXPECT_EQ(program.Loader().Opens(), 0) << "the access library must not be loaded";
        EXPECT_FALSE(std::filesystem::exists(program.File(missing)));
        if (std::string(missing) != "Root.ini") {
            EXPECT_EQ(CTempDir::Read(program.File("Root.ini")), root);
        }
    }
}

TEST_F(ProgramStart, WithAllFilesInPlaceTheWindowIsBuiltAndTheHostNameRecorded)
{
    CTestProgram program;  // error.txt is empty
    CKelvaneApp app = program.MakeApp();
    auto window = app.CreateMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(program.Exits().empty());
    EXPECT_EQ(app.BoardName(), "");
    EXPECT_EQ(CComputerName::Read(program.Registry()), "testhost");
    EXPECT_TRUE(window->InitDialog(true));
    EXPECT_TRUE(window->StartsMinimised());
    EXPECT_EQ(window->IniPath(), program.File("Root.ini"));
}

}  // namespace

namespace {

TEST(TerminationSignals, ASignalReachesTheEventLoopAndTheOldHandlerComesBack)
{
    QtTestApplication();
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before = {};
    ASSERT_EQ(::sigaction(SIGUSR2, &ignore, &before), 0);
    {
        CTerminationSignals first({SIGUSR2});
        ASSERT_TRUE(first.IsInstalled());
        CTerminationSignals second({SIGUSR2});
        EXPECT_FALSE(second.IsInstalled()) << "one owner of the handlers at a time";

        std::vector<int> received;
        QObject::connect(&first, &CTerminationSignals::terminationRequested,
                         [&](int number) { received.push_back(number); });
        ::raise(SIGUSR2);
        for (int i = 0; i < 50 && received.empty(); ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(received, std::vector<int>{SIGUSR2});
    }
    struct sigaction after = {};
    ASSERT_EQ(::sigaction(SIGUSR2, &before, &after), 0);
    EXPECT_EQ(after.sa_handler, SIG_IGN);
}

TEST(TerminationSignals, AClosedTerminalAndCtrlBackslashEndTheProgramTheOrdinaryWay)
{
    QtTestApplication();
    for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(number);
        // The program's own set: none of these may end it with the chip
        // still set up for monitoring.
        CTerminationSignals termination;
        ASSERT_TRUE(termination.IsInstalled());
        std::vector<int> received;
        QObject::connect(&termination, &CTerminationSignals::terminationRequested,
                         [&](int caught) { received.push_back(caught); });
        ::raise(number);
        for (int i = 0; i < 50 && received.empty(); ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(received, std::vector<int>{number});
    }
}

}  // namespace
