// A temperature item, with an optional offset register added to the reading.
#pragma once

#include "engine/CSensorItem.h"

class CTempItem : public CSensorItem {
public:
    explicit CTempItem(const CItemServices& services) : CSensorItem(services) {}

    bool LoadDescriptor(const std::string& file) override;
    void Attach(CMonitorChip* chip) override;
    // The sensor's degrees Celsius, plus the offset register when AddOffset
    // is set and the chip has one.
    void Update() override;
    // Limits in the registers' own units: half degrees on nine-bit fields.
    void WriteLimits() override;

    CRegisterField& OffsetField() { return m_offsetField; }
    const CRegisterField& OffsetField() const { return m_offsetField; }
    bool IsOffsetDefined() const { return m_offsetDefined; }
    bool AddOffset() const { return m_addOffset; }
    void SetAddOffset(bool add) { m_addOffset = add; }

protected:
    bool IsReadingBeyondLimits() const override;
    void ReadSettings(const CSettingsStore& store) override;
    void WriteSettings(CSettingsStore& store) const override;
    bool ReadsHalfDegrees() const;
    bool LimitsInHalfDegrees(const CRegisterField& field) const;

    CRegisterField m_offsetField;
    bool m_addOffset = false;
    bool m_offsetDefined = false;
};
