// The real power-off: asks systemd-logind over the system D-Bus
// (org.freedesktop.login1.Manager.PowerOff, not interactive) and falls back
// to "systemctl poweroff" when that request fails. Each command runs as a
// child process from an argument vector; no shell is involved.
//
// Never instantiated by tests, benchmarks or demos: they use
// CRecordingPowerOff. The command runner is a parameter so that the argument
// vectors can be checked without running anything.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/IPowerOff.h"

class CLogindPowerOff : public IPowerOff {
public:
    // Runs argv[0] (looked up in PATH) with argv and returns its exit status,
    // or -1 when it could not be started or did not exit normally.
    using CommandRunner = std::function<int(const std::vector<std::string>& argv)>;

    explicit CLogindPowerOff(CommandRunner runner = RunCommand);

    bool PowerOff() override;

    static std::vector<std::string> LogindCommand();
    static std::vector<std::string> SystemctlCommand();
    // fork and execvp, then wait for the child.
    static int RunCommand(const std::vector<std::string>& argv);

private:
    CommandRunner m_runner;
};
