#include "platform/CLogindPowerOff.h"

CLogindPowerOff::CLogindPowerOff(CommandRunner runner) : m_runner(std::move(runner)) {}

std::vector<std::string> CLogindPowerOff::LogindCommand() {
    return {"busctl",   "call", "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
            "PowerOff", "b",    "false"};
}

std::vector<std::string> CLogindPowerOff::SystemctlCommand() { return {"systemctl", "poweroff", "-i"}; }

bool CLogindPowerOff::PowerOff() {
    m_strRefusal.clear();
    const CCommandRunner::SOutcome logind = m_runner(LogindCommand());
    if (logind.Succeeded()) return true;
    const CCommandRunner::SOutcome forced = m_runner(SystemctlCommand());
    if (forced.Succeeded()) return true;
    m_strRefusal = Describe("logind", logind) + "; " + Describe("systemctl", forced);
    return false;
}

CCommandRunner::SOutcome CLogindPowerOff::RunCommand(const std::vector<std::string>& argv) {
    return CCommandRunner::Run(argv, {}, kCommandTimeLimit);
}

std::string CLogindPowerOff::Describe(const std::string& program, const CCommandRunner::SOutcome& outcome) {
    if (!outcome.started) return program + ": could not be started";
    if (outcome.timedOut) return program + ": no answer in time";
    const std::string line = CCommandRunner::FirstLine(outcome.errorText);
    if (!line.empty()) return program + ": " + line;
    return program + ": exit status " + std::to_string(outcome.status);
}
