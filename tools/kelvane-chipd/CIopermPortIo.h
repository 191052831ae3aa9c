// Port I/O with ioperm on exactly the ports given to Open, then in/out
// instructions (x86 only; elsewhere Open fails).
#pragma once

#include "tools/kelvane-chipd/IPortIo.h"

class CIopermPortIo : public IPortIo {
public:
    ~CIopermPortIo() override;
    bool Open(uint16_t first, uint16_t count, std::string& problem) override;
    bool In(uint16_t port, uint8_t& value) override;
    bool Out(uint16_t port, uint8_t value) override;

private:
    bool Inside(uint16_t port) const { return m_open && port >= m_first && port - m_first < m_count; }

    bool m_open = false;
    uint16_t m_first = 0;
    uint16_t m_count = 0;
};
