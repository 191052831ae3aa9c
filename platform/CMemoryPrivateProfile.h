// Test double of the profile store: files are texts in memory, with the same
// lookup and editing rules as the real store.
#pragma once

#include <map>
#include <string>

#include "platform/IPrivateProfile.h"

class CMemoryPrivateProfile : public IPrivateProfile {
public:
    void SetFile(const std::string& path, std::string text) { m_files[path] = std::move(text); }
    void RemoveFile(const std::string& path) { m_files.erase(path); }
    bool HasFile(const std::string& path) const { return m_files.count(path) != 0; }
    // The file's text, empty when it does not exist.
    std::string FileText(const std::string& path) const;
    int WriteCount() const { return m_writes; }

    int GetInt(const std::string& path, std::string_view section, std::string_view key,
               int defaultValue) const override;
    std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view defaultValue, std::size_t bufferSize = 256) const override;
    bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override;
    bool CanOpen(const std::string& path) const override { return HasFile(path); }

private:
    std::map<std::string, std::string> m_files;
    int m_writes = 0;
};
