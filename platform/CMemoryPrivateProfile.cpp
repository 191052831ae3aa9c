#include "platform/CMemoryPrivateProfile.h"

#include "platform/CIniDocument.h"

std::string CMemoryPrivateProfile::FileText(const std::string& path) const {
    auto it = m_files.find(path);
    return it == m_files.end() ? std::string() : it->second;
}

int CMemoryPrivateProfile::GetInt(const std::string& path, std::string_view section, std::string_view key,
                                  int defaultValue) const {
    auto it = m_files.find(path);
    if (it == m_files.end()) return defaultValue;
    return CIniDocument::ToInt(CIniDocument(it->second).Find(section, key), defaultValue);
}

std::string CMemoryPrivateProfile::GetString(const std::string& path, std::string_view section,
                                             std::string_view key, std::string_view defaultValue,
                                             std::size_t bufferSize) const {
    auto it = m_files.find(path);
    std::optional<std::string> value;
    if (it != m_files.end()) value = CIniDocument(it->second).Find(section, key);
    return CIniDocument::ToBuffer(value, defaultValue, bufferSize);
}

bool CMemoryPrivateProfile::WriteString(const std::string& path, std::string_view section, std::string_view key,
                                        std::string_view value) {
    if (path.empty() || !CIniDocument::CanStore(section, key, value)) return false;
    CIniDocument document(FileText(path));
    document.Set(section, key, value);
    m_files[path] = document.Text();
    ++m_writes;
    return true;
}
