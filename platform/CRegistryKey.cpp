#include "platform/CRegistryKey.h"

#include <sqlite3.h>

#include <vector>

namespace {

// "\\A\\\\B\\" and "A\\B" name the same key: empty components are dropped.
std::vector<std::string> SplitKey(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string JoinKey(const std::vector<std::string>& parts, std::size_t count) {
    std::string joined;
    for (std::size_t i = 0; i < count; ++i) {
        if (i) joined += '\\';
        joined += parts[i];
    }
    return joined;
}

// A prepared statement that finalises itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool Ok() const { return m_stmt != nullptr; }
    void Bind(int index, std::string_view text) {
        sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void Bind(int index, int64_t n) { sqlite3_bind_int64(m_stmt, index, n); }
    void BindBlob(int index, const void* data, std::size_t size) {
        sqlite3_bind_blob(m_stmt, index, data, static_cast<int>(size), SQLITE_TRANSIENT);
    }
    int Step() { return sqlite3_step(m_stmt); }
    sqlite3_stmt* Get() { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

bool Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

constexpr const char* kSelectValue =
    "SELECT type, data FROM registry_values WHERE root = ?1 AND path = ?2 AND name = ?3";

// Steps st, a kSelectValue query, to value `name` of subKey under root; true
// when that value exists with the given type, its data then in column 1.
bool FindValue(Statement& st, std::string_view root, std::string_view subKey, std::string_view name, int type) {
    if (!st.Ok()) return false;
    std::vector<std::string> parts = SplitKey(subKey);
    st.Bind(1, root);
    st.Bind(2, JoinKey(parts, parts.size()));
    st.Bind(3, name);
    return st.Step() == SQLITE_ROW && sqlite3_column_int(st.Get(), 0) == type;
}

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS registry_keys("
    " root TEXT NOT NULL COLLATE NOCASE, path TEXT NOT NULL COLLATE NOCASE,"
    " PRIMARY KEY(root, path));"
    "CREATE TABLE IF NOT EXISTS registry_values("
    " root TEXT NOT NULL COLLATE NOCASE, path TEXT NOT NULL COLLATE NOCASE,"
    " name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB,"
    " PRIMARY KEY(root, path, name));";

}  // namespace

CRegistryKey::CRegistryKey(const std::string& hivePath, std::string rootName) : m_root(std::move(rootName)) {
    if (sqlite3_open_v2(hivePath.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close(m_db);
        m_db = nullptr;
        return;
    }
    // Other processes (the suite stand-in, a second instance) may hold the
    // hive for a moment; wait for them rather than fail.
    sqlite3_busy_timeout(m_db, 5000);
    // A settings save is a few hundred single-value transactions; with the
    // write-ahead log a commit needs no flush of its own, and a crash still
    // leaves every transaction whole or absent.
    Exec(m_db, "PRAGMA journal_mode=WAL");
    Exec(m_db, "PRAGMA synchronous=NORMAL");
    if (!Exec(m_db, kSchema)) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

CRegistryKey::~CRegistryKey() { sqlite3_close(m_db); }

bool CRegistryKey::KeyExists(std::string_view subKey) const {
    if (!m_db || m_root.empty()) return false;
    std::vector<std::string> parts = SplitKey(subKey);
    if (parts.empty()) return true;
    Statement st(m_db, "SELECT 1 FROM registry_keys WHERE root = ?1 AND path = ?2");
    if (!st.Ok()) return false;
    st.Bind(1, m_root);
    st.Bind(2, JoinKey(parts, parts.size()));
    return st.Step() == SQLITE_ROW;
}

bool CRegistryKey::ReadNumber(std::string_view subKey, std::string_view name, uint32_t& value) const {
    if (!m_db || m_root.empty()) return false;
    Statement st(m_db, kSelectValue);
    if (!FindValue(st, m_root, subKey, name, kRegDword)) return false;
    value = static_cast<uint32_t>(sqlite3_column_int64(st.Get(), 1));
    return true;
}

bool CRegistryKey::ReadText(std::string_view subKey, std::string_view name, std::string& text) const {
    text.clear();
    if (!m_db || m_root.empty()) return false;
    Statement st(m_db, kSelectValue);
    if (!FindValue(st, m_root, subKey, name, kRegSz)) return false;
    const void* data = sqlite3_column_blob(st.Get(), 1);
    int size = sqlite3_column_bytes(st.Get(), 1);
    // A value larger than the reader's buffer cannot be read, as with a
    // fixed 1024-byte buffer; it is not cut.
    if (size < 0 || static_cast<std::size_t>(size) > kMaxTextBytes) return false;
    if (data && size > 0) text.assign(static_cast<const char*>(data), static_cast<std::size_t>(size));
    return true;
}

bool CRegistryKey::WriteValue(std::string_view subKey, std::string_view name, int type, const void* data,
                              std::size_t size, bool isText) {
    if (!m_db || m_root.empty()) return false;
    std::vector<std::string> parts = SplitKey(subKey);
    if (!Exec(m_db, "BEGIN IMMEDIATE")) return false;
    bool ok = true;
    for (std::size_t n = 1; ok && n <= parts.size(); ++n) {
        Statement st(m_db, "INSERT OR IGNORE INTO registry_keys(root, path) VALUES(?1, ?2)");
        ok = st.Ok();
        if (!ok) break;
        st.Bind(1, m_root);
        st.Bind(2, JoinKey(parts, n));
        ok = st.Step() == SQLITE_DONE;
    }
    if (ok) {
        Statement st(m_db,
                     "INSERT INTO registry_values(root, path, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
                     "ON CONFLICT(root, path, name) DO UPDATE SET type = excluded.type, data = excluded.data");
        ok = st.Ok();
        if (ok) {
            st.Bind(1, m_root);
            st.Bind(2, JoinKey(parts, parts.size()));
            st.Bind(3, name);
            st.Bind(4, static_cast<int64_t>(type));
            if (isText) {
                st.BindBlob(5, size ? data : "", size);
            } else {
                st.Bind(5, static_cast<int64_t>(*static_cast<const uint32_t*>(data)));
            }
            ok = st.Step() == SQLITE_DONE;
        }
    }
    if (ok) ok = Exec(m_db, "COMMIT");
    if (!ok) Exec(m_db, "ROLLBACK");
    return ok;
}

bool CRegistryKey::WriteNumber(std::string_view subKey, std::string_view name, uint32_t value) {
    return WriteValue(subKey, name, kRegDword, &value, sizeof value, false);
}

bool CRegistryKey::WriteText(std::string_view subKey, std::string_view name, std::string_view text) {
    return WriteValue(subKey, name, kRegSz, text.data(), text.size(), true);
}

bool CRegistryKey::WriteNumberText(std::string_view subKey, std::string_view name, int value) {
    return WriteText(subKey, name, std::to_string(value));
}

bool CRegistryKey::DeleteValue(std::string_view subKey, std::string_view name) {
    if (!m_db || m_root.empty()) return false;
    std::vector<std::string> parts = SplitKey(subKey);
    Statement st(m_db, "DELETE FROM registry_values WHERE root = ?1 AND path = ?2 AND name = ?3");
    if (!st.Ok()) return false;
    st.Bind(1, m_root);
    st.Bind(2, JoinKey(parts, parts.size()));
    st.Bind(3, name);
    return st.Step() == SQLITE_DONE && sqlite3_changes(m_db) > 0;
}
