// The real power-off: asks systemd-logind over the system D-Bus
// (org.freedesktop.login1.Manager.PowerOff, not interactive); when logind
// refuses (an inhibitor lock, other users' sessions) or cannot be asked, the
// forcing variant "systemctl poweroff -i" follows, which ignores inhibitor
// locks where the caller may. Each command runs as a child process from an
// argument vector (no shell) with a bounded time, and its standard error
// gives the refusal text.
//
// Never instantiated by tests, benchmarks or demos: they use
// CRecordingPowerOff. The command runner is a parameter so that the argument
// vectors can be checked without running anything.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/CCommandRunner.h"
#include "platform/IPowerOff.h"

class CLogindPowerOff : public IPowerOff {
public:
    using CommandRunner = std::function<CCommandRunner::SOutcome(const std::vector<std::string>& argv)>;

    static constexpr std::chrono::milliseconds kCommandTimeLimit{15000};

    explicit CLogindPowerOff(CommandRunner runner = RunCommand);

    bool PowerOff() override;
    std::string RefusalText() const override { return m_strRefusal; }

    static std::vector<std::string> LogindCommand();
    // The forcing variant.
    static std::vector<std::string> SystemctlCommand();
    // The command through CCommandRunner within kCommandTimeLimit.
    static CCommandRunner::SOutcome RunCommand(const std::vector<std::string>& argv);
    // One command's part of the refusal text: its first error line, or what
    // became of it.
    static std::string Describe(const std::string& program, const CCommandRunner::SOutcome& outcome);

private:
    CommandRunner m_runner;
    std::string m_strRefusal;
};
