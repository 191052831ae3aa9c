#include "engine/CSmartFanItem.h"

#include "engine/CMonitorChip.h"
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
    LoadFieldGroup(*source, "FanPwmPin", m_pwmPinField);
    m_pwmPinValue = source->Get("FanPwmPinValue");
    return true;
}

void CSmartFanItem::Attach(CMonitorChip* chip) {
    CFanItem::Attach(chip);
    m_dutyCycleField.Attach(chip);
    m_pwmOutField.Attach(chip);
    m_pwmPinField.Attach(chip);
}

void CSmartFanItem::Update() {
    if (!m_enable) {
        HoldFullSpeed(HoldReason::kFanOff);
        if (m_notConnected) WatchForSpeed();
        return;
    }
    RunSmartFan();
    const bool read = ReadFan();
    // A fan Smart Fan drives that cannot be read, or stands while its duty
    // should turn it, goes to full duty at once, not at the next tick.
    if (!m_heldAtFullSpeed && m_smartFanZone != kZoneNone) {
        if (!read) {
            HoldFullSpeed(HoldReason::kFanUnread);
        } else if (m_countAtCeiling && m_lastDuty > 0) {
            HoldFullSpeed(HoldReason::kFanStalled);
        }
    }
}

void CSmartFanItem::AfterEnableChanged() {
    CFanItem::AfterEnableChanged();
    // A fan switched off (by the user, or because it read no speed at the
    // first reading) is no longer watched: it must not stay slowed.
    if (!m_enable) HoldFullSpeed(HoldReason::kFanOff);
}

CSmartFanItem::HoldReason CSmartFanItem::ReferenceFault() const {
    if (!m_referenceLinked || !m_reference->IsEnabled()) return HoldReason::kReferenceOff;
    if (!m_reference->IsValueSet() || m_reference->IsReadFailed()) return HoldReason::kReferenceUnread;
    const double celsius = m_reference->Value();
    if (!(celsius >= kLowestPlausibleCelsius && celsius <= kHighestPlausibleCelsius)) {
        return HoldReason::kReferenceImplausible;
    }
    return HoldReason::kNone;
}

const char* CSmartFanItem::HoldReasonText(HoldReason reason) {
    switch (reason) {
        case HoldReason::kNone: return "";
        case HoldReason::kFanOff: return "the fan is not monitored";
        case HoldReason::kFanUnread: return "the fan cannot be read";
        case HoldReason::kFanStalled: return "the fan reads no speed";
        case HoldReason::kReferenceOff: return "its reference temperature is off";
        case HoldReason::kReferenceUnread: return "its reference temperature cannot be read";
        case HoldReason::kReferenceImplausible: return "its reference temperature is implausible";
    }
    return "";
}

void CSmartFanItem::HoldFullSpeed(HoldReason reason) {
    // Without the duty-write permission Smart Fan drives nothing to hold.
    if (!m_enableSmartFan || !m_dutyWriteAllowed || (m_heldAtFullSpeed && m_fullDutyWritten)) return;
    // A write that did not reach the chip (the bus is failing) is tried
    // again at every Update until it does.
    const uint32_t mark = TransferMark();
    SetFullSpeed();
    m_fullDutyWritten = m_chip == nullptr || m_chip->FailedTransfers() == mark;
    if (!m_heldAtFullSpeed) m_holdReason = reason;
    m_heldAtFullSpeed = true;
    m_smartFanZone = kZoneNone;
}

bool CSmartFanItem::IsPwmPinDriving() const {
    if (!m_pwmPinField.IsPresent()) return true;
    return static_cast<uint8_t>(m_pwmPinField.Read()) == m_pwmPinValue;
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
    if (!m_enableSmartFan) return;
    if (const HoldReason fault = ReferenceFault(); fault != HoldReason::kNone) {
        // Without a reference configured Smart Fan has never driven the
        // fan; one that did and lost its reading goes to full duty.
        if (m_referenceLinked || m_smartFanZone != kZoneNone) HoldFullSpeed(fault);
        return;
    }
    // Held for its own sake, the fan stays at full duty until it reads a
    // speed again.
    if (m_heldAtFullSpeed && (IsReadFailed() || m_countAtCeiling)) {
        HoldFullSpeed(m_holdReason);
        return;
    }
    m_heldAtFullSpeed = false;
    m_holdReason = HoldReason::kNone;
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
    if (!m_dutyWriteAllowed || !IsPwmPinDriving()) return;
    // The PWM output register carries the fan's divisor code on the chips
    // that name one.
    // Both kept before either changes: one save of the record.
    if (m_pwmOutField.IsPresent()) KeepAsFound(m_pwmOutField);
    KeepAsFound(m_dutyCycleField);
    if (m_pwmOutField.IsPresent()) m_pwmOutField.Write(m_divisorField.Read());
    m_dutyCycleField.Write(rate);
    m_lastDuty = rate;
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
