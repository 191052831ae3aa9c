#include "windows/CSuiteEndpoint.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <utility>

namespace {

// The abstract address of "@name": a NUL, then the name without "@" and
// without a trailing NUL, the length counting exactly those bytes (a padded
// address would be a different name).
bool AbstractAddress(const std::string& name, sockaddr_un& address, socklen_t& length)
{
    if (name.size() < 2 || name[0] != '@' || name.size() > sizeof(address.sun_path))
        return false;
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    address.sun_path[0] = '\0';
    std::memcpy(address.sun_path + 1, name.data() + 1, name.size() - 1);
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size());
    return true;
}

}  // namespace

CSuiteEndpoint::~CSuiteEndpoint()
{
    Close();
}

CSuiteEndpoint::CSuiteEndpoint(CSuiteEndpoint&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_name(std::move(other.m_name))
{
}

CSuiteEndpoint& CSuiteEndpoint::operator=(CSuiteEndpoint&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_name = std::move(other.m_name);
    }
    return *this;
}

std::string CSuiteEndpoint::NameFor(std::string_view windowClass, pid_t pid)
{
    return "@" + std::string(windowClass) + ":" + std::to_string(pid);
}

std::optional<std::string> CSuiteEndpoint::ClassOf(std::string_view name)
{
    if (!PidOf(name))
        return std::nullopt;
    return std::string(name.substr(1, name.rfind(':') - 1));
}

std::optional<pid_t> CSuiteEndpoint::PidOf(std::string_view name)
{
    if (name.empty() || name[0] != '@')
        return std::nullopt;
    const std::size_t colon = name.rfind(':');
    if (colon == std::string_view::npos || colon + 1 >= name.size())
        return std::nullopt;
    const std::string_view digits = name.substr(colon + 1);
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0)
        return std::nullopt;
    return pid;
}

bool CSuiteEndpoint::Bind(const std::string& name)
{
    Close();
    sockaddr_un address;
    socklen_t length = 0;
    if (!AbstractAddress(name, address, length))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_name = name;
    return true;
}

void CSuiteEndpoint::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_name.clear();
}

std::optional<std::vector<std::uint8_t>> CSuiteEndpoint::Receive()
{
    if (m_fd < 0)
        return std::nullopt;
    std::vector<std::uint8_t> buffer(kReceiveLimit);
    for (;;) {
        // MSG_TRUNC gives the datagram's real length, so an oversized one is
        // told apart from one that fits exactly.
        const ssize_t got = ::recv(m_fd, buffer.data(), buffer.size(), MSG_TRUNC | MSG_DONTWAIT);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        buffer.resize(std::min<std::size_t>(static_cast<std::size_t>(got), kReceiveLimit));
        return buffer;
    }
}

bool CSuiteEndpoint::IsBound(const std::string& name)
{
    sockaddr_un address;
    socklen_t length = 0;
    if (!AbstractAddress(name, address, length))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    int result = -1;
    do {
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length);
    } while (result < 0 && errno == EINTR);
    ::close(fd);
    return result == 0;
}

bool CSuiteEndpoint::SendTo(const std::string& name, std::span<const std::uint8_t> bytes,
                            std::chrono::milliseconds timeout)
{
    sockaddr_un address;
    socklen_t length = 0;
    if (!AbstractAddress(name, address, length))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // A receiver whose queue is full makes a blocking send wait; the time-out
    // bounds that wait so a hung peer never stalls the caller's thread.
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    limit.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
    ssize_t sent = -1;
    do {
        sent = ::sendto(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address),
                        length);
    } while (sent < 0 && errno == EINTR);
    ::close(fd);
    return sent == static_cast<ssize_t>(bytes.size());
}
