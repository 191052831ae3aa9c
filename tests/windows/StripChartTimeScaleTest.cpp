// The strip chart's time scale: where its marks fall for the main window's
// 2.5 s tick, the length it names, and that the marks are painted over the
// chart's foot but never into its scrolling picture.
#include <gtest/gtest.h>

#include <QPixmap>
#include <QWidget>

#include "windows/CStripChart.h"

TEST(StripChartTimeScale, MarksEveryMinuteBackAndNamesTheLength)
{
    QWidget parent;
    auto* chart = new CStripChart(&parent);
    ASSERT_TRUE(chart->Create(SChartRect{55, 6, 235, 99}, &parent, CStripChart::kControlId));
    EXPECT_TRUE(chart->TimeMarks().empty());
    const QImage before = chart->grab().toImage();

    chart->SetSecondsPerScroll(2.5);
    // 178 pixels of 3 per tick: 59 ticks, 148 s.
    EXPECT_NEAR(chart->LengthSeconds(), 148.3, 0.1);
    const std::vector<CStripChart::STimeMark> marks = chart->TimeMarks();
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[0].x, 177);
    EXPECT_EQ(marks[0].text, QStringLiteral("now"));
    EXPECT_EQ(marks[1].x, 105);  // 24 ticks of 3 pixels back
    EXPECT_EQ(marks[1].text, QStringLiteral("\u22121 min"));
    EXPECT_EQ(marks[2].x, 0);
    EXPECT_EQ(marks[2].text, QStringLiteral("2\u00BD min"));

    const QImage after = chart->grab().toImage();
    const int foot = CStripChart::kEdge + chart->Image().height() - 1;
    EXPECT_NE(after.pixel(CStripChart::kEdge + 105, foot), before.pixel(CStripChart::kEdge + 105, foot));
    // The picture that scrolls holds no caption.
    EXPECT_EQ(chart->Image().pixel(105, chart->Image().height() - 1), 0xFF000000u);

    struct {
        double seconds;
        const char* text;
    } const lengths[] = {{45, "45 s"}, {89, "89 s"}, {148, "2\u00BD min"}, {600, "10 min"}};
    for (const auto& l : lengths) EXPECT_EQ(CStripChart::LengthText(l.seconds), QString::fromUtf8(l.text)) << l.seconds;
}
