#include "platform/CServiceProbe.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "accesslib/client/CServiceConnection.h"

namespace {

CServiceAnswer Failed(std::string reason) { return CServiceAnswer{CServiceAnswer::State::kFailed, std::move(reason)}; }

// The reason a plain connect fails, which the connection class does not
// keep.
std::string ConnectProblem(const std::string& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof(address.sun_path)) return "the socket path is too long";
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::strerror(errno);
    std::string problem;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        const int code = errno;
        if (code == EACCES || code == EPERM) {
            problem = "permission denied (only members of the service's group may connect)";
        } else if (code == ECONNREFUSED) {
            problem = "nothing listens on the socket (is kelvane-chipd.socket started?)";
        } else {
            problem = std::strerror(code);
        }
    }
    ::close(fd);
    return problem;
}

}  // namespace

CServiceAnswer CServiceProbe::Ask(const std::string& socketPath) {
    struct stat status {};
    if (socketPath.empty() || ::lstat(socketPath.c_str(), &status) != 0) return {};
    if (const std::string problem = ConnectProblem(socketPath); !problem.empty()) return Failed(problem);

    const auto start = std::chrono::steady_clock::now();
    CServiceConnection connection(socketPath);
    ChipFrame::CResponse response;
    if (!connection.RoundTrip(ChipFrame::CRequest{}, response)) {
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (waited.count() >= 1500) return Failed("no answer within " + std::to_string((waited.count() + 500) / 1000) + " s");
        return Failed("the connection ended without an answer");
    }
    switch (response.status) {
        case ChipFrame::kOk: return CServiceAnswer{CServiceAnswer::State::kAnswered, {}};
        case ChipFrame::kNotInGroup: return Failed("refused: this user is not a member of the service's group");
        case ChipFrame::kNoChip: return Failed("the service has no chip to serve");
        default: return Failed("answered with status " + std::to_string(response.status));
    }
}
