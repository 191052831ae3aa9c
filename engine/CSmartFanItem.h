// A fan item that can drive its fan's PWM duty by three temperature zones of
// a reference temperature item.
#pragma once

#include "engine/CFanItem.h"

class CTempItem;

class CSmartFanItem : public CFanItem {
public:
    explicit CSmartFanItem(const CItemServices& services) : CFanItem(services) {}

    bool LoadDescriptor(const std::string& file) override;
    void Attach(CMonitorChip* chip) override;
    // Smart Fan first (when on and a reference is linked), then the fan
    // reading. A Smart Fan fan that cannot follow a real reading is held at
    // full duty until it can: its item switched off; its reference switched
    // off, never read, failing to read or implausible (below
    // kLowestPlausibleCelsius or above kHighestPlausibleCelsius), or
    // unlinked after Smart Fan drove it; or, once driven, the fan itself
    // failing to read or reading no speed while its duty is above 0. The
    // last two take effect in the same Update.
    void Update() override;

    // Why a fan is held at full duty.
    enum class HoldReason { kNone, kFanOff, kFanUnread, kFanStalled, kReferenceOff, kReferenceUnread,
                            kReferenceImplausible };
    HoldReason HeldFor() const { return m_holdReason; }
    // A few words for the log: "its reference temperature is implausible".
    static const char* HoldReasonText(HoldReason reason);
    // A reference temperature outside these is a broken sensor, not heat.
    static constexpr double kLowestPlausibleCelsius = -40.0;
    static constexpr double kHighestPlausibleCelsius = 150.0;

    // With the duty-write permission: the Divisor field's value is copied
    // into PWMOut (when the chip has one), then rate goes into DutyCycle.
    // The as-found keeper hears of both fields before they change. Nothing
    // is written while the fan's pin does not drive a PWM output (see
    // IsPwmPinDriving).
    void SetDuty(uint8_t rate);
    void SetFullSpeed() { SetDuty(255); }
    void SetDutyHi() { SetDuty(m_rateHi); }
    void SetDutyMid() { SetDuty(m_rateMid); }
    void SetDutyLo() { SetDuty(m_rateLo); }
    // True while Smart Fan holds the fan at full duty for want of a reading.
    bool IsHeldAtFullSpeed() const { return m_heldAtFullSpeed; }

    // Some PWM outputs share their pin with another function, selected by
    // the board's firmware ("FanPwmPin" field of the descriptor, which reads
    // "FanPwmPinValue" while the pin drives the PWM output). Without such a
    // field the output always drives.
    bool IsPwmPinDriving() const;

    // The zone of a reference temperature, given the zone the fan is in:
    // rising changes happen at the thresholds, falling ones only below the
    // tolerance band, and from Hi one step at a time.
    static uint8_t NextZone(uint8_t zone, double celsius, double tempHi, double tempLo, double tolerance);

    CRegisterField& DutyCycleField() { return m_dutyCycleField; }
    const CRegisterField& DutyCycleField() const { return m_dutyCycleField; }
    bool IsDutyCycleDefined() const { return m_dutyCycleDefined; }
    CRegisterField& PwmOutField() { return m_pwmOutField; }
    const CRegisterField& PwmOutField() const { return m_pwmOutField; }
    bool IsPwmOutDefined() const { return m_pwmOutDefined; }

    bool IsSmartFanEnabled() const { return m_enableSmartFan; }
    // Writes nothing by itself and keeps the zone.
    void SetEnableSmartFan(bool enable) { m_enableSmartFan = enable; }
    // Follows EnableSmartFan as loaded from a settings file; registry loads
    // leave it alone.
    bool IsDutyWriteAllowed() const { return m_dutyWriteAllowed; }

    uint8_t ReferenceTempItem() const { return m_referenceTempItem; }
    bool IsReferenceTempItemSet() const { return m_referenceTempItemSet; }
    // The reference temperature item, or none; called by the engine after
    // every load.
    void LinkReference(CTempItem* reference) {
        m_reference = reference;
        m_referenceLinked = reference != nullptr;
    }
    CTempItem* Reference() const { return m_reference; }
    bool IsReferenceLinked() const { return m_referenceLinked; }

    uint8_t SmartFanRateHi() const { return m_rateHi; }
    uint8_t SmartFanRateMid() const { return m_rateMid; }
    uint8_t SmartFanRateLo() const { return m_rateLo; }
    void SetSmartFanRates(uint8_t hi, uint8_t mid, uint8_t lo) {
        m_rateHi = hi;
        m_rateMid = mid;
        m_rateLo = lo;
        m_ratesSet = true;
    }
    bool AreRatesSet() const { return m_ratesSet; }
    uint8_t SmartFanTempHi() const { return m_tempHi; }
    uint8_t SmartFanTempLo() const { return m_tempLo; }
    void SetSmartFanTemps(uint8_t hi, uint8_t lo) {
        m_tempHi = hi;
        m_tempLo = lo;
        m_tempsSet = true;
    }
    bool AreTempsSet() const { return m_tempsSet; }
    uint8_t TempTolerance() const { return m_tempTolerance; }
    void SetTempTolerance(uint8_t tolerance) {
        m_tempTolerance = tolerance;
        m_toleranceSet = true;
    }
    bool IsToleranceSet() const { return m_toleranceSet; }
    // 0 before the first Smart Fan step, then 1 Hi, 2 Mid, 3 Lo.
    uint8_t SmartFanZone() const { return m_smartFanZone; }

    static constexpr uint8_t kZoneNone = 0;
    static constexpr uint8_t kZoneHi = 1;
    static constexpr uint8_t kZoneMid = 2;
    static constexpr uint8_t kZoneLo = 3;

protected:
    void ReadSettings(const CSettingsStore& store) override;
    void WriteSettings(CSettingsStore& store) const override;
    void AfterEnableChanged() override;
    void RunSmartFan();
    // What keeps the reference from steering the fan, or kNone.
    HoldReason ReferenceFault() const;
    // Full duty once, and the zone forgotten, so that Smart Fan writes its
    // zone's duty again as soon as it can run.
    void HoldFullSpeed(HoldReason reason);

    CRegisterField m_dutyCycleField;
    bool m_dutyCycleDefined = false;
    CRegisterField m_pwmOutField;
    bool m_pwmOutDefined = false;
    bool m_enableSmartFan = false;
    bool m_dutyWriteAllowed = false;
    uint8_t m_referenceTempItem = 0;
    bool m_referenceTempItemSet = false;
    CTempItem* m_reference = nullptr;
    bool m_referenceLinked = false;
    // The settings files' defaults until settings are loaded.
    uint8_t m_rateHi = 255;
    uint8_t m_rateMid = 50;
    uint8_t m_rateLo = 20;
    bool m_ratesSet = false;
    uint8_t m_tempHi = 70;
    uint8_t m_tempLo = 40;
    bool m_tempsSet = false;
    uint8_t m_tempTolerance = 5;
    bool m_toleranceSet = false;
    uint8_t m_smartFanZone = kZoneNone;

    CRegisterField m_pwmPinField;
    uint8_t m_pwmPinValue = 0;
    bool m_heldAtFullSpeed = false;
    HoldReason m_holdReason = HoldReason::kNone;
    bool m_fullDutyWritten = false;
    uint8_t m_lastDuty = 255;  // the duty last written; the chips start at full duty
};
