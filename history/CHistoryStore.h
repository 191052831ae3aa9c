// The history file: every reading of the last 48 hours, per-minute and
// per-hour min/avg/max beside them, and the events (alarms, returns to
// normal, power-off, failed readings), in one SQLite database in WAL mode.
//
// Values are kept as whole thousandths of their base unit (mV, m°C,
// thousandths of an RPM), far finer than any chip reads, so that a row
// stays a few bytes: the minute and hour rows hold the count, the least,
// the sum and the greatest of the readings they cover. Each tick is one
// transaction; a process killed at any moment loses at most that tick.
//
// Five years of eighteen items come to about 111 MB (see kMaxBytes); the
// file can never grow past kMaxBytes, since SQLite refuses pages beyond it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "history/CReadingSnapshot.h"

struct sqlite3;
struct sqlite3_stmt;

class CHistoryStore {
public:
    static constexpr int64_t kSecondMs = 1000;
    static constexpr int64_t kMinuteMs = 60 * kSecondMs;
    static constexpr int64_t kHourMs = 60 * kMinuteMs;
    static constexpr int64_t kDayMs = 24 * kHourMs;
    static constexpr int64_t kRawKeepMs = 48 * kHourMs;
    static constexpr int64_t kMinuteKeepMs = 90 * kDayMs;
    static constexpr int64_t kHourKeepMs = 1826 * kDayMs;  // five years
    static constexpr int64_t kMaxBytes = 200LL * 1024 * 1024;
    // "KLH1": the SQLite application id that marks a Kelvane history.
    static constexpr int kApplicationId = 0x4B4C4831;
    static constexpr int kFormatVersion = 1;

    enum class Mode { kWrite, kRead };
    enum class Resolution { kRaw, kMinute, kHour };
    // What a failure means to the writer.
    enum class Failure { kNone, kBusy, kDamaged, kUnusable };

    struct SItem {
        int64_t id = 0;
        std::string chip;
        std::string item;
        std::string name;
        CReadingSnapshot::Kind kind = CReadingSnapshot::Kind::kVoltage;
        std::optional<double> hi;  // the last limits recorded
        std::optional<double> lo;
    };
    struct SPoint {
        int64_t timeMs = 0;
        double min = 0.0;
        double avg = 0.0;
        double max = 0.0;
        int64_t count = 0;
    };
    struct SSeries {
        SItem item;
        Resolution resolution = Resolution::kRaw;
        int64_t bucketMs = 0;  // 0: every reading as it was taken
        std::vector<SPoint> points;
    };
    struct SEvent {
        int64_t timeMs = 0;
        std::string chip;
        std::string item;  // empty for an event of the whole chip (power-off)
        std::string name;
        std::string kind;  // "alarm", "normal", "poweroff", "failed", "recovered"
        std::optional<double> value;
    };

    CHistoryStore() = default;
    ~CHistoryStore();
    CHistoryStore(const CHistoryStore&) = delete;
    CHistoryStore& operator=(const CHistoryStore&) = delete;

    // Opens the file, in write mode creating it and its tables when missing.
    // A file that is not a Kelvane history, or that SQLite finds damaged, is
    // refused with kDamaged; the writer sets it aside. maxBytes bounds the
    // file (tests give less).
    Failure Open(const std::string& path, Mode mode, std::string& error, int64_t maxBytes = kMaxBytes);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    const std::string& Path() const { return m_path; }

    // One tick's readings and events in one transaction.
    Failure WriteTick(const CReadingSnapshot& snapshot, const std::vector<SEvent>& events, std::string& error);
    // Drops what is older than each level keeps.
    Failure Thin(int64_t nowMs, std::string& error);

    std::vector<SItem> Items() const;
    // The readings of item in [fromMs, toMs), at the finest level that both
    // covers the range (as seen at nowMs) and needs at most about maxPoints
    // points; finer data are gathered into buckets of equal length.
    SSeries Read(const SItem& item, int64_t fromMs, int64_t toMs, int64_t nowMs, int maxPoints) const;
    // The readings of item at a given level, bucketMs 0 for its own rows.
    SSeries ReadLevel(const SItem& item, Resolution resolution, int64_t fromMs, int64_t toMs, int64_t bucketMs) const;
    std::vector<SEvent> Events(int64_t fromMs, int64_t toMs) const;
    // The file's size in bytes as SQLite lays it out (pages in use and free).
    int64_t FileBytes() const;

    // Moves path and its WAL and shared-memory files to aside + the same
    // suffixes. False when the main file could not be moved.
    static bool SetAside(const std::string& path, const std::string& aside);

    static int64_t ToStored(double value);
    static double FromStored(int64_t stored) { return static_cast<double>(stored) / 1000.0; }

private:
    Failure Fail(std::string& error, const char* what) const;
    bool Exec(const char* sql) const;
    bool CreateSchema();
    // The item's row id, its row made or renamed when needed.
    std::optional<int64_t> ItemId(const std::string& chip, const CReadingSnapshot::Item& item);

    bool PrepareTickStatements();
    void FinalizeTickStatements();

    sqlite3* m_db = nullptr;
    // The statements of every tick, prepared once per connection.
    sqlite3_stmt* m_insertRaw = nullptr;
    sqlite3_stmt* m_upsertMinute = nullptr;
    sqlite3_stmt* m_upsertHour = nullptr;
    sqlite3_stmt* m_insertEvent = nullptr;
    sqlite3_stmt* m_begin = nullptr;
    sqlite3_stmt* m_commit = nullptr;
    std::string m_path;
    Mode m_mode = Mode::kRead;
    // Rows of items known in this connection, by chip + "/" + item.
    std::unordered_map<std::string, SItem> m_items;
};
