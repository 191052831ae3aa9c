#include "tools/kelvane-chipd/CSmbusBackend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool SmbusTransfer(int fd, uint8_t readWrite, uint8_t command, i2c_smbus_data* data) {
    i2c_smbus_ioctl_data request{};
    request.read_write = readWrite;
    request.command = command;
    request.size = I2C_SMBUS_BYTE_DATA;
    request.data = data;
    return ::ioctl(fd, I2C_SMBUS, &request) == 0;
}

}  // namespace

CSmbusBackend::~CSmbusBackend() {
    if (m_fd >= 0) ::close(m_fd);
}

bool CSmbusBackend::Open() {
    if (!ValidAddress(m_address)) {
        m_problem = "SMBus address outside 0x28..0x2F";
        return false;
    }
    if (m_fd >= 0) return true;
    // O_NONBLOCK: a FIFO in the device's place must not hang the service.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        m_problem = m_path + ": " + std::strerror(errno) + " (is the i2c-dev module loaded?)";
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
        m_problem = m_path + ": not a device";
        ::close(fd);
        return false;
    }
    // I2C_SLAVE, not I2C_SLAVE_FORCE: an address that a kernel driver has
    // bound is refused by the kernel with EBUSY, and we keep it so.
    if (::ioctl(fd, I2C_SLAVE, static_cast<unsigned long>(m_address)) != 0) {
        m_problem = m_path + ": address " + std::to_string(m_address) + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool CSmbusBackend::ReadRegister(uint8_t reg, uint8_t& value) {
    if (m_fd < 0) return false;
    i2c_smbus_data data{};
    if (!SmbusTransfer(m_fd, I2C_SMBUS_READ, reg, &data)) return false;
    value = data.byte;
    return true;
}

bool CSmbusBackend::WriteRegister(uint8_t reg, uint8_t value) {
    if (m_fd < 0) return false;
    i2c_smbus_data data{};
    data.byte = value;
    return SmbusTransfer(m_fd, I2C_SMBUS_WRITE, reg, &data);
}

std::string CSmbusBackend::Describe() const {
    char text[160];
    std::snprintf(text, sizeof(text), "SMBus %s address 0x%02x", m_path.c_str(), m_address);
    return text;
}
