// The built kelvane-chipd, started unprivileged in a private directory on a
// copy of the chip simulator (Backend=library), with its socket, its
// configuration, journal and a copy of the service client library of its
// own. Ended by its pid with SIGTERM when the object goes.
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
        std::string controlGroup;        // empty: the same as group
        std::string extraService;        // further lines of the [Service] section
    };

    explicit CServiceProcess(const COptions& options);
    ~CServiceProcess();
    CServiceProcess(const CServiceProcess&) = delete;
    CServiceProcess& operator=(const CServiceProcess&) = delete;

    // The socket answered within the start-up time.
    bool Started() const { return m_started; }
    // SIGKILL, and the process reaped.
    void Kill();
    // Starts the service again on the same directory (after Kill); true
    // when it answers.
    bool Restart();
    pid_t Pid() const { return m_pid; }
    std::string SocketPath() const { return m_dir.File("chip.sock"); }
    // A copy of the client build, with a chipclient.ini naming this socket.
    std::string ClientDirectory() const { return m_dir.File("client"); }
    std::string Log() const { return CTempDir::Read(m_dir.File("chipd.log")); }
    std::string JournalPath() const { return m_dir.File("chipd.journal"); }
    std::string ConfigPath() const { return m_dir.File("chipd.conf"); }

    // The name of the test's own primary group.
    static std::string OwnGroup();
    // An existing group the test is not a member of, or "" when there is none.
    static std::string ForeignGroup();
    static std::string BuildDirectory();

private:
    void Spawn();

    CTempDir m_dir;
    pid_t m_pid = -1;
    bool m_started = false;
};
