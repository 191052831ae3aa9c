#include "engine/CSettingsStore.h"

#include <cmath>
#include <optional>

#include "platform/CIniDocument.h"
#include "platform/CRegistryKey.h"
#include "platform/IPrivateProfile.h"

CSettingsStore CSettingsStore::InFile(IPrivateProfile& profile, std::string path, std::string section) {
    CSettingsStore store;
    store.m_profile = &profile;
    store.m_location = std::move(path);
    store.m_section = std::move(section);
    return store;
}

CSettingsStore CSettingsStore::InRegistry(CRegistryKey& registry, std::string key) {
    CSettingsStore store;
    store.m_registry = &registry;
    store.m_location = std::move(key);
    return store;
}

bool CSettingsStore::Exists() const {
    if (m_profile) return m_profile->CanOpen(m_location);
    return m_registry->KeyExists(m_location);
}

int32_t CSettingsStore::Int(std::string_view key, int32_t fileDefault) const {
    if (m_profile) return m_profile->GetInt(m_location, m_section, key, fileDefault);
    std::string text;
    if (!m_registry->ReadText(m_location, key, text)) return 0;
    return CIniDocument::ToInt(text, 0);
}

bool CSettingsStore::Bool(std::string_view key) const {
    if (m_profile) return m_profile->GetInt(m_location, m_section, key, 0) == 1;
    std::string text;
    return m_registry->ReadText(m_location, key, text) && text == "1";
}

std::string CSettingsStore::Text(std::string_view key) const {
    if (m_profile) return m_profile->GetString(m_location, m_section, key, "", 256);
    std::string text;
    if (!m_registry->ReadText(m_location, key, text)) return {};
    return text;
}

double CSettingsStore::Hundredths(std::string_view key) const { return Int(key, 0) * 0.01; }

void CSettingsStore::WriteText(std::string_view key, std::string_view text) {
    if (m_profile) {
        m_profile->WriteString(m_location, m_section, key, text);
    } else {
        m_registry->WriteText(m_location, key, text);
    }
}

void CSettingsStore::WriteInt(std::string_view key, int32_t value) { WriteText(key, std::to_string(value)); }

void CSettingsStore::WriteBool(std::string_view key, bool value) { WriteText(key, value ? "1" : "0"); }

void CSettingsStore::WriteHundredths(std::string_view key, double value) { WriteInt(key, ToHundredths(value)); }

int32_t CSettingsStore::ToHundredths(double value) {
    if (std::isnan(value)) return 0;
    double scaled = value * 100.0;
    constexpr double kLimit = 2147483647.0;
    if (scaled >= kLimit) return INT32_MAX;
    if (scaled <= -kLimit) return -INT32_MAX;
    const double nearest = std::round(scaled);
    if (std::fabs(scaled - nearest) < 1e-6) return static_cast<int32_t>(nearest);
    return static_cast<int32_t>(scaled);
}
