// One packet endpoint of the suite link: a Unix datagram socket bound in the
// abstract namespace to "@" + window class + ":" + process id. Kelvane's main
// window listens on "@Kelvane:<pid>", the suite on "@Dravik Manager:<pid>";
// a program finds another one's endpoint by that name. Abstract names vanish
// with the last descriptor, so a crashed program leaves nothing stale behind.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CSuiteEndpoint {
public:
    CSuiteEndpoint() = default;
    ~CSuiteEndpoint();
    CSuiteEndpoint(CSuiteEndpoint&& other) noexcept;
    CSuiteEndpoint& operator=(CSuiteEndpoint&& other) noexcept;
    CSuiteEndpoint(const CSuiteEndpoint&) = delete;
    CSuiteEndpoint& operator=(const CSuiteEndpoint&) = delete;

    // "@" + windowClass + ":" + pid.
    static std::string NameFor(std::string_view windowClass, pid_t pid);
    // The window class and process id of a name of that form; nothing for any
    // other name (no "@", no ":", or a suffix that is not a plain number).
    static std::optional<std::string> ClassOf(std::string_view name);
    static std::optional<pid_t> PidOf(std::string_view name);

    // Binds a non-blocking datagram socket to the name (which starts with
    // "@"). False when the name is taken or malformed; a bound endpoint is
    // closed first.
    bool Bind(const std::string& name);
    void Close();
    bool IsBound() const { return m_fd >= 0; }
    // For a poll or a socket notifier; -1 while not bound.
    int Fd() const { return m_fd; }
    const std::string& Name() const { return m_name; }

    // Datagrams longer than this come out cut to this size, so that the
    // parser sees them as too long.
    static constexpr std::size_t kReceiveLimit = 261;

    // The next pending datagram, or nothing when none waits. A datagram
    // longer than kReceiveLimit is returned cut to kReceiveLimit bytes.
    std::optional<std::vector<std::uint8_t>> Receive();

    // One datagram holding exactly bytes, to the endpoint called name,
    // waiting at most timeout for room in a full receive queue. False when
    // nobody listens there, the queue stays full or the name is malformed.
    // True when a datagram endpoint of that name is bound now (a connect
    // to it succeeds); nothing is sent.
    static bool IsBound(const std::string& name);
    static bool SendTo(const std::string& name, std::span<const std::uint8_t> bytes,
                       std::chrono::milliseconds timeout);

private:
    int m_fd = -1;
    std::string m_name;
};
