// The Monitor Setting dialog over the real engine on the chip simulator, in a
// private program directory (simulator library, descriptors, board defaults
// and skin pictures copied there).
#include "windows/CMonitorSettingDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QWindow>
#include <QApplication>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "windows/CUserPreferences.h"
#include "engine/CSettingsStore.h"
#include "engine/SimulatorProgram.h"
#include "skin/CRulerSlider.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinLibrary.h"
#include "windows/CCaptionTranslator.h"
#include "windows/CLimitField.h"

namespace fs = std::filesystem;

namespace {

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, buttons, {});
    QApplication::sendEvent(widget, &event);
}
void Press(QWidget* widget, QPoint at) { SendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton); }
void Move(QWidget* widget, QPoint at) { SendMouse(widget, QEvent::MouseMove, at, Qt::LeftButton); }
void Release(QWidget* widget, QPoint at) { SendMouse(widget, QEvent::MouseButtonRelease, at, Qt::NoButton); }

// A user's typing into a field, ended with Return.
void Type(QWidget* field, const QString& text)
{
    field->findChild<QLineEdit*>()->setText(text);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(field, &enter);
}

// W83782D registers of bank 0 that the dialog's rows end up in.
constexpr uint8_t kIn2High = 0x2F;
constexpr uint8_t kIn2Low = 0x30;
constexpr uint8_t kTemp1Over = 0x39;
constexpr uint8_t kTemp1Hysteresis = 0x3A;
constexpr uint8_t kFan1Duty = 0x5B;

class MonitorSettingDlgTest : public ::testing::Test {
protected:
    // inputs: extra simulator inputs; defaultsEdit: (section, key, value)
    // changes to the board defaults before the engine starts.
    void Start(const std::string& inputs = "",
               const std::vector<std::array<std::string, 3>>& defaultsEdit = {},
               const std::string& model = "W83782D")
    {
        m_program = std::make_unique<SimulatorProgram>(model, "", inputs);
        const fs::path build = BuildProgramDirectory();
        fs::copy(build / "skin", fs::path(m_program->Directory()) / "skin", fs::copy_options::recursive);
        fs::copy_file(build / "kelvaneDEU.ini", fs::path(m_program->Directory()) / "kelvaneDEU.ini");
        for (const auto& [section, key, value] : defaultsEdit)
            m_program->profile.WriteString(m_program->Directory() + "/def.ini", section, key, value);
        bool started = false;
        m_engine = m_program->StartEngine(&started);
        ASSERT_TRUE(started);
        // The main window's first tick: a fan that reads 0 is switched off.
        m_engine->UpdateAll();
        m_skins = std::make_unique<CSkinLibrary>(QString::fromStdString(m_program->Directory() + "/skin"));
    }

    std::unique_ptr<CMonitorSettingDlg> Open(const std::string& languageCode = "")
    {
        // Translation files are looked for in the current directory.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(m_program->Directory()));
        m_translator = std::make_unique<CCaptionTranslator>(m_program->profile, languageCode);
        CMonitorSettingHost host{*m_engine, m_prefs, *m_skins, *m_translator,
                                 [this] { m_calls.push_back("ResetLayout"); },
                                 [this] { m_calls.push_back("Refresh"); },
                                 [this](bool centigrade) { m_calls.push_back(centigrade ? "C" : "F"); }};
        auto dialog = std::make_unique<CMonitorSettingDlg>(host);
        QDir::setCurrent(previous);
        dialog->show();
        // Painted once, as a dialog on screen is before the user acts.
        QApplication::processEvents();
        return dialog;
    }

    template <class T>
    static T* Find(const CMonitorSettingDlg& dialog, int id)
    {
        return qobject_cast<T*>(dialog.Control(id));
    }
    static QString Text(const CMonitorSettingDlg& dialog, int id) { return Find<QLabel>(dialog, id)->text(); }
    static void Click(const CMonitorSettingDlg& dialog, int id)
    {
        QAbstractButton* button = Find<QAbstractButton>(dialog, id);
        ASSERT_NE(button, nullptr) << id;
        const QPoint centre(button->width() / 2, button->height() / 2);
        Press(button, centre);
        Release(button, centre);
    }
    uint8_t Register(uint8_t reg)
    {
        m_engine->Chip().SelectBank(0);
        return m_engine->Chip().ReadRegister(reg);
    }
    std::string Stored(int item, const char* name)
    {
        std::string text;
        m_program->registry->ReadText(m_engine->Item(item)->PreferenceKey(), name, text);
        return text;
    }

    std::unique_ptr<SimulatorProgram> m_program;
    std::unique_ptr<CHardwareMonitor> m_engine;
    std::unique_ptr<CSkinLibrary> m_skins;
    std::unique_ptr<CCaptionTranslator> m_translator;
    CUserPreferences m_prefs;
    std::vector<std::string> m_calls;
};

TEST_F(MonitorSettingDlgTest, EveryDesignedControlExistsOnceUnderItsId)
{
    Start();
    m_prefs.m_bCentigrade = true;
    auto dialog = Open();
    std::vector<int> ids = {1, 2, 1153, 1169, 1170, 1171, 1178, 1183, 1184, 1185, 1186, 1187, 1188, 1189};
    for (int r = 1; r <= 8; ++r)
        for (int id : {1078 + r, 1105 + r, 1094 + r, 1050 + r, 1086 + r, 1016 + 2 * r, 1017 + 2 * r, 1058 + r})
            ids.push_back(id);
    for (int id : {1048, 1049, 1050, 1141, 1142, 1143, 1144, 1145}) ids.push_back(id);
    for (int r = 1; r <= 3; ++r)
        for (int id : {1102 + r, 1114 + r, 1118 + r, 1066 + r, 1122 + r, 1033 + r, 1037 + r, 1145 + r, 1070 + r,
                       1126 + r, 1129 + r, 1132 + r, 1074 + r, 1135 + r, 1041 + r, 1044 + r, 1149 + r, 1153 + r})
            ids.push_back(id);
    for (int id : ids) {
        const auto found = dialog->findChildren<QWidget*>(QString::number(id));
        ASSERT_EQ(found.size(), 1) << "control " << id;
        EXPECT_EQ(found[0]->property("controlId").toInt(), id);
    }
    EXPECT_EQ(dialog->width(), CMonitorSettingDlg::kWidth);
    EXPECT_EQ(dialog->windowTitle(), "Monitor Setting");
    EXPECT_NE(qobject_cast<CRulerSlider*>(dialog->Control(1051)), nullptr);
    EXPECT_NE(qobject_cast<QCheckBox*>(dialog->Control(1050)), nullptr);
    // Hidden by design, but loaded from the item.
    EXPECT_TRUE(Find<QCheckBox>(*dialog, 1018)->isHidden());
    EXPECT_TRUE(Find<QCheckBox>(*dialog, 1018)->isChecked());
    EXPECT_TRUE(Find<QLabel>(*dialog, 1123)->isHidden());
    EXPECT_TRUE(Find<QLabel>(*dialog, 1133)->isHidden());
}

TEST_F(MonitorSettingDlgTest, RowsShowTheItemsWithAPointWhateverTheFormat)
{
    Start();
    m_prefs.m_bCentigrade = true;
    m_engine->Volt(2)->SetLimits(3.478, 3.131);
    auto dialog = Open();

    EXPECT_EQ(Text(*dialog, 1081), "+3.3V");
    EXPECT_EQ(Text(*dialog, 1089), "3.48");  // "%2.2f" of the limit, not of the thumb
    EXPECT_EQ(Text(*dialog, 1097), "3.13");
    auto* ruler = Find<CRulerSlider>(*dialog, 1053);
    EXPECT_EQ(ruler->Model().Minimum(), 264);
    EXPECT_EQ(ruler->Model().Maximum(), 396);
    EXPECT_EQ(ruler->GetHighLimit(), 347);
    EXPECT_EQ(ruler->GetLowLimit(), 313);
    // -12 V: negative bounds truncate toward zero.
    EXPECT_EQ(Find<CRulerSlider>(*dialog, 1056)->GetLowLimit(), -1320);

    auto* fan = Find<QSlider>(*dialog, 1067);
    EXPECT_EQ(fan->minimum(), 0);
    EXPECT_EQ(fan->maximum(), 255);
    EXPECT_EQ(fan->value(), 10);
    EXPECT_EQ(Text(*dialog, 1119), QString::number(m_engine->Fan(0)->CountToRpm(10)));
    EXPECT_EQ(Text(*dialog, 1115), QString::number(m_engine->Fan(0)->Rpm()));

    auto* temp = Find<QSlider>(*dialog, 1076);
    EXPECT_EQ(temp->minimum(), 0);
    EXPECT_EQ(temp->maximum(), 1270);
    EXPECT_EQ(temp->value(), 700);
    EXPECT_EQ(Text(*dialog, 1137), "70.0");
    EXPECT_EQ(Text(*dialog, 1131), "45.5");
}

TEST_F(MonitorSettingDlgTest, TheValueColumnFollowsTheReadingsWhileTheDialogIsOpen)
{
    Start();
    m_prefs.m_bCentigrade = true;
    auto dialog = Open();
    const QString limit = Text(*dialog, 1137);
    ASSERT_EQ(Text(*dialog, 1131), "45.5");
    // The main window's tick reads the chip while the dialog is open.
    ASSERT_EQ(m_program->SimCtl("set TEMP2=52.5 IN0=1.62"), 0);
    m_engine->UpdateAll();
    dialog->RefreshValues();
    EXPECT_EQ(Text(*dialog, 1131), "52.5");
    EXPECT_EQ(Text(*dialog, 1106), "1.62");
    EXPECT_EQ(Text(*dialog, 1137), limit) << "limits are the user's, not refreshed";
}

TEST_F(MonitorSettingDlgTest, TheArrowKeysMoveTheRulersLimitsOneUnitAStep)
{
    Start();
    m_engine->Volt(2)->SetLimits(3.478, 3.131);
    auto dialog = Open();
    auto* ruler = Find<CRulerSlider>(*dialog, 1053);
    const auto press = [&](Qt::Key key, int times) {
        for (int i = 0; i < times; ++i) {
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(ruler, &event);
        }
    };
    press(Qt::Key_Right, 2);
    press(Qt::Key_Up, 1);
    EXPECT_EQ(ruler->GetLowLimit(), 315);
    EXPECT_EQ(ruler->GetHighLimit(), 348);
    EXPECT_EQ(Text(*dialog, 1097), "3.15");
    EXPECT_EQ(Text(*dialog, 1089), "3.48");
    // Never past each other or the ends of the range.
    press(Qt::Key_Down, 100);
    EXPECT_EQ(ruler->GetHighLimit(), 315);
    press(Qt::Key_Left, 100);
    EXPECT_EQ(ruler->GetLowLimit(), 264);
    EXPECT_EQ(Text(*dialog, 1097), "2.64");
}

TEST_F(MonitorSettingDlgTest, ApplyOnAnUntouchedDialogKeepsEveryLimitExactlyAndStoresIt)
{
    Start();
    m_prefs.m_bCentigrade = true;
    m_engine->Temp(0)->SetLimits(45.5, 40.0);
    m_engine->Volt(2)->SetLimits(3.478, 3.131);
    // 116 × 0.01 × 100 is 115.99999999999999 in binary floating point.
    m_engine->Volt(1)->SetLimits(116 * 0.01, 1.14);
    auto dialog = Open();
    Click(*dialog, CMonitorSettingDlg::kIdApply);

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    // Nothing touched: the over limit and its hysteresis stay apart.
    EXPECT_DOUBLE_EQ(m_engine->Temp(0)->HiLimit(), 45.5);
    EXPECT_DOUBLE_EQ(m_engine->Temp(0)->LoLimit(), 40.0);
    EXPECT_DOUBLE_EQ(m_engine->Temp(1)->HiLimit(), 70.0);
    EXPECT_DOUBLE_EQ(m_engine->Temp(1)->LoLimit(), 65.0);
    EXPECT_DOUBLE_EQ(m_engine->Volt(2)->HiLimit(), 3.478);
    EXPECT_DOUBLE_EQ(m_engine->Volt(2)->LoLimit(), 3.131);
    EXPECT_DOUBLE_EQ(m_engine->Volt(1)->HiLimit(), 1.16);
    EXPECT_DOUBLE_EQ(m_engine->Volt(1)->LoLimit(), 1.14);
    EXPECT_DOUBLE_EQ(m_engine->Volt(5)->LoLimit(), -13.20);
    // A fan's high limit is the program's own.
    EXPECT_DOUBLE_EQ(m_engine->Fan(0)->HiLimit(), 255.0);
    EXPECT_DOUBLE_EQ(m_engine->Fan(0)->LoLimit(), 10.0);

    // The chip: over limit 45.5 (the 8-bit register holds 45), hysteresis 40.
    EXPECT_EQ(Register(kTemp1Over), 45);
    EXPECT_EQ(Register(kTemp1Hysteresis), 40);
    EXPECT_EQ(Register(kIn2High), 217);  // 3.478 V
    EXPECT_EQ(Register(kIn2Low), 195);   // 3.131 V

    // Item preferences in the registry, in hundredths.
    EXPECT_EQ(Stored(10, "HiLimit"), "4550");
    EXPECT_EQ(Stored(10, "LoLimit"), "4000");
    EXPECT_EQ(Stored(2, "HiLimit"), "347");
    EXPECT_EQ(Stored(1, "HiLimit"), "116");
    EXPECT_EQ(Stored(1, "LoLimit"), "114");
    EXPECT_EQ(m_calls, std::vector<std::string>{"C"});
}

TEST_F(MonitorSettingDlgTest, EveryLimitOfEveryModelRoundTripsThroughAnUntouchedApply)
{
    for (const char* model : {"W83781D_B", "W83781D_C", "W83627F", "W83782D", "W83783S", "W83784R", "W83784R_B",
                              "W83697F", "W83785R", "W83791D_B", "W83791D_C", "W83637HF"}) {
        SCOPED_TRACE(model);
        Start("", {}, model);
        struct Limits {
            double hi, lo, hiRegister, loRegister;
        };
        std::vector<Limits> before;
        for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) {
            const CSensorItem& item = *m_engine->Item(i);
            before.push_back({item.HiLimit(), item.LoLimit(), item.HiLimitField().Read(), item.LoLimitField().Read()});
        }
        {
            auto dialog = Open();
            Click(*dialog, CMonitorSettingDlg::kIdApply);
        }
        for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) {
            const CSensorItem& item = *m_engine->Item(i);
            if (!item.IsEnabled()) continue;
            SCOPED_TRACE(item.SectionName());
            EXPECT_DOUBLE_EQ(item.HiLimit(), before[i].hi);
            EXPECT_DOUBLE_EQ(item.LoLimit(), before[i].lo);
            EXPECT_EQ(item.HiLimitField().Read(), before[i].hiRegister);
            EXPECT_EQ(item.LoLimitField().Read(), before[i].loRegister);
            EXPECT_EQ(Stored(i, "HiLimit"), std::to_string(CSettingsStore::ToHundredths(before[i].hi)));
            EXPECT_EQ(Stored(i, "LoLimit"), std::to_string(CSettingsStore::ToHundredths(before[i].lo)));
        }
        m_engine.reset();
    }
}

TEST_F(MonitorSettingDlgTest, AMovedTemperatureLimitKeepsItsHysteresisBand)
{
    Start();
    auto dialog = Open();
    Find<QSlider>(*dialog, 1075)->triggerAction(QAbstractSlider::SliderPageStepSub);  // 60.0 → 59.0
    Click(*dialog, CMonitorSettingDlg::kIdApply);
    EXPECT_DOUBLE_EQ(m_engine->Temp(0)->HiLimit(), 59.0);
    EXPECT_DOUBLE_EQ(m_engine->Temp(0)->LoLimit(), 54.0);
    EXPECT_EQ(Register(kTemp1Hysteresis), 54);
}

TEST_F(MonitorSettingDlgTest, ApplyWritesWhatTheUserChangedAndTheFlags)
{
    Start();
    m_prefs.m_bCentigrade = true;
    m_prefs.m_bSmartFan = true;
    auto dialog = Open();

    Find<QSlider>(*dialog, 1075)->triggerAction(QAbstractSlider::SliderPageStepSub);  // 60.0 → 59.0
    EXPECT_EQ(Text(*dialog, 1136), "59.0");
    EXPECT_DOUBLE_EQ(m_engine->Temp(0)->HiLimit(), 60.0);  // nothing reaches the engine yet
    Click(*dialog, 1150);                                   // TEMP1 Shut Down
    Click(*dialog, CMonitorSettingDlg::kIdSmartFan);        // off
    Click(*dialog, CMonitorSettingDlg::kIdFahrenheit);
    Click(*dialog, CMonitorSettingDlg::kIdApply);

    EXPECT_DOUBLE_EQ(m_engine->Temp(0)->HiLimit(), 59.0);
    EXPECT_TRUE(m_engine->Temp(0)->IsShutDownEnabled());
    EXPECT_EQ(Stored(10, "ShutDownEnable"), "1");
    EXPECT_FALSE(m_prefs.m_bCentigrade);
    EXPECT_FALSE(m_prefs.m_bSmartFan);
    EXPECT_FALSE(m_engine->Fan(0)->IsSmartFanEnabled());
    EXPECT_EQ(m_calls, (std::vector<std::string>{"F", "F"}));
}

TEST_F(MonitorSettingDlgTest, DisabledRowsAreGreyedOrHiddenAndApplySkipsThem)
{
    // FAN2 stands still (its defaults enable it); FAN3 is not enabled by
    // default; TEMP3 is off.
    Start("FAN2=0\n", {{"FAN3", "Enable", "0"}, {"TEMP3", "Enable", "0"}, {"VOLT8", "Enable", "0"}});
    ASSERT_FALSE(m_engine->Fan(1)->IsEnabled());
    ASSERT_TRUE(m_engine->Fan(1)->EnabledByDefault());
    m_prefs.m_bCentigrade = true;
    auto dialog = Open();

    // FAN2: "OFF", empty limit text, greyed controls, name shown.
    EXPECT_EQ(Text(*dialog, 1116), "OFF");
    EXPECT_EQ(Text(*dialog, 1120), "");
    EXPECT_TRUE(Find<QLabel>(*dialog, 1104)->isVisible());
    EXPECT_EQ(Text(*dialog, 1104), "POWER FAN");
    for (int id : {1068, 1147, 1072, 1035, 1039}) EXPECT_FALSE(dialog->Control(id)->isEnabled()) << id;
    for (int id : {1068, 1147, 1072}) EXPECT_TRUE(dialog->Control(id)->isVisible()) << id;
    // FAN3: the whole row hidden.
    for (int id : {1105, 1117, 1121, 1069, 1148, 1073}) EXPECT_TRUE(dialog->Control(id)->isHidden()) << id;
    // TEMP3: greyed, not hidden.
    for (int id : {1129, 1132, 1077, 1152, 1156}) {
        EXPECT_FALSE(dialog->Control(id)->isHidden()) << id;
        EXPECT_FALSE(dialog->Control(id)->isEnabled()) << id;
    }
    // Its limit shows, greyed, in its field (the text 1138 is the record).
    CLimitField* temp3High = dialog->HighField(CMonitorSettingDlg::TempSliderId(3));
    EXPECT_FALSE(temp3High->isHidden());
    EXPECT_FALSE(temp3High->isEnabled());
    EXPECT_EQ(temp3High->Text(), Text(*dialog, 1138));
    EXPECT_EQ(Text(*dialog, 1129), "AUX Temperature");
    // VOLT8: hidden.
    for (int id : {1086, 1113, 1094, 1102, 1058, 1145, 1066}) EXPECT_TRUE(dialog->Control(id)->isHidden()) << id;

    if (const char* dir = std::getenv("KELVANE_PICTURE_DIR"))
        dialog->grab().save(QString::fromLocal8Bit(dir) + "/monitor-setting-off.png");

    const double fan2Limit = m_engine->Fan(1)->LoLimit();
    const uint8_t temp3Over = m_engine->Temp(2)->HiLimitField().Read();
    m_engine->Temp(2)->SetLimits(61.5, 55.0);
    Click(*dialog, CMonitorSettingDlg::kIdApply);
    EXPECT_DOUBLE_EQ(m_engine->Fan(1)->LoLimit(), fan2Limit);
    EXPECT_DOUBLE_EQ(m_engine->Temp(2)->HiLimit(), 61.5);
    EXPECT_EQ(static_cast<uint8_t>(m_engine->Temp(2)->HiLimitField().Read()), temp3Over);
}

TEST_F(MonitorSettingDlgTest, InputsTheChipLacksHaveNoRowsAndTheRowsBelowMoveUp)
{
    // The W83697F has no VOLT2 and no FAN3 input, whatever def.ini enables.
    Start("", {{"VOLT2", "Enable", "1"}, {"FAN3", "Enable", "1"}}, "W83697F");
    ASSERT_FALSE(m_engine->Volt(1)->IsPresent());
    ASSERT_FALSE(m_engine->Fan(2)->IsPresent());
    m_prefs.m_bCentigrade = true;
    auto dialog = Open();

    for (int id : {1080, 1107, 1096, 1052, 1088, 1049, 1060, 1105, 1117, 1121, 1069, 1148, 1073})
        EXPECT_TRUE(dialog->Control(id)->isHidden()) << id;
    EXPECT_TRUE(dialog->findChild<QLabel*>("scale1069")->isHidden());
    // VOLT3 takes VOLT2's place; the fan group ends after FAN2 and the
    // temperature group follows it.
    EXPECT_EQ(dialog->Control(1081)->y() - dialog->Control(1079)->y(), 18);
    QWidget* fans = dialog->Control(1103)->parentWidget();
    QWidget* temps = dialog->Control(1127)->parentWidget();
    EXPECT_EQ(fans->height(), 17 + 2 * 25 + 4);
    EXPECT_EQ(temps->y(), fans->y() + fans->height() + 3);

    if (const char* dir = std::getenv("KELVANE_PICTURE_DIR"))
        dialog->grab().save(QString::fromLocal8Bit(dir) + "/monitor-setting-absent.png");

    // Default Setting does not bring them back.
    Click(*dialog, CMonitorSettingDlg::kIdDefaultSetting);
    for (int id : {1080, 1052, 1105, 1069}) EXPECT_TRUE(dialog->Control(id)->isHidden()) << id;
    EXPECT_FALSE(m_engine->Fan(2)->IsEnabled());
}

TEST_F(MonitorSettingDlgTest, UnitButtonsRewriteGreyedRowsAndTheUnitOverTheValues)
{
    Start("", {{"TEMP3", "Enable", "0"}});
    m_engine->Temp(2)->SetLimits(61.5, 55.0);
    m_prefs.m_bCentigrade = true;
    auto dialog = Open();
    const auto unit = [&](int kind) { return dialog->findChild<QLabel*>(QStringLiteral("unit%1").arg(kind))->text(); };
    EXPECT_EQ(unit(0), "V");
    EXPECT_EQ(unit(1), "RPM");
    EXPECT_EQ(unit(2), QString::fromUtf8("°C"));
    EXPECT_EQ(Text(*dialog, 1138), "61.5");
    EXPECT_EQ(Text(*dialog, 1132), "");
    EXPECT_FALSE(dialog->Control(1138)->isEnabled());

    Click(*dialog, CMonitorSettingDlg::kIdFahrenheit);
    EXPECT_EQ(Text(*dialog, 1138), "142.7");
    EXPECT_EQ(Text(*dialog, 1132), "");
    EXPECT_EQ(unit(2), QString::fromUtf8("°F"));
    Click(*dialog, CMonitorSettingDlg::kIdCentigrade);
    EXPECT_EQ(Text(*dialog, 1138), "61.5");
    EXPECT_EQ(unit(2), QString::fromUtf8("°C"));
    // Still greyed, and Apply leaves its limit alone.
    EXPECT_FALSE(dialog->Control(1077)->isEnabled());
    Click(*dialog, CMonitorSettingDlg::kIdApply);
    EXPECT_DOUBLE_EQ(m_engine->Temp(2)->HiLimit(), 61.5);
}

TEST_F(MonitorSettingDlgTest, UnitButtonsActAtOnceAndCancelKeepsThem)
{
    Start();
    m_prefs.m_bCentigrade = true;
    auto dialog = Open();
    Click(*dialog, CMonitorSettingDlg::kIdFahrenheit);
    EXPECT_FALSE(m_prefs.m_bCentigrade);
    EXPECT_EQ(Text(*dialog, 1136), "140.0");  // 60 C
    EXPECT_EQ(Text(*dialog, 1131), "113.9");  // 45.5 C
    Click(*dialog, CMonitorSettingDlg::kIdCancel);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(m_prefs.m_bCentigrade);
    EXPECT_EQ(m_calls, std::vector<std::string>{"F"});
    // Nothing else was written: the item keeps its limits.
    EXPECT_DOUBLE_EQ(m_engine->Temp(0)->LoLimit(), 55.0);
}

TEST_F(MonitorSettingDlgTest, SmartFanDrivesTheFansAtOnceAndCancelRestoresIt)
{
    Start();
    m_prefs.m_bCentigrade = true;
    m_prefs.m_bSmartFan = true;
    auto dialog = Open();
    // Opening applies the flag: FAN1 (the Smart Fan fan) at its low rate.
    EXPECT_EQ(Register(kFan1Duty), 20);
    EXPECT_TRUE(m_engine->Fan(0)->IsSmartFanEnabled());

    Click(*dialog, CMonitorSettingDlg::kIdSmartFan);
    EXPECT_EQ(Register(kFan1Duty), 255);
    EXPECT_FALSE(m_engine->Fan(0)->IsSmartFanEnabled());
    Click(*dialog, CMonitorSettingDlg::kIdSmartFan);
    EXPECT_EQ(Register(kFan1Duty), 20);
    Click(*dialog, CMonitorSettingDlg::kIdSmartFan);
    EXPECT_EQ(Register(kFan1Duty), 255);

    Click(*dialog, CMonitorSettingDlg::kIdCancel);
    EXPECT_TRUE(m_prefs.m_bSmartFan);
    EXPECT_TRUE(m_engine->Fan(0)->IsSmartFanEnabled());
    EXPECT_EQ(Register(kFan1Duty), 20);
}

TEST_F(MonitorSettingDlgTest, DefaultButtonsPutTheBoardDefaultsBack)
{
    Start();
    m_prefs.m_bCentigrade = true;
    m_prefs.m_bSmartFan = false;
    m_engine->Volt(2)->SetLimits(3.60, 3.00);
    m_engine->Volt(2)->WriteLimits();
    auto dialog = Open();

    // The row's button: the item and the chip at once.
    Click(*dialog, 1061);
    EXPECT_DOUBLE_EQ(m_engine->Volt(2)->HiLimit(), 3.47);
    EXPECT_EQ(Register(kIn2High), 216);
    EXPECT_EQ(Text(*dialog, 1089), "3.47");
    EXPECT_EQ(Find<CRulerSlider>(*dialog, 1053)->GetHighLimit(), 347);

    // Default Setting: defaults everywhere, stored, Smart Fan on; open still.
    m_engine->Temp(0)->SetLimits(80.0, 75.0);
    m_calls.clear();
    Click(*dialog, CMonitorSettingDlg::kIdDefaultSetting);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(m_prefs.m_bSmartFan);
    EXPECT_TRUE(Find<QCheckBox>(*dialog, CMonitorSettingDlg::kIdSmartFan)->isChecked());
    EXPECT_EQ(Register(kFan1Duty), 20);
    EXPECT_DOUBLE_EQ(m_engine->Temp(0)->HiLimit(), 60.0);
    EXPECT_EQ(Register(kTemp1Over), 60);
    EXPECT_EQ(Stored(10, "HiLimit"), "6000");
    EXPECT_EQ(m_calls, (std::vector<std::string>{"ResetLayout", "C", "Refresh"}));
}

TEST_F(MonitorSettingDlgTest, DraggingTheRulerRewritesOnlyItsTexts)
{
    Start();
    m_prefs.m_bCentigrade = true;
    auto dialog = Open();
    auto* ruler = Find<CRulerSlider>(*dialog, 1055);  // +12V, 9.60 .. 14.40
    const int highX = ruler->Model().HighMarker();
    const int y = ruler->height() / 2;
    Press(ruler, QPoint(highX, y));
    Move(ruler, QPoint(highX - 20, y));

    const QString high = Text(*dialog, 1091);
    EXPECT_NE(high, "12.60");
    EXPECT_EQ(high, QString::asprintf("%2.2f", ruler->GetHighLimit() * 0.01));
    EXPECT_DOUBLE_EQ(m_engine->Volt(4)->HiLimit(), 12.60);
    Release(ruler, QPoint(highX - 20, y));
}

TEST_F(MonitorSettingDlgTest, CaptionsComeFromTheTranslationFileAndFitTheirPlaces)
{
    for (const std::string code : {"", "DEU"}) {
        Start();
        m_prefs.m_bCentigrade = true;
        m_prefs.m_bSmartFan = true;
        m_engine->Item(12)->SetShutDownEnable(true);
        auto dialog = Open(code);
        if (code == "DEU") {
            EXPECT_EQ(Find<QAbstractButton>(*dialog, CMonitorSettingDlg::kIdApply)->text(), "Anwenden");
            EXPECT_EQ(Text(*dialog, CMonitorSettingDlg::kIdHighHeader), "Obergrenze");
            EXPECT_EQ(Find<QAbstractButton>(*dialog, CMonitorSettingDlg::kIdCentigrade)->text(), "Celsius");
        } else {
            EXPECT_EQ(Text(*dialog, CMonitorSettingDlg::kIdLoadDefaultHeader), "Load Default");
        }
        // No visible text is cut: a label's text fits its box (wrapped headers
        // in their height), and every control lies inside the dialog.
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty()) continue;
            const QFontMetrics metrics(label->font());
            const QRect needed = metrics.boundingRect(label->rect(), int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0),
                                                      label->text());
            EXPECT_LE(needed.width(), label->width()) << label->objectName().toStdString() << " " << label->text().toStdString();
            EXPECT_LE(needed.height(), label->height()) << label->objectName().toStdString();
        }
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (!button->isVisible() || button->text().isEmpty()) continue;
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width())
                << button->objectName().toStdString();
            const QRect place(button->mapTo(dialog.get(), QPoint(0, 0)), button->size());
            EXPECT_TRUE(dialog->rect().contains(place)) << button->objectName().toStdString();
        }
        if (const char* dir = std::getenv("KELVANE_PICTURE_DIR")) {
            dialog->grab().save(QString::fromLocal8Bit(dir) +
                                (code.empty() ? "/monitor-setting.png" : "/monitor-setting-deu.png"));
            if (code.empty()) {
                auto* ruler = Find<CRulerSlider>(*dialog, 1051);
                const int y = ruler->height() / 2;
                const int lowX = ruler->Model().LowMarker();
                Press(ruler, QPoint(lowX, y));
                for (int x = lowX; x <= lowX + 30; x += 5) Move(ruler, QPoint(x, y));
                dialog->grab().save(QString::fromLocal8Bit(dir) + "/monitor-setting-drag.png");
                Release(ruler, QPoint(lowX + 30, y));
            }
        }
        dialog.reset();
        m_engine.reset();
        m_program.reset();
    }
}

TEST_F(MonitorSettingDlgTest, TypedLimitsMoveTheSlidersAndApplyWritesThem)
{
    Start();
    m_prefs.m_bCentigrade = true;
    auto dialog = Open();
    const int vcore = CMonitorSettingDlg::VoltSliderId(1);
    CLimitField* low = dialog->LowField(vcore);
    CLimitField* high = dialog->HighField(vcore);
    auto* ruler = Find<CRulerSlider>(*dialog, vcore);
    ASSERT_TRUE(low && high && low->isVisible());
    // Typed in the item's unit, with either decimal mark.
    Type(low, QStringLiteral("1,43"));
    EXPECT_EQ(ruler->GetLowLimit(), 143);
    EXPECT_EQ(Text(*dialog, 1095), "1.43");
    // The arrows step one hundredth; the limits never pass each other.
    Type(high, QStringLiteral("1.2"));
    EXPECT_EQ(ruler->GetHighLimit(), 143);
    high->stepBy(2);
    EXPECT_EQ(high->Text(), "1.45");
    // A ruler moved by keys shows in the fields.
    ruler->setFocus();
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(ruler, &left);
    EXPECT_EQ(low->Text(), "1.42");

    // The temperature field steps whole degrees and follows the unit.
    const int temp1 = CMonitorSettingDlg::TempSliderId(1);
    CLimitField* hot = dialog->HighField(temp1);
    Type(hot, QStringLiteral("61.5"));
    EXPECT_EQ(Find<QSlider>(*dialog, temp1)->value(), 615);
    Click(*dialog, CMonitorSettingDlg::kIdFahrenheit);
    EXPECT_EQ(hot->Text(), "142.7");
    Click(*dialog, CMonitorSettingDlg::kIdCentigrade);
    hot->stepBy(1);
    EXPECT_EQ(hot->Text(), "62.5");

    // The fan field is in rpm; up is faster, whichever way the counts run.
    const int fan1 = CMonitorSettingDlg::FanSliderId(1);
    CLimitField* slow = dialog->LowField(fan1);
    const QString before = slow->Text();
    slow->stepBy(1);
    EXPECT_GT(slow->Text().toInt(), before.toInt());
    EXPECT_EQ(slow->Text(), Text(*dialog, 1119));

    // The shut-down time is typed in seconds, inside its limits.
    CLimitField* time = dialog->ShutDownTimeField(vcore);
    EXPECT_EQ(time->Text(), QStringLiteral("%1 s").arg(m_engine->Volt(0)->ShutDownTime()));
    Type(time, QStringLiteral("2"));
    EXPECT_EQ(time->Position(), CMonitorSettingDlg::kShortestShutDown);
    Type(time, QStringLiteral("45 s"));

    Click(*dialog, CMonitorSettingDlg::kIdApply);
    EXPECT_DOUBLE_EQ(m_engine->Volt(0)->LoLimit(), 1.42);
    EXPECT_DOUBLE_EQ(m_engine->Volt(0)->HiLimit(), 1.45);
    EXPECT_DOUBLE_EQ(m_engine->Temp(0)->HiLimit(), 62.5);
    EXPECT_EQ(m_engine->Volt(0)->ShutDownTime(), 45);
    EXPECT_EQ(Stored(0, "ShutDownTime"), "45");
}

TEST_F(MonitorSettingDlgTest, AFocusedFieldAndButtonAreMarkedInAmber)
{
    Start();
    auto dialog = Open();
    CLimitField* low = dialog->LowField(CMonitorSettingDlg::VoltSliderId(2));
    const auto edge = [&] { return low->grab().toImage().pixelColor(0, low->height() / 2); };
    const auto amber = [](const QColor& c) { return c.red() > 200 && c.green() > 140 && c.blue() < 80; };
    EXPECT_FALSE(amber(edge()));
    low->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(amber(edge())) << edge().name().toStdString();
    EXPECT_TRUE(Find<CSkinButton>(*dialog, CMonitorSettingDlg::kIdApply)->HasFocusRing());
}

TEST_F(MonitorSettingDlgTest, TheRulersMarkersCarryVisibleThumbs)
{
    Start();
    auto dialog = Open();
    auto* ruler = Find<CRulerSlider>(*dialog, CMonitorSettingDlg::VoltSliderId(1));
    const QImage picture = ruler->grab().toImage();
    for (const int marker : {ruler->Model().LowMarker(), ruler->Model().HighMarker()}) {
        const QColor thumb = picture.pixelColor(marker, ruler->height() / 2);
        // The light handle, not the blue, red or dark zones around it.
        EXPECT_GT(thumb.lightness(), 150) << marker;
        EXPECT_LT(std::abs(thumb.red() - thumb.blue()), 40) << marker;
    }
}

TEST_F(MonitorSettingDlgTest, EveryPresentInputHasARowVbatIncluded)
{
    Start();
    ASSERT_TRUE(m_engine->Volt(8)->IsPresent());
    ASSERT_EQ(m_engine->Volt(8)->Name(), "VBAT");
    auto dialog = Open();
    const int vbat = CMonitorSettingDlg::VoltSliderId(9);
    ASSERT_NE(dialog->Control(vbat), nullptr);
    EXPECT_TRUE(dialog->Control(vbat)->isVisible());
    EXPECT_EQ(Text(*dialog, vbat - 3), "VBAT");
    // Every visible control lies inside the dialog, whose height follows
    // the rows.
    for (QWidget* widget : dialog->findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->parentWidget() == nullptr) continue;
        const QRect place(widget->mapTo(dialog.get(), QPoint(0, 0)), widget->size());
        EXPECT_TRUE(dialog->rect().contains(place)) << widget->objectName().toStdString();
    }
}

TEST_F(MonitorSettingDlgTest, TheUnitButtonsTakeClicksOnEveryModel)
{
    // Every model with a descriptor beside the program.
    std::vector<std::string> models;
    for (const auto& entry : fs::directory_iterator(BuildProgramDirectory()))
        if (entry.path().extension() == ".ini" && entry.path().filename().string().starts_with("W83"))
            models.push_back(entry.path().stem().string());
    ASSERT_GE(models.size(), 10u);
    for (const std::string& model : models) {
        SCOPED_TRACE(model);
        // The engine hands the chip back through the program's lock and
        // library: it goes first.
        m_engine.reset();
        m_program.reset();
        Start("", {}, model);
        m_prefs.m_bCentigrade = true;
        auto dialog = Open();
        dialog->show();
        ASSERT_NE(dialog->windowHandle(), nullptr);
        const auto clickAt = [&](int id) {
            // Where a user's click lands: the widget under the button's centre,
            // reached the way the window system's clicks are, through the
            // dialog's window, which picks the widget under the point.
            QWidget* button = dialog->Control(id);
            ASSERT_TRUE(button->isVisible());
            const QPoint centre = button->mapTo(dialog.get(), button->rect().center());
            QWidget* hit = dialog->childAt(centre);
            ASSERT_EQ(hit, button) << (hit ? hit->objectName().toStdString() : "nothing");
            const QPointF global = dialog->mapToGlobal(QPointF(centre));
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent event(type, QPointF(centre), global, Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(dialog->windowHandle(), &event);
            }
        };
        clickAt(CMonitorSettingDlg::kIdFahrenheit);
        EXPECT_FALSE(m_prefs.m_bCentigrade);
        clickAt(CMonitorSettingDlg::kIdCentigrade);
        EXPECT_TRUE(m_prefs.m_bCentigrade);
        dialog.reset();
    }
}

TEST_F(MonitorSettingDlgTest, ASessionCancelledShutDownIsShownAndStoredAsTheUserHasIt)
{
    Start();
    CSensorItem& temp1 = *m_engine->Temp(0);
    temp1.SetShutDownEnable(true);
    m_engine->SaveAllPreferences();
    // The countdown's Cancel: off for the session.
    temp1.SetShutDownEnable(false);
    m_prefs.m_bCentigrade = true;
    m_translator = std::make_unique<CCaptionTranslator>(m_program->profile, "");
    CMonitorSettingHost host{*m_engine, m_prefs, *m_skins, *m_translator, {}, {}, {},
                             [&](const CSensorItem& item) { return &item == &temp1; }};
    CMonitorSettingDlg dialog(host);
    dialog.show();
    EXPECT_TRUE(qobject_cast<QCheckBox*>(dialog.Control(1150))->isChecked());
    Click(dialog, CMonitorSettingDlg::kIdApply);
    EXPECT_EQ(Stored(CHardwareMonitor::kFirstTemp, "ShutDownEnable"), "1");
    EXPECT_FALSE(temp1.IsShutDownEnabled());
}

}  // namespace

TEST_F(MonitorSettingDlgTest, ANoticeForADriverOwnedChipSitsInTheFreeSpaceAboveApply)
{
    Start();
    auto dialog = Open();
    EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("notice")), nullptr);
    dialog->SetNotice(QStringLiteral("Read beside the kernel driver: limits are Kelvane's own"), QStringLiteral("whole"));
    const auto* notice = dialog->findChild<QLabel*>(QStringLiteral("notice"));
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->toolTip(), QStringLiteral("whole"));
    EXPECT_TRUE(dialog->rect().contains(notice->geometry()));
    for (int id : {CMonitorSettingDlg::kIdApply, CMonitorSettingDlg::kIdCancel, CMonitorSettingDlg::kIdDefaultSetting})
        EXPECT_FALSE(dialog->Control(id)->geometry().intersects(notice->geometry())) << id;
    // Two lines of its text fit its height.
    EXPECT_LE(notice->heightForWidth(notice->width()), notice->height());
    if (const char* dir = std::getenv("KELVANE_PICTURE_DIR"))
        dialog->grab().save(QString::fromLocal8Bit(dir) + "/monitor-setting-driver.png");
}
