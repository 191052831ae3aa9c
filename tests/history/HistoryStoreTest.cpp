#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <vector>

#include "history/CHistoryStore.h"
#include "history/CHistoryWriter.h"
#include "history/HistoryFixture.h"
#include "support/CTempDir.h"

namespace {

using Resolution = CHistoryStore::Resolution;
constexpr int64_t kTick = 2500;

struct SRecorded {
    CTempDir dir;
    std::vector<std::string> messages;
    std::string path = dir.File("history.db");
    CHistoryWriter writer{path, [this](const std::string& m) { messages.push_back(m); }};
};

CHistoryStore::SItem ItemNamed(const CHistoryStore& store, const std::string& key) {
    for (const auto& item : store.Items())
        if (item.item == key) return item;
    return {};
}

int64_t Count(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    int64_t count = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        count = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return count;
}

}  // namespace

TEST(HistoryStore, EveryReadingAndItsMinuteAndHourAggregates) {
    SRecorded r;
    // Two minutes of ticks: the temperature climbs 40, 41, ... one degree a tick.
    for (int k = 0; k < 48; ++k)
        ASSERT_TRUE(r.writer.Record(MakeSnapshot(kDayStartMs + k * kTick, 1.7 + 0.001 * k, 40.0 + k, 2000.0)));
    CHistoryStore store;
    std::string error;
    ASSERT_EQ(store.Open(r.path, CHistoryStore::Mode::kRead, error), CHistoryStore::Failure::kNone) << error;
    const CHistoryStore::SItem temp = ItemNamed(store, "TEMP1");
    EXPECT_EQ(temp.name, "CPU");
    EXPECT_EQ(temp.hi, 60.0);

    const auto raw = store.ReadLevel(temp, Resolution::kRaw, kDayStartMs, kDayStartMs + 2 * 60000, 0);
    ASSERT_EQ(raw.points.size(), 48u);
    EXPECT_EQ(raw.points[5].timeMs, kDayStartMs + 5 * kTick);
    EXPECT_DOUBLE_EQ(raw.points[5].avg, 45.0);

    const auto minutes = store.ReadLevel(temp, Resolution::kMinute, kDayStartMs, kDayStartMs + 2 * 60000, 0);
    ASSERT_EQ(minutes.points.size(), 2u);
    EXPECT_EQ(minutes.points[1].timeMs, kDayStartMs + 60000);
    EXPECT_EQ(minutes.points[0].count, 24);
    EXPECT_DOUBLE_EQ(minutes.points[0].min, 40.0);
    EXPECT_DOUBLE_EQ(minutes.points[0].max, 63.0);
    EXPECT_DOUBLE_EQ(minutes.points[0].avg, 51.5);

    const auto hours = store.ReadLevel(temp, Resolution::kHour, kDayStartMs, kDayStartMs + 3600000, 0);
    ASSERT_EQ(hours.points.size(), 1u);
    EXPECT_EQ(hours.points[0].count, 48);
    EXPECT_DOUBLE_EQ(hours.points[0].avg, 63.5);
    // Thousandths survive the round trip through whole stored numbers.
    const auto volts = store.ReadLevel(ItemNamed(store, "VOLT1"), Resolution::kRaw, kDayStartMs, kDayStartMs + 60000, 0);
    EXPECT_DOUBLE_EQ(volts.points[3].avg, 1.703);
}

TEST(HistoryStore, ReadPicksTheFinestLevelThatCoversTheRange) {
    SRecorded r;
    ASSERT_TRUE(r.writer.Record(MakeSnapshot(kDayStartMs, 1.7, 40.0, 2000.0)));
    CHistoryStore store;
    std::string error;
    ASSERT_EQ(store.Open(r.path, CHistoryStore::Mode::kRead, error), CHistoryStore::Failure::kNone);
    const auto item = ItemNamed(store, "TEMP1");
    const int64_t now = kDayStartMs + 3600000;
    struct {
        int64_t spanMs;
        int64_t endsBeforeNowMs;
        Resolution level;
        int64_t bucketMs;
    } const cases[] = {
        {3600000, 0, Resolution::kRaw, 0},                                     // 1 h of 2000 points: every reading
        {6 * 3600000LL, 0, Resolution::kRaw, 10800},                         // 6 h: readings in buckets
        {24 * 3600000LL, 0, Resolution::kRaw, 43200},                        // a day: readings in buckets
        {7 * CHistoryStore::kDayMs, 0, Resolution::kMinute, 302400},         // a week: minutes in buckets
        {30 * CHistoryStore::kDayMs, 0, Resolution::kMinute, 1296000},       // 30 days: still minutes
        {3600000, 48 * 3600000LL, Resolution::kMinute, 0},                   // an hour two days back: readings gone
        {24 * 3600000LL, 100 * CHistoryStore::kDayMs, Resolution::kHour, 0}, // a day 100 days back: hours only
        {365 * CHistoryStore::kDayMs, 0, Resolution::kHour, 15768000},
    };
    for (const auto& c : cases) {
        const int64_t to = now - c.endsBeforeNowMs;
        const auto series = store.Read(item, to - c.spanMs, to, now, 2000);
        EXPECT_EQ(series.resolution, c.level) << c.spanMs << " ending " << c.endsBeforeNowMs;
        EXPECT_EQ(series.bucketMs, c.bucketMs) << c.spanMs << " ending " << c.endsBeforeNowMs;
    }
}

TEST(HistoryStore, ThinningKeepsEachLevelForItsOwnTime) {
    SRecorded r;
    const int64_t old = kDayStartMs;
    ASSERT_TRUE(r.writer.Record(MakeSnapshot(old, 1.7, 40.0, 2000.0)));
    // Two days and an hour later the old reading is gone, its minute is not.
    const int64_t later = old + CHistoryStore::kRawKeepMs + 3600000;
    ASSERT_TRUE(r.writer.Record(MakeSnapshot(later, 1.7, 41.0, 2000.0)));
    const int64_t items = 3;
    EXPECT_EQ(Count(r.path, "SELECT count(*) FROM raw"), items);
    EXPECT_EQ(Count(r.path, "SELECT count(*) FROM minute"), 2 * items);
    // After 91 days the first minute goes too; its hour stays five years.
    ASSERT_TRUE(r.writer.Record(MakeSnapshot(old + 91 * CHistoryStore::kDayMs, 1.7, 42.0, 2000.0)));
    EXPECT_EQ(Count(r.path, "SELECT count(*) FROM minute WHERE t * 1000 < " + std::to_string(later)), 0);
    EXPECT_EQ(Count(r.path, "SELECT count(*) FROM hour"), 3 * items);
    // After five years only the hours of the last two ticks are left.
    ASSERT_TRUE(r.writer.Record(MakeSnapshot(old + 1830 * CHistoryStore::kDayMs, 1.7, 42.0, 2000.0)));
    EXPECT_EQ(Count(r.path, "SELECT count(*) FROM hour"), 2 * items);
    EXPECT_TRUE(r.messages.empty());
}

TEST(HistoryWriter, RecordsAlarmsFailedReadingsAndThePowerOffAsEvents) {
    SRecorded r;
    struct {
        bool tempAlarm;
        bool fanReadOk;
        bool powerOff;
    } const ticks[] = {
        {false, true, false}, {true, true, false},  {true, false, false}, {true, false, false},
        {false, true, false}, {true, true, true},   {true, true, true},
    };
    int64_t t = kDayStartMs;
    for (const auto& tick : ticks) {
        CReadingSnapshot snapshot = MakeSnapshot(t += kTick, 1.7, tick.tempAlarm ? 70.0 : 40.0, 2000.0);
        snapshot.items[1].alarm = tick.tempAlarm;
        snapshot.items[2].readOk = tick.fanReadOk;
        if (!tick.fanReadOk) snapshot.items[2].value.reset();
        snapshot.powerOffRequested = tick.powerOff;
        ASSERT_TRUE(r.writer.Record(snapshot));
    }
    CHistoryStore store;
    std::string error;
    ASSERT_EQ(store.Open(r.path, CHistoryStore::Mode::kRead, error), CHistoryStore::Failure::kNone);
    std::vector<std::string> seen;
    for (const auto& e : store.Events(0, t + 1)) seen.push_back(std::to_string((e.timeMs - kDayStartMs) / kTick) + " " + e.kind + " " + e.item);
    const std::vector<std::string> expected{"2 alarm TEMP1", "3 failed FAN1", "5 normal TEMP1", "5 recovered FAN1",
                                            "6 alarm TEMP1", "6 poweroff "};
    EXPECT_EQ(seen, expected);
    // A failed reading is an event, never a value.
    EXPECT_EQ(store.ReadLevel(ItemNamed(store, "FAN1"), Resolution::kRaw, 0, t + 1, 0).points.size(), 5u);
}

TEST(HistoryWriter, ASecondWriterOfTheSameChipOnlyReads) {
    SRecorded first;
    std::vector<std::string> messages;
    CHistoryWriter second(first.path, [&](const std::string& m) { messages.push_back(m); });
    CHistoryWriter otherChip(first.path, [&](const std::string& m) { messages.push_back(m); });
    ASSERT_TRUE(first.writer.Record(MakeSnapshot(kDayStartMs, 1.7, 40.0, 2000.0)));
    EXPECT_FALSE(second.Record(MakeSnapshot(kDayStartMs + kTick, 1.7, 40.0, 2000.0)));
    EXPECT_FALSE(second.Record(MakeSnapshot(kDayStartMs + 2 * kTick, 1.7, 40.0, 2000.0)));
    EXPECT_EQ(second.GetState(), CHistoryWriter::State::kReadOnly);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("only reads"), std::string::npos);
    EXPECT_TRUE(otherChip.Record(MakeSnapshot(kDayStartMs + kTick, 1.7, 40.0, 2000.0, "W83627F")));
    EXPECT_EQ(Count(first.path, "SELECT count(DISTINCT chip) FROM items"), 2);
}

TEST(HistoryWriter, AnUnwritablePlaceOrAFullFileTurnsTheHistoryOffWithOneMessage) {
    CTempDir dir;
    CTempDir::Write(dir.File("file"), "x");
    struct {
        std::string path;
        int64_t maxBytes;
        const char* why;
    } const cases[] = {
        {dir.File("file/history.db"), CHistoryStore::kMaxBytes, "a folder that is a file"},
        {dir.File("missing/history.db"), CHistoryStore::kMaxBytes, "a folder that is not there"},
        {dir.File("full.db"), 64 * 1024, "a file at its bound (a full disk)"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> messages;
        CHistoryWriter writer(c.path, [&](const std::string& m) { messages.push_back(m); }, c.maxBytes);
        int recorded = 0;
        for (int k = 0; k < 3000; ++k) recorded += writer.Record(MakeSnapshot(kDayStartMs + k * kTick, 1.7, 40.0 + k % 50, 2000.0 + k));
        EXPECT_EQ(writer.GetState(), CHistoryWriter::State::kOff) << c.why;
        ASSERT_EQ(messages.size(), 1u) << c.why;
        EXPECT_NE(messages[0].find("Monitoring goes on"), std::string::npos) << c.why;
        EXPECT_LT(recorded, 3000) << c.why;
    }
    // What was recorded before the bound was hit is still there, whole.
    EXPECT_GT(Count(dir.File("full.db"), "SELECT count(*) FROM raw"), 0);
    EXPECT_LE(std::filesystem::file_size(dir.File("full.db")), 64u * 1024);
}

TEST(HistoryWriter, ADamagedOrForeignFileIsSetAsideAndANewHistoryStarted) {
    const auto foreignDatabase = [](const std::string& path) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, "CREATE TABLE photos(id INTEGER)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    const auto damagedHistory = [](const std::string& path) {
        {
            CHistoryWriter writer(path, nullptr);
            writer.Record(MakeSnapshot(kDayStartMs, 1.7, 40.0, 2000.0));
        }
        std::string bytes = CTempDir::Read(path);
        for (std::size_t i = 0; i < 16; ++i) bytes[i] = 'Z';
        CTempDir::Write(path, bytes);
    };
    const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> cases{
        {"text", [](const std::string& path) { CTempDir::Write(path, "this is a shopping list, not a database\n"); }},
        {"foreign database", foreignDatabase},
        {"damaged header", damagedHistory},
    };
    for (const auto& [what, make] : cases) {
        SRecorded r;
        make(r.path);
        const int64_t now = kDayStartMs + 3600000;
        EXPECT_TRUE(r.writer.Record(MakeSnapshot(now, 1.7, 40.0, 2000.0))) << what;
        const std::string aside = CHistoryWriter::AsideName(r.path, now);
        EXPECT_TRUE(std::filesystem::exists(aside)) << what;
        ASSERT_EQ(r.messages.size(), 1u) << what;
        EXPECT_NE(r.messages[0].find(aside), std::string::npos) << what;
        EXPECT_EQ(Count(r.path, "SELECT count(*) FROM raw"), 3) << what;
    }
}
