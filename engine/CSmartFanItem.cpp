#include "engine/CSmartFanItem.h"

#include "engine/CSettingsStore.h"
#include "engine/CTempItem.h"

bool CSmartFanItem::LoadDescriptor(const std::string& file) {
    if (!CFanItem::LoadDescriptor(file)) return false;
    std::optional<CDescriptorSource> source = OpenDescriptor(file);
    if (!source) return false;
    LoadFieldGroup(*source, "FanDutyCycle", m_dutyCycleField);
    m_dutyCycleDefined = true;
    LoadFieldGroup(*source, "FanPWMOut", m_pwmOutField);
    m_pwmOutDefined = true;
    return true;
}

void CSmartFanItem::Attach(CMonitorChip* chip) {
    CFanItem::Attach(chip);
    m_dutyCycleField.Attach(chip);
    m_pwmOutField.Attach(chip);
}

void CSmartFanItem::Update() {
    if (!m_enable) return;
    RunSmartFan();
    ReadFan();
}

uint8_t CSmartFanItem::NextZone(uint8_t zone, double celsius, double tempHi, double tempLo, double tolerance) {
    uint8_t next = celsius >= tempHi ? kZoneHi : (celsius >= tempLo ? kZoneMid : kZoneLo);
    if (zone == kZoneHi && next != kZoneHi) {
        // Out of Hi one step at a time, even when already below Lo.
        next = celsius >= tempHi - tolerance ? kZoneHi : kZoneMid;
    } else if (zone == kZoneMid && next == kZoneLo) {
        next = celsius >= tempLo - tolerance ? kZoneMid : kZoneLo;
    }
    return next;
}

void CSmartFanItem::RunSmartFan() {
    if (!m_enableSmartFan || !m_referenceLinked) return;
    const uint8_t zone = NextZone(m_smartFanZone, m_reference->Value(), m_tempHi, m_tempLo, m_tempTolerance);
    if (m_smartFanZone != kZoneNone && zone == m_smartFanZone) return;
    if (zone == kZoneHi) {
        SetDutyHi();
    } else if (zone == kZoneMid) {
        SetDutyMid();
    } else {
        SetDutyLo();
    }
    m_smartFanZone = zone;
}

void CSmartFanItem::SetDuty(uint8_t rate) {
    if (!m_dutyWriteAllowed) return;
    if (!m_dutySaved) {
        m_savedDuty = m_dutyCycleField.Read();
        m_pwmOutSaved = m_pwmOutField.IsPresent();
        if (m_pwmOutSaved) m_savedPwmOut = m_pwmOutField.Read();
        m_dutySaved = true;
    }
    // The PWM output register carries the fan's divisor code on the chips
    // that name one.
    if (m_pwmOutField.IsPresent()) m_pwmOutField.Write(m_divisorField.Read());
    m_dutyCycleField.Write(rate);
}

void CSmartFanItem::RestoreDuty() {
    if (!m_dutySaved) return;
    if (m_pwmOutSaved) m_pwmOutField.Write(m_savedPwmOut);
    m_dutyCycleField.Write(m_savedDuty);
}

void CSmartFanItem::ReadSettings(const CSettingsStore& store) {
    CFanItem::ReadSettings(store);
    m_enableSmartFan = store.Bool("EnableSmartFan");
    m_referenceTempItem = static_cast<uint8_t>(store.Int("ReferenceTempItem", 0));
    m_referenceTempItemSet = true;
    SetSmartFanRates(static_cast<uint8_t>(store.Int("SmartFanRateHi", 255)),
                     static_cast<uint8_t>(store.Int("SmartFanRateMid", 50)),
                     static_cast<uint8_t>(store.Int("SmartFanRateLo", 20)));
    SetSmartFanTemps(static_cast<uint8_t>(store.Int("SmartFanTempHi", 70)),
                     static_cast<uint8_t>(store.Int("SmartFanTempLo", 40)));
    SetTempTolerance(static_cast<uint8_t>(store.Int("TempTolerance", 5)));
    if (store.IsFile()) m_dutyWriteAllowed = m_enableSmartFan;
}

void CSmartFanItem::WriteSettings(CSettingsStore& store) const {
    CFanItem::WriteSettings(store);
    store.WriteBool("EnableSmartFan", m_enableSmartFan);
    store.WriteInt("ReferenceTempItem", m_referenceTempItem);
    store.WriteInt("SmartFanRateHi", m_rateHi);
    store.WriteInt("SmartFanRateMid", m_rateMid);
    store.WriteInt("SmartFanRateLo", m_rateLo);
    store.WriteInt("SmartFanTempHi", m_tempHi);
    store.WriteInt("SmartFanTempLo", m_tempLo);
    store.WriteInt("TempTolerance", m_tempTolerance);
}
