// A fan item: the fan count turned into a fan value (0-255, larger is faster)
// and a speed in revolutions per minute, with the chip's fan divisor.
#pragma once

#include "engine/CSensorItem.h"

class CFanItem : public CSensorItem {
public:
    explicit CFanItem(const CItemServices& services) : CSensorItem(services) {}

    bool LoadDescriptor(const std::string& file) override;
    void Attach(CMonitorChip* chip) override;

    CRegisterField& DivisorField() { return m_divisorField; }
    const CRegisterField& DivisorField() const { return m_divisorField; }
    // The divisor itself (1, 2, 4, 8 ...), valid once IsDivisorKnown.
    uint8_t Divisor() const { return m_divisor; }
    bool IsDivisorKnown() const { return m_divisorKnown; }
    int32_t Rpm() const { return m_rpm; }
    bool IsRpmSet() const { return m_rpmSet; }
    int32_t FanFactor() const { return m_fanFactor; }
    // Also sets FanScale to 2 to the power factor.
    void SetFanFactor(int32_t factor);
    double FanScale() const { return m_fanScale; }

protected:
    void SetRpm(int32_t rpm) {
        m_rpm = rpm;
        m_rpmSet = true;
    }

    CRegisterField m_divisorField;
    uint8_t m_divisor = 0;
    bool m_divisorKnown = false;
    int32_t m_rpm = 0;
    bool m_rpmSet = false;
    int32_t m_fanFactor = 0;
    double m_fanScale = 1.0;
};
