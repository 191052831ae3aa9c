// The profile store on real files. A write builds the whole new file in a
// temporary file beside the old one, flushes it to disk and renames it over
// the old one, so a crash at any moment leaves either the old or the new file.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/IPrivateProfile.h"

class CPrivateProfile : public IPrivateProfile {
public:
    // The final step of a write; replaced in tests to stand for a crash
    // before the rename. Returns true on success.
    using RenameFunction = std::function<bool(const std::string& from, const std::string& to)>;

    explicit CPrivateProfile(RenameFunction rename = {});

    int GetInt(const std::string& path, std::string_view section, std::string_view key,
               int defaultValue) const override;
    std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view defaultValue, std::size_t bufferSize = 256) const override;
    bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override;
    bool CanOpen(const std::string& path) const override;

private:
    // The bytes of a regular file, or nothing when it cannot be read.
    static std::optional<std::string> ReadFile(const std::string& path);

    RenameFunction m_rename;
};
