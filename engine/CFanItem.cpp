#include "engine/CFanItem.h"

#include <cmath>

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
    m_fanFactor = factor;
    m_fanScale = std::ldexp(1.0, factor);
}
