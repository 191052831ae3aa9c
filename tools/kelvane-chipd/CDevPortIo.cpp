#include "tools/kelvane-chipd/CDevPortIo.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

CDevPortIo::~CDevPortIo() {
    if (m_fd >= 0) ::close(m_fd);
}

bool CDevPortIo::Open(uint16_t first, uint16_t count, std::string& problem) {
    if (m_fd < 0) m_fd = ::open(m_path.c_str(), O_RDWR | O_CLOEXEC);
    if (m_fd < 0) {
        problem = m_path + ": " + std::strerror(errno);
        return false;
    }
    m_first = first;
    m_count = count;
    return true;
}

bool CDevPortIo::In(uint16_t port, uint8_t& value) {
    return Inside(port) && ::pread(m_fd, &value, 1, port) == 1;
}

bool CDevPortIo::Out(uint16_t port, uint8_t value) {
    return Inside(port) && ::pwrite(m_fd, &value, 1, port) == 1;
}
