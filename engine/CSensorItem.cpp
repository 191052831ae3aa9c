#include "engine/CSensorItem.h"

#include "engine/CMonitorChip.h"
#include "engine/IAsFoundKeeper.h"
#include "engine/CSettingsStore.h"
#include "platform/IClock.h"

CSensorItem::CSensorItem(const CItemServices& services)
    : m_services(services), m_counterFrequency(services.clock.TicksPerSecond()) {}

bool CSensorItem::LoadDescriptor(const std::string&) { return true; }

bool CSensorItem::LoadDefaults(const std::string& file) {
    if (file.empty()) {
        CSettingsStore store = CSettingsStore::InRegistry(m_services.registry, m_defaultKey);
        if (!store.Exists()) return false;
        ReadSettings(store);
    } else {
        ReadSettings(CSettingsStore::InFile(m_services.profile, file, m_sectionName));
    }
    AfterSettingsLoaded(true);
    return true;
}

bool CSensorItem::LoadSettings(bool defaults, const std::string& file) {
    const bool useFile = defaults ? m_useDefaultFiles : m_usePreferenceFile;
    const std::string& key = defaults ? m_defaultKey : m_preferenceKey;
    CSettingsStore store = useFile ? CSettingsStore::InFile(m_services.profile, file, m_sectionName)
                                   : CSettingsStore::InRegistry(m_services.registry, key);
    if (!store.Exists()) return false;
    ReadSettings(store);
    AfterSettingsLoaded(defaults);
    return true;
}

bool CSensorItem::SaveSettings(const std::string& file) {
    if (m_usePreferenceFile) {
        // The preferences file is the user's: it is never created here.
        CSettingsStore store = CSettingsStore::InFile(m_services.profile, file, m_sectionName);
        if (!store.Exists()) return false;
        WriteSettings(store);
        return true;
    }
    CSettingsStore store = CSettingsStore::InRegistry(m_services.registry, m_preferenceKey);
    WriteSettings(store);
    return true;
}

void CSensorItem::ReadSettings(const CSettingsStore& store) {
    m_name = store.Text("Name");
    SetLimits(store.Hundredths("HiLimit"), store.Hundredths("LoLimit"));
    SetBounds(store.Hundredths("HiBound"), store.Hundredths("LoBound"));
    m_shutDownTime = store.Int("ShutDownTime", 30);
    SetEnable(store.Bool("Enable"));
    SetShutDownEnable(store.Bool("ShutDownEnable"));
    SetBeepEnable(store.Bool("BeepEnable"));
}

void CSensorItem::WriteSettings(CSettingsStore& store) const {
    store.WriteText("Name", m_name);
    store.WriteBool("Enable", m_enable);
    store.WriteBool("BeepEnable", m_beepEnable);
    store.WriteBool("ShutDownEnable", m_shutDownEnable);
    store.WriteInt("ShutDownTime", m_shutDownTime);
    store.WriteHundredths("HiLimit", m_hiLimit);
    store.WriteHundredths("LoLimit", m_loLimit);
    store.WriteHundredths("HiBound", m_hiBound);
    store.WriteHundredths("LoBound", m_loBound);
}

void CSensorItem::AfterSettingsLoaded(bool defaults) {
    if (defaults && m_enable) m_enabledByDefault = true;
}

void CSensorItem::Attach(CMonitorChip* chip) {
    m_chip = chip;
    m_valueField.Attach(chip);
    m_hiLimitField.Attach(chip);
    m_loLimitField.Attach(chip);
    m_beepField.Attach(chip);
    m_statusField.Attach(chip);
}

uint8_t CSensorItem::ChipId() const { return m_chip ? m_chip->ChipId() : CMonitorChip::kUnknownChipId; }

void CSensorItem::SetSectionName(std::string section) {
    m_sectionName = std::move(section);
    m_sectionNameSet = true;
}

void CSensorItem::SetDefaultKey(std::string key) {
    m_defaultKey = std::move(key);
    m_defaultKeySet = true;
}

void CSensorItem::SetPreferenceKey(std::string key) {
    m_preferenceKey = std::move(key);
    m_preferenceKeySet = true;
}

void CSensorItem::SetShutDownEnable(bool enable) {
    if (enable != m_shutDownEnable) RestartShutdownTimer();
    m_shutDownEnable = enable;
}

void CSensorItem::RestartShutdownTimer() {
    m_outOfRangeStart = 0;
    m_shutdownPending = false;
}

int64_t CSensorItem::ShutdownSecondsLeft() const {
    if (!m_enable || !m_shutDownEnable || m_outOfRangeStart == 0) return -1;
    if (m_shutdownPending) return 0;
    const int64_t frequency = m_counterFrequency > 0 ? m_counterFrequency : 1;
    const int64_t elapsed = (m_services.clock.Ticks() - m_outOfRangeStart) / frequency;
    return elapsed >= m_shutDownTime ? 0 : m_shutDownTime - elapsed;
}

void CSensorItem::SetEnable(bool enable) {
    if (!m_present) enable = false;
    // An item switched on again starts its shutdown timer afresh.
    if (enable != m_enable) RestartShutdownTimer();
    if (enable) {
        m_beepEnable = m_savedBeepEnable;
    } else {
        // Only the switch from on to off saves: switching off an item that
        // is already off must not overwrite the user's beep choice with the
        // silenced state.
        if (m_enable) m_savedBeepEnable = m_beepEnable;
        m_beepEnable = false;
    }
    m_enable = enable;
    ApplyBeepBit();
    AfterEnableChanged();
}

void CSensorItem::SetPresent(bool present) {
    m_present = present;
    if (!present && m_enable) SetEnable(false);
}

void CSensorItem::KeepAsFound(const CRegisterField& field) const {
    if (m_asFoundKeeper) m_asFoundKeeper->KeepField(field);
}

void CSensorItem::SetBeepEnable(bool enable) {
    m_beepEnable = enable;
    m_savedBeepEnable = enable;
    ApplyBeepBit();
}

void CSensorItem::SetLimits(double hi, double lo) {
    m_hiLimit = hi;
    m_loLimit = lo;
    m_limitsSet = true;
}

void CSensorItem::SetBounds(double hi, double lo) {
    m_hiBound = hi;
    m_loBound = lo;
    m_boundsSet = true;
}

bool CSensorItem::IsBeepLayoutSupported() const {
    const uint8_t id = ChipId();
    return id != 0x50 && id != 0x51 && id != 0x61 && m_beepField.IsPresent();
}

void CSensorItem::ClearBeepBit() {
    if (!m_chip || !IsBeepLayoutSupported()) return;
    CMonitorChip::LockHold hold(*m_chip);
    KeepAsFound(m_beepField);
    const uint8_t mask = static_cast<uint8_t>(1u << (m_beepField.StartBit1() & 7));
    m_chip->SelectBank(m_beepField.Bank1());
    const uint8_t v = m_chip->ReadRegister(m_beepField.Addr1());
    m_chip->WriteRegister(m_beepField.Addr1(), static_cast<uint8_t>(v & ~mask));
}

void CSensorItem::ApplyBeepBit() {
    if (!m_chip || !IsBeepLayoutSupported()) return;
    CMonitorChip::LockHold hold(*m_chip);
    const uint8_t mask = static_cast<uint8_t>(1u << (m_beepField.StartBit1() & 7));
    m_chip->SelectBank(m_beepField.Bank1());
    const uint8_t v = m_chip->ReadRegister(m_beepField.Addr1());
    const bool set = (v & mask) != 0;
    const bool wanted = m_beepEnable && m_present;
    if (wanted != set) KeepAsFound(m_beepField);
    if (wanted && !set) m_chip->WriteRegister(m_beepField.Addr1(), static_cast<uint8_t>(v | mask));
    if (!wanted && set) m_chip->WriteRegister(m_beepField.Addr1(), static_cast<uint8_t>(v & ~mask));
}

void CSensorItem::ApplyToChip() {
    ClearBeepBit();
    WriteLimits();
    ApplyBeepBit();
}

bool CSensorItem::IsOutOfRange() const {
    // A switched-off item is watched by no one: never in alarm.
    if (!m_present || !m_enable || !m_chip || !m_statusField.IsPresent()) return false;
    if (m_readFailed) return m_lastOutOfRange;
    uint8_t byte = 0;
    if (!m_chip->ReadStatusRegister(m_statusField.Bank1(), m_statusField.Addr1(), byte)) return m_lastOutOfRange;
    bool out = ((byte >> (m_statusField.StartBit1() & 7)) & 1u) != 0;
    if (out && IsStatusConfirmedByReading()) out = m_valueSet && IsReadingBeyondLimits();
    m_lastOutOfRange = out;
    return out;
}

bool CSensorItem::IsReadingBeyondLimits() const { return m_value > m_hiLimit || m_value < m_loLimit; }

uint32_t CSensorItem::TransferMark() const { return m_chip ? m_chip->FailedTransfers() : 0; }

bool CSensorItem::ReadSucceededSince(uint32_t mark) {
    m_readFailed = m_chip != nullptr && m_chip->FailedTransfers() != mark;
    return !m_readFailed;
}

void CSensorItem::RunShutdownTimer() {
    if (!m_enable || !m_shutDownEnable) return;
    if (!IsOutOfRange()) {
        m_outOfRangeStart = 0;
        return;
    }
    const int64_t now = m_services.clock.Ticks();
    if (m_outOfRangeStart == 0) m_outOfRangeStart = now;
    const int64_t frequency = m_counterFrequency > 0 ? m_counterFrequency : 1;
    const int64_t elapsed = (now - m_outOfRangeStart) / frequency;
    if (elapsed >= m_shutDownTime) m_shutdownPending = true;
}

std::optional<CDescriptorSource> CSensorItem::OpenDescriptor(const std::string& file) const {
    CDescriptorSource source = m_useDefaultFiles
                                   ? CDescriptorSource::FromFile(m_services.profile, file, m_sectionName)
                                   : CDescriptorSource::FromRegistry(m_services.registry, m_defaultKey);
    if (!source.IsAvailable()) return std::nullopt;
    return source;
}

void CSensorItem::LoadCommonDescriptor(const CDescriptorSource& source) {
    // The limit fields share the value field's widths, banks and bit
    // positions and differ only in their register addresses.
    const uint8_t totalBits = source.Get("TotalBits");
    const uint8_t bank1 = source.Get("Bank1");
    const uint8_t numOfBits1 = source.Get("NumOfBits1");
    const uint8_t startBit1 = source.Get("StartBit1");
    const uint8_t bank2 = source.Get("Bank2");
    const uint8_t numOfBits2 = source.Get("NumOfBits2");
    const uint8_t startBit2 = source.Get("StartBit2");
    m_valueField.Define(totalBits, bank1, source.Get("Addr1"), numOfBits1, startBit1, bank2, source.Get("Addr2"),
                        numOfBits2, startBit2);
    m_hiLimitField.Define(totalBits, bank1, source.Get("HiLimitAddr1"), numOfBits1, startBit1, bank2,
                          source.Get("HiLimitAddr2"), numOfBits2, startBit2);
    m_loLimitField.Define(totalBits, bank1, source.Get("LoLimitAddr1"), numOfBits1, startBit1, bank2,
                          source.Get("LoLimitAddr2"), numOfBits2, startBit2);
    m_beepField.Define(1, source.Get("BeepBank"), source.Get("BeepAddr"), 1, source.Get("BeepStartBit"), 0, 0, 0, 0);
    m_statusField.Define(1, source.Get("StatusBank"), source.Get("StatusAddr"), 1, source.Get("StatusStartBit"), 0, 0,
                         0, 0);
    // Registers that latch their bits until read may still hold a condition
    // that ended since the last read.
    m_statusLatched = source.Get("StatusLatched") != 0;
}

void CSensorItem::LoadFieldGroup(const CDescriptorSource& source, std::string_view prefix, CRegisterField& field) {
    auto get = [&](const char* suffix) { return source.Get(std::string(prefix) + suffix); };
    field.Define(get("TotalBits"), get("Bank1"), get("Addr1"), get("NumOfBits1"), get("StartBit1"), get("Bank2"),
                 get("Addr2"), get("NumOfBits2"), get("StartBit2"));
}
