#include "history/CHistoryStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

// One prepared statement, finalised when it goes out of scope.
class CStatement {
public:
    CStatement(sqlite3* db, const char* sql) { m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~CStatement() { sqlite3_finalize(m_stmt); }
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;

    bool ok() const { return m_rc == SQLITE_OK && m_stmt != nullptr; }
    int rc() const { return m_rc; }
    CStatement& Bind(int index, int64_t value) {
        sqlite3_bind_int64(m_stmt, index, value);
        return *this;
    }
    CStatement& Bind(int index, const std::string& text) {
        sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    CStatement& Bind(int index, const std::optional<double>& value) {
        if (value) {
            sqlite3_bind_double(m_stmt, index, *value);
        } else {
            sqlite3_bind_null(m_stmt, index);
        }
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step() {
        m_rc = sqlite3_step(m_stmt);
        return m_rc;
    }
    void Reset() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    int64_t Int(int column) const { return sqlite3_column_int64(m_stmt, column); }
    double Real(int column) const { return sqlite3_column_double(m_stmt, column); }
    bool IsNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }
    std::optional<double> OptionalReal(int column) const {
        return IsNull(column) ? std::nullopt : std::optional<double>(Real(column));
    }
    std::string Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))) : std::string();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_ERROR;
};

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS items(id INTEGER PRIMARY KEY, chip TEXT NOT NULL, item TEXT NOT NULL,"
    " name TEXT NOT NULL, kind TEXT NOT NULL, hi REAL, lo REAL, UNIQUE(chip, item));"
    "CREATE TABLE IF NOT EXISTS raw(item INTEGER NOT NULL, t INTEGER NOT NULL, v INTEGER NOT NULL,"
    " PRIMARY KEY(item, t)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS minute(item INTEGER NOT NULL, t INTEGER NOT NULL, n INTEGER NOT NULL,"
    " mn INTEGER NOT NULL, sm INTEGER NOT NULL, mx INTEGER NOT NULL, PRIMARY KEY(item, t)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS hour(item INTEGER NOT NULL, t INTEGER NOT NULL, n INTEGER NOT NULL,"
    " mn INTEGER NOT NULL, sm INTEGER NOT NULL, mx INTEGER NOT NULL, PRIMARY KEY(item, t)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS events(t INTEGER NOT NULL, chip TEXT NOT NULL, item TEXT NOT NULL,"
    " name TEXT NOT NULL, kind TEXT NOT NULL, value REAL);"
    "CREATE INDEX IF NOT EXISTS events_by_time ON events(t);";

// Minute and hour rows: t in seconds at the start of the period; a reading
// adds itself to the row of its period.
constexpr const char* kUpsertMinute =
    "INSERT INTO minute(item, t, n, mn, sm, mx) VALUES(?1, ?2, 1, ?3, ?3, ?3) ON CONFLICT(item, t) DO UPDATE SET"
    " n = n + 1, mn = min(mn, excluded.mn), sm = sm + excluded.sm, mx = max(mx, excluded.mx)";
constexpr const char* kUpsertHour =
    "INSERT INTO hour(item, t, n, mn, sm, mx) VALUES(?1, ?2, 1, ?3, ?3, ?3) ON CONFLICT(item, t) DO UPDATE SET"
    " n = n + 1, mn = min(mn, excluded.mn), sm = sm + excluded.sm, mx = max(mx, excluded.mx)";

std::string KeyOf(const std::string& chip, const std::string& item) { return chip + "/" + item; }

int64_t FloorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && ((value < 0) != (divisor < 0))) ? quotient - 1 : quotient;
}

}  // namespace

CHistoryStore::~CHistoryStore() { Close(); }

int64_t CHistoryStore::ToStored(double value) {
    // Readings beyond a few million units are no sensor's; the bound keeps
    // the sums of five years far from overflow.
    constexpr double kBound = 1e9;
    return std::llround(std::clamp(value, -kBound, kBound) * 1000.0);
}

CHistoryStore::Failure CHistoryStore::Fail(std::string& error, const char* what) const {
    const int code = m_db ? sqlite3_extended_errcode(m_db) : SQLITE_CANTOPEN;
    error = std::string(what) + ": " + (m_db ? sqlite3_errmsg(m_db) : "cannot open");
    switch (code & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return Failure::kBusy;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB: return Failure::kDamaged;
        default: return Failure::kUnusable;
    }
}

bool CHistoryStore::Exec(const char* sql) const { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

CHistoryStore::Failure CHistoryStore::Open(const std::string& path, Mode mode, std::string& error, int64_t maxBytes) {
    Close();
    m_path = path;
    m_mode = mode;
    std::error_code ec;
    if (mode == Mode::kRead && !std::filesystem::is_regular_file(path, ec)) {
        error = "no history file";
        return Failure::kUnusable;
    }
    const int flags = mode == Mode::kWrite ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    if (sqlite3_open_v2(path.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const Failure failure = Fail(error, "cannot open the history file");
        Close();
        return failure;
    }
    sqlite3_extended_result_codes(m_db, 1);
    // A reader or a writer of another chip holds the file only for the
    // length of one tick's transaction.
    sqlite3_busy_timeout(m_db, 200);

    int64_t applicationId = 0;
    int64_t tables = 0;
    int64_t version = 0;
    {
        CStatement id(m_db, "PRAGMA application_id");
        if (!id.ok() || id.Step() != SQLITE_ROW) {
            const Failure failure = Fail(error, "cannot read the history file");
            Close();
            return failure;
        }
        applicationId = id.Int(0);
        CStatement count(m_db, "SELECT count(*) FROM sqlite_master");
        if (!count.ok() || count.Step() != SQLITE_ROW) {
            const Failure failure = Fail(error, "cannot read the history file");
            Close();
            return failure;
        }
        tables = count.Int(0);
        CStatement userVersion(m_db, "PRAGMA user_version");
        if (userVersion.ok() && userVersion.Step() == SQLITE_ROW) version = userVersion.Int(0);
    }
    const bool fresh = applicationId == 0 && tables == 0;
    if (!fresh && (applicationId != kApplicationId || version > kFormatVersion)) {
        error = "not a Kelvane history file";
        Close();
        return Failure::kDamaged;
    }
    if (fresh && mode == Mode::kRead) {
        error = "empty history file";
        Close();
        return Failure::kUnusable;
    }
    if (mode == Mode::kWrite) {
        const int64_t pageSize = 4096;
        const std::string setup = "PRAGMA page_size = 4096; PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
                                  " PRAGMA max_page_count = " +
                                  std::to_string(std::max<int64_t>(maxBytes / pageSize, 8)) + ";";
        if (!Exec(setup.c_str()) || (fresh && !CreateSchema()) || !PrepareTickStatements()) {
            const Failure failure = Fail(error, "cannot set up the history file");
            Close();
            return failure;
        }
    }
    return Failure::kNone;
}

bool CHistoryStore::CreateSchema() {
    const std::string ids = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                            "; PRAGMA user_version = " + std::to_string(kFormatVersion) + ";";
    if (!Exec("BEGIN IMMEDIATE")) return false;
    if (Exec(kSchema) && Exec(ids.c_str()) && Exec("COMMIT")) return true;
    Exec("ROLLBACK");
    return false;
}

void CHistoryStore::Close() {
    m_items.clear();
    FinalizeTickStatements();
    if (m_db) sqlite3_close_v2(m_db);
    m_db = nullptr;
}

std::optional<int64_t> CHistoryStore::ItemId(const std::string& chip, const CReadingSnapshot::Item& item) {
    const std::string key = KeyOf(chip, item.item);
    auto known = m_items.find(key);
    if (known == m_items.end()) {
        CStatement find(m_db, "SELECT id, name, kind, hi, lo FROM items WHERE chip = ?1 AND item = ?2");
        if (!find.ok()) return std::nullopt;
        find.Bind(1, chip).Bind(2, item.item);
        SItem row{0, chip, item.item, item.name, item.kind, item.hi, item.lo};
        const int rc = find.Step();
        if (rc == SQLITE_ROW) {
            row.id = find.Int(0);
            row.name = find.Text(1);
            row.kind = CReadingSnapshot::KindFromName(find.Text(2)).value_or(item.kind);
            row.hi = find.OptionalReal(3);
            row.lo = find.OptionalReal(4);
        } else if (rc == SQLITE_DONE) {
            CStatement insert(m_db, "INSERT INTO items(chip, item, name, kind, hi, lo) VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
            if (!insert.ok()) return std::nullopt;
            insert.Bind(1, chip).Bind(2, item.item).Bind(3, item.name).Bind(4, std::string(CReadingSnapshot::KindName(item.kind)));
            insert.Bind(5, item.hi).Bind(6, item.lo);
            if (insert.Step() != SQLITE_DONE) return std::nullopt;
            row.id = sqlite3_last_insert_rowid(m_db);
        } else {
            return std::nullopt;
        }
        known = m_items.emplace(key, row).first;
    }
    SItem& row = known->second;
    if (row.name != item.name || row.hi != item.hi || row.lo != item.lo) {
        CStatement update(m_db, "UPDATE items SET name = ?2, hi = ?3, lo = ?4 WHERE id = ?1");
        if (!update.ok()) return std::nullopt;
        update.Bind(1, row.id).Bind(2, item.name).Bind(3, item.hi).Bind(4, item.lo);
        if (update.Step() != SQLITE_DONE) return std::nullopt;
        row.name = item.name;
        row.hi = item.hi;
        row.lo = item.lo;
    }
    return row.id;
}

bool CHistoryStore::PrepareTickStatements() {
    const auto prepare = [this](const char* sql, sqlite3_stmt*& stmt) {
        return sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) == SQLITE_OK;
    };
    return prepare("INSERT OR REPLACE INTO raw(item, t, v) VALUES(?1, ?2, ?3)", m_insertRaw) &&
           prepare(kUpsertMinute, m_upsertMinute) && prepare(kUpsertHour, m_upsertHour) &&
           prepare("INSERT INTO events(t, chip, item, name, kind, value) VALUES(?1, ?2, ?3, ?4, ?5, ?6)", m_insertEvent) &&
           prepare("BEGIN IMMEDIATE", m_begin) && prepare("COMMIT", m_commit);
}

void CHistoryStore::FinalizeTickStatements() {
    for (sqlite3_stmt** stmt : {&m_insertRaw, &m_upsertMinute, &m_upsertHour, &m_insertEvent, &m_begin, &m_commit}) {
        sqlite3_finalize(*stmt);
        *stmt = nullptr;
    }
}

CHistoryStore::Failure CHistoryStore::WriteTick(const CReadingSnapshot& snapshot, const std::vector<SEvent>& events,
                                                std::string& error) {
    if (!m_db || m_mode != Mode::kWrite || !m_insertRaw) {
        error = "the history file is not open for writing";
        return Failure::kUnusable;
    }
    // One step of a prepared statement, reset for its next use.
    const auto run = [](sqlite3_stmt* stmt) {
        const int rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        return rc == SQLITE_DONE;
    };
    if (!run(m_begin)) return Fail(error, "cannot write the history");
    const auto rollback = [&](const char* what) {
        const Failure failure = Fail(error, what);
        Exec("ROLLBACK");
        // Rows made in the transaction are gone again.
        m_items.clear();
        return failure;
    };
    const int64_t minuteStart = FloorDiv(snapshot.timeMs, kMinuteMs) * 60;
    const int64_t hourStart = FloorDiv(snapshot.timeMs, kHourMs) * 3600;
    for (const CReadingSnapshot::Item& item : snapshot.items) {
        const std::optional<int64_t> id = ItemId(snapshot.chip, item);
        if (!id) return rollback("cannot write the history");
        if (!item.readOk || !item.value) continue;
        const int64_t stored = ToStored(*item.value);
        sqlite3_bind_int64(m_insertRaw, 1, *id);
        sqlite3_bind_int64(m_insertRaw, 2, snapshot.timeMs);
        sqlite3_bind_int64(m_insertRaw, 3, stored);
        for (auto [stmt, start] : {std::pair{m_upsertMinute, minuteStart}, std::pair{m_upsertHour, hourStart}}) {
            sqlite3_bind_int64(stmt, 1, *id);
            sqlite3_bind_int64(stmt, 2, start);
            sqlite3_bind_int64(stmt, 3, stored);
        }
        if (!run(m_insertRaw) || !run(m_upsertMinute) || !run(m_upsertHour)) return rollback("cannot write the history");
    }
    for (const SEvent& e : events) {
        sqlite3_bind_int64(m_insertEvent, 1, e.timeMs);
        int index = 2;
        for (const std::string* text : {&e.chip, &e.item, &e.name, &e.kind})
            sqlite3_bind_text(m_insertEvent, index++, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
        if (e.value) {
            sqlite3_bind_double(m_insertEvent, 6, *e.value);
        } else {
            sqlite3_bind_null(m_insertEvent, 6);
        }
        if (!run(m_insertEvent)) return rollback("cannot write the history");
    }
    if (!run(m_commit)) return rollback("cannot write the history");
    return Failure::kNone;
}

CHistoryStore::Failure CHistoryStore::Thin(int64_t nowMs, std::string& error) {
    if (!m_db || m_mode != Mode::kWrite) return Failure::kUnusable;
    if (!Exec("BEGIN IMMEDIATE")) return Fail(error, "cannot thin the history");
    bool ok = true;
    {
        // Per item, so that each delete is a range of the primary key.
        CStatement ids(m_db, "SELECT id FROM items");
        CStatement raw(m_db, "DELETE FROM raw WHERE item = ?1 AND t < ?2");
        CStatement minute(m_db, "DELETE FROM minute WHERE item = ?1 AND t < ?2");
        CStatement hour(m_db, "DELETE FROM hour WHERE item = ?1 AND t < ?2");
        CStatement events(m_db, "DELETE FROM events WHERE t < ?1");
        ok = ids.ok() && raw.ok() && minute.ok() && hour.ok() && events.ok();
        while (ok && ids.Step() == SQLITE_ROW) {
            const int64_t id = ids.Int(0);
            raw.Bind(1, id).Bind(2, nowMs - kRawKeepMs);
            minute.Bind(1, id).Bind(2, (nowMs - kMinuteKeepMs) / 1000);
            hour.Bind(1, id).Bind(2, (nowMs - kHourKeepMs) / 1000);
            ok = raw.Step() == SQLITE_DONE && minute.Step() == SQLITE_DONE && hour.Step() == SQLITE_DONE;
            raw.Reset();
            minute.Reset();
            hour.Reset();
        }
        if (ok) ok = events.Bind(1, nowMs - kHourKeepMs).Step() == SQLITE_DONE;
    }
    if (!ok || !Exec("COMMIT")) {
        const Failure failure = Fail(error, "cannot thin the history");
        Exec("ROLLBACK");
        return failure;
    }
    return Failure::kNone;
}

std::vector<CHistoryStore::SItem> CHistoryStore::Items() const {
    std::vector<SItem> items;
    if (!m_db) return items;
    CStatement select(m_db, "SELECT id, chip, item, name, kind, hi, lo FROM items ORDER BY chip, id");
    if (!select.ok()) return items;
    while (select.Step() == SQLITE_ROW) {
        SItem item;
        item.id = select.Int(0);
        item.chip = select.Text(1);
        item.item = select.Text(2);
        item.name = select.Text(3);
        item.kind = CReadingSnapshot::KindFromName(select.Text(4)).value_or(CReadingSnapshot::Kind::kVoltage);
        item.hi = select.OptionalReal(5);
        item.lo = select.OptionalReal(6);
        items.push_back(std::move(item));
    }
    // Array order within a chip: voltages, temperatures, fans, by number.
    std::stable_sort(items.begin(), items.end(), [](const SItem& a, const SItem& b) {
        if (a.chip != b.chip) return a.chip < b.chip;
        if (a.kind != b.kind) return a.kind < b.kind;
        if (a.item.size() != b.item.size()) return a.item.size() < b.item.size();
        return a.item < b.item;
    });
    return items;
}

CHistoryStore::SSeries CHistoryStore::Read(const SItem& item, int64_t fromMs, int64_t toMs, int64_t nowMs,
                                           int maxPoints) const {
    const int64_t span = std::max<int64_t>(toMs - fromMs, 1);
    const int64_t bucket = std::max<int64_t>(span / std::max(maxPoints, 1), 1);
    Resolution level = Resolution::kHour;
    if (bucket < kMinuteMs && fromMs >= nowMs - kRawKeepMs) {
        level = Resolution::kRaw;
    } else if (bucket < kHourMs && fromMs >= nowMs - kMinuteKeepMs) {
        level = Resolution::kMinute;
    }
    const int64_t own = level == Resolution::kRaw ? 0 : level == Resolution::kMinute ? kMinuteMs : kHourMs;
    // A bucket no longer than the level's own rows would only copy them.
    const int64_t readingMs = 2500;
    const int64_t grouped = bucket <= std::max(own, readingMs) ? 0 : bucket;
    return ReadLevel(item, level, fromMs, toMs, grouped);
}

CHistoryStore::SSeries CHistoryStore::ReadLevel(const SItem& item, Resolution resolution, int64_t fromMs,
                                                int64_t toMs, int64_t bucketMs) const {
    SSeries series;
    series.item = item;
    series.resolution = resolution;
    series.bucketMs = bucketMs;
    if (!m_db) return series;
    const bool raw = resolution == Resolution::kRaw;
    // Times of the aggregate tables are in seconds.
    const int64_t scale = raw ? 1 : 1000;
    const char* table = raw ? "raw" : resolution == Resolution::kMinute ? "minute" : "hour";
    std::string sql;
    if (raw) {
        // Buckets are stamped with their start, the same for every item of a read.
        sql = bucketMs > 0 ? "SELECT ?2 + (t - ?2) / ?4 * ?4 AS b, min(v), avg(v), max(v), count(*) FROM raw"
                             " WHERE item = ?1 AND t >= ?2 AND t < ?3 GROUP BY b ORDER BY b"
                           : "SELECT t, v, v, v, 1 FROM raw WHERE item = ?1 AND t >= ?2 AND t < ?3 ORDER BY t";
    } else {
        sql = std::string("SELECT ") + (bucketMs > 0 ? "?2 + (t - ?2) / ?4 * ?4" : "t") +
              " AS b, min(mn), CAST(sum(sm) AS REAL) / sum(n), max(mx), sum(n) FROM " + table +
              " WHERE item = ?1 AND t >= ?2 AND t < ?3 GROUP BY b ORDER BY b";
    }
    CStatement select(m_db, sql.c_str());
    if (!select.ok()) return series;
    const int64_t from = raw ? fromMs : FloorDiv(fromMs, 1000);
    const int64_t to = raw ? toMs : FloorDiv(toMs + 999, 1000);
    select.Bind(1, item.id).Bind(2, from).Bind(3, to);
    if (bucketMs > 0) select.Bind(4, std::max<int64_t>(bucketMs / scale, 1));
    while (select.Step() == SQLITE_ROW) {
        SPoint point;
        point.timeMs = select.Int(0) * scale;
        point.min = FromStored(select.Int(1));
        point.avg = select.Real(2) / 1000.0;
        point.max = FromStored(select.Int(3));
        point.count = select.Int(4);
        series.points.push_back(point);
    }
    return series;
}

std::vector<CHistoryStore::SEvent> CHistoryStore::Events(int64_t fromMs, int64_t toMs) const {
    std::vector<SEvent> events;
    if (!m_db) return events;
    CStatement select(m_db, "SELECT t, chip, item, name, kind, value FROM events WHERE t >= ?1 AND t < ?2 ORDER BY t, rowid");
    if (!select.ok()) return events;
    select.Bind(1, fromMs).Bind(2, toMs);
    while (select.Step() == SQLITE_ROW) {
        events.push_back({select.Int(0), select.Text(1), select.Text(2), select.Text(3), select.Text(4), select.OptionalReal(5)});
    }
    return events;
}

int64_t CHistoryStore::FileBytes() const {
    if (!m_db) return 0;
    CStatement pages(m_db, "SELECT page_count * page_size FROM pragma_page_count(), pragma_page_size()");
    return pages.ok() && pages.Step() == SQLITE_ROW ? pages.Int(0) : 0;
}

bool CHistoryStore::SetAside(const std::string& path, const std::string& aside) {
    std::error_code ec;
    std::filesystem::rename(path, aside, ec);
    if (ec) return false;
    // A WAL left behind would be replayed into the new file.
    for (const char* suffix : {"-wal", "-shm"}) {
        std::error_code ignored;
        if (std::filesystem::exists(path + suffix, ignored)) std::filesystem::rename(path + suffix, aside + suffix, ignored);
    }
    return true;
}
