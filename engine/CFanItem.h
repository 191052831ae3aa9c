// A fan item: the fan count turned into a fan value (0-255, larger is faster)
// and a speed in revolutions per minute, with the chip's fan divisor.
#pragma once

#include "engine/CSensorItem.h"

class CFanItem : public CSensorItem {
public:
    explicit CFanItem(const CItemServices& services) : CSensorItem(services) {}

    bool LoadDescriptor(const std::string& file) override;
    void Attach(CMonitorChip* chip) override;
    // Reads the divisor from the chip the first time, then the count: fan
    // value and speed. A fan that is not connected (MarkNotConnected) is
    // still read, without alarms, and watched again once it turns.
    void Update() override;

    // The engine's rule for a fan that reads no speed at its first reading:
    // switched off, but read on every Update; the first speed it reads
    // switches it on again, limits written.
    void MarkNotConnected();
    bool IsNotConnected() const { return m_notConnected; }
    // The last reading's count stood at the counter's ceiling (no speed).
    bool IsCountAtCeiling() const { return m_countAtCeiling; }
    // Only the low limit reaches the chip, as a count limit; the high limit
    // stays in the item.
    void WriteLimits() override;

    // Writes the divisor code floor(log2 d) into the Divisor field and keeps
    // the divisor the chip now counts with (2 to that code, so 6 is kept as
    // 4). A divisor of 0 (a missing registry value) names no divisor: nothing
    // is written and the divisor is read back from the chip at the next
    // Update.
    void SetDivisor(uint8_t divisor);
    // Speed of a fan value with the item's divisor on its chip; 0 while the
    // divisor is not known.
    int32_t CountToRpm(uint8_t fanValue) const;

    CRegisterField& DivisorField() { return m_divisorField; }
    const CRegisterField& DivisorField() const { return m_divisorField; }
    // The divisor itself (1, 2, 4, 8 ...), valid once IsDivisorKnown.
    uint8_t Divisor() const { return m_divisor; }
    bool IsDivisorKnown() const { return m_divisorKnown; }
    // Speed in revolutions per minute; kept as it was while disabled.
    int32_t Rpm() const { return m_rpm; }
    bool IsRpmSet() const { return m_rpmSet; }
    int32_t FanFactor() const { return m_fanFactor; }
    // Also sets FanScale to 2 to the power factor.
    void SetFanFactor(int32_t factor);
    double FanScale() const { return m_fanScale; }

protected:
    void ReadSettings(const CSettingsStore& store) override;
    void WriteSettings(CSettingsStore& store) const override;

    void SetRpm(int32_t rpm) {
        m_rpm = rpm;
        m_rpmSet = true;
    }
    // The fan reading proper, after Smart Fan in the derived item; false
    // when a transfer failed (nothing is stored then).
    bool ReadFan(bool runTimer = true);
    void WatchForSpeed();
    void AfterEnableChanged() override;
    bool IsReadingBeyondLimits() const override;

    CRegisterField m_divisorField;
    uint8_t m_divisor = 0;
    bool m_divisorKnown = false;
    int32_t m_rpm = 0;
    bool m_rpmSet = false;
    int32_t m_fanFactor = 0;
    double m_fanScale = 1.0;
    bool m_notConnected = false;
    bool m_countAtCeiling = false;
};
