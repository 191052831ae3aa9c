#include "engine/CHardwareMonitor.h"

#include <algorithm>
#include <cstdio>

#include "engine/COSVersion.h"
#include "engine/IReadingObserver.h"
#include "engine/IShutdownObserver.h"
#include "platform/IChipLock.h"
#include "platform/IClock.h"
#include "platform/CProfileReadPass.h"
#include "platform/CProfileWritePass.h"
#include "platform/IPowerOff.h"
#include "platform/IPrivateProfile.h"

namespace {

// The control registers the engine changes while it runs, all in bank 0.
constexpr uint8_t kRegisterSemaphore = 0x4B;  // bits 0-1: which program drives the chip
constexpr uint8_t kRegisterConfig = 0x40;     // bit 1: interrupt clear
constexpr uint8_t kRegisterBeep1 = 0x56;
constexpr uint8_t kRegisterBeep2 = 0x57;      // bit 7: global beep enable
constexpr uint8_t kRegisterFanConfig = 0x4C;  // bits 3-4
constexpr uint8_t kGlobalBeepBit = 0x80;

const char* const kItemNames[CHardwareMonitor::kItemCount] = {
    "VOLT1", "VOLT2", "VOLT3", "VOLT4", "VOLT5", "VOLT6", "VOLT7", "VOLT8", "VOLT9",
    "VOLT10", "TEMP1", "TEMP2", "TEMP3", "FAN1", "FAN2", "FAN3", "FAN4", "FAN5"};

// The as-found record lives beside the chip lock, one per chip. The chip is
// the one behind the access library of the program directory (a simulated
// chip keeps its state there), so the directory is part of the name: drivers
// of different directories sharing one lock never share a record.
std::string AsFoundRecordBase(const CEngineSeams& seams) {
    const std::string& lock = seams.lock.Path();
    if (lock.empty()) return {};
    uint32_t hash = 2166136261u;  // FNV-1a
    for (const unsigned char c : seams.programDirectory) hash = (hash ^ c) * 16777619u;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", hash);
    return lock + suffix;
}

}  // namespace

CHardwareMonitor::CHardwareMonitor(const CEngineSeams& seams) : CHardwareMonitor(seams, DeferConnect{}) { Connect(); }

CHardwareMonitor::CHardwareMonitor(const CEngineSeams& seams, DeferConnect)
    : m_seams(seams),
      m_services{seams.profile, seams.registry, seams.clock},
      m_chip(seams.lock, seams.messageBox),
      m_restorer(m_chip, AsFoundRecordBase(seams), seams.lock.Path() + ".asfound.lock") {
    for (auto& item : m_volts) item = std::make_unique<CVoltItem>(m_services);
    for (auto& item : m_temps) item = std::make_unique<CTempItem>(m_services);
    for (auto& item : m_fans) item = std::make_unique<CSmartFanItem>(m_services);
    m_firstReadingPending.fill(true);

    for (int i = 0; i < kVoltCount; ++i) m_items[i] = m_volts[i].get();
    for (int i = 0; i < kTempCount; ++i) m_items[kFirstTemp + i] = m_temps[i].get();
    for (int i = 0; i < kFanCount; ++i) m_items[kFirstFan + i] = m_fans[i].get();
    // Until Connect the chip has no library: an item's transfer fails
    // without reaching anything.
    for (CSensorItem* item : m_items) {
        item->Attach(&m_chip);
        item->SetAsFoundKeeper(&m_restorer);
    }

    m_field4B.Define(2, 0, kRegisterSemaphore, 2, 0, 0, 0, 0, 0);
    m_field40.Define(1, 0, kRegisterConfig, 1, 1, 0, 0, 0, 0);
    m_field4C.Define(2, 0, kRegisterFanConfig, 2, 3, 0, 0, 0, 0);
    for (CRegisterField* field : {&m_field4B, &m_field40, &m_field4C}) field->Attach(&m_chip);
}

void CHardwareMonitor::Connect() {
    // Once; and an engine that has handed the chip back does not take it
    // again.
    if (m_library || m_chipReleased) return;
    m_library = std::make_unique<CAccessLibrary>(m_seams.loader);
    m_driverLoaded = m_library->LoadDriver();

    // The identification is only looked at when monitoring starts: a chip
    // that is not found ends there, with no descriptor to load.
    m_chip.AttachLibrary(m_library.get());
    // Joined before detection, which selects a bank: a driver killed at any
    // moment after it leaves the bank register as found in the record.
    m_restorer.Join();
    const bool detected = m_chip.DetectChip();
    // Whatever answers without a descriptor is no chip this engine knows:
    // none of its registers are changed.
    m_identified = detected && *CMonitorChip::DescriptorFileForChipId(m_chip.ChipId()) != '\0';

    if (!m_identified) {
        // Detection had to select bank 0 and toggle bit 7 of the bank
        // register to read the vendor bytes: that much is put back.
        m_restorer.Abandon(m_chip.IsBankRegisterAsFoundKnown() ? std::optional<uint8_t>(m_chip.BankRegisterAsFound())
                                                                : std::nullopt);
        return;
    }
    m_restorer.TakeOver();
    m_restorer.KeepField(m_field40);
    m_restorer.Keep(0, kRegisterBeep1, 0xFF);
    m_restorer.Keep(0, kRegisterBeep2, 0xFF);
    m_restorer.KeepField(m_field4C);
    m_field40.Write(0);
    m_field4C.Write(1);
}

CHardwareMonitor::~CHardwareMonitor() {
    ReleaseChip();
    if (m_driverLoaded) m_library->UnloadDriver();
}

void CHardwareMonitor::ReleaseChip() {
    if (m_chipReleased) return;
    m_chipReleased = true;
    if (!m_restorer.IsJoined()) return;
    if (m_restorer.BeginRelease()) {
        m_field4B.Write(1);
        m_restorer.EndRelease();
    }
}

void CHardwareMonitor::SetPaths(const std::string& boardSubPath) {
    m_boardSubPath = boardSubPath;
    std::string fileSubPath = boardSubPath;
    std::replace(fileSubPath.begin(), fileSubPath.end(), '\\', '/');
    const std::string directory = m_seams.programDirectory + "/";
    m_defaultsFilePath = directory + fileSubPath + "def.ini";
    // A chip wired its own way on the board (the first-generation parts'
    // inverting stages) takes its own defaults file where the board has one.
    if (const std::string chipDefaults = CMonitorChip::BoardDefaultsFileForChipId(m_chip.ChipId());
        m_identified && !chipDefaults.empty() && m_seams.profile.CanOpen(directory + fileSubPath + chipDefaults)) {
        m_defaultsFilePath = directory + fileSubPath + chipDefaults;
    }
    m_preferencesFilePath = directory + fileSubPath + "save.ini";
    m_defaultKeyRoot = std::string(kRegistryBase) + boardSubPath + "Default";
    m_preferenceKeyRoot = std::string(kRegistryBase) + boardSubPath + "Preference";
    for (int i = 0; i < kItemCount; ++i) {
        CSensorItem* item = m_items[i];
        item->SetPreferenceKey(m_preferenceKeyRoot + "\\" + kItemNames[i]);
        item->SetDefaultKey(m_defaultKeyRoot + "\\" + kItemNames[i]);
        item->SetSectionName(kItemNames[i]);
        item->SetUseDefaultFiles(m_useDefaultFiles);
        item->SetUsePreferenceFile(m_usePreferenceFile);
    }
    m_pathsSet = true;
}

std::string CHardwareMonitor::DescriptorPath() const {
    // An identification without a descriptor leaves the directory itself,
    // which cannot be opened as a file.
    return m_seams.programDirectory + "/" + CMonitorChip::DescriptorFileForChipId(m_chip.ChipId());
}

bool CHardwareMonitor::StartMonitoring() {
    if (!m_pathsSet) return false;
    // Every item reads its keys from the same two files: each is read once.
    const CProfileReadPass pass(m_seams.profile);
    // The start's transfers under one hold of the chip lock (a few
    // milliseconds, once): the bank register is read once, not per transfer.
    const CMonitorChip::LockHold hold(m_chip);
    if (m_identified && !m_chipReleased) m_field4B.Write(0);

    const std::string descriptor = DescriptorPath();
    const std::string& defaults = m_useDefaultFiles ? m_defaultsFilePath : m_defaultKeyRoot;
    bool loaded = true;
    for (CSensorItem* item : m_items) {
        if (!item->LoadDescriptor(descriptor)) {
            loaded = false;
            break;
        }
        // An input without a value register is not on this chip.
        item->SetPresent(item->HasValueRegister());
        if (!item->LoadSettings(true, defaults)) {
            loaded = false;
            break;
        }
    }
    loaded = loaded && HasUsableDescriptions();
    if (loaded) {
        LinkFansToReferences();
        MarkSharedStatusBits();
    }
    LoadAllPreferences();
    if (loaded) {
        for (CSensorItem* item : m_items) item->ApplyToChip();
    }
    return loaded;
}

bool CHardwareMonitor::HasUsableDescriptions() const {
    bool anyPresent = false;
    bool anyDefaults = !m_useDefaultFiles;
    for (int i = 0; i < kItemCount; ++i) {
        if (!m_items[i]->IsPresent()) continue;
        anyPresent = true;
        // A section of the defaults file names at least the item's switch.
        const std::string missing = "\x01";
        if (!anyDefaults &&
            m_seams.profile.GetString(m_defaultsFilePath, kItemNames[i], "Enable", missing) != missing) {
            anyDefaults = true;
        }
    }
    return anyPresent && anyDefaults;
}

void CHardwareMonitor::UpdateAll() {
    // After the chip was handed back nothing may change it again.
    if (m_chipReleased) return;
    // One status pass per tick: every status register is read once, and the
    // warnings that follow the tick see the same bytes.
    m_chip.BeginStatusPass();
    bool anyPending = false;
    for (int i = 0; i < kItemCount; ++i) {
        CSensorItem* item = m_items[i];
        {
            // An item's transfers under one hold of the chip lock: its bank is
            // selected once, and the lock taken once instead of per transfer.
            const CMonitorChip::LockHold hold(m_chip);
            item->Update();
        }
        AfterItemUpdate(i);
        if (item->IsShutdownPending()) {
            anyPending = true;
            PowerOffMachine(*item);
        }
    }
    m_firstUpdatePending = false;
    // Every item back in range, switched off or cancelled ends the episode.
    if (!anyPending) {
        m_powerOffRequestedAt = 0;
        m_powerOffRefused = false;
    }
}

void CHardwareMonitor::AfterItemUpdate(int index) {
    CSensorItem& item = *m_items[index];
    if (index >= kFirstFan) {
        const int f = index - kFirstFan;
        CSmartFanItem& fan = *m_fans[f];
        // A fan that does not turn at its first true reading after a load is
        // not connected; a failed reading is no reading, so the rule waits.
        if (m_firstReadingPending[f] && (!fan.IsEnabled() || fan.HasReading())) {
            m_firstReadingPending[f] = false;
            if (fan.IsEnabled() && fan.Value() == 0.0) fan.MarkNotConnected();
        }
        if (fan.IsNotConnected() != m_notConnectedReported[f]) {
            m_notConnectedReported[f] = fan.IsNotConnected();
            if (m_readingObserver) {
                if (fan.IsNotConnected()) m_readingObserver->FanNotConnected(fan);
                else m_readingObserver->FanConnected(fan);
            }
        }
        if (fan.IsHeldAtFullSpeed() != m_heldReported[f]) {
            m_heldReported[f] = fan.IsHeldAtFullSpeed();
            if (m_readingObserver) {
                if (fan.IsHeldAtFullSpeed()) m_readingObserver->FanHeldAtFullDuty(fan);
                else m_readingObserver->FanReleased(fan);
            }
        }
    }
    const bool failed = item.IsEnabled() && item.IsReadFailed();
    if (failed != m_failureReported[index]) {
        m_failureReported[index] = failed;
        if (m_readingObserver) {
            if (failed) m_readingObserver->ReadingFailed(item);
            else m_readingObserver->ReadingRestored(item);
        }
    }
}

bool CHardwareMonitor::AnyReadingFailed() const {
    return std::any_of(m_items.begin(), m_items.end(),
                       [](const CSensorItem* item) { return item->IsEnabled() && item->IsReadFailed(); });
}

void CHardwareMonitor::ArmFirstReadings() {
    m_firstUpdatePending = true;
    m_firstReadingPending.fill(true);
}

void CHardwareMonitor::MarkSharedStatusBits() {
    for (CSensorItem* item : m_items) {
        const CRegisterField& a = item->StatusField();
        bool shared = false;
        for (const CSensorItem* other : m_items) {
            const CRegisterField& b = other->StatusField();
            if (other == item || !other->IsPresent() || !b.IsPresent()) continue;
            if (a.Bank1() == b.Bank1() && a.Addr1() == b.Addr1() && (a.StartBit1() & 7) == (b.StartBit1() & 7)) {
                shared = true;
            }
        }
        item->SetStatusConfirmedByReading(shared && item->IsPresent() && a.IsPresent());
    }
}

void CHardwareMonitor::PowerOffMachine(const CSensorItem& item) {
    const int64_t now = m_seams.clock.Ticks();
    const int64_t frequency = std::max<int64_t>(1, m_seams.clock.TicksPerSecond());
    const bool first = m_powerOffRequestedAt == 0;
    if (!first && (!m_powerOffRefused || (now - m_powerOffRequestedAt) / frequency < kPowerOffRetrySeconds)) return;
    if (first && m_shutdownObserver) m_shutdownObserver->PowerOffRequested(item);
    // A tick count of 0 would read as "no request yet".
    m_powerOffRequestedAt = now != 0 ? now : 1;
    COSVersion os(m_seams.powerOff);
    const bool accepted = os.ShutDownSystem();
    if (!accepted && !m_powerOffRefused) {
        m_powerOffRefused = true;
        if (m_shutdownObserver) m_shutdownObserver->PowerOffRefused(item, m_seams.powerOff.RefusalText());
    }
    if (accepted) m_powerOffRefused = false;
}

CSensorItem* CHardwareMonitor::Item(int index) {
    return index >= 0 && index < kItemCount ? m_items[index] : nullptr;
}

const CSensorItem* CHardwareMonitor::Item(int index) const {
    return index >= 0 && index < kItemCount ? m_items[index] : nullptr;
}

CVoltItem* CHardwareMonitor::Volt(int index) {
    return index >= 0 && index < kVoltCount ? m_volts[index].get() : nullptr;
}

CTempItem* CHardwareMonitor::Temp(int index) {
    return index >= 0 && index < kTempCount ? m_temps[index].get() : nullptr;
}

CSmartFanItem* CHardwareMonitor::Fan(int index) {
    return index >= 0 && index < kFanCount ? m_fans[index].get() : nullptr;
}

void CHardwareMonitor::LinkFansToReferences() {
    for (auto& fan : m_fans) {
        const uint8_t reference = fan->ReferenceTempItem();
        fan->LinkReference(reference >= 1 && reference <= kTempCount ? m_temps[reference - 1].get() : nullptr);
    }
}

bool CHardwareMonitor::LoadAllDefaults() {
    const CProfileReadPass pass(m_seams.profile);
    const std::string file = m_useDefaultFiles ? m_defaultsFilePath : std::string();
    bool loaded = true;
    for (CSensorItem* item : m_items) {
        if (!item->LoadDefaults(file)) {
            loaded = false;
            break;
        }
    }
    LinkFansToReferences();
    ArmFirstReadings();
    return loaded;
}

bool CHardwareMonitor::LoadAllPreferences() {
    const CProfileReadPass pass(m_seams.profile);
    const std::string file = m_usePreferenceFile ? m_preferencesFilePath : std::string();
    bool loaded = true;
    for (CSensorItem* item : m_items) {
        if (!item->LoadSettings(false, file)) {
            loaded = false;
            break;
        }
    }
    LinkFansToReferences();
    ArmFirstReadings();
    return loaded;
}

bool CHardwareMonitor::SaveAllPreferences() {
    const std::string file = m_usePreferenceFile ? m_preferencesFilePath : std::string();
    // Every item's keys, and the file written once.
    CProfileWritePass pass(m_seams.profile);
    bool saved = true;
    for (CSensorItem* item : m_items) {
        saved = item->SaveSettings(file);
        if (!saved) break;
    }
    return pass.End() && saved;
}

void CHardwareMonitor::RememberSettings() {
    for (int i = 0; i < kItemCount; ++i) {
        m_snapshot[i].hiLimit = m_items[i]->HiLimit();
        m_snapshot[i].loLimit = m_items[i]->LoLimit();
        m_snapshot[i].beepEnable = m_items[i]->IsBeepEnabled();
    }
    for (int i = 0; i < kFanCount; ++i) m_snapshot[kFirstFan + i].divisor = m_fans[i]->Divisor();
    m_snapshotTaken = true;
}

void CHardwareMonitor::RestoreSettings() {
    // A resume without a suspend before it has nothing to put back.
    if (!m_snapshotTaken) return;
    for (int i = 0; i < kFanCount; ++i) m_fans[i]->SetDivisor(m_snapshot[kFirstFan + i].divisor);
    for (int i = 0; i < kItemCount; ++i) {
        CSensorItem* item = m_items[i];
        item->SetLimits(m_snapshot[i].hiLimit, m_snapshot[i].loLimit);
        item->SetBeepEnable(m_snapshot[i].beepEnable);
        item->ApplyToChip();
    }
}

void CHardwareMonitor::SetGlobalBeep(bool on) {
    if (!m_identified || m_chipReleased) return;
    CMonitorChip::LockHold hold(m_chip);
    m_chip.SelectBank(0);
    const uint8_t v = m_chip.ReadRegister(kRegisterBeep2);
    m_chip.WriteRegister(kRegisterBeep2, static_cast<uint8_t>(on ? (v | kGlobalBeepBit) : (v & ~kGlobalBeepBit)));
}
