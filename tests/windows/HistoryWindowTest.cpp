// The history window over a history written for the test: what it reads for
// each span, how it draws limits, bands and alarm episodes, its readout, its
// keys and its CSV export.
#include <QChart>
#include <QKeyEvent>
#include <QLineSeries>
#include <QAbstractSeries>
#include <QApplication>

#include <gtest/gtest.h>

#include "history/CHistoryWriter.h"
#include "support/CTempDir.h"
#include "windows/history/CHistoryWindow.h"

namespace {

constexpr int64_t kEnd = 1796774400000LL;  // 2026-12-09T00:00:00Z

// Two hours of one temperature, 40 C with an alarm at 70 C in the middle.
std::string WriteHistory(const CTempDir& dir) {
    const std::string path = dir.File("history.db");
    CHistoryWriter writer(path, nullptr);
    CReadingSnapshot snapshot;
    snapshot.chip = "W83782D";
    snapshot.items = {{"TEMP1", "CPU", CReadingSnapshot::Kind::kTemperature, true, 40.0, 60.0, 55.0, false},
                      {"VOLT1", "VCore", CReadingSnapshot::Kind::kVoltage, true, 1.7, 1.9, 1.5, false}};
    for (int64_t t = kEnd - 2 * CHistoryStore::kHourMs; t < kEnd; t += 2500) {
        snapshot.timeMs = t;
        const bool hot = t >= kEnd - 40 * CHistoryStore::kMinuteMs && t < kEnd - 30 * CHistoryStore::kMinuteMs;
        snapshot.items[0].value = hot ? 70.0 : 40.0;
        snapshot.items[0].alarm = hot;
        writer.Record(snapshot);
    }
    return path;
}

int SeriesNamed(const CHistoryWindow& window, const char* name) {
    int count = 0;
    for (QAbstractSeries* s : window.Chart()->series()) count += s->objectName() == QLatin1String(name);
    return count;
}

}  // namespace

TEST(HistoryWindow, EachSpanReadsAtItsResolutionWithLimitsBandsAndAlarms) {
    CTempDir dir;
    CHistoryWindow window(WriteHistory(dir), false, [] { return kEnd; });
    window.ChooseItems({"TEMP1"});
    ASSERT_TRUE(window.IsHistoryOpen());

    window.ShowSpan(CHistoryWindow::Span::kHour);
    ASSERT_EQ(window.Shown().size(), 1u);
    EXPECT_EQ(window.Shown()[0].resolution, CHistoryStore::Resolution::kRaw);
    EXPECT_EQ(window.Shown()[0].bucketMs, 0);
    EXPECT_EQ(window.Shown()[0].points.size(), 1440u);
    EXPECT_EQ(window.ToMs() - window.FromMs(), CHistoryStore::kHourMs);
    EXPECT_EQ(SeriesNamed(window, "limit"), 2);
    EXPECT_EQ(SeriesNamed(window, "alarm"), 1);
    EXPECT_EQ(SeriesNamed(window, "band"), 0) << "single readings have no band";

    window.ShowSpan(CHistoryWindow::Span::kMonth);
    EXPECT_EQ(window.Shown()[0].resolution, CHistoryStore::Resolution::kMinute);
    EXPECT_GT(SeriesNamed(window, "band"), 0);

    // Two items of two kinds: a value axis for each unit.
    window.ChooseItems({"TEMP1", "VOLT1"});
    window.ShowSpan(CHistoryWindow::Span::kSixHours);
    EXPECT_EQ(window.Shown().size(), 2u);
    EXPECT_EQ(window.Chart()->axes(Qt::Vertical).size(), 2);
}

TEST(HistoryWindow, ReadoutKeysAndExport) {
    CTempDir dir;
    const std::string path = WriteHistory(dir);
    CHistoryWindow window(path, true, [] { return kEnd; });
    window.ChooseItems({"TEMP1"});
    window.ShowSpan(CHistoryWindow::Span::kHour);
    // In the alarm's middle: 70 C is 158 F.
    EXPECT_TRUE(window.ReadoutAt(kEnd - 35 * CHistoryStore::kMinuteMs).endsWith(QStringLiteral("CPU 158.0 \u00B0F")))
        << window.ReadoutAt(kEnd - 35 * CHistoryStore::kMinuteMs).toStdString();
    // Nothing to read out where nothing was recorded.
    EXPECT_FALSE(window.ReadoutAt(kEnd - 5 * CHistoryStore::kHourMs).contains(QStringLiteral("CPU")));

    const int64_t span = window.ToMs() - window.FromMs();
    QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::NoModifier);
    QApplication::sendEvent(&window, &minus);
    EXPECT_EQ(window.ToMs() - window.FromMs(), span * 3 / 2);
    const int64_t from = window.FromMs();
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(&window, &left);
    EXPECT_EQ(window.FromMs(), from - span * 3 / 2 / 4);

    window.ShowRange(kEnd - 10 * CHistoryStore::kMinuteMs, kEnd);
    ASSERT_TRUE(window.ExportCsv(QString::fromStdString(dir.File("out.csv"))));
    const std::string csv = CTempDir::Read(dir.File("out.csv"));
    EXPECT_TRUE(csv.starts_with("time,CPU (\xC2\xB0" "F)\n")) << csv.substr(0, 80);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 240);
    EXPECT_FALSE(window.ExportCsv(QString::fromStdString(dir.File("missing/out.csv"))));
}

TEST(HistoryWindow, WithoutAHistorySaysSo) {
    CTempDir dir;
    CHistoryWindow window(dir.File("history.db"), false, [] { return kEnd; });
    EXPECT_FALSE(window.IsHistoryOpen());
    EXPECT_TRUE(window.Shown().empty());
}
