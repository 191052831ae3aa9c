#include "tools/kelvane-chipd/CChipSocketServer.h"

#include <fcntl.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

using namespace ChipFrame;

namespace {

// The first socket of systemd's socket activation protocol.
constexpr int kFirstPassedFd = 3;
// Frames served per client per round of the loop, so that one client's
// pipeline never keeps the others waiting.
constexpr int kFramesPerRound = 8;
// Bytes read per client per round, and the most a client's unparsed input
// and unsent replies may hold.
constexpr size_t kReadChunk = 2048;
constexpr size_t kInputLimit = 4096;
constexpr size_t kOutputLimit = 16 * 1024;
// Refused peers let go at once beyond this many, and after this long.
constexpr size_t kMaxRefused = 32;
constexpr auto kRefusedLinger = std::chrono::milliseconds(100);
// How long the listening socket rests when accept finds no descriptor.
constexpr auto kAcceptRest = std::chrono::milliseconds(100);
constexpr int kAcceptsPerRound = 64;

int PassedSocket() {
    const char* pid = std::getenv("LISTEN_PID");
    const char* fds = std::getenv("LISTEN_FDS");
    if (!pid || !fds || std::atol(pid) != static_cast<long>(::getpid()) || std::atoi(fds) < 1) return -1;
    ::fcntl(kFirstPassedFd, F_SETFD, FD_CLOEXEC);
    return kFirstPassedFd;
}

void Append(std::vector<uint8_t>& output, const CResponse& response) {
    const std::vector<uint8_t> bytes = EncodeResponse(response);
    output.insert(output.end(), bytes.begin(), bytes.end());
}

}  // namespace

CChipSocketServer::CChipSocketServer(CChipService& service, const CPeerGroupCheck& peers)
    : CChipSocketServer(service, peers, CLimits{}) {}

CChipSocketServer::CChipSocketServer(CChipService& service, const CPeerGroupCheck& peers, CLimits limits)
    : m_service(service), m_peers(peers), m_limits(limits) {
    rlimit descriptors{};
    if (::getrlimit(RLIMIT_NOFILE, &descriptors) == 0 && descriptors.rlim_cur != RLIM_INFINITY) {
        const size_t room = descriptors.rlim_cur > kReservedDescriptors + kMaxRefused
                                ? static_cast<size_t>(descriptors.rlim_cur) - kReservedDescriptors - kMaxRefused
                                : 1;
        m_limits.maxConnections = std::min(m_limits.maxConnections, room);
    }
    m_limits.connectionsPerUser = std::min(m_limits.connectionsPerUser, m_limits.maxConnections);
}

CChipSocketServer::~CChipSocketServer() {
    for (auto& [fd, connection] : m_connections) ::close(fd);
    for (auto& [fd, deadline] : m_refused) ::close(fd);
    if (m_listen >= 0) ::close(m_listen);
    if (!m_boundPath.empty()) ::unlink(m_boundPath.c_str());
}

bool CChipSocketServer::Listen(const std::string& path, std::string& problem) {
    m_listen = PassedSocket();
    if (m_listen >= 0) {
        ::fcntl(m_listen, F_SETFL, ::fcntl(m_listen, F_GETFL) | O_NONBLOCK);
        return true;
    }

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) {
        problem = "socket path too long: " + path;
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    m_listen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
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
    if (::listen(m_listen, 128) != 0) {
        problem = std::string("listen: ") + std::strerror(errno);
        return false;
    }
    return true;
}

void CChipSocketServer::Refuse(int fd, Status status, Clock::time_point now) {
    CResponse refusal;
    refusal.op = kHello;
    refusal.status = status;
    const std::vector<uint8_t> bytes = EncodeResponse(refusal);
    // A few bytes into an empty socket buffer: never blocks, never short.
    (void)!::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    // Closing with the peer's request unread would end its send with an
    // error before it could read the refusal; so our side is shut and the
    // request read away for a moment.
    if (m_refused.size() >= kMaxRefused) {
        ::close(fd);
        return;
    }
    ::shutdown(fd, SHUT_WR);
    m_refused[fd] = now + kRefusedLinger;
}

void CChipSocketServer::Accept(Clock::time_point now) {
    for (int round = 0; round < kAcceptsPerRound; ++round) {
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                m_acceptRestsUntil = now + kAcceptRest;
            }
            return;
        }
        ucred peer{};
        socklen_t length = sizeof(peer);
        const bool known = ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0;
        std::vector<gid_t> groups(256);
        socklen_t groupBytes = static_cast<socklen_t>(groups.size() * sizeof(gid_t));
        const bool haveGroups = ::getsockopt(fd, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &groupBytes) == 0;
        groups.resize(haveGroups ? groupBytes / sizeof(gid_t) : 0);
        const auto right = known ? m_peers.RightOf(peer.pid, peer.gid, haveGroups ? &groups : nullptr) : std::nullopt;
        if (!right) {
            Refuse(fd, kNotInGroup, now);
            continue;
        }
        if (m_connections.size() >= m_limits.maxConnections ||
            m_service.Clients().CountOf(peer.uid) >= m_limits.connectionsPerUser) {
            Refuse(fd, kTooManyConnections, now);
            continue;
        }
        CConnection& connection = m_connections[fd];
        connection.uid = peer.uid;
        connection.lastRequest = now;
        m_service.Connect(fd, {peer.pid, peer.uid, *right});
    }
}

void CChipSocketServer::Close(int fd) {
    ::close(fd);
    m_connections.erase(fd);
    m_service.Disconnect(fd);
}

bool CChipSocketServer::Backlogged(const CConnection& connection) const {
    return connection.output.size() - connection.sent >= kOutputLimit;
}

bool CChipSocketServer::Receive(int fd, CConnection& connection, Clock::time_point now) {
    if (connection.ending || Backlogged(connection) || connection.input.size() >= kInputLimit) return true;
    uint8_t buffer[kReadChunk];
    const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (n <= 0) return false;
    if (connection.input.empty()) connection.inputSince = now;
    connection.input.insert(connection.input.end(), buffer, buffer + n);
    return true;
}

void CChipSocketServer::ServeFrames(int fd, CConnection& connection, Clock::time_point now) {
    size_t offset = 0;
    int served = 0;
    while (!connection.ending && offset < connection.input.size()) {
        if (served == kFramesPerRound || Backlogged(connection)) {
            m_framesWaiting = m_framesWaiting || !Backlogged(connection);
            break;
        }
        CRequest request;
        const CParsed parsed =
            ParseRequest(connection.input.data() + offset, connection.input.size() - offset, request);
        if (parsed.result == Parse::kIncomplete) break;
        CResponse response;
        switch (parsed.result) {
        case Parse::kFrame:
            response = m_service.Serve(fd, request);
            break;
        case Parse::kUnknownOp:
            response.op = static_cast<Op>(connection.input[offset + 3] & ~kResponseBit);
            response.status = kUnknownOp;
            break;
        case Parse::kBadLength:
            response.status = kBadLength;
            connection.ending = true;
            break;
        default:
            response.status = kGarbage;
            connection.ending = true;
            break;
        }
        if (connection.output.size() == connection.sent) connection.outputSince = now;
        Append(connection.output, response);
        offset += parsed.consumed;
        ++served;
        connection.lastRequest = now;
    }
    if (offset == 0) return;
    connection.input.erase(connection.input.begin(), connection.input.begin() + static_cast<long>(offset));
    // What is left is the start of the next frame.
    connection.inputSince = now;
}

bool CChipSocketServer::Flush(int fd, CConnection& connection, Clock::time_point now) {
    while (connection.sent < connection.output.size()) {
        const ssize_t n = ::send(fd, connection.output.data() + connection.sent,
                                 connection.output.size() - connection.sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (n <= 0) return false;
        connection.sent += static_cast<size_t>(n);
        connection.sentTotal += static_cast<uint64_t>(n);
        connection.outputSince = now;
        if (!connection.unread) {
            connection.unread = true;
            connection.unreadSince = now;
        }
    }
    connection.output.clear();
    connection.sent = 0;
    return true;
}

bool CChipSocketServer::Reads(int fd, CConnection& connection, Clock::time_point now) const {
    if (!connection.unread) return true;
    int queued = 0;
    if (::ioctl(fd, SIOCOUTQ, &queued) != 0 || queued <= 0) {
        connection.unread = false;
        connection.consumed = connection.sentTotal;
        return true;
    }
    // Any byte read since the last look restarts the time: a busy client
    // always has its latest reply in flight.
    const uint64_t consumed = connection.sentTotal - std::min<uint64_t>(connection.sentTotal, queued);
    if (consumed > connection.consumed) connection.unreadSince = now;
    connection.consumed = consumed;
    return now - connection.unreadSince <= m_limits.replyTimeout;
}

bool CChipSocketServer::Expired(const CConnection& connection, Clock::time_point now) const {
    if (connection.sent < connection.output.size() && now - connection.outputSince > m_limits.replyTimeout) {
        return true;
    }
    if (!connection.input.empty() && now - connection.inputSince > m_limits.replyTimeout) return true;
    return now - connection.lastRequest > m_limits.idleTimeout;
}

void CChipSocketServer::LetGo(Clock::time_point now) {
    for (auto it = m_refused.begin(); it != m_refused.end();) {
        uint8_t buffer[256];
        const ssize_t n = ::recv(it->first, buffer, sizeof(buffer), MSG_DONTWAIT);
        const bool open = (n > 0 || (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)));
        if (open && now < it->second) {
            ++it;
            continue;
        }
        ::close(it->first);
        it = m_refused.erase(it);
    }
}

void CChipSocketServer::Run(const volatile std::sig_atomic_t& stop) {
    std::vector<pollfd> fds;
    while (!stop) {
        Clock::time_point now = Clock::now();
        const bool listening = now >= m_acceptRestsUntil;
        fds.clear();
        fds.push_back({listening ? m_listen : -1, POLLIN, 0});
        bool deadlines = !m_refused.empty() || !listening;
        for (const auto& [fd, connection] : m_connections) {
            short events = 0;
            if (!connection.ending && !Backlogged(connection) && connection.input.size() < kInputLimit) {
                events |= POLLIN;
            }
            if (connection.sent < connection.output.size()) events |= POLLOUT;
            deadlines = deadlines || events & POLLOUT || !connection.input.empty() || connection.unread;
            fds.push_back({fd, events, 0});
        }
        for (const auto& [fd, deadline] : m_refused) fds.push_back({fd, POLLIN, 0});
        // Short rounds only while something has a deadline near or frames wait.
        const int timeout = m_framesWaiting ? 0 : deadlines ? 50 : 1000;
        m_framesWaiting = false;
        const int ready = ::poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno != EINTR) break;
        now = Clock::now();

        std::vector<int> ended;
        for (size_t i = 1; i < 1 + m_connections.size() && i < fds.size(); ++i) {
            const int fd = fds[i].fd;
            auto found = m_connections.find(fd);
            if (found == m_connections.end()) continue;
            CConnection& connection = found->second;
            bool keep = true;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) keep = Receive(fd, connection, now);
            if (keep) ServeFrames(fd, connection, now);
            if (keep) keep = Flush(fd, connection, now);
            if (keep && connection.ending && connection.sent == connection.output.size()) keep = false;
            if (keep && (Expired(connection, now) || !Reads(fd, connection, now))) keep = false;
            if (!keep) ended.push_back(fd);
        }
        for (int fd : ended) Close(fd);
        LetGo(now);
        if (listening && fds[0].revents & POLLIN) Accept(now);
    }
}
