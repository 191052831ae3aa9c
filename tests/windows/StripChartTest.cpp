// The strip chart's pixels: the grid moving with the picture through every
// phase, where a point lands, segments that leave out their end point, and a
// line that carries on level while no points arrive.
#include <gtest/gtest.h>

#include <QWidget>

#include "skin/SkinColour.h"
#include "windows/CStripChart.h"
#include "windows/StripChartPixels.h"

namespace {

using namespace StripChartPixels;

constexpr QRgb kBack = 0xFF000000;
constexpr QRgb kGrid = 0xFF722A0E;
const SChartRect kClient{0, 0, 178, 91};

bool ColumnIs(const QImage& image, int x, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) != colour)
            return false;
    return true;
}

bool RowIs(const QImage& image, int y, QRgb colour)
{
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) != colour)
            return false;
    return true;
}

// The rows of column x that show colour.
std::vector<int> RowsOf(const QImage& image, int x, QRgb colour)
{
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) == colour)
            rows.push_back(y);
    return rows;
}

int CountPixels(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

TEST(StripChartPixelsTest, GridMovesWithThePictureThroughEveryPhase)
{
    QImage image(kClient.Width(), kClient.Height(), QImage::Format_RGB32);
    DrawEmptyChart(image, kClient, kBack, kGrid);
    // 13 never comes back: 3 down per tick, 13 added below 0.
    const int phases[] = {13, 10, 7, 4, 1, 11, 8, 5, 2, 12, 9, 6, 3, 0, 10, 7, 4, 1, 11, 8, 5, 2, 12, 9, 6, 3, 0, 10};
    int phase = 13;
    for (int tick = 0; tick < static_cast<int>(std::size(phases)); ++tick) {
        SCOPED_TRACE(tick);
        if (tick > 0)
            phase = ScrollChartImage(image, kClient, phase, kBack, kGrid);
        EXPECT_EQ(phase, phases[tick]);
        // A vertical line every 13 pixels, 3k pixels left of where the empty
        // chart drew them (x = -1 + 13 n), none missing at the right edge.
        for (int x = 0; x < kClient.right; ++x) {
            const bool gridColumn = (x + 1 + 3 * tick) % kGridStep == 0;
            ASSERT_EQ(ColumnIs(image, x, kGrid), gridColumn) << "x " << x;
        }
        for (int y = 0; y < kClient.bottom; ++y)
            ASSERT_EQ(RowIs(image, y, kGrid), (y + 1) % kGridStep == 0) << "y " << y;
    }
}

TEST(StripChartPixelsTest, ScrollGridLineIsTheRightmostLineOfThePhase)
{
    struct Case {
        int right, phase, x;
    };
    const Case cases[] = {{178, 10, 165}, {178, 7, 175}, {178, 0, 168}, {178, 12, 167}, {100, 9, 99}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phase);
        EXPECT_EQ(ScrollGridLineX(c.right, c.phase), c.x);
    }
}

TEST(StripChartPixelsTest, PointRowsAcrossTheRange)
{
    struct Case {
        int average, span, y;
    };
    const Case cases[] = {
        {140, 140, 0},   // the top of the range: the top row
        {70, 140, 46},   // 91 - 6370 / 140
        {12, 140, 84},   // 1.2 V on the voltage graph
        {1, 210, 90},    // a stopped fan: bottom - 0 is below the picture, held on its last row
        {2, 140, 90},
        {300, 210, 0},   // above the range the unsigned difference wraps; held on the top row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.average);
        EXPECT_EQ(PointY(kClient, c.average, c.span), c.y);
    }
}

TEST(StripChartPixelsTest, LinesLeaveOutTheirEndPoint)
{
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(kBack);
    DrawLine(image, 2, 5, 5, 5, 0xFFFF0000);
    EXPECT_EQ(RowsOf(image, 2, 0xFFFF0000), std::vector<int>{5});
    EXPECT_EQ(RowsOf(image, 4, 0xFFFF0000), std::vector<int>{5});
    EXPECT_TRUE(RowsOf(image, 5, 0xFFFF0000).empty());

    // A steep segment covers every row from its start up to its end row.
    image.fill(kBack);
    DrawLine(image, 3, 2, 6, 12, 0xFF00FF00);
    EXPECT_EQ(CountPixels(image, 0xFF00FF00), 10);
    EXPECT_EQ(image.pixel(3, 2), 0xFF00FF00);
    for (int x = 0; x < 20; ++x)
        EXPECT_NE(image.pixel(x, 12), 0xFF00FF00u);
}

class StripChartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(chart->Create(SChartRect{55, 6, 235, 99}, &parent, CStripChart::kControlId));
        chart->SetGridColour(0x0E2A72);
    }
    QWidget parent;
    CStripChart* chart = new CStripChart(&parent);
    const QRgb red = ColorFromColorref(0x0000FF).rgb();
};

TEST_F(StripChartTest, CreateTakesTheClientAreaInsideTheEdge)
{
    EXPECT_EQ(chart->geometry(), QRect(55, 6, 180, 93));
    EXPECT_EQ(chart->objectName(), "5469");
    EXPECT_EQ(chart->property("controlId").toInt(), 5469);
    EXPECT_EQ(chart->Image().size(), QSize(178, 91));
    EXPECT_EQ(chart->ClientRect().bottom, 91);
    EXPECT_EQ(chart->Image().pixel(12, 0), ColorFromColorref(0x0E2A72).rgb());
    EXPECT_EQ(chart->Image().pixel(0, 0), kBack);
}

TEST_F(StripChartTest, LineCarriesOnLevelThroughTicksWithoutPoints)
{
    const int line = chart->AddLine("VTT", 0x0000FF, 1, 1, 140);
    chart->AddPoint(line, 70);
    chart->Scroll();
    chart->Scroll();
    chart->Scroll();
    // Three segments of three pixels end to end at the row of 70, the newest
    // ending 11 pixels from the right edge; nothing of the line elsewhere.
    const int right = chart->ClientRect().right;
    const int y = PointY(chart->ClientRect(), 70, 140);
    for (int x = right - 20; x <= right - 12; ++x)
        EXPECT_EQ(RowsOf(chart->Image(), x, red), std::vector<int>{y}) << "x " << x;
    EXPECT_EQ(CountPixels(chart->Image(), red), 9);
}

TEST_F(StripChartTest, AveragesPendingPointsAndTakesZeroAsNoPoint)
{
    const int line = chart->AddLine("CPU FAN", 0x0000FF, 1, 1, 210);
    chart->AddPoint(line, 0);
    chart->Scroll();
    // An average of 0 is no reading: the line is still below the picture.
    EXPECT_EQ(CountPixels(chart->Image(), red), 0);

    chart->AddPoint(line, 100);
    chart->AddPoint(line, 111);
    chart->Scroll();
    const int right = chart->ClientRect().right;
    EXPECT_EQ(RowsOf(chart->Image(), right - 14, red), std::vector<int>{PointY(chart->ClientRect(), 105, 210)});
    EXPECT_EQ(chart->Line(line)->PendingCount(), 0u);
}

TEST_F(StripChartTest, HiddenLineDrawsNothing)
{
    const int shown = chart->AddLine("VCore", 0x0000FF, 1, 1, 140);
    const int hidden = chart->AddLine("VTT", 0x00FF00, 1, 1, 140);
    chart->Line(hidden)->SetVisible(false);
    chart->AddPoint(shown, 20);
    chart->AddPoint(hidden, 40);
    chart->Scroll();
    EXPECT_EQ(CountPixels(chart->Image(), red), 3);
    EXPECT_EQ(CountPixels(chart->Image(), ColorFromColorref(0x00FF00).rgb()), 0);
}

TEST(StripChartUnseen, AChartDrawsItsUnseenTicksWhenLookedAtAsIfItHadDrawnThemEach)
{
    // The same ticks into a chart on a shown window and one on a hidden
    // window: a few ticks, then more than the width holds; with a line
    // switched off and the background changed on the way.
    for (const int ticks : {5, 40, 150}) {
        SCOPED_TRACE(ticks);
        QWidget seenParent;
        QWidget unseenParent;
        seenParent.resize(300, 120);
        unseenParent.resize(300, 120);
        auto* seen = new CStripChart(&seenParent);
        auto* unseen = new CStripChart(&unseenParent);
        seenParent.show();
        for (CStripChart* chart : {seen, unseen}) {
            ASSERT_TRUE(chart->Create(SChartRect{55, 6, 235, 99}, chart->parentWidget(), CStripChart::kControlId));
            chart->SetGridColour(0x0E2A72);
            chart->AddLine("VCore", 0x0000FF, 1, 1, 140);
            chart->AddLine("VTT", 0x00FF00, 1, 1, 140);
        }
        ASSERT_TRUE(seen->isVisible());
        ASSERT_FALSE(unseen->isVisible());
        for (int tick = 0; tick < ticks; ++tick) {
            for (CStripChart* chart : {seen, unseen}) {
                chart->AddPoint(0, 20 + (tick * 7) % 100);
                chart->AddPoint(1, 130 - (tick * 3) % 90);
                if (tick == ticks / 2) {
                    chart->Line(1)->SetVisible(false);
                    chart->SetBackgroundColour(0x202020);
                }
                chart->Scroll();
            }
            EXPECT_EQ(unseen->GridPhase(), seen->GridPhase());
        }
        // A chart never shown holds no picture; asked for one, it is the
        // shown chart's, started in the colours the chart had then.
        EXPECT_FALSE(unseen->HasPicture());
        EXPECT_TRUE(unseen->Image() == seen->Image());
        // Shown at last, it paints the same picture.
        unseenParent.show();
        EXPECT_TRUE(unseen->grab().toImage() == seen->grab().toImage());
    }
}

}  // namespace
