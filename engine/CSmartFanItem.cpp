#include "engine/CSmartFanItem.h"

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
