#include "engine/CDescriptorSource.h"

#include "platform/CRegistryKey.h"
#include "platform/IPrivateProfile.h"

CDescriptorSource CDescriptorSource::FromFile(const IPrivateProfile& profile, std::string path, std::string section) {
    CDescriptorSource source;
    source.m_profile = &profile;
    source.m_location = std::move(path);
    source.m_section = std::move(section);
    return source;
}

CDescriptorSource CDescriptorSource::FromRegistry(const CRegistryKey& registry, std::string key) {
    CDescriptorSource source;
    source.m_registry = &registry;
    source.m_location = std::move(key);
    return source;
}

bool CDescriptorSource::IsAvailable() const {
    if (m_profile) return m_profile->CanOpen(m_location);
    return m_registry->KeyExists(m_location);
}

uint8_t CDescriptorSource::Get(std::string_view name) const {
    if (m_profile) return static_cast<uint8_t>(m_profile->GetInt(m_location, m_section, name, 0));
    uint32_t value = 0;
    if (!m_registry->ReadNumber(m_location, name, value)) return 0;
    return static_cast<uint8_t>(value & 0xFF);
}
