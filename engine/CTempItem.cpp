#include "engine/CTempItem.h"

bool CTempItem::LoadDescriptor(const std::string& file) {
    std::optional<CDescriptorSource> source = OpenDescriptor(file);
    if (!source) return false;
    LoadCommonDescriptor(*source);
    // Only chips with an offset register name one; without it the reading
    // is used as it is.
    if (source->Get("TempOffsetAddr1") != 0) {
        LoadFieldGroup(*source, "TempOffset", m_offsetField);
        m_offsetDefined = true;
    } else {
        m_offsetField.Reset();
        m_offsetDefined = false;
    }
    return true;
}

void CTempItem::Attach(CMonitorChip* chip) {
    CSensorItem::Attach(chip);
    m_offsetField.Attach(chip);
}
