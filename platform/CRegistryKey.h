// Registry access under one root key, over a registry hive kept in an SQLite
// database file. Key paths use "\" as the separator and are compared without
// case, as are value names. Every operation is one transaction of its own, so
// several processes can share one hive.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;

inline constexpr const char* kHkeyLocalMachine = "HKEY_LOCAL_MACHINE";

class CRegistryKey {
public:
    // Opens (and if needed creates) the hive file. An empty root, or a hive
    // that cannot be opened, makes every operation return false.
    CRegistryKey(const std::string& hivePath, std::string rootName);
    ~CRegistryKey();
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    void SetRoot(std::string rootName) { m_root = std::move(rootName); }
    const std::string& Root() const { return m_root; }
    bool IsOpen() const { return m_db != nullptr; }

    // True when the sub-key exists (the root itself, "", always does).
    bool KeyExists(std::string_view subKey) const;
    // A REG_DWORD value.
    bool ReadNumber(std::string_view subKey, std::string_view name, uint32_t& value) const;
    // A REG_SZ value of at most kMaxTextBytes bytes; text is empty on failure.
    bool ReadText(std::string_view subKey, std::string_view name, std::string& text) const;
    // Writes create the key and every missing parent.
    bool WriteNumber(std::string_view subKey, std::string_view name, uint32_t value);
    bool WriteText(std::string_view subKey, std::string_view name, std::string_view text);
    // WriteText of the number in "%d".
    bool WriteNumberText(std::string_view subKey, std::string_view name, int value);
    // Removes one value; false when it does not exist.
    bool DeleteValue(std::string_view subKey, std::string_view name);

    static constexpr std::size_t kMaxTextBytes = 1024;
    static constexpr int kRegSz = 1;
    static constexpr int kRegDword = 4;

private:
    bool WriteValue(std::string_view subKey, std::string_view name, int type, const void* data,
                    std::size_t size, bool isText);

    sqlite3* m_db = nullptr;
    std::string m_root;
};
