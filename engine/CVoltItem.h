// A voltage item: the reading scaled by a resistor divider, optionally for a
// negative rail, and optionally a core voltage with automatic limits.
#pragma once

#include <optional>

#include "engine/CSensorItem.h"

class CVoltItem : public CSensorItem {
public:
    explicit CVoltItem(const CItemServices& services) : CSensorItem(services) {}

    bool LoadDescriptor(const std::string& file) override;
    void Attach(CMonitorChip* chip) override;
    // Reads the input, scaled by the divider (or shifted back for a negative
    // rail). An impossible divider (R2 = 0, or R1 + R2 = 0) gives no finite
    // voltage: the value is left as it was.
    void Update() override;
    // Each present limit register gets its limit in converter steps,
    // truncated and kept to 0..255; nothing is written for an impossible
    // divider. Behind an inverting stage the limit nearer zero goes to the
    // low-limit register, since the pin rises with the rail's magnitude.
    // Also switches the input's monitoring on where the chip has a switch
    // for it (the descriptor's "InputEnable" field).
    void WriteLimits() override;
    bool LoadDefaults(const std::string& file) override;

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

    // The reading of a raw converter value with this item's settings on
    // this item's chip (reads the chip's offset bit where it has one).
    std::optional<double> VoltsFromRaw(unsigned raw) const;
    // The converter value of a voltage, before truncation.
    std::optional<double> RawFromVolts(double volts) const;

    // The auto-limit band around the first reading of a core voltage.
    static constexpr double kAutoLimitBand = 0.2;

    // The chip's switch that makes it monitor this input at all (VBAT on
    // most parts), and the core input's VRM9 mode bit: both 1-bit fields
    // from the descriptor, absent on the inputs and chips without them.
    CRegisterField& InputEnableField() { return m_inputEnableField; }
    CRegisterField& Vrm9ModeField() { return m_vrm9ModeField; }
    CRegisterField& CoreOffsetField() { return m_coreOffsetField; }
    // A negative rail read through an inverting stage (first-generation
    // parts) rather than shifted against the reference.
    bool IsInvertingStage() const { return m_negative && UsesOldNegativeFormula(); }

protected:
    void ReadSettings(const CSettingsStore& store) override;
    void WriteSettings(CSettingsStore& store) const override;
    void AfterSettingsLoaded(bool defaults) override;

private:
    // The core input's offset while the descriptor's "VCoreOffset" bit is
    // set: 0.718 V (bit 0 of 0x0C on the 0x70/0x71 parts, the core input
    // alone). The 0x80 part's offset belongs to its VRM9 mode.
    double PositiveOffset() const;
    bool UsesOldNegativeFormula() const;
    bool InVrm9Mode() const;
    void EnableInput();

    CRegisterField m_inputEnableField;
    CRegisterField m_vrm9ModeField;
    CRegisterField m_coreOffsetField;

    int32_t m_r1 = 0;
    int32_t m_r2 = 0;
    bool m_resistorsSet = false;
    bool m_negative = false;
    bool m_vcore = false;
    bool m_autoLimitArmed = true;
    bool m_autoLimitPending = false;
};
