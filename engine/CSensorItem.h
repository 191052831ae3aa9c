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
class CSettingsStore;
class IAsFoundKeeper;

class CSensorItem {
public:
    explicit CSensorItem(const CItemServices& services);
    virtual ~CSensorItem() = default;
    CSensorItem(const CSensorItem&) = delete;
    CSensorItem& operator=(const CSensorItem&) = delete;

    // Read the chip, convert, store the value, run the shutdown timer. A
    // disabled item reads nothing and keeps its value.
    virtual void Update() {}
    // Write the limits of an enabled item into the chip's limit registers.
    virtual void WriteLimits() {}
    // Settings from the given defaults file (a missing file gives the file
    // defaults), or from the Default key when file is empty (false when that
    // key is missing).
    virtual bool LoadDefaults(const std::string& file);
    // The register fields from the descriptor file (with UseDefaultFiles) or
    // from the item's Default key.
    virtual bool LoadDescriptor(const std::string& file);
    // Defaults (defaults true) or preferences (false), from file when the
    // item's switch for that role says so, else from its registry key. False,
    // with nothing changed, when that file or key does not exist.
    virtual bool LoadSettings(bool defaults, const std::string& file);
    // Preferences into file (which must exist) or into the Preference key
    // (created when missing).
    virtual bool SaveSettings(const std::string& file);

    // The item's status bit in the chip. An item without a status register,
    // or switched off, is never out of range. Where the bit does not speak for this item
    // alone (it is shared with another item, or it latches and may still
    // hold a condition that has ended), a set bit counts only while the
    // item's own reading lies beyond its limits. An item whose reading
    // failed this tick, or whose status could not be read, keeps the
    // answer it last had: a failed transfer neither raises nor clears an
    // alarm.
    bool IsOutOfRange() const;
    // The status bit is confirmed by the reading (see IsOutOfRange); set by
    // the engine for shared bits, by the descriptor's "StatusLatched" key
    // for latching status registers.
    void SetStatusConfirmedByReading(bool confirm) { m_statusConfirmedByReading = confirm; }
    bool IsStatusConfirmedByReading() const { return m_statusConfirmedByReading || m_statusLatched; }
    // The item's beep-enable bit in the chip: cleared, or set to BeepEnable.
    // Chips whose beep bits are laid out otherwise (0x50, 0x51, 0x61) and
    // items without a beep register are left alone.
    void ClearBeepBit();
    void ApplyBeepBit();
    // ClearBeepBit, WriteLimits, ApplyBeepBit.
    void ApplyToChip();

    // Attaches the item and each of its register fields to the chip.
    virtual void Attach(CMonitorChip* chip);
    CMonitorChip* Chip() const { return m_chip; }
    // Told before the item first changes a register that is handed back at
    // the end (fan duties, input enables); none: nothing is kept.
    void SetAsFoundKeeper(IAsFoundKeeper* keeper) { m_asFoundKeeper = keeper; }

    // Whether the chip has this input at all (its descriptor gives it a
    // value register). An item that is not present stays switched off
    // whatever its settings say: it is never read, shown, logged, sent or in
    // alarm. Items are present until the engine finds otherwise.
    bool IsPresent() const { return m_present; }
    void SetPresent(bool present);
    // A value field with a register to read.
    bool HasValueRegister() const { return m_valueField.TotalBits() != 0 && m_valueField.IsPresent(); }

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
    // Switching off keeps BeepEnable in its saved copy and silences the
    // item; switching on brings it back. Both update the chip's beep bit.
    // An item that is not present cannot be switched on.
    void SetEnable(bool enable);
    bool IsBeepEnabled() const { return m_beepEnable; }
    // Sets BeepEnable and its saved copy, and the chip's beep bit.
    void SetBeepEnable(bool enable);
    bool SavedBeepEnable() const { return m_savedBeepEnable; }
    bool IsShutDownEnabled() const { return m_shutDownEnable; }
    // A change of the switch restarts the shutdown timer: a timer switched
    // back on while the item is out of range counts from its next reading,
    // never from a start time left over from before.
    void SetShutDownEnable(bool enable);
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
    // The last Update could not read the chip (a bus error, a lock held by
    // a peer beyond the wait, the chip service gone): there is no reading
    // for this tick, and Value is the last good one, not the present.
    bool IsReadFailed() const { return m_readFailed; }
    // A value that stands for the chip as it is now.
    bool HasReading() const { return m_enable && m_valueSet && !m_readFailed; }
    bool IsShutdownPending() const { return m_shutdownPending; }
    // Whole seconds until the shutdown timer runs out (0 once it has), or
    // -1 while it is idle: the item is in range, or its timer is off.
    int64_t ShutdownSecondsLeft() const;
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
    // The chip identification, or CMonitorChip::kUnknownChipId when detached.
    uint8_t ChipId() const;
    bool IsBeepLayoutSupported() const;

    // The last step of Update: an item out of range for ShutDownTime seconds
    // or more asks for a shutdown; one reading in range restarts the count.
    void RunShutdownTimer();
    void RestartShutdownTimer();

    // Reads and applies the keys of the item's kind (the common ones here).
    virtual void ReadSettings(const CSettingsStore& store);
    // Writes every key of the item's kind, in the order of the settings table.
    virtual void WriteSettings(CSettingsStore& store) const;
    // After a successful load of defaults or preferences.
    virtual void AfterSettingsLoaded(bool defaults);
    // After every SetEnable, with the chip's beep bit already in step.
    virtual void AfterEnableChanged() {}
    // Keeps the as-found bits of a field before the item first changes it.
    void KeepAsFound(const CRegisterField& field) const;

    void SetValue(double value) {
        m_value = value;
        m_valueSet = true;
    }
    // Brackets the transfers of one reading: Update takes a mark before it
    // reads, and ReadSucceededSince(mark) tells (and records in
    // IsReadFailed) whether all of them reached the chip.
    uint32_t TransferMark() const;
    bool ReadSucceededSince(uint32_t mark);
    // The item's own reading against its limits, in the item's units; used
    // where the status bit alone cannot tell (IsOutOfRange).
    virtual bool IsReadingBeyondLimits() const;

    // The item's descriptor source for a load, or nothing when the file
    // cannot be opened (UseDefaultFiles) or the Default key is missing.
    std::optional<CDescriptorSource> OpenDescriptor(const std::string& file) const;
    // The keys every item reads: Value, limits, Beep and Status fields.
    void LoadCommonDescriptor(const CDescriptorSource& source);
    // One field from the nine keys prefix + "TotalBits" ... prefix + "StartBit2".
    static void LoadFieldGroup(const CDescriptorSource& source, std::string_view prefix, CRegisterField& field);

    CItemServices m_services;
    CMonitorChip* m_chip = nullptr;
    IAsFoundKeeper* m_asFoundKeeper = nullptr;
    bool m_present = true;

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
    bool m_readFailed = false;
    bool m_statusConfirmedByReading = false;
    bool m_statusLatched = false;
    mutable bool m_lastOutOfRange = false;

    bool m_shutdownPending = false;
    int64_t m_outOfRangeStart = 0;  // performance-counter ticks; 0 while the timer is idle
    int64_t m_counterFrequency = 0;
    bool m_enabledByDefault = false;
};
