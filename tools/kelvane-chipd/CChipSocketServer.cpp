#include "tools/kelvane-chipd/CChipSocketServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

using namespace ChipFrame;

namespace {

// The first socket of systemd's socket activation protocol.
constexpr int kFirstPassedFd = 3;

int PassedSocket() {
    const char* pid = std::getenv("LISTEN_PID");
    const char* fds = std::getenv("LISTEN_FDS");
    if (!pid || !fds || std::atol(pid) != static_cast<long>(::getpid()) || std::atoi(fds) < 1) return -1;
    ::fcntl(kFirstPassedFd, F_SETFD, FD_CLOEXEC);
    return kFirstPassedFd;
}

bool SendAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Closing a socket with unread input resets the connection, and the peer
// may then never read its refusal; so the refusal is followed by the end of
// our side and the peer's request is read away until it closes, for at most
// a tenth of a second. (Only members can open the socket file at all, so a
// refused peer is rare and cannot stall the service for long.)
void DrainAndClose(int fd) {
    ::shutdown(fd, SHUT_WR);
    uint8_t buffer[256];
    for (int round = 0; round < 10; ++round) {
        pollfd input{fd, POLLIN, 0};
        if (::poll(&input, 1, 10) <= 0) continue;
        if (::recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT) <= 0) break;
    }
    ::close(fd);
}

}  // namespace

CChipSocketServer::~CChipSocketServer() {
    for (auto& [fd, connection] : m_connections) ::close(fd);
    if (m_listen >= 0) ::close(m_listen);
    if (!m_boundPath.empty()) ::unlink(m_boundPath.c_str());
}

bool CChipSocketServer::Listen(const std::string& path, std::string& problem) {
    m_listen = PassedSocket();
    if (m_listen >= 0) return true;

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) {
        problem = "socket path too long: " + path;
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    m_listen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0) {
        problem = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const std::string folder = path.substr(0, path.rfind('/'));
    if (!folder.empty()) ::mkdir(folder.c_str(), 0755);
    // Only a socket file is replaced, never any other file at that path.
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && S_ISSOCK(existing.st_mode)) ::unlink(path.c_str());
    // Created without any access for others; the mode and group are set
    // before the first connection can be accepted.
    const mode_t previous = ::umask(0177);
    const int bound = ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::umask(previous);
    if (bound != 0) {
        problem = path + ": " + std::strerror(errno);
        return false;
    }
    m_boundPath = path;
    if (::chown(path.c_str(), static_cast<uid_t>(-1), m_peers.Group()) != 0 || ::chmod(path.c_str(), 0660) != 0) {
        problem = path + ": cannot give the socket to its group: " + std::strerror(errno);
        return false;
    }
    if (::listen(m_listen, 16) != 0) {
        problem = std::string("listen: ") + std::strerror(errno);
        return false;
    }
    return true;
}

void CChipSocketServer::Accept() {
    const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    ucred peer{};
    socklen_t length = sizeof(peer);
    const bool known = ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0;
    std::vector<gid_t> groups(256);
    socklen_t groupBytes = static_cast<socklen_t>(groups.size() * sizeof(gid_t));
    const bool haveGroups = ::getsockopt(fd, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &groupBytes) == 0;
    groups.resize(haveGroups ? groupBytes / sizeof(gid_t) : 0);
    if (!known || !m_peers.Allowed(peer.pid, peer.gid, haveGroups ? &groups : nullptr)) {
        CResponse refusal;
        refusal.op = kHello;
        refusal.status = kNotInGroup;
        SendAll(fd, EncodeResponse(refusal));
        DrainAndClose(fd);
        return;
    }
    // A client that stops reading its replies must not stall the others.
    const timeval timeout{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    m_connections[fd] = CConnection{};
    m_service.Connect(fd, {peer.pid, peer.uid});
}

void CChipSocketServer::Close(int fd) {
    ::close(fd);
    m_connections.erase(fd);
    m_service.Disconnect(fd);
}

bool CChipSocketServer::Receive(int fd, CConnection& connection) {
    uint8_t buffer[512];
    const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    if (n <= 0) return false;
    connection.input.insert(connection.input.end(), buffer, buffer + n);

    size_t offset = 0;
    bool keep = true;
    while (keep && offset < connection.input.size()) {
        CRequest request;
        const CParsed parsed =
            ParseRequest(connection.input.data() + offset, connection.input.size() - offset, request);
        if (parsed.result == Parse::kIncomplete) break;
        CResponse response;
        switch (parsed.result) {
        case Parse::kFrame:
            response = m_service.Serve(request);
            break;
        case Parse::kUnknownOp:
            response.op = static_cast<Op>(connection.input[offset + 3] & ~kResponseBit);
            response.status = kUnknownOp;
            break;
        case Parse::kBadLength:
            response.status = kBadLength;
            keep = false;
            break;
        default:
            response.status = kGarbage;
            keep = false;
            break;
        }
        if (!SendAll(fd, EncodeResponse(response))) return false;
        offset += parsed.consumed;
    }
    connection.input.erase(connection.input.begin(), connection.input.begin() + static_cast<long>(offset));
    return keep;
}

void CChipSocketServer::Run(const volatile std::sig_atomic_t& stop) {
    std::vector<pollfd> fds;
    while (!stop) {
        fds.clear();
        fds.push_back({m_listen, POLLIN, 0});
        for (const auto& [fd, connection] : m_connections) fds.push_back({fd, POLLIN, 0});
        const int ready = ::poll(fds.data(), fds.size(), 1000);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        for (size_t i = 1; i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            auto found = m_connections.find(fds[i].fd);
            if (found == m_connections.end()) continue;
            if (!Receive(fds[i].fd, found->second)) Close(fds[i].fd);
        }
        if (fds[0].revents & POLLIN) Accept();
    }
}
