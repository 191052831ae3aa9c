#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "history/CHistoryExport.h"
#include "history/CTimeText.h"
#include "history/HistoryFixture.h"

namespace {

// Local time for the test: Berlin, an hour ahead of UTC in December.
class BerlinTime : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        m_saved = tz ? tz : "";
        m_had = tz != nullptr;
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        ::tzset();
    }
    void TearDown() override {
        if (m_had) {
            ::setenv("TZ", m_saved.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    std::string m_saved;
    bool m_had = false;
};

using Series = CHistoryStore::SSeries;
using Resolution = CHistoryStore::Resolution;

Series SeriesOf(const std::string& item, const std::string& name, CReadingSnapshot::Kind kind, Resolution resolution,
                std::vector<CHistoryStore::SPoint> points) {
    Series series;
    series.item.chip = "W83782D";
    series.item.item = item;
    series.item.name = name;
    series.item.kind = kind;
    series.resolution = resolution;
    series.points = std::move(points);
    return series;
}

}  // namespace

TEST_F(BerlinTime, TimesOnTheCommandLineAndInTheExports) {
    const int64_t now = kDayStartMs;
    struct {
        const char* text;
        std::optional<int64_t> expected;
    } const times[] = {
        {"2026-12-09T00:00:00Z", kDayStartMs},
        {"2026-12-09T01:00:00+01:00", kDayStartMs},
        {"2026-12-08T19:00-0500", kDayStartMs},
        {"2026-12-09 01:00", kDayStartMs},  // local time
        {"2026-12-09", kDayStartMs - 3600000},
        {"now", now},
        {"2026-02-29", std::nullopt},
        {"2026-13-01", std::nullopt},
        {"2026-12-09T24:00", std::nullopt},
        {"2026-12-09T10:00+1", std::nullopt},
        {"yesterday", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& t : times) EXPECT_EQ(CTimeText::ParseTime(t.text, now), t.expected) << t.text;

    struct {
        const char* text;
        std::optional<int64_t> expected;
    } const durations[] = {
        {"90s", 90000}, {"15m", 900000}, {"24h", 86400000}, {"7d", 604800000}, {"2w", 1209600000},
        {"0h", std::nullopt}, {"-1h", std::nullopt}, {"1.5h", std::nullopt}, {"24", std::nullopt},
        {"h", std::nullopt}, {"99999999999999d", std::nullopt},
    };
    for (const auto& d : durations) EXPECT_EQ(CTimeText::ParseDuration(d.text), d.expected) << d.text;

    EXPECT_EQ(CTimeText::LocalIso(kDayStartMs), "2026-12-09T01:00:00+01:00");
    EXPECT_EQ(CTimeText::LocalIso(kDayStartMs - 150LL * CHistoryStore::kDayMs), "2026-07-12T02:00:00+02:00");
}

TEST_F(BerlinTime, CsvHasAColumnPerItemWithItsUnitAndMinAvgMaxForAggregates) {
    using Kind = CReadingSnapshot::Kind;
    const std::vector<Series> readings{
        SeriesOf("TEMP1", "CPU, core", Kind::kTemperature, Resolution::kRaw,
                 {{kDayStartMs, 40, 40, 40, 1}, {kDayStartMs + 2500, 41.5, 41.5, 41.5, 1}}),
        SeriesOf("VOLT1", "VCore", Kind::kVoltage, Resolution::kRaw, {{kDayStartMs + 2500, 1.712, 1.712, 1.712, 1}}),
    };
    EXPECT_EQ(CHistoryExport::Csv(readings, false),
              "time,\"CPU, core (\xC2\xB0" "C)\",VCore (V)\n"
              "2026-12-09T01:00:00+01:00,40.0,\n"
              "2026-12-09T01:00:02+01:00,41.5,1.712\n");
    EXPECT_EQ(CHistoryExport::Csv({readings[0]}, true),
              "time,\"CPU, core (\xC2\xB0" "F)\"\n"
              "2026-12-09T01:00:00+01:00,104.0\n"
              "2026-12-09T01:00:02+01:00,106.7\n");

    const std::vector<Series> minutes{
        SeriesOf("FAN1", "Fan", Kind::kFan, Resolution::kMinute, {{kDayStartMs, 1980, 2011.26, 2040, 24}}),
        SeriesOf("FAN2", "Fan", Kind::kFan, Resolution::kMinute, {{kDayStartMs, 0, 0, 0, 24}}),
    };
    EXPECT_EQ(CHistoryExport::Csv(minutes, false),
              "time,Fan [W83782D FAN1] min (RPM),Fan [W83782D FAN1] avg (RPM),Fan [W83782D FAN1] max (RPM),"
              "Fan [W83782D FAN2] min (RPM),Fan [W83782D FAN2] avg (RPM),Fan [W83782D FAN2] max (RPM)\n"
              "2026-12-09T01:00:00+01:00,1980,2011.3,2040,0,0.0,0\n");

    const std::string json = CHistoryExport::Json({minutes[0]}, {{kDayStartMs, "W83782D", "FAN1", "Fan", "alarm", 900.0}},
                                                  kDayStartMs, kDayStartMs + 60000, false);
    EXPECT_EQ(json,
              "{\"from\":\"2026-12-09T01:00:00+01:00\",\"to\":\"2026-12-09T01:01:00+01:00\",\"items\":[{\"chip\":\"W83782D\","
              "\"item\":\"FAN1\",\"name\":\"Fan\",\"kind\":\"fan\",\"unit\":\"RPM\",\"resolution\":\"minute\",\"bucket_seconds\":0,"
              "\"points\":[{\"time\":\"2026-12-09T01:00:00+01:00\",\"min\":1980,\"avg\":2011.3,\"max\":2040,\"count\":24}]}],"
              "\"events\":[{\"time\":\"2026-12-09T01:00:00+01:00\",\"chip\":\"W83782D\",\"item\":\"FAN1\",\"name\":\"Fan\","
              "\"kind\":\"alarm\",\"value\":900.000}]}\n");
    // An event's value follows its item's unit.
    const std::vector<Series> temps{readings[0]};
    EXPECT_NE(CHistoryExport::Json(temps, {{kDayStartMs, "W83782D", "TEMP1", "CPU, core", "alarm", 100.0}}, kDayStartMs,
                                   kDayStartMs + 60000, true)
                  .find("\"kind\":\"alarm\",\"value\":212.000}"),
              std::string::npos);
    EXPECT_EQ(CHistoryExport::JsonString("a\"b\\c\nd\x01"), "\"a\\\"b\\\\c\\u000ad\\u0001\"");
}
