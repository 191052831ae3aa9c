// The base of the eighteen sensor items: the register fields of one reading,
// its limits, beep-enable and status bits, and the user's settings for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/CDescriptorSource.h"
#include "engine/CItemServices.h"
#include "engine/CRegisterField.h"

class CMonitorChip;

class CSensorItem {
public:
    explicit CSensorItem(const CItemServices& services);
    virtual ~CSensorItem() = default;
    CSensorItem(const CSensorItem&) = delete;
    CSensorItem& operator=(const CSensorItem&) = delete;

    // Read the chip, convert, store the value, run the shutdown timer.
    virtual void Update() {}
    // Write the limits into the chip's limit registers.
    virtual void WriteLimits() {}
    // Settings from the given defaults file, or from the Default key when
    // file is empty.
    virtual bool LoadDefaults(const std::string& file);
    // The register fields from the descriptor file (with UseDefaultFiles) or
    // from the item's Default key.
    virtual bool LoadDescriptor(const std::string& file);
    // Defaults (defaults true) or preferences (false).
    virtual bool LoadSettings(bool defaults, const std::string& file);
    virtual bool SaveSettings(const std::string& file);

    // Attaches the item and each of its register fields to the chip.
    virtual void Attach(CMonitorChip* chip);
    CMonitorChip* Chip() const { return m_chip; }

    // Where the item's settings live, set by the engine's SetPaths.
    void SetSectionName(std::string section);
    const std::string& SectionName() const { return m_sectionName; }
    bool IsSectionNameSet() const { return m_sectionNameSet; }
    void SetDefaultKey(std::string key);
    const std::string& DefaultKey() const { return m_defaultKey; }
    bool IsDefaultKeySet() const { return m_defaultKeySet; }
    void SetPreferenceKey(std::string key);
    const std::string& PreferenceKey() const { return m_preferenceKey; }
    bool IsPreferenceKeySet() const { return m_preferenceKeySet; }
    void SetUseDefaultFiles(bool use) { m_useDefaultFiles = use; }
    bool UseDefaultFiles() const { return m_useDefaultFiles; }
    void SetUsePreferenceFile(bool use) { m_usePreferenceFile = use; }
    bool UsePreferenceFile() const { return m_usePreferenceFile; }

    const std::string& Name() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    bool IsEnabled() const { return m_enable; }
    void SetEnable(bool enable);
    bool IsBeepEnabled() const { return m_beepEnable; }
    void SetBeepEnable(bool enable);
    bool SavedBeepEnable() const { return m_savedBeepEnable; }
    bool IsShutDownEnabled() const { return m_shutDownEnable; }
    void SetShutDownEnable(bool enable) { m_shutDownEnable = enable; }
    int32_t ShutDownTime() const { return m_shutDownTime; }
    void SetShutDownTime(int32_t seconds) { m_shutDownTime = seconds; }

    double HiLimit() const { return m_hiLimit; }
    double LoLimit() const { return m_loLimit; }
    void SetLimits(double hi, double lo);
    bool AreLimitsSet() const { return m_limitsSet; }
    double HiBound() const { return m_hiBound; }
    double LoBound() const { return m_loBound; }
    void SetBounds(double hi, double lo);
    bool AreBoundsSet() const { return m_boundsSet; }

    double Value() const { return m_value; }
    bool IsValueSet() const { return m_valueSet; }
    bool IsShutdownPending() const { return m_shutdownPending; }
    int64_t OutOfRangeStart() const { return m_outOfRangeStart; }
    int64_t CounterFrequency() const { return m_counterFrequency; }
    bool EnabledByDefault() const { return m_enabledByDefault; }

    CRegisterField& ValueField() { return m_valueField; }
    const CRegisterField& ValueField() const { return m_valueField; }
    CRegisterField& HiLimitField() { return m_hiLimitField; }
    const CRegisterField& HiLimitField() const { return m_hiLimitField; }
    CRegisterField& LoLimitField() { return m_loLimitField; }
    const CRegisterField& LoLimitField() const { return m_loLimitField; }
    CRegisterField& BeepField() { return m_beepField; }
    const CRegisterField& BeepField() const { return m_beepField; }
    CRegisterField& StatusField() { return m_statusField; }
    const CRegisterField& StatusField() const { return m_statusField; }

protected:
    const CItemServices& Services() const { return m_services; }

    void SetValue(double value) {
        m_value = value;
        m_valueSet = true;
    }

    // The item's descriptor source for a load, or nothing when the file
    // cannot be opened (UseDefaultFiles) or the Default key is missing.
    std::optional<CDescriptorSource> OpenDescriptor(const std::string& file) const;
    // The keys every item reads: Value, limits, Beep and Status fields.
    void LoadCommonDescriptor(const CDescriptorSource& source);
    // One field from the nine keys prefix + "TotalBits" ... prefix + "StartBit2".
    static void LoadFieldGroup(const CDescriptorSource& source, std::string_view prefix, CRegisterField& field);

    CItemServices m_services;
    CMonitorChip* m_chip = nullptr;

    CRegisterField m_valueField;
    CRegisterField m_hiLimitField;
    CRegisterField m_loLimitField;
    CRegisterField m_beepField;
    CRegisterField m_statusField;

    std::string m_sectionName;
    bool m_sectionNameSet = false;
    std::string m_defaultKey;
    bool m_defaultKeySet = false;
    std::string m_preferenceKey;
    bool m_preferenceKeySet = false;
    bool m_useDefaultFiles = true;
    bool m_usePreferenceFile = true;

    std::string m_name;
    bool m_enable = false;
    bool m_beepEnable = false;
    bool m_savedBeepEnable = false;
    bool m_shutDownEnable = false;
    int32_t m_shutDownTime = 30;

    double m_hiLimit = 0.0;
    double m_loLimit = 0.0;
    bool m_limitsSet = false;
    double m_hiBound = 0.0;
    double m_loBound = 0.0;
    bool m_boundsSet = false;

    double m_value = 0.0;
    bool m_valueSet = false;

    bool m_shutdownPending = false;
    int64_t m_outOfRangeStart = 0;  // performance-counter ticks; 0 while the timer is idle
    int64_t m_counterFrequency = 0;
    bool m_enabledByDefault = false;
};
