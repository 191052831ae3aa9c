#include "tools/kelvane-chipd/CDevPortIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

CDevPortIo::~CDevPortIo() {
    if (m_fd >= 0) ::close(m_fd);
}

bool CDevPortIo::Open(uint16_t first, uint16_t count, std::string& problem) {
    // O_NONBLOCK: a FIFO in the device's place must not hang the service;
    // the port device itself ignores the flag.
    if (m_fd < 0) m_fd = ::open(m_path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (m_fd < 0) {
        problem = m_path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    // A regular file stands in for the device in tests.
    if (::fstat(m_fd, &info) != 0 || !(S_ISCHR(info.st_mode) || S_ISREG(info.st_mode))) {
        problem = m_path + ": not a device";
        ::close(m_fd);
        m_fd = -1;
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
