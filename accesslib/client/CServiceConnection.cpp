#include "accesslib/client/CServiceConnection.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

using namespace ChipFrame;

namespace {

// A healthy service answers in microseconds; a stuck one must not hang the
// program's tick for longer than this.
constexpr timeval kTimeout{2, 0};

}  // namespace

CServiceConnection::~CServiceConnection() { Disconnect(); }

void CServiceConnection::Disconnect() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool CServiceConnection::Connect() {
    if (m_fd >= 0) return true;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (m_path.empty() || m_path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, m_path.c_str(), m_path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &kTimeout, sizeof(kTimeout));
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &kTimeout, sizeof(kTimeout));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool CServiceConnection::RoundTrip(const CRequest& request, CResponse& response) {
    if (!Connect()) return false;
    ++m_roundTrips;
    const std::vector<uint8_t> bytes = EncodeRequest(request);
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Disconnect();
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    std::vector<uint8_t> input;
    uint8_t buffer[256];
    for (;;) {
        const CParsed parsed = ParseResponse(input.data(), input.size(), response);
        if (parsed.result == Parse::kFrame) {
            // A refusal of the connection itself (not in the group) answers
            // whatever was asked.
            if (response.op != request.op && response.status != kNotInGroup) break;
            if (parsed.consumed != input.size()) break;
            // The service has closed a connection it refused.
            if (response.status == kNotInGroup) Disconnect();
            return true;
        }
        if (parsed.result != Parse::kIncomplete) break;
        const ssize_t n = ::recv(m_fd, buffer, sizeof(buffer), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        input.insert(input.end(), buffer, buffer + n);
    }
    Disconnect();
    return false;
}
