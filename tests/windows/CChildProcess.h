// A program started by a test, with its standard output read line by line
// (its error output is dropped), ended by its process id (never by name).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class CChildProcess {
public:
    // Starts program with arguments; Pid() is 0 when that failed.
    CChildProcess(const std::string& program, const std::vector<std::string>& arguments);
    // Ends the child (SIGTERM, then SIGKILL) if it still runs.
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    pid_t Pid() const { return m_pid; }

    // The next line of output without its line end, or nothing when none
    // comes within timeout or the output ended.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Lines until one starts with prefix (that one returned), or nothing.
    std::optional<std::string> WaitForLine(const std::string& prefix,
                                           std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // SIGTERM, and the exit status (-1 when it did not end within timeout).
    int Terminate(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // The exit status once it ends by itself, -1 when not within timeout.
    int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    pid_t m_pid = 0;
    int m_output = -1;
    std::string m_pending;
    std::optional<int> m_status;
};

// The program directory: the directory of the test binary, where the build
// puts every executable.
std::string ProgramDirectoryPath();
