#include "engine/CVoltItem.h"

#include <cmath>

#include "engine/CMonitorChip.h"
#include "engine/CSettingsStore.h"
#include "engine/SensorConversion.h"

bool CVoltItem::LoadDescriptor(const std::string& file) {
    std::optional<CDescriptorSource> source = OpenDescriptor(file);
    if (!source) return false;
    LoadCommonDescriptor(*source);
    LoadFieldGroup(*source, "InputEnable", m_inputEnableField);
    LoadFieldGroup(*source, "Vrm9Mode", m_vrm9ModeField);
    LoadFieldGroup(*source, "VCoreOffset", m_coreOffsetField);
    return true;
}

void CVoltItem::Attach(CMonitorChip* chip) {
    CSensorItem::Attach(chip);
    m_inputEnableField.Attach(chip);
    m_vrm9ModeField.Attach(chip);
    m_coreOffsetField.Attach(chip);
}

bool CVoltItem::InVrm9Mode() const { return m_vrm9ModeField.IsPresent() && m_vrm9ModeField.Read() != 0.0; }

void CVoltItem::EnableInput() {
    if (!m_inputEnableField.IsPresent() || m_inputEnableField.Read() != 0.0) return;
    // An input measured only because the engine switched it on is switched
    // off again at the end; its limits must go back with it, or the chip
    // would compare the input it no longer measures (reading 0) with them
    // and sound its alarm.
    KeepAsFound(m_hiLimitField);
    KeepAsFound(m_loLimitField);
    KeepAsFound(m_inputEnableField);
    m_inputEnableField.Write(1);
}

bool CVoltItem::UsesOldNegativeFormula() const {
    // The first-generation parts read negative rails through a plain divider.
    const uint8_t id = ChipId();
    return id == 0x10 || id == 0x11;
}

double CVoltItem::PositiveOffset() const {
    if (!m_coreOffsetField.IsPresent() || m_coreOffsetField.Read() == 0.0) return 0.0;
    return SensorConversion::kOffsetW83791D;
}

std::optional<double> CVoltItem::VoltsFromRaw(unsigned raw) const {
    if (m_negative) {
        if (UsesOldNegativeFormula()) return SensorConversion::InvertedVoltsFromRaw(raw, m_r1, m_r2);
        return SensorConversion::NegativeVoltsFromRaw(raw, m_r1, m_r2);
    }
    if (InVrm9Mode()) {
        return SensorConversion::VoltsFromRaw(raw, m_r1, m_r2, SensorConversion::kVrm9Offset,
                                              SensorConversion::kVrm9Step);
    }
    return SensorConversion::VoltsFromRaw(raw, m_r1, m_r2, PositiveOffset());
}

std::optional<double> CVoltItem::RawFromVolts(double volts) const {
    if (m_negative) {
        if (UsesOldNegativeFormula()) return SensorConversion::RawFromInvertedVolts(volts, m_r1, m_r2);
        return SensorConversion::RawFromNegativeVolts(volts, m_r1, m_r2);
    }
    if (InVrm9Mode()) {
        return SensorConversion::RawFromVolts(volts, m_r1, m_r2, SensorConversion::kVrm9Offset,
                                              SensorConversion::kVrm9Step);
    }
    return SensorConversion::RawFromVolts(volts, m_r1, m_r2, PositiveOffset());
}

void CVoltItem::Update() {
    if (!m_enable) return;
    const uint32_t mark = TransferMark();
    const double field = m_valueField.Read();
    const unsigned raw = static_cast<unsigned>(static_cast<long long>(field) % 256);
    std::optional<double> volts = VoltsFromRaw(raw);
    if (!ReadSucceededSince(mark)) return;
    if (volts) {
        SetValue(*volts);
        if (m_autoLimitPending) {
            SetLimits(*volts + kAutoLimitBand, *volts - kAutoLimitBand);
            m_autoLimitArmed = false;
            m_autoLimitPending = false;
            // The limits shown are the limits in force: the chip compares
            // with these from this reading on, not with the ones before.
            WriteLimits();
        }
    }
    RunShutdownTimer();
}

void CVoltItem::WriteLimits() {
    if (!m_enable || !m_chip) return;
    EnableInput();
    const CRegisterField* fields[2] = {&m_hiLimitField, &m_loLimitField};
    // The limit nearer zero is the smaller pin voltage behind an inverting
    // stage: the user's high limit (-10.8 V) is the chip's low limit.
    const bool swapped = IsInvertingStage();
    const double limits[2] = {swapped ? m_loLimit : m_hiLimit, swapped ? m_hiLimit : m_loLimit};
    for (int i = 0; i < 2; ++i) {
        if (!fields[i]->IsPresent()) continue;
        std::optional<double> raw = RawFromVolts(limits[i]);
        if (!raw) continue;
        // The whole register takes the limit, whatever the field's layout.
        m_chip->WriteBankedRegister(fields[i]->Bank1(), fields[i]->Addr1(), SensorConversion::LimitByteFromRaw(*raw));
    }
}

bool CVoltItem::LoadDefaults(const std::string& file) {
    // Loading defaults only re-arms the auto limits; they become pending at
    // the next load of defaults as settings.
    const bool pending = m_autoLimitPending;
    if (!CSensorItem::LoadDefaults(file)) return false;
    m_autoLimitPending = pending;
    m_autoLimitArmed = true;
    return true;
}

void CVoltItem::ReadSettings(const CSettingsStore& store) {
    CSensorItem::ReadSettings(store);
    m_negative = store.Bool("Negative");
    SetResistors(store.Int("R1", 0), store.Int("R2", 0));
    m_vcore = store.Bool("VCore");
}

void CVoltItem::WriteSettings(CSettingsStore& store) const {
    CSensorItem::WriteSettings(store);
    store.WriteBool("Negative", m_negative);
    store.WriteInt("R1", m_r1);
    store.WriteInt("R2", m_r2);
    store.WriteBool("VCore", m_vcore);
}

void CVoltItem::AfterSettingsLoaded(bool defaults) {
    CSensorItem::AfterSettingsLoaded(defaults);
    if (defaults) {
        if (m_vcore && m_autoLimitArmed) m_autoLimitPending = true;
    } else {
        m_autoLimitPending = false;
    }
}
