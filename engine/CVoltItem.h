// A voltage item: the reading scaled by a resistor divider, optionally for a
// negative rail, and optionally a core voltage with automatic limits.
#pragma once

#include "engine/CSensorItem.h"

class CVoltItem : public CSensorItem {
public:
    explicit CVoltItem(const CItemServices& services) : CSensorItem(services) {}

    bool LoadDescriptor(const std::string& file) override;

    int32_t R1() const { return m_r1; }
    int32_t R2() const { return m_r2; }
    void SetResistors(int32_t r1, int32_t r2) {
        m_r1 = r1;
        m_r2 = r2;
        m_resistorsSet = true;
    }
    bool AreResistorsSet() const { return m_resistorsSet; }
    bool IsNegative() const { return m_negative; }
    void SetNegative(bool negative) { m_negative = negative; }
    bool IsVCore() const { return m_vcore; }
    void SetVCore(bool vcore) { m_vcore = vcore; }
    bool IsAutoLimitArmed() const { return m_autoLimitArmed; }
    bool IsAutoLimitPending() const { return m_autoLimitPending; }

protected:
    int32_t m_r1 = 0;
    int32_t m_r2 = 0;
    bool m_resistorsSet = false;
    bool m_negative = false;
    bool m_vcore = false;
    bool m_autoLimitArmed = true;
    bool m_autoLimitPending = false;
};
