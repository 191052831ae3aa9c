#include "CChildProcess.h"

#include "windows/CProgramDirectory.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

CChildProcess::CChildProcess(const std::string& program, const std::vector<std::string>& arguments)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    // Complaints about bad options are expected; they stay out of the log.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> all{program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0)
        m_pid = pid;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    m_output = pipeFds[0];
}

CChildProcess::~CChildProcess()
{
    if (m_pid > 0 && !m_status && Terminate() < 0) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    if (m_output >= 0)
        ::close(m_output);
}

std::optional<std::string> CChildProcess::ReadLine(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::size_t end = m_pending.find('\n');
        if (end != std::string::npos) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (m_output < 0 || left.count() <= 0)
            return std::nullopt;
        pollfd watched{m_output, POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[512];
        const ssize_t got = ::read(m_output, buffer, sizeof(buffer));
        if (got <= 0)
            return std::nullopt;
        m_pending.append(buffer, static_cast<std::size_t>(got));
    }
}

std::optional<std::string> CChildProcess::WaitForLine(const std::string& prefix, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        auto line = ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()));
        if (!line)
            return std::nullopt;
        if (line->rfind(prefix, 0) == 0)
            return line;
    }
    return std::nullopt;
}

int CChildProcess::Terminate(std::chrono::milliseconds timeout)
{
    if (m_pid <= 0)
        return -1;
    if (!m_status)
        ::kill(m_pid, SIGTERM);
    return Wait(timeout);
}

int CChildProcess::Wait(std::chrono::milliseconds timeout)
{
    if (m_pid <= 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_status) {
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (done < 0 || std::chrono::steady_clock::now() >= deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return *m_status;
}

std::string ProgramDirectoryPath()
{
    return CProgramDirectory::GetProgramDirectory();
}
