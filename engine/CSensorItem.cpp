#include "engine/CSensorItem.h"

#include "platform/IClock.h"

CSensorItem::CSensorItem(const CItemServices& services)
    : m_services(services), m_counterFrequency(services.clock.TicksPerSecond()) {}

bool CSensorItem::LoadDefaults(const std::string&) { return true; }

bool CSensorItem::LoadDescriptor(const std::string&) { return true; }

bool CSensorItem::LoadSettings(bool, const std::string&) { return true; }

bool CSensorItem::SaveSettings(const std::string&) { return true; }

void CSensorItem::Attach(CMonitorChip* chip) {
    m_chip = chip;
    m_valueField.Attach(chip);
    m_hiLimitField.Attach(chip);
    m_loLimitField.Attach(chip);
    m_beepField.Attach(chip);
    m_statusField.Attach(chip);
}

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

void CSensorItem::SetEnable(bool enable) { m_enable = enable; }

void CSensorItem::SetBeepEnable(bool enable) { m_beepEnable = enable; }

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
}

void CSensorItem::LoadFieldGroup(const CDescriptorSource& source, std::string_view prefix, CRegisterField& field) {
    auto get = [&](const char* suffix) { return source.Get(std::string(prefix) + suffix); };
    field.Define(get("TotalBits"), get("Bank1"), get("Addr1"), get("NumOfBits1"), get("StartBit1"), get("Bank2"),
                 get("Addr2"), get("NumOfBits2"), get("StartBit2"));
}
