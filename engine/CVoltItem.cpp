#include "engine/CVoltItem.h"

bool CVoltItem::LoadDescriptor(const std::string& file) {
    std::optional<CDescriptorSource> source = OpenDescriptor(file);
    if (!source) return false;
    LoadCommonDescriptor(*source);
    return true;
}
