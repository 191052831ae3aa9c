#include "platform/CLogindPowerOff.h"

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

CLogindPowerOff::CLogindPowerOff(CommandRunner runner) : m_runner(std::move(runner)) {}

std::vector<std::string> CLogindPowerOff::LogindCommand() {
    return {"busctl",   "call", "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
            "PowerOff", "b",    "false"};
}

std::vector<std::string> CLogindPowerOff::SystemctlCommand() { return {"systemctl", "poweroff"}; }

bool CLogindPowerOff::PowerOff() {
    if (m_runner(LogindCommand()) == 0) return true;
    return m_runner(SystemctlCommand()) == 0;
}

int CLogindPowerOff::RunCommand(const std::vector<std::string>& argv) {
    if (argv.empty()) return -1;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    pid_t waited;
    do {
        waited = ::waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}
