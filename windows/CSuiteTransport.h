// How packets travel between Kelvane and Dravik Manager on Linux. A "window"
// that receives packets is a CSuiteEndpoint named "@" + window class + ":" +
// pid; a window handle is that name. The suite publishes its process id
// ("ID") and executable path ("Path") under HKEY_LOCAL_MACHINE
// "SOFTWARE\Dravik\Dravik Manager"; Kelvane publishes its own under
// "SOFTWARE\Dravik\Dravik Manager\Kelvane\".
#pragma once

#include "windows/CSuiteEndpoint.h"
#include "windows/CSuitePacket.h"

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CRegistryKey;

class CSuiteTransport {
public:
    static constexpr const char* kSuiteKey = "SOFTWARE\\Dravik\\Dravik Manager";
    static constexpr const char* kOwnKey = "SOFTWARE\\Dravik\\Dravik Manager\\Kelvane\\";
    static constexpr const char* kSuiteClass = "Dravik Manager";
    static constexpr const char* kOwnClass = "Kelvane";
    static constexpr std::chrono::milliseconds kSendTimeout{100};

    struct Options {
        // Prefix of /proc: "/" in production, a fixture tree in tests.
        std::string procRoot = "/";
        // Window classes, so that tests running side by side never reach
        // each other's endpoints.
        std::string suiteClass = kSuiteClass;
        std::string ownClass = kOwnClass;
    };

    // registry is rooted at HKEY_LOCAL_MACHINE and must outlive the transport.
    explicit CSuiteTransport(CRegistryKey& registry);
    CSuiteTransport(CRegistryKey& registry, Options options);

    // Looks for the suite's endpoint and remembers it, stopping at the first
    // step that succeeds:
    //   1. a bound endpoint "@<suite class>:<pid>" in <proc>/net/unix;
    //   2. the suite's "ID" value, taken as "@<suite class>:" + ID untested;
    //   3. the suite's "Path" value: the first endpoint of <proc>/net/unix,
    //      in table order, whose process (the pid of its name) runs an
    //      executable, <proc>/<pid>/exe, whose path equals Path byte for byte.
    // False (and nothing remembered) when every step fails.
    bool FindSuiteWindow();
    const std::string& SuiteEndpoint() const { return m_suiteEndpoint; }

    // FindSuiteWindow again, then one datagram with the packet's wire bytes,
    // waiting at most 100 ms. A suite that is gone or does not take the
    // datagram in time simply misses it.
    void Send(const CSuitePacket& packet);

    // Writes this program's "ID" (its pid, REG_DWORD) and "Path" (REG_SZ)
    // under kOwnKey, creating the key when missing.
    bool RegisterWithSuite(std::string_view executablePath);

    // Binds this program's own endpoint, "@<own class>:<own pid>".
    bool Listen();
    bool IsListening() const { return m_ownEndpoint.IsBound(); }
    // The descriptor to watch for incoming datagrams; -1 before Listen.
    int ReceiveFd() const { return m_ownEndpoint.Fd(); }
    const std::string& OwnEndpoint() const { return m_ownEndpoint.Name(); }
    // The next pending datagram on the own endpoint (see CSuiteEndpoint).
    std::optional<std::vector<std::uint8_t>> ReceiveDatagram() { return m_ownEndpoint.Receive(); }

    // The abstract datagram endpoints of a /proc/net/unix table, in table
    // order, with their "@" (stream sockets and unnamed ones are left out).
    static std::vector<std::string> ParseUnixSocketTable(std::string_view table);

private:
    std::string ProcPath(std::string_view relative) const;
    std::optional<std::vector<std::string>> ListEndpoints() const;
    bool FindByClass();
    bool FindByRegisteredId();
    bool FindByRegisteredPath();

    CRegistryKey& m_registry;
    Options m_options;
    std::string m_suiteEndpoint;
    CSuiteEndpoint m_ownEndpoint;
};
