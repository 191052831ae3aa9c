// The numeric sub-screens on the chip simulator: the alarm indicator (alarm
// image once, back to normal on the first clear tick), timer ids, items that
// are off, and the texts of values and units.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimerEvent>
#include <QEvent>
#include <QWindow>
#include <QObject>

#include <functional>
#include <memory>

#include "PanelProgram.h"
#include "skin/CSegmentDisplay.h"
#include "skin/CSkinButton.h"
#include "skin/CTransparentStatic.h"
#include "windows/CFanSubScreen.h"
#include "windows/CTempSubScreen.h"
#include "windows/CVoltSubScreen.h"
#include "windows/SubScreenValues.h"

namespace {

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QObject* target) { target->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

// A paint reaches a window only once it is exposed.
void ShowOnScreen(QWidget& window)
{
    window.show();
    for (int i = 0; i < 50 && !(window.windowHandle() && window.windowHandle()->isExposed()); ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    QApplication::processEvents();
}

// The indicator's showing image is its disabled one.
int ShownIndicatorImage(const PanelProgram& program, const CNumericSubScreen& panel, int slot)
{
    const QImage shown = panel.Indicator(slot)->SkinImages().disabled;
    for (int id : {192, 193, 194})
        if (shown == program.Skin().Image(id))
            return id;
    return 0;
}

struct IndicatorCase {
    const char* name;
    std::function<std::unique_ptr<CNumericSubScreen>(PanelProgram&)> make;
    int slot;
    const char* alarm;
    const char* stillAlarm;
    const char* clear;
    int ownTimer;
    int foreignTimer;  // a timer id the panel ignores, or 0
};

TEST(NumericSubScreenTest, IndicatorShowsAlarmOnceAndNormalOnTheFirstClearTick)
{
    const IndicatorCase cases[] = {
        {"volt", [](PanelProgram& p) { return std::make_unique<CVoltSubScreen>(p); }, 1, "IN1=1.40", "IN1=1.42",
         "IN1=1.20", CVoltSubScreen::kTimerId, CTempSubScreen::kTimerId},
        {"temp", [](PanelProgram& p) { return std::make_unique<CTempSubScreen>(p); }, 0, "TEMP1=70", "TEMP1=72",
         "TEMP1=38", CTempSubScreen::kTimerId, CVoltSubScreen::kTimerId},
        // The fan panel answers every timer id.
        {"fan", [](PanelProgram& p) { return std::make_unique<CFanSubScreen>(p); }, 1, "FAN2=0", "FAN2=0",
         "FAN2=3000", 1, 0},
    };
    for (const IndicatorCase& c : cases) {
        SCOPED_TRACE(c.name);
        PanelProgram program;
        ASSERT_TRUE(program.started);
        const std::unique_ptr<CNumericSubScreen> panel = c.make(program);
        ShowOnScreen(*panel);
        panel->Refresh();
        EXPECT_TRUE(panel->IsTimerActive());
        panel->OnTimer(c.ownTimer);
        EXPECT_EQ(ShownIndicatorImage(program, *panel, c.slot), 194);
        EXPECT_TRUE(panel->IsIndicatorNormal(c.slot));

        program.Set(c.alarm);
        if (c.foreignTimer) {
            panel->OnTimer(c.foreignTimer);
            EXPECT_EQ(ShownIndicatorImage(program, *panel, c.slot), 194) << "acted on a foreign timer";
        }
        panel->OnTimer(c.ownTimer);
        EXPECT_EQ(ShownIndicatorImage(program, *panel, c.slot), 193);
        EXPECT_FALSE(panel->IsIndicatorNormal(c.slot));
        for (int other = 0; other < CNumericSubScreen::kSlotCount; ++other) {
            if (other != c.slot) {
                EXPECT_EQ(ShownIndicatorImage(program, *panel, other), 194) << "slot " << other;
            }
        }

        // Still in alarm: the indicator is left alone.
        PaintCounter paints(panel->Indicator(c.slot));
        program.Set(c.stillAlarm);
        panel->OnTimer(c.ownTimer);
        program.Set(c.stillAlarm);
        panel->OnTimer(c.ownTimer);
        EXPECT_EQ(paints.count, 0);
        EXPECT_EQ(ShownIndicatorImage(program, *panel, c.slot), 193);

        program.Set(c.clear);
        panel->OnTimer(c.ownTimer);
        EXPECT_EQ(ShownIndicatorImage(program, *panel, c.slot), 194);
        EXPECT_TRUE(panel->IsIndicatorNormal(c.slot));
        EXPECT_GT(paints.count, 0);
    }
}

TEST(NumericSubScreenTest, ItemThatIsOffShowsOffUntilItIsOnAgain)
{
    PanelProgram program;
    program.subVoltItems = {0, 12, 2};  // 12 names no voltage item
    program.Engine().Volt(2)->SetEnable(false);
    CVoltSubScreen panel(program);
    panel.Refresh();
    for (int slot : {1, 2}) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(panel.ValueDisplay(slot)->DisplayText(), "OFF");
        EXPECT_EQ(panel.ValueDisplay(slot)->GetLitColour(), 0x000000u);
        EXPECT_EQ(ShownIndicatorImage(program, panel, slot), 192);
    }
    EXPECT_EQ(panel.NameLabel(1)->Text(), "");
    EXPECT_EQ(panel.NameLabel(2)->Text(), "+3.3V");
    EXPECT_EQ(panel.ValueDisplay(0)->GetLitColour(), 0xFF0000u);

    panel.OnTimer(CVoltSubScreen::kTimerId);
    EXPECT_EQ(panel.ValueDisplay(2)->DisplayText(), "OFF");
    EXPECT_EQ(ShownIndicatorImage(program, panel, 2), 192);

    // Switched on again: the value in the panel's own colours, the indicator normal.
    program.Engine().Volt(2)->SetEnable(true);
    program.Engine().UpdateAll();
    panel.OnTimer(CVoltSubScreen::kTimerId);
    EXPECT_EQ(panel.ValueDisplay(2)->DisplayText(), SubScreenValues::VoltText(program.Engine().Volt(2)->Value()));
    EXPECT_EQ(panel.ValueDisplay(2)->GetLitColour(), 0xFF0000u);
    EXPECT_EQ(ShownIndicatorImage(program, panel, 2), 194);
    EXPECT_EQ(panel.ValueDisplay(1)->DisplayText(), "OFF");
}

TEST(NumericSubScreenTest, SlotOfAnInputTheChipLacksStaysEmpty)
{
    PanelProgram program;
    program.Engine().Temp(1)->SetPresent(false);
    CTempSubScreen panel(program);
    panel.Refresh();
    panel.OnTimer(CTempSubScreen::kTimerId);
    const auto shown = [&](int slot) {
        return !panel.Indicator(slot)->isHidden() && !panel.ValueDisplay(slot)->isHidden() &&
               !panel.UnitLabel(slot)->isHidden() && !panel.NameLabel(slot)->isHidden();
    };
    const auto hidden = [&](int slot) {
        return panel.Indicator(slot)->isHidden() && panel.ValueDisplay(slot)->isHidden() &&
               panel.UnitLabel(slot)->isHidden() && panel.NameLabel(slot)->isHidden();
    };
    EXPECT_TRUE(shown(0));
    EXPECT_TRUE(hidden(1));
    EXPECT_NE(panel.ValueDisplay(1)->DisplayText(), "OFF");
    EXPECT_TRUE(shown(2));
    EXPECT_EQ(panel.NameLabel(0)->Text().toStdString(), program.Engine().Temp(0)->Name());
}

TEST(NumericSubScreenTest, RefreshFillsNamesUnitsAndValues)
{
    PanelProgram program;
    program.centigrade = false;
    CVoltSubScreen volts(program);
    CFanSubScreen fans(program);
    CTempSubScreen temps(program);
    volts.Refresh();
    fans.Refresh();
    temps.Refresh();

    EXPECT_EQ(volts.NameLabel(0)->Text(), "VCore");
    EXPECT_EQ(volts.UnitLabel(2)->Text(), "V");
    EXPECT_EQ(volts.ValueDisplay(1)->DisplayText(), SubScreenValues::VoltText(program.Engine().Volt(1)->Value()));
    EXPECT_EQ(volts.ValueDisplay(1)->DisplayText().size(), 4);
    EXPECT_EQ(fans.NameLabel(1)->Text(), "POWER FAN");
    EXPECT_EQ(fans.UnitLabel(0)->Text(), "RPM");
    EXPECT_EQ(fans.ValueDisplay(1)->DisplayText(), QString::number(program.Engine().Fan(1)->Rpm()));
    EXPECT_GT(program.Engine().Fan(1)->Rpm(), 0);
    EXPECT_EQ(temps.NameLabel(0)->Text(), "SYSTEM Temperature");
    // 38.0 C in Fahrenheit.
    EXPECT_EQ(temps.UnitLabel(0)->Text(), QStringLiteral("\u00B0F"));
    EXPECT_EQ(temps.ValueDisplay(0)->DisplayText(), "100.4");

    // The unit letters change at once, the values at the next tick.
    program.centigrade = true;
    temps.SetUnitLetters();
    for (int slot = 0; slot < CNumericSubScreen::kSlotCount; ++slot)
        EXPECT_EQ(temps.UnitLabel(slot)->Text(), QStringLiteral("\u00B0C"));
    EXPECT_EQ(temps.ValueDisplay(0)->DisplayText(), "100.4");
    temps.OnTimer(CTempSubScreen::kTimerId);
    EXPECT_EQ(temps.ValueDisplay(0)->DisplayText(), "38.0");
    EXPECT_EQ(temps.ValueDisplay(1)->DisplayText(), "45.5");
}

TEST(NumericSubScreenTest, LayoutPlacesTheControlsOfEachPanel)
{
    PanelProgram program;
    CVoltSubScreen volts(program);
    CFanSubScreen fans(program);
    CTempSubScreen temps(program);
    EXPECT_EQ(volts.size(), QSize(324, 105));
    EXPECT_EQ(volts.Indicator(2)->geometry(), QRect(217, 0, 30, 15));
    EXPECT_FALSE(volts.Indicator(0)->isEnabled());
    EXPECT_EQ(fans.ValueDisplay(1)->geometry(), QRect(130, 32, 60, 25));
    EXPECT_EQ(temps.NameLabel(2)->geometry(), QRect(216, 90, 95, 15));
    EXPECT_EQ(volts.UnitLabel(1)->geometry(), QRect(147, 61, 30, 15));
    EXPECT_EQ(fans.UnitLabel(2)->geometry(), QRect(244, 62, 36, 15));
    EXPECT_EQ(temps.UnitLabel(0)->geometry(), QRect(47, 61, 30, 15));
    EXPECT_EQ(fans.ValueDisplay(0)->DisplayStyle() & 0x1C, 0x1Cu);
    EXPECT_TRUE(fans.ValueDisplay(0)->IsTransparentMode());
    // The voltage panel's first hover image is the alarm one; the others' the normal one.
    EXPECT_EQ(volts.Indicator(0)->SkinImages().hover, program.Skin().Image(193));
    EXPECT_EQ(fans.Indicator(0)->SkinImages().hover, program.Skin().Image(194));
    for (int id : {1029, 1038, 1050, 1008, 1031, 1040, 1052, 1012}) {
        QWidget* control = temps.findChild<QWidget*>(QString::number(id));
        ASSERT_NE(control, nullptr) << id;
        EXPECT_EQ(control->property("controlId").toInt(), id);
    }
}

TEST(SubScreenValuesTest, TextsAndPoints)
{
    using namespace SubScreenValues;
    EXPECT_EQ(VoltText(1.5), "1.50");
    EXPECT_EQ(VoltText(-11.968), "-11.97");
    EXPECT_EQ(RpmText(2812), "2812");
    EXPECT_EQ(TemperatureText(40.0, false), "104.0");
    EXPECT_EQ(TemperatureText(45.5, true), "45.5");

    struct Case {
        std::optional<int> point, expected;
    };
    const Case cases[] = {
        {VoltPoint(3.3, 3.96), 33},
        {VoltPoint(1.5, 1.5), std::nullopt},   // at HiBound: nothing
        {VoltPoint(0.0, 3.5), 1},              // 0 or less: the bottom
        {VoltPoint(-12.0, -9.6), 1},
        {TemperaturePoint(45.5, 127), 91},
        {TemperaturePoint(127, 127), std::nullopt},
        {FanPoint(0), 1},
        {FanPoint(4500), 90},
        {FanPoint(2649), 52},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].point, cases[i].expected) << "case " << i;
}

}  // namespace

TEST(NumericSubScreenTest, TimerStopsOutOfViewAndTheValuesCatchUpWhenSeenAgain)
{
    struct Case {
        const char* name;
        std::function<void(QWidget& window, QWidget& panel)> leaveView;
        std::function<void(QWidget& window, QWidget& panel)> comeBack;
    };
    const Case cases[] = {
        // The compact form: the window ends above the panel.
        {"cut off by the window", [](QWidget& window, QWidget&) { window.resize(400, 100); },
         [](QWidget& window, QWidget&) { window.resize(400, 400); }},
        {"hidden", [](QWidget&, QWidget& panel) { panel.hide(); }, [](QWidget&, QWidget& panel) { panel.show(); }},
        {"window in the tray", [](QWidget& window, QWidget&) { window.hide(); },
         [](QWidget& window, QWidget&) { ShowOnScreen(window); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PanelProgram program;
        ASSERT_TRUE(program.started);
        program.Set("IN1=1.20");
        QWidget window;
        window.resize(400, 400);
        auto* panel = new CVoltSubScreen(program, &window);
        panel->move(40, 195);
        ShowOnScreen(window);
        panel->Refresh();
        ASSERT_TRUE(panel->InView());
        const QString shown = panel->ValueDisplay(1)->DisplayText();

        c.leaveView(window, *panel);
        EXPECT_FALSE(panel->InView());
        QTimerEvent beat(panel->RefreshTimerId());
        QApplication::sendEvent(panel, &beat);
        EXPECT_FALSE(panel->IsTimerActive());
        program.Set("IN1=1.40");

        c.comeBack(window, *panel);
        EXPECT_TRUE(panel->InView());
        EXPECT_TRUE(panel->IsTimerActive());
        EXPECT_NE(panel->ValueDisplay(1)->DisplayText(), shown);
    }
}
