// The monitoring engine: the eighteen sensor items, the access library
// binding and the chip accessor. It detects the chip, loads the descriptor and
// the settings of every item, reads all items on every tick, and hands the
// chip back as its first driver found it (CChipRestorer): the bits it changes
// are kept before their first change and put back by the last driver out.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/CAccessLibrary.h"
#include "engine/CChipRestorer.h"
#include "engine/CEngineSeams.h"
#include "engine/CItemServices.h"
#include "engine/CMonitorChip.h"
#include "engine/CRegisterField.h"
#include "engine/CSmartFanItem.h"
#include "engine/CTempItem.h"
#include "engine/CVoltItem.h"

class IReadingObserver;
class IShutdownObserver;

class CHardwareMonitor {
public:
    // Item array layout: VOLT1..VOLT10, TEMP1..TEMP3, FAN1..FAN5.
    static constexpr int kItemCount = 18;
    static constexpr int kVoltCount = 10;
    static constexpr int kTempCount = 3;
    static constexpr int kFanCount = 5;
    static constexpr int kFirstTemp = 10;
    static constexpr int kFirstFan = 13;

    // Builds and attaches the items, then connects (Connect).
    explicit CHardwareMonitor(const CEngineSeams& seams);
    // Builds and attaches the items without reaching the access library or
    // the chip, so that Connect can run on the thread that is to own the
    // chip. Until then no item reads anything and ChipSetType answers
    // kChipSetDirect.
    struct DeferConnect {};
    CHardwareMonitor(const CEngineSeams& seams, DeferConnect);
    // Loads the access library through the loader, loads the driver and
    // detects the chip. Only a chip it identified (one with a descriptor) is
    // touched further: the engine joins the chip's drivers (CChipRestorer),
    // keeps the control registers as found and sets up the chip for
    // monitoring (0x40 bit 1 cleared, 0x4C bits 3-4 set to 1). Once: later
    // calls, and calls after ReleaseChip, do nothing.
    void Connect();
    bool IsConnected() const { return m_library != nullptr; }
    // ReleaseChip, then unloads the driver.
    ~CHardwareMonitor();
    CHardwareMonitor(const CHardwareMonitor&) = delete;
    CHardwareMonitor& operator=(const CHardwareMonitor&) = delete;

    // Where defaults/descriptors and preferences live; set before SetPaths.
    void SetUseDefaultFiles(bool use) { m_useDefaultFiles = use; }
    bool UseDefaultFiles() const { return m_useDefaultFiles; }
    void SetUsePreferenceFile(bool use) { m_usePreferenceFile = use; }
    bool UsePreferenceFile() const { return m_usePreferenceFile; }

    // Builds the file paths and registry key roots of the board sub-path and
    // hands them, with the two switches, to every item. The defaults file is
    // the board's "def.ini", or, for a chip with a wiring of its own (see
    // CMonitorChip::BoardDefaultsFileForChipId), the board's file of that
    // name when it exists ("W83781Ddef.ini").
    void SetPaths(const std::string& boardSubPath);
    bool ArePathsSet() const { return m_pathsSet; }

    // Loads every item's descriptor and defaults, then the preferences, and
    // applies limits and beep bits to the chip. False before SetPaths (the
    // chip is not touched then), for a chip without a descriptor, or when a
    // descriptor or defaults source is missing.
    bool StartMonitoring();

    // Reads every item once (Smart Fan included), switches off as not
    // connected (CFanItem::MarkNotConnected) the fans that stand still at
    // their first true reading after a load, and powers the machine off
    // when an item's shutdown time has run out. The power-off is asked for
    // once; a request that was refused is repeated at most every
    // kPowerOffRetrySeconds while an item stays pending, never on every
    // tick (each request starts programs). Opens a new status pass on
    // the chip: the items' IsOutOfRange answers, until the next UpdateAll,
    // come from one read of each status register (see CMonitorChip).
    void UpdateAll();

    // Told about the power-off requests and refusals; null for none. Must
    // outlive the engine or be cleared first.
    void SetShutdownObserver(IShutdownObserver* observer) { m_shutdownObserver = observer; }
    // Told about failed readings, fans not connected and fans held at full
    // duty (once per episode); null for none. Must outlive the engine or be
    // cleared first.
    void SetReadingObserver(IReadingObserver* observer) { m_readingObserver = observer; }
    // An enabled, present item whose last reading failed.
    bool AnyReadingFailed() const;
    static constexpr int kPowerOffRetrySeconds = 60;
    // A power-off has been asked for in the current episode (an item is
    // pending), and whether that request was refused.
    bool IsPowerOffRequested() const { return m_powerOffRequestedAt != 0; }
    bool WasPowerOffRefused() const { return m_powerOffRefused; }

    // Item array access; null outside 0..17.
    CSensorItem* Item(int index);
    const CSensorItem* Item(int index) const;
    // By kind: Volt(0..9), Temp(0..2), Fan(0..4); null outside.
    CVoltItem* Volt(int index);
    CTempItem* Temp(int index);
    CSmartFanItem* Fan(int index);

    bool LoadAllDefaults();
    bool LoadAllPreferences();
    bool SaveAllPreferences();
    std::string GetDefaultIniPath() const { return m_defaultsFilePath; }

    // The snapshot around a system suspend: limits, beep switches, divisors.
    // RestoreSettings without a RememberSettings before it does nothing.
    void RememberSettings();
    void RestoreSettings();

    // Who owns the chip, as the access library says (kChipSetDirect, or a
    // kernel driver's ownership: kChipSetDriverOwned, ...ReadOnly, ...Gone).
    int16_t ChipSetType() const { return m_library ? m_library->ChipSetType() : kChipSetDirect; }

    // The chip's global beep switch (bit 7 of 0x57).
    void SetGlobalBeep(bool on);

    // Hands the chip back: the last of its drivers restores every register
    // kept as found (fan duties first, the bank register last) and marks the
    // chip as released (1 into 0x4B bits 0-1); a driver leaving while others
    // live writes nothing. Afterwards UpdateAll reads nothing. Called before
    // slow work on the way out; the destructor calls it too.
    void ReleaseChip();
    bool IsChipReleased() const { return m_chipReleased; }
    // Detection found a chip with a descriptor.
    bool IsChipIdentified() const { return m_identified; }
    const CChipRestorer& Restorer() const { return m_restorer; }

    bool IsDriverLoaded() const { return m_driverLoaded; }
    uint8_t ChipId() const { return m_chip.ChipId(); }
    CMonitorChip& Chip() { return m_chip; }
    // Program directory + "/" + the descriptor file of the chip.
    std::string DescriptorPath() const;
    const std::string& BoardSubPath() const { return m_boardSubPath; }
    const std::string& PreferencesFilePath() const { return m_preferencesFilePath; }
    const std::string& DefaultKeyRoot() const { return m_defaultKeyRoot; }
    const std::string& PreferenceKeyRoot() const { return m_preferenceKeyRoot; }
    bool IsFirstUpdatePending() const { return m_firstUpdatePending; }

    // The registry path every key root starts with.
    static constexpr const char* kRegistryBase = "Software\\Dravik\\HardwareMonitor\\";

private:
    struct SavedItemSettings {
        double hiLimit = 0.0;
        double loLimit = 0.0;
        bool beepEnable = false;
        uint8_t divisor = 0;
    };

    void LinkFansToReferences();
    // Items sharing one status bit cannot tell from it which of them is out
    // of range: their readings decide.
    void MarkSharedStatusBits();
    // The fan rule of the first reading, and the episodes the observer
    // hears of.
    void AfterItemUpdate(int index);
    void ArmFirstReadings();
    void PowerOffMachine(const CSensorItem& item);
    // A descriptor that describes no input at all (empty, garbage) or a
    // defaults file with no section of a present item is no chip's.
    bool HasUsableDescriptions() const;

    CEngineSeams m_seams;
    CItemServices m_services;
    std::array<std::unique_ptr<CVoltItem>, kVoltCount> m_volts;
    std::array<std::unique_ptr<CTempItem>, kTempCount> m_temps;
    std::array<std::unique_ptr<CSmartFanItem>, kFanCount> m_fans;
    std::array<CSensorItem*, kItemCount> m_items{};
    std::unique_ptr<CAccessLibrary> m_library;
    CMonitorChip m_chip;
    CChipRestorer m_restorer;
    bool m_driverLoaded = false;
    bool m_identified = false;
    bool m_chipReleased = false;

    bool m_useDefaultFiles = true;
    bool m_usePreferenceFile = true;
    std::string m_boardSubPath;
    std::string m_defaultsFilePath;
    std::string m_preferencesFilePath;
    std::string m_defaultKeyRoot;
    std::string m_preferenceKeyRoot;
    bool m_pathsSet = false;
    bool m_firstUpdatePending = true;

    CRegisterField m_field4B;
    CRegisterField m_field40;
    CRegisterField m_field4C;

    IShutdownObserver* m_shutdownObserver = nullptr;
    IReadingObserver* m_readingObserver = nullptr;
    // Per item: the failure, not-connected and held-at-full-duty states the
    // observer was last told of; per fan: its first true reading is still
    // to come.
    std::array<bool, kItemCount> m_failureReported{};
    std::array<bool, kFanCount> m_notConnectedReported{};
    std::array<bool, kFanCount> m_heldReported{};
    std::array<bool, kFanCount> m_firstReadingPending{};
    int64_t m_powerOffRequestedAt = 0;  // clock ticks of the last request; 0 when none in this episode
    bool m_powerOffRefused = false;

    std::array<SavedItemSettings, kItemCount> m_snapshot{};
    bool m_snapshotTaken = false;
};
