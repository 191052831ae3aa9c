// Integer and string reads and string writes on one preferences file, through
// the profile store. Holds only the file's path and the store.
#pragma once

#include <string>
#include <string_view>

#include "platform/IPrivateProfile.h"

class CIniFile {
public:
    // The store must outlive this object.
    CIniFile(std::string path, IPrivateProfile& profile) : m_strPath(std::move(path)), m_profile(profile) {}

    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    // At most 255 characters, as a 256-character buffer holds them.
    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // Always true: a write that fails is not reported to anyone.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

    const std::string& Path() const { return m_strPath; }

    static constexpr std::size_t kStringBuffer = 256;

private:
    std::string m_strPath;
    IPrivateProfile& m_profile;
};
