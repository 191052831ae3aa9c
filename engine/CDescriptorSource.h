// Where an item's descriptor values come from: the item's section of a
// descriptor file, or the item's Default registry key, whose 4-byte values
// contribute their low byte. A missing value reads as 0 in both.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CRegistryKey;
class IPrivateProfile;

class CDescriptorSource {
public:
    static CDescriptorSource FromFile(const IPrivateProfile& profile, std::string path, std::string section);
    static CDescriptorSource FromRegistry(const CRegistryKey& registry, std::string key);

    // The file can be opened for reading, or the key exists.
    bool IsAvailable() const;
    uint8_t Get(std::string_view name) const;

private:
    CDescriptorSource() = default;

    const IPrivateProfile* m_profile = nullptr;
    const CRegistryKey* m_registry = nullptr;
    std::string m_location;  // file path or registry key
    std::string m_section;
};
