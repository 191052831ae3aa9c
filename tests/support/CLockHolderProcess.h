// A child process that takes the chip lock file's flock and keeps it until
// it is ended (by its pid, in the destructor at the latest). The child uses
// bare system calls only: it is forked from a test program with threads.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

class CLockHolderProcess {
public:
    explicit CLockHolderProcess(const std::string& lockPath) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
            const char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char ok = 0;
        m_holding = m_pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok == '1';
        ::close(ready[0]);
    }
    ~CLockHolderProcess() { End(); }
    CLockHolderProcess(const CLockHolderProcess&) = delete;
    CLockHolderProcess& operator=(const CLockHolderProcess&) = delete;

    bool Holding() const { return m_holding; }
    void End() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    bool m_holding = false;
};
