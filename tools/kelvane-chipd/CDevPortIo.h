// Port I/O through /dev/port (one byte at the port's offset), with access
// limited to the window given to Open.
#pragma once

#include "tools/kelvane-chipd/IPortIo.h"

class CDevPortIo : public IPortIo {
public:
    explicit CDevPortIo(std::string devicePath = "/dev/port") : m_path(std::move(devicePath)) {}
    ~CDevPortIo() override;
    CDevPortIo(const CDevPortIo&) = delete;
    CDevPortIo& operator=(const CDevPortIo&) = delete;

    bool Open(uint16_t first, uint16_t count, std::string& problem) override;
    bool In(uint16_t port, uint8_t& value) override;
    bool Out(uint16_t port, uint8_t value) override;

private:
    bool Inside(uint16_t port) const { return m_fd >= 0 && port >= m_first && port - m_first < m_count; }

    std::string m_path;
    int m_fd = -1;
    uint16_t m_first = 0;
    uint16_t m_count = 0;
};
