#include "tools/kelvane-chipd/CIsaPortBackend.h"

#include <cstdio>

bool CIsaPortBackend::Open() {
    m_open = m_io.Open(m_address, 2, m_problem);
    return m_open;
}

bool CIsaPortBackend::ReadRegister(uint8_t reg, uint8_t& value) {
    return m_open && m_io.Out(m_address, reg) && m_io.In(m_data, value);
}

bool CIsaPortBackend::WriteRegister(uint8_t reg, uint8_t value) {
    return m_open && m_io.Out(m_address, reg) && m_io.Out(m_data, value);
}

std::string CIsaPortBackend::Describe() const {
    char text[64];
    std::snprintf(text, sizeof(text), "ISA ports 0x%x/0x%x", m_address, m_data);
    return text;
}
