#include "engine/CTempItem.h"

#include "engine/CSettingsStore.h"
#include "engine/SensorConversion.h"

bool CTempItem::LoadDescriptor(const std::string& file) {
    std::optional<CDescriptorSource> source = OpenDescriptor(file);
    if (!source) return false;
    LoadCommonDescriptor(*source);
    // Only chips with an offset register name one; without it the reading
    // is used as it is.
    if (source->Get("TempOffsetAddr1") != 0) {
        LoadFieldGroup(*source, "TempOffset", m_offsetField);
        m_offsetDefined = true;
    } else {
        m_offsetField.Reset();
        m_offsetDefined = false;
    }
    return true;
}

void CTempItem::Attach(CMonitorChip* chip) {
    CSensorItem::Attach(chip);
    m_offsetField.Attach(chip);
}

bool CTempItem::ReadsHalfDegrees() const {
    // Nine-bit sensors count half degrees, wherever they lie (banks 1 and 2
    // on most parts, bank 0 on the 0x70/0x71 parts); the 0x61 part counts
    // whole degrees everywhere.
    return ChipId() != 0x61 && m_valueField.TotalBits() == 9;
}

bool CTempItem::LimitsInHalfDegrees(const CRegisterField& field) const {
    return ChipId() != 0x61 && field.TotalBits() == 9;
}

void CTempItem::Update() {
    if (!m_enable) return;
    const uint32_t mark = TransferMark();
    double celsius = SensorConversion::CelsiusFromField(m_valueField.Read(), m_valueField.TotalBits(),
                                                        ReadsHalfDegrees());
    if (m_addOffset && m_offsetDefined) celsius += m_offsetField.Read();
    if (!ReadSucceededSince(mark)) return;
    SetValue(celsius);
    RunShutdownTimer();
}

bool CTempItem::IsReadingBeyondLimits() const {
    // Over the limit raises the alarm; only below the hysteresis (LoLimit)
    // does it clear again.
    return m_value > m_hiLimit || (m_lastOutOfRange && m_value >= m_loLimit);
}

void CTempItem::WriteLimits() {
    if (!m_enable) return;
    if (m_hiLimitField.IsPresent()) {
        m_hiLimitField.Write(SensorConversion::FieldFromCelsius(m_hiLimit, m_hiLimitField.TotalBits(),
                                                               LimitsInHalfDegrees(m_hiLimitField)));
    }
    if (m_loLimitField.IsPresent()) {
        m_loLimitField.Write(SensorConversion::FieldFromCelsius(m_loLimit, m_loLimitField.TotalBits(),
                                                               LimitsInHalfDegrees(m_loLimitField)));
    }
}

void CTempItem::ReadSettings(const CSettingsStore& store) {
    CSensorItem::ReadSettings(store);
    m_addOffset = store.Bool("AddOffset");
}

void CTempItem::WriteSettings(CSettingsStore& store) const {
    CSensorItem::WriteSettings(store);
    store.WriteBool("AddOffset", m_addOffset);
}
