// Byte-wide I/O port access for the ISA backend, limited to the ports it was
// opened for.
#pragma once

#include <cstdint>
#include <string>

class IPortIo {
public:
    virtual ~IPortIo() = default;
    // Asks for access to count ports from first on; false with a reason.
    virtual bool Open(uint16_t first, uint16_t count, std::string& problem) = 0;
    virtual bool In(uint16_t port, uint8_t& value) = 0;
    virtual bool Out(uint16_t port, uint8_t value) = 0;
};
