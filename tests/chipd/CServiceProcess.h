// The built kelvane-chipd, started unprivileged in a private directory on a
// copy of the chip simulator (Backend=library), with its socket, its
// configuration and a copy of the service client library of its own. Ended
// by its pid with SIGTERM when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/CTempDir.h"

class CServiceProcess {
public:
    struct COptions {
        std::string simulatorDirectory;  // holds libWbcdflsh.so and simchip.ini
        std::string group;               // empty: the test's own primary group
        std::string extraChip;           // further lines of the [Chip] section
    };

    explicit CServiceProcess(const COptions& options);
    ~CServiceProcess();
    CServiceProcess(const CServiceProcess&) = delete;
    CServiceProcess& operator=(const CServiceProcess&) = delete;

    // The socket answered within the start-up time.
    bool Started() const { return m_started; }
    pid_t Pid() const { return m_pid; }
    std::string SocketPath() const { return m_dir.File("chip.sock"); }
    // A copy of the client build, with a chipclient.ini naming this socket.
    std::string ClientDirectory() const { return m_dir.File("client"); }
    std::string Log() const { return CTempDir::Read(m_dir.File("chipd.log")); }

    // The name of the test's own primary group.
    static std::string OwnGroup();
    // An existing group the test is not a member of, or "" when there is none.
    static std::string ForeignGroup();
    static std::string BuildDirectory();

private:
    CTempDir m_dir;
    pid_t m_pid = -1;
    bool m_started = false;
};
