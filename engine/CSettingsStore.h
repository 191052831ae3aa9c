// One place an item's settings live: a section of a settings file (through
// the profile store) or the item's registry key. Both hold the same keys in
// different formats: a file holds numbers read with the profile integer
// reader (a missing key gives the caller's default) and a boolean is true only
// when it reads exactly 1; the registry holds every value as a string, a
// boolean is true only for the string "1", a number is the decimal value of
// its string (0 when missing or not a number) and a missing text is empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CRegistryKey;
class IPrivateProfile;

class CSettingsStore {
public:
    static CSettingsStore InFile(IPrivateProfile& profile, std::string path, std::string section);
    static CSettingsStore InRegistry(CRegistryKey& registry, std::string key);

    bool IsFile() const { return m_profile != nullptr; }
    // The file can be opened for reading, or the key exists.
    bool Exists() const;

    // fileDefault applies to a missing key in a file only.
    int32_t Int(std::string_view key, int32_t fileDefault) const;
    bool Bool(std::string_view key) const;
    std::string Text(std::string_view key) const;
    // Hundredths of a unit, as limits and bounds are kept.
    double Hundredths(std::string_view key) const;

    // Write errors are not reported: a save fails only for a missing file,
    // which the caller checks first.
    void WriteInt(std::string_view key, int32_t value);
    void WriteBool(std::string_view key, bool value);
    void WriteText(std::string_view key, std::string_view text);
    void WriteHundredths(std::string_view key, double value);

    // The whole hundredths of value, truncated toward zero. A value that
    // is a whole number of hundredths but carries binary rounding error (0.29
    // x 100 = 28.999...) keeps its hundredths, so that a load and a save never
    // lower a limit by one.
    static int32_t ToHundredths(double value);

private:
    CSettingsStore() = default;

    IPrivateProfile* m_profile = nullptr;
    CRegistryKey* m_registry = nullptr;
    std::string m_location;  // file path or registry key
    std::string m_section;
};
