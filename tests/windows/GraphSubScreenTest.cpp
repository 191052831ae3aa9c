// The graph sub-screens on the chip simulator: which items get a line and
// how their check boxes look after Setup, the points a tick adds (nothing at
// HiBound, a stopped fan on the bottom row), and check boxes that hide lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <memory>

#include "PanelProgram.h"
#include "engine/CHardwareMonitor.h"
#include "skin/CTransparentStatic.h"
#include "windows/CColourCheckBox.h"
#include "windows/CFanGraphSubScreen.h"
#include "windows/CStripChart.h"
#include "windows/CTempGraphSubScreen.h"
#include "windows/CVoltGraphSubScreen.h"
#include "windows/StripChartPixels.h"
#include "windows/SubScreenValues.h"

namespace {

std::vector<int> RowsOf(const QImage& image, int x, Colorref colour)
{
    const QRgb pixel = ColorFromColorref(colour).rgb();
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) == pixel)
            rows.push_back(y);
    return rows;
}

// The column in the middle of the newest segment.
int NewestColumn(const CStripChart& chart)
{
    return chart.ClientRect().right - 13;
}

std::string NoPowerFanByDefault(std::string defaults)
{
    return DisableInDefaults(std::move(defaults), "FAN2");
}

TEST(GraphSubScreenTest, SetupTakesItemsAndKeysTheirBoxes)
{
    // FAN2 is off in the board defaults; FAN3 stands still at the first
    // reading, so the engine switches it off; VOLT4 and TEMP3 are switched off.
    PanelProgram program("FAN3=0\n", NoPowerFanByDefault);
    ASSERT_TRUE(program.started);
    ASSERT_FALSE(program.Engine().Fan(2)->IsEnabled());
    program.Engine().Volt(3)->SetEnable(false);
    program.Engine().Temp(2)->SetEnable(false);
    CVoltGraphSubScreen volts(program);
    CTempGraphSubScreen temps(program);
    CFanGraphSubScreen fans(program);
    volts.Setup();
    temps.Setup();
    fans.Setup();

    struct Box {
        const char* panel;
        CGraphSubScreen* graph;
        int index;
        bool visible, enabled, checked, line;
        const char* caption;
        Colorref colour;
    };
    const Box boxes[] = {
        {"volt", &volts, 0, true, true, true, true, "VCore", 0x0000FF},
        {"volt", &volts, 2, true, true, true, true, "+3.3V", CGraphSubScreen::kLineColours[2]},
        // Not taken: as the template has it, and no line behind it.
        {"volt", &volts, 3, true, true, false, false, "Volt4", CColourCheckBox::kSystemColour},
        {"volt", &volts, 4, true, true, true, true, "+12V", 0xFFFF00},
        // A negative rail: a line, but its box cleared and disabled.
        {"volt", &volts, 5, true, false, false, true, "-12V", 0x00FFFF},
        {"volt", &volts, 6, false, true, false, false, "Volt7", CColourCheckBox::kSystemColour},
        {"temp", &temps, 1, true, true, true, true, "CPU Temperature", 0x00FF00},
        {"temp", &temps, 2, false, true, false, false, "Temp3", CColourCheckBox::kSystemColour},
        {"fan", &fans, 0, true, true, true, true, "CPU FAN", 0x0000FF},
        {"fan", &fans, 1, false, true, false, false, "Fan2", CColourCheckBox::kSystemColour},
        // On by default but off now: a line, its box cleared and disabled.
        {"fan", &fans, 2, true, false, false, true, "SYSTEM FAN", CGraphSubScreen::kLineColours[2]},
        {"fan", &fans, 3, false, true, false, false, "Fan4", CColourCheckBox::kSystemColour},
    };
    for (const Box& b : boxes) {
        SCOPED_TRACE(std::string(b.panel) + " " + std::to_string(b.index));
        CColourCheckBox* box = b.graph->CheckBox(b.index);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->objectName(), QString::number(1018 + b.index));
        EXPECT_EQ(box->isVisibleTo(b.graph), b.visible);
        EXPECT_EQ(box->isEnabled(), b.enabled);
        EXPECT_EQ(box->isChecked(), b.checked);
        EXPECT_EQ(box->text(), b.caption);
        EXPECT_EQ(box->TextColour(), b.colour);
        EXPECT_EQ(b.graph->LineOfItem(b.index) >= 0, b.line);
        if (b.line) {
            const CChartLine* line = b.graph->Chart().Line(b.graph->LineOfItem(b.index));
            EXPECT_EQ(line->Name(), b.caption);
            EXPECT_EQ(line->Colour(), b.colour);
            EXPECT_TRUE(line->IsVisible());
        }
    }
    EXPECT_EQ(volts.Chart().LineCount(), 5);
    EXPECT_EQ(volts.Chart().Line(0)->Span(), 140);
    EXPECT_EQ(temps.Chart().Line(0)->Span(), 180);
    EXPECT_EQ(fans.Chart().LineCount(), 2);
    EXPECT_EQ(fans.Chart().Line(0)->Span(), 210);
    EXPECT_EQ(fans.Chart().geometry(), QRect(55, 6, 180, 93));
    EXPECT_EQ(fans.Chart().GridColour(), 0x0E2A72u);
}

TEST(GraphSubScreenTest, AnInputTheChipLacksHasNeitherLineNorBox)
{
    // SYSTEM FAN is on by default, so the fan graph would take it even off.
    PanelProgram program;
    program.Engine().Fan(2)->SetPresent(false);
    program.Engine().Volt(3)->SetPresent(false);
    CFanGraphSubScreen fans(program);
    CVoltGraphSubScreen volts(program);
    fans.Setup();
    volts.Setup();
    EXPECT_EQ(fans.LineOfItem(2), -1);
    EXPECT_FALSE(fans.CheckBox(2)->isVisibleTo(&fans));
    // Every line belongs to a present item; the absent one has none.
    int taken = 0;
    for (int i = 0; i < CHardwareMonitor::kFanCount; ++i)
        if (fans.LineOfItem(i) >= 0)
            ++taken;
    EXPECT_EQ(fans.Chart().LineCount(), taken);
    EXPECT_EQ(volts.LineOfItem(3), -1);
    EXPECT_FALSE(volts.CheckBox(3)->isVisibleTo(&volts));
}

TEST(GraphSubScreenTest, TemperatureScaleFollowsTheUnitOverTheSameSamples)
{
    PanelProgram program;
    CTempGraphSubScreen temps(program);
    CVoltGraphSubScreen volts(program);
    temps.Setup();
    volts.Setup();
    const auto texts = [&] {
        std::vector<std::string> all;
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(temps.ScaleLabel(i)->isVisibleTo(&temps)) << i;
            all.push_back(temps.ScaleLabel(i)->Text().toStdString());
        }
        return all;
    };
    EXPECT_EQ(texts(), (std::vector<std::string>{"90\u00B0C", "45\u00B0C", "0\u00B0C"}));
    // The other graphs keep the scale of their background.
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(volts.ScaleLabel(i)->isVisibleTo(&volts)) << i;
    EXPECT_FALSE(temps.ScaleLabel(3)->isVisibleTo(&temps));

    program.centigrade = false;
    temps.Tick();
    EXPECT_EQ(texts(), (std::vector<std::string>{"194\u00B0F", "113\u00B0F", "32\u00B0F"}));

    // A reading of 45 degrees Celsius (113 Fahrenheit) is drawn level with
    // the middle mark, and 90 (194) with the top one.
    const SChartRect client = temps.Chart().ClientRect();
    const int chartTop = temps.Chart().geometry().top();
    for (const auto& [celsius, label] : {std::pair{45.0, 1}, std::pair{89.5, 0}}) {
        const int row = chartTop + StripChartPixels::PointY(client, *SubScreenValues::TemperaturePoint(celsius, 100), 180);
        EXPECT_NEAR(row, temps.ScaleLabel(label)->geometry().center().y(), 2) << celsius;
    }
}

TEST(GraphSubScreenTest, VoltageAtHiBoundAddsNoPointAndTheLineStaysLevel)
{
    PanelProgram program;
    CVoltGraphSubScreen graph(program);
    graph.Setup();
    const CSensorItem& vtt = *program.Engine().Volt(1);
    const SChartRect client = graph.Chart().ClientRect();
    const auto rowOf = [&](const CSensorItem& item) {
        return StripChartPixels::PointY(client, *SubScreenValues::VoltPoint(item.Value(), item.HiBound()), 140);
    };
    graph.Tick();
    const int level = rowOf(vtt);
    EXPECT_EQ(RowsOf(graph.Chart().Image(), NewestColumn(graph.Chart()), 0x00FF00), std::vector<int>{level});

    program.Set("IN1=1.60");
    ASSERT_GE(vtt.Value(), vtt.HiBound());
    graph.Tick();
    EXPECT_EQ(RowsOf(graph.Chart().Image(), NewestColumn(graph.Chart()), 0x00FF00), std::vector<int>{level});

    // Below HiBound again, the reading is drawn: the segment climbs.
    program.Set("IN1=1.45");
    graph.Tick();
    graph.Tick();
    EXPECT_NE(rowOf(vtt), level);
    EXPECT_EQ(RowsOf(graph.Chart().Image(), NewestColumn(graph.Chart()), 0x00FF00), std::vector<int>{rowOf(vtt)});
}

TEST(GraphSubScreenTest, StoppedFanIsDrawnOnTheBottomRow)
{
    PanelProgram program;
    CFanGraphSubScreen graph(program);
    graph.Setup();
    graph.Tick();
    const int running = RowsOf(graph.Chart().Image(), NewestColumn(graph.Chart()), 0x00FF00).at(0);
    EXPECT_LT(running, 80);

    program.Set("FAN2=0");
    ASSERT_EQ(program.Engine().Fan(1)->Rpm(), 0);
    graph.Tick();
    graph.Tick();
    const int bottomRow = graph.Chart().ClientRect().bottom - 1;
    EXPECT_EQ(RowsOf(graph.Chart().Image(), NewestColumn(graph.Chart()), 0x00FF00), std::vector<int>{bottomRow});
}

TEST(GraphSubScreenTest, CheckBoxHidesAndShowsItsLine)
{
    PanelProgram program;
    CTempGraphSubScreen graph(program);
    graph.Setup();
    graph.Tick();
    CColourCheckBox* cpu = graph.CheckBox(1);
    cpu->click();
    EXPECT_FALSE(cpu->isChecked());
    EXPECT_FALSE(graph.Chart().Line(graph.LineOfItem(1))->IsVisible());
    graph.Tick();
    EXPECT_TRUE(RowsOf(graph.Chart().Image(), NewestColumn(graph.Chart()), 0x00FF00).empty());
    EXPECT_EQ(RowsOf(graph.Chart().Image(), NewestColumn(graph.Chart()), 0x0000FF).size(), 1u);

    cpu->click();
    EXPECT_TRUE(graph.Chart().Line(graph.LineOfItem(1))->IsVisible());
    graph.Tick();
    // 45.5 degrees: 91 half degrees of 180.
    const int row = StripChartPixels::PointY(graph.Chart().ClientRect(), 91, 180);
    EXPECT_EQ(RowsOf(graph.Chart().Image(), NewestColumn(graph.Chart()), 0x00FF00), std::vector<int>{row});
}

// WCAG relative luminance of a 0x00BBGGRR colour.
double Luminance(Colorref colour)
{
    const auto channel = [](unsigned value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour & 0xFF) + 0.7152 * channel((colour >> 8) & 0xFF) +
           0.0722 * channel((colour >> 16) & 0xFF);
}

TEST(GraphColours, EveryLineStandsAtLeastThreeToOneAgainstTheChart)
{
    CStripChart chart;
    const double background = Luminance(chart.BackgroundColour());
    for (const Colorref colour : CGraphSubScreen::kLineColours) {
        const double line = Luminance(colour);
        EXPECT_GE((std::max(line, background) + 0.05) / (std::min(line, background) + 0.05), 3.0) << std::hex << colour;
    }
}

}  // namespace
