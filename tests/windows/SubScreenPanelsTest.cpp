// The six panels as the main window creates them: order, places, which are
// shown, refreshed and set up; the area switch; one graph tick for all three.
// With KELVANE_PANEL_SHOTS set to a directory, the panels after a run of
// changing readings are also written there as PNG files.
#include <gtest/gtest.h>

#include <QPainter>
#include <QWidget>

#include <cmath>
#include <cstdlib>

#include "PanelProgram.h"
#include "skin/CSegmentDisplay.h"
#include "skin/CTransparentStatic.h"
#include "windows/CFanGraphSubScreen.h"
#include "windows/CFanSubScreen.h"
#include "windows/CStripChart.h"
#include "windows/CSubScreenHostRefs.h"
#include "windows/CFaceCaptions.h"
#include "windows/CSubScreenPanels.h"
#include "windows/CTempGraphSubScreen.h"
#include "windows/CTempSubScreen.h"
#include "windows/CVoltGraphSubScreen.h"
#include "windows/CVoltSubScreen.h"

namespace {

TEST(SubScreenPanelsTest, CreatePanelsBuildsTheSixInOrder)
{
    PanelProgram program;
    // The main window's own members, handed in by reference.
    std::int32_t subVoltItems[3] = {4, 0, 1};
    bool centigrade = false;
    CSubScreenHostRefs host(program.Engine(), program.Skin(), subVoltItems, centigrade);
    QWidget mainWindow;
    mainWindow.resize(404, 562);
    CSubScreenPanels panels;
    panels.CreatePanels(&mainWindow, host);
    mainWindow.show();
    EXPECT_EQ(panels.VoltPanel()->NameLabel(0)->Text(), "+12V");
    EXPECT_EQ(panels.TempPanel()->UnitLabel(0)->Text(), QStringLiteral("\u00B0F"));
    subVoltItems[0] = 2;
    panels.VoltPanel()->Refresh();
    EXPECT_EQ(panels.VoltPanel()->NameLabel(0)->Text(), "+3.3V");

    struct Expected {
        QWidget* panel;
        int dialogId;
        QPoint position;
        bool shown;
    };
    const Expected expected[] = {
        {panels.FanPanel(), 196, {40, 314}, true},
        {panels.VoltPanel(), 190, {40, 195}, true},
        {panels.TempPanel(), 197, {40, 434}, true},
        {panels.VoltGraphPanel(), 155, {40, 195}, false},
        {panels.TempGraphPanel(), 208, {40, 434}, false},
        {panels.FanGraphPanel(), 209, {40, 314}, false},
    };
    const QList<CSubScreenPanel*> children =
        mainWindow.findChildren<CSubScreenPanel*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(children.size(), 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const Expected& e = expected[i];
        EXPECT_EQ(children[i], e.panel);
        EXPECT_EQ(e.panel->objectName(), QString::number(e.dialogId));
        EXPECT_EQ(e.panel->geometry(), QRect(e.position, QSize(324, 105)));
        EXPECT_EQ(e.panel->isVisible(), e.shown);
    }
    for (CNumericSubScreen* numeric : {static_cast<CNumericSubScreen*>(panels.FanPanel()),
                                       static_cast<CNumericSubScreen*>(panels.VoltPanel()),
                                       static_cast<CNumericSubScreen*>(panels.TempPanel())}) {
        EXPECT_TRUE(numeric->IsTimerActive());
        EXPECT_NE(numeric->ValueDisplay(0)->DisplayText(), "?");
    }

    panels.TickGraphs();
    for (CGraphSubScreen* graph : {static_cast<CGraphSubScreen*>(panels.VoltGraphPanel()),
                                   static_cast<CGraphSubScreen*>(panels.TempGraphPanel()),
                                   static_cast<CGraphSubScreen*>(panels.FanGraphPanel())}) {
        EXPECT_TRUE(graph->Chart().IsCreated());
        EXPECT_EQ(graph->Chart().GridPhase(), 10);
    }

    panels.ShowArea(CSubScreenPanels::Area::Fan, true);
    EXPECT_FALSE(panels.FanPanel()->isVisible());
    EXPECT_TRUE(panels.FanGraphPanel()->isVisible());
    EXPECT_TRUE(panels.VoltPanel()->isVisible());
    panels.ShowArea(CSubScreenPanels::Area::Fan, false);
    EXPECT_TRUE(panels.FanPanel()->isVisible());
    EXPECT_FALSE(panels.FanGraphPanel()->isVisible());

    // Put away (the compact form): none shows, and a view chosen meanwhile
    // is the one shown when they come back.
    panels.ShowArea(CSubScreenPanels::Area::Voltage, true);
    panels.SetShown(false);
    panels.ShowArea(CSubScreenPanels::Area::Temperature, true);
    for (const CSubScreenPanel* panel : children) EXPECT_FALSE(panel->isVisible()) << panel->objectName().toStdString();
    panels.SetShown(true);
    EXPECT_TRUE(panels.VoltGraphPanel()->isVisible());
    EXPECT_TRUE(panels.TempGraphPanel()->isVisible());
    EXPECT_TRUE(panels.FanPanel()->isVisible());
    EXPECT_FALSE(panels.VoltPanel()->isVisible());
    EXPECT_FALSE(panels.TempPanel()->isVisible());
    EXPECT_FALSE(panels.FanGraphPanel()->isVisible());
}

// Readings that wander like a running machine's, for the pictures.
void Wander(PanelProgram& program, int tick)
{
    const double t = tick * 0.21;
    char assignments[256];
    std::snprintf(assignments, sizeof assignments,
                  "IN0=%.3f IN1=%.3f IN2=%.3f IN3=%.3f IN4=%.3f TEMP1=%.1f TEMP2=%.1f TEMP3=%.1f FAN1=%d FAN2=%d "
                  "FAN3=%d",
                  1.50 + 0.03 * std::sin(t), 1.20 + 0.02 * std::sin(t * 1.7), 3.30 + 0.05 * std::sin(t * 0.6),
                  2.976 + 0.04 * std::sin(t * 0.9), 3.158 + 0.06 * std::sin(t * 1.3), 38 + 3 * std::sin(t * 0.5),
                  45.5 + 9 * std::sin(t * 0.35), 35 + 2 * std::sin(t * 0.8),
                  static_cast<int>(4500 + 600 * std::sin(t * 0.7)), static_cast<int>(3000 + 250 * std::sin(t)),
                  tick > 40 && tick < 48 ? 0 : static_cast<int>(2700 + 300 * std::sin(t * 1.1)));
    program.Set(assignments);
}

TEST(SubScreenPanelsTest, PanelsAfterARunOfReadings)
{
    PanelProgram program;
    QWidget mainWindow;
    mainWindow.resize(404, 562);
    CSubScreenPanels panels;
    panels.CreatePanels(&mainWindow, program);
    mainWindow.show();
    for (int tick = 0; tick < 60; ++tick) {
        Wander(program, tick);
        panels.TickGraphs();
    }
    // One panel in alarm: the CPU temperature over its limit.
    program.Set("TEMP2=72");
    for (CNumericSubScreen* numeric : {static_cast<CNumericSubScreen*>(panels.FanPanel()),
                                       static_cast<CNumericSubScreen*>(panels.VoltPanel()),
                                       static_cast<CNumericSubScreen*>(panels.TempPanel())})
        numeric->OnTimer(numeric->TimerId());
    EXPECT_FALSE(panels.TempPanel()->IsIndicatorNormal(1));

    // Every graph has drawn its lines across the whole width by now, up to
    // 11 pixels from the right edge.
    for (CGraphSubScreen* graph : {static_cast<CGraphSubScreen*>(panels.VoltGraphPanel()),
                                   static_cast<CGraphSubScreen*>(panels.TempGraphPanel()),
                                   static_cast<CGraphSubScreen*>(panels.FanGraphPanel())}) {
        const QImage& image = graph->Chart().Image();
        const QRgb background = qRgb(0, 0, 0);
        const QRgb grid = ColorFromColorref(CGraphSubScreen::kGridColour).rgb();
        int drawnColumns = 0;
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height(); ++y) {
                if (image.pixel(x, y) != background && image.pixel(x, y) != grid) {
                    ++drawnColumns;
                    break;
                }
            }
        }
        EXPECT_EQ(drawnColumns, image.width() - 11) << graph->objectName().toStdString();
    }

    const char* shots = std::getenv("KELVANE_PANEL_SHOTS");
    if (!shots)
        return;
    const QString directory = QString::fromLocal8Bit(shots);
    const struct {
        QWidget* panel;
        const char* name;
    } pictures[] = {
        {panels.VoltPanel(), "volt"},           {panels.FanPanel(), "fan"},
        {panels.TempPanel(), "temp"},           {panels.VoltGraphPanel(), "volt-graph"},
        {panels.FanGraphPanel(), "fan-graph"}, {panels.TempGraphPanel(), "temp-graph"},
    };
    QImage sheet(2 * 324 + 3 * 8, 3 * 105 + 4 * 8, QImage::Format_RGB32);
    sheet.fill(QColor(0x1B, 0x1E, 0x23));
    QPainter painter(&sheet);
    for (int i = 0; i < 6; ++i) {
        pictures[i].panel->show();
        const QImage image = pictures[i].panel->grab().toImage();
        image.save(directory + "/panel-" + pictures[i].name + ".png");
        painter.drawImage(8 + (i / 3) * (324 + 8), 8 + (i % 3) * (105 + 8), image);
    }
    painter.end();
    sheet.save(directory + "/panels.png");

    // The panels where the expanded main window shows them, over its face.
    for (bool graph : {false, true}) {
        QImage face = program.Skin().Image(143).convertToFormat(QImage::Format_RGB32);
        QPainter facePainter(&face);
        CFaceCaptions::Paint(facePainter, true, [](const char* english) { return QString::fromUtf8(english); });
        for (auto area : {CSubScreenPanels::Area::Voltage, CSubScreenPanels::Area::Fan,
                          CSubScreenPanels::Area::Temperature}) {
            QWidget* panel = graph ? static_cast<QWidget*>(panels.GraphPanel(area)) : panels.NumericPanel(area);
            facePainter.drawImage(panel->pos(), panel->grab().toImage());
        }
        facePainter.end();
        face.save(directory + (graph ? "/face-graphs.png" : "/face-numbers.png"));
    }
}

}  // namespace
