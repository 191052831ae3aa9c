// The chip behind its ISA address port (base + 5) and data port (base + 6).
// No other port is ever asked for or touched.
#pragma once

#include "tools/kelvane-chipd/IChipBackend.h"
#include "tools/kelvane-chipd/IPortIo.h"

class CIsaPortBackend : public IChipBackend {
public:
    CIsaPortBackend(IPortIo& io, uint16_t base) : m_io(io), m_address(base + 5), m_data(base + 6) {}

    bool Open() override;
    bool ReadRegister(uint8_t reg, uint8_t& value) override;
    bool WriteRegister(uint8_t reg, uint8_t value) override;
    std::string Describe() const override;
    std::string Problem() const override { return m_problem; }

    uint16_t AddressPort() const { return m_address; }
    uint16_t DataPort() const { return m_data; }

private:
    IPortIo& m_io;
    uint16_t m_address;
    uint16_t m_data;
    bool m_open = false;
    std::string m_problem;
};
