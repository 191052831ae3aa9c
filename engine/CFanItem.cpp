#include "engine/CFanItem.h"

#include <cmath>

#include "engine/CSettingsStore.h"
#include "engine/SensorConversion.h"

bool CFanItem::LoadDescriptor(const std::string& file) {
    std::optional<CDescriptorSource> source = OpenDescriptor(file);
    if (!source) return false;
    LoadCommonDescriptor(*source);
    LoadFieldGroup(*source, "FanDivisor", m_divisorField);
    return true;
}

void CFanItem::Attach(CMonitorChip* chip) {
    CSensorItem::Attach(chip);
    m_divisorField.Attach(chip);
}

void CFanItem::SetFanFactor(int32_t factor) {
    // Factors beyond +-16 scale every count to the same end of the range.
    if (factor > 16) factor = 16;
    if (factor < -16) factor = -16;
    m_fanFactor = factor;
    m_fanScale = std::ldexp(1.0, factor);
}

void CFanItem::SetDivisor(uint8_t divisor) {
    if (divisor == 0) {
        m_divisorKnown = false;
        return;
    }
    const uint8_t code = SensorConversion::DivisorCode(divisor);
    m_divisorField.Write(code);
    m_divisor = SensorConversion::DivisorFromCode(code);
    m_divisorKnown = true;
}

int32_t CFanItem::CountToRpm(uint8_t fanValue) const {
    // These parts count two pulses per turn.
    const uint8_t id = ChipId();
    const bool halved = id == 0x50 || id == 0x51;
    return SensorConversion::CountToRpm(fanValue, m_divisorKnown ? m_divisor : 0, halved);
}

void CFanItem::Update() {
    if (m_enable) {
        ReadFan();
    } else if (m_notConnected) {
        WatchForSpeed();
    }
}

bool CFanItem::ReadFan(bool runTimer) {
    const uint32_t mark = TransferMark();
    if (!m_divisorKnown) {
        const double code = m_divisorField.Read();
        // A divisor read that failed is no divisor: asked again next time.
        if (!ReadSucceededSince(mark)) return false;
        SetDivisor(SensorConversion::DivisorFromCode(static_cast<unsigned>(code)));
    }
    const double count = m_valueField.Read();
    if (!ReadSucceededSince(mark)) return false;
    const double fanValue = SensorConversion::FanValueFromCount(count, m_fanScale);
    m_countAtCeiling = fanValue <= 0.0 || count >= 255.0;
    SetValue(fanValue);
    uint8_t b = static_cast<uint8_t>(fanValue);
    if (b == 0) {
        SetRpm(0);
    } else {
        if (b == 255) b = 254;
        SetRpm(CountToRpm(b));
    }
    if (runTimer) RunShutdownTimer();
    return true;
}

void CFanItem::MarkNotConnected() {
    SetEnable(false);
    m_notConnected = true;
}

void CFanItem::WatchForSpeed() {
    // Read only to see it turn: no timer, no alarm while it is not watched.
    if (!ReadFan(false) || m_countAtCeiling) return;
    m_notConnected = false;
    SetEnable(true);
    // The limits were never written while it was off.
    WriteLimits();
}

void CFanItem::AfterEnableChanged() {
    // Switched on (by the user, or because it turns after all): watched.
    if (m_enable) m_notConnected = false;
}

bool CFanItem::IsReadingBeyondLimits() const { return m_value < m_loLimit; }

void CFanItem::WriteLimits() {
    if (!m_enable || !m_loLimitField.IsPresent()) return;
    m_loLimitField.Write(SensorConversion::CountFromFanValue(m_loLimit, m_fanScale));
}

void CFanItem::ReadSettings(const CSettingsStore& store) {
    CSensorItem::ReadSettings(store);
    SetDivisor(static_cast<uint8_t>(store.Int("FanDivisor", 2)));
    SetFanFactor(store.Int("FanFactor", 0));
}

void CFanItem::WriteSettings(CSettingsStore& store) const {
    CSensorItem::WriteSettings(store);
    store.WriteInt("FanDivisor", m_divisor);
    store.WriteInt("FanFactor", m_fanFactor);
}
