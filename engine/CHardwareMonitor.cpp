#include "engine/CHardwareMonitor.h"

#include <algorithm>

#include "engine/COSVersion.h"
#include "engine/IShutdownObserver.h"
#include "platform/IClock.h"
#include "platform/IPowerOff.h"

namespace {

// The control registers the engine changes while it runs, all in bank 0.
constexpr uint8_t kRegisterSemaphore = 0x4B;  // bits 0-1: which program drives the chip
constexpr uint8_t kRegisterConfig = 0x40;     // bit 1: interrupt clear
constexpr uint8_t kRegisterBeep1 = 0x56;
constexpr uint8_t kRegisterBeep2 = 0x57;      // bit 7: global beep enable
constexpr uint8_t kRegisterFanConfig = 0x4C;  // bits 3-4
constexpr uint8_t kRegisterBank = 0x4E;
constexpr uint8_t kGlobalBeepBit = 0x80;

const char* const kItemNames[CHardwareMonitor::kItemCount] = {
    "VOLT1", "VOLT2", "VOLT3", "VOLT4", "VOLT5", "VOLT6", "VOLT7", "VOLT8", "VOLT9",
    "VOLT10", "TEMP1", "TEMP2", "TEMP3", "FAN1", "FAN2", "FAN3", "FAN4", "FAN5"};

}  // namespace

CHardwareMonitor::CHardwareMonitor(const CEngineSeams& seams)
    : m_seams(seams),
      m_services{seams.profile, seams.registry, seams.clock},
      m_library(std::make_unique<CAccessLibrary>(seams.loader)),
      m_chip(seams.lock, seams.messageBox) {
    for (auto& item : m_volts) item = std::make_unique<CVoltItem>(m_services);
    for (auto& item : m_temps) item = std::make_unique<CTempItem>(m_services);
    for (auto& item : m_fans) item = std::make_unique<CSmartFanItem>(m_services);

    m_driverLoaded = m_library->LoadDriver();

    // The identification is only looked at when monitoring starts: a chip
    // that is not found ends there, with no descriptor to load.
    m_chip.AttachLibrary(m_library.get());
    m_chip.DetectChip();

    for (int i = 0; i < kVoltCount; ++i) m_items[i] = m_volts[i].get();
    for (int i = 0; i < kTempCount; ++i) m_items[kFirstTemp + i] = m_temps[i].get();
    for (int i = 0; i < kFanCount; ++i) m_items[kFirstFan + i] = m_fans[i].get();
    for (CSensorItem* item : m_items) item->Attach(&m_chip);

    m_field4B.Define(2, 0, kRegisterSemaphore, 2, 0, 0, 0, 0, 0);
    m_field40.Define(1, 0, kRegisterConfig, 1, 1, 0, 0, 0, 0);
    m_field56.Define(8, 0, kRegisterBeep1, 8, 0, 0, 0, 0, 0);
    m_field57.Define(8, 0, kRegisterBeep2, 8, 0, 0, 0, 0, 0);
    m_field4C.Define(2, 0, kRegisterFanConfig, 2, 3, 0, 0, 0, 0);
    m_bankField.Define(8, 0, kRegisterBank, 8, 0, 0, 0, 0, 0);
    for (CRegisterField* field : {&m_field4B, &m_field40, &m_field56, &m_field57, &m_field4C, &m_bankField}) {
        field->Attach(&m_chip);
    }

    // The bank register is kept as it was before detection selected bank 0
    // and toggled its bit 7 in it.
    m_savedBank = m_chip.IsBankRegisterAsFoundKnown() ? m_chip.BankRegisterAsFound()
                                                      : m_chip.ReadRegister(kRegisterBank);
    m_saved40 = static_cast<uint8_t>(m_field40.Read());
    m_saved56 = static_cast<uint8_t>(m_field56.Read());
    m_saved57 = static_cast<uint8_t>(m_field57.Read());
    m_saved4C = static_cast<uint8_t>(m_field4C.Read());
    m_field40.Write(0);
    m_field4C.Write(1);
}

CHardwareMonitor::~CHardwareMonitor() {
    // Fans first: their duty registers may lie outside bank 0, and the bank
    // register is put back last of all.
    for (auto& fan : m_fans) fan->RestoreDuty();
    m_field40.Write(m_saved40);
    m_field56.Write(m_saved56);
    m_field57.Write(m_saved57);
    m_field4C.Write(m_saved4C);
    m_field4B.Write(1);
    m_chip.WriteRegister(kRegisterBank, m_savedBank);
    if (m_driverLoaded) m_library->UnloadDriver();
}

void CHardwareMonitor::SetPaths(const std::string& boardSubPath) {
    m_boardSubPath = boardSubPath;
    std::string fileSubPath = boardSubPath;
    std::replace(fileSubPath.begin(), fileSubPath.end(), '\\', '/');
    const std::string directory = m_seams.programDirectory + "/";
    m_defaultsFilePath = directory + fileSubPath + "def.ini";
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
    m_field4B.Write(0);

    const std::string descriptor = DescriptorPath();
    const std::string& defaults = m_useDefaultFiles ? m_defaultsFilePath : m_defaultKeyRoot;
    bool loaded = true;
    for (CSensorItem* item : m_items) {
        if (!item->LoadDescriptor(descriptor) || !item->LoadSettings(true, defaults)) {
            loaded = false;
            break;
        }
    }
    if (loaded) LinkFansToReferences();
    LoadAllPreferences();
    if (loaded) {
        for (CSensorItem* item : m_items) item->ApplyToChip();
    }
    return loaded;
}

void CHardwareMonitor::UpdateAll() {
    // One status pass per tick: every status register is read once, and the
    // warnings that follow the tick see the same bytes.
    m_chip.BeginStatusPass();
    bool anyPending = false;
    for (int i = 0; i < kItemCount; ++i) {
        CSensorItem* item = m_items[i];
        item->Update();
        // A fan that does not turn at the first reading after a load is not
        // connected.
        if (i >= kFirstFan && m_firstUpdatePending && item->IsEnabled() && item->Value() == 0.0) {
            item->SetEnable(false);
        }
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
    const std::string file = m_useDefaultFiles ? m_defaultsFilePath : std::string();
    bool loaded = true;
    for (CSensorItem* item : m_items) {
        if (!item->LoadDefaults(file)) {
            loaded = false;
            break;
        }
    }
    LinkFansToReferences();
    m_firstUpdatePending = true;
    return loaded;
}

bool CHardwareMonitor::LoadAllPreferences() {
    const std::string file = m_usePreferenceFile ? m_preferencesFilePath : std::string();
    bool loaded = true;
    for (CSensorItem* item : m_items) {
        if (!item->LoadSettings(false, file)) {
            loaded = false;
            break;
        }
    }
    LinkFansToReferences();
    m_firstUpdatePending = true;
    return loaded;
}

bool CHardwareMonitor::SaveAllPreferences() {
    const std::string file = m_usePreferenceFile ? m_preferencesFilePath : std::string();
    bool saved = true;
    for (CSensorItem* item : m_items) {
        saved = item->SaveSettings(file);
        if (!saved) break;
    }
    return saved;
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
    m_chip.SelectBank(0);
    const uint8_t v = m_chip.ReadRegister(kRegisterBeep2);
    m_chip.WriteRegister(kRegisterBeep2, static_cast<uint8_t>(on ? (v | kGlobalBeepBit) : (v & ~kGlobalBeepBit)));
}
