#include "windows/CIniFile.h"

int CIniFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const
{
    return m_profile.GetInt(m_strPath, section, key, defaultValue);
}

std::string CIniFile::GetString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const
{
    return m_profile.GetString(m_strPath, section, key, defaultValue, kStringBuffer);
}

bool CIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    m_profile.WriteString(m_strPath, section, key, value);
    return true;
}
