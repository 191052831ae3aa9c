// A writer killed with SIGKILL at any moment leaves a sound file that has
// every tick it finished but perhaps the last.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>

#include "history/CHistoryStore.h"
#include "history/CHistoryWriter.h"
#include "history/HistoryFixture.h"
#include "support/CTempDir.h"

namespace {

std::string Query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return result;
}

}  // namespace

TEST(HistoryKill, AKilledWriterLosesAtMostItsLastTickAndNeverTheFile) {
    CTempDir dir;
    const std::string path = dir.File("history.db");
    std::mt19937 random(20261209);
    constexpr int kTrials = 12;
    int64_t written = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        // A day per trial: a fast writer does well over an hour's ticks
        // (1,440) before the kill.
        const int64_t base = kDayStartMs + trial * CHistoryStore::kDayMs;
        int report[2];
        ASSERT_EQ(::pipe(report), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(report[0]);
            CHistoryWriter writer(path, nullptr);
            for (int64_t tick = 1;; ++tick) {
                CReadingSnapshot snapshot = MakeSnapshot(base + tick * 2500, 1.7, 40.0 + tick % 30, 1800.0 + tick);
                snapshot.items[1].alarm = tick % 7 == 0;
                if (!writer.Record(snapshot)) ::_exit(3);
                if (::write(report[1], &tick, sizeof tick) != sizeof tick) ::_exit(4);
            }
        }
        ::close(report[1]);
        ::usleep(std::uniform_int_distribution<int>(3000, 60000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself with " << WEXITSTATUS(status);
        int64_t lastReported = 0;
        int64_t tick = 0;
        while (::read(report[0], &tick, sizeof tick) == sizeof tick) lastReported = tick;
        ::close(report[0]);

        ASSERT_EQ(Query(path, "PRAGMA integrity_check"), "ok") << "trial " << trial;
        const std::string range = " WHERE t > " + std::to_string(base) + " AND t < " + std::to_string(base + CHistoryStore::kDayMs);
        // A writer killed before its schema was committed leaves a sound file without the table.
        const std::string counted = Query(path, "SELECT count(DISTINCT t) FROM raw" + range);
        if (counted.empty()) {
            EXPECT_EQ(lastReported, 0) << "trial " << trial << ": ticks reported but no table";
            continue;
        }
        const int64_t ticks = std::stoll(counted);
        written += ticks;
        EXPECT_GE(ticks, lastReported) << "trial " << trial;
        EXPECT_LE(ticks, lastReported + 1) << "trial " << trial;
        // Each tick is whole: every item's reading or none.
        EXPECT_EQ(Query(path, "SELECT count(*) FROM raw" + range), std::to_string(3 * ticks)) << "trial " << trial;
    }
    // The kills fell on writers at work, not on writers still starting.
    EXPECT_GT(written, 10 * kTrials);
    std::vector<std::string> messages;
    CHistoryWriter writer(path, [&](const std::string& m) { messages.push_back(m); });
    EXPECT_TRUE(writer.Record(MakeSnapshot(kDayStartMs + kTrials * CHistoryStore::kDayMs, 1.7, 40.0, 2000.0)));
    EXPECT_TRUE(messages.empty());
}
