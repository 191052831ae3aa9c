#include "tests/chipd/CServiceProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

std::string CServiceProcess::BuildDirectory() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

std::string CServiceProcess::OwnGroup() {
    const group* own = ::getgrgid(::getgid());
    return own ? own->gr_name : "";
}

std::string CServiceProcess::ForeignGroup() {
    std::vector<gid_t> groups(static_cast<size_t>(::getgroups(0, nullptr)) + 1);
    groups.resize(static_cast<size_t>(::getgroups(static_cast<int>(groups.size()), groups.data())));
    groups.push_back(::getgid());
    for (const char* name : {"nogroup", "nobody", "daemon", "bin", "sys", "adm"}) {
        const group* entry = ::getgrnam(name);
        if (!entry) continue;
        bool member = false;
        for (gid_t gid : groups) member = member || gid == entry->gr_gid;
        if (!member) return name;
    }
    return "";
}

namespace {

bool Answers(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

CServiceProcess::CServiceProcess(const COptions& options) {
    const std::string group = options.group.empty() ? OwnGroup() : options.group;
    const std::string control = options.controlGroup.empty() ? group : options.controlGroup;
    CTempDir::Write(ConfigPath(), "[Service]\nSocket=" + SocketPath() + "\nGroup=" + group + "\nControlGroup=" +
                                      control + "\nJournal=" + JournalPath() + "\n" + options.extraService +
                                      "\n[Chip]\nBackend=library\nLibraryDirectory=" + options.simulatorDirectory +
                                      "\n" + options.extraChip + "\n");
    fs::create_directories(ClientDirectory());
    fs::copy_file(BuildDirectory() + "/client/libWbcdflsh.so", ClientDirectory() + "/libWbcdflsh.so");
    CTempDir::Write(ClientDirectory() + "/chipclient.ini", "[Service]\nSocket=" + SocketPath() + "\n");
    Spawn();
}

void CServiceProcess::Kill() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    m_started = false;
}

bool CServiceProcess::Restart() {
    Kill();
    Spawn();
    return m_started;
}

void CServiceProcess::Spawn() {
    const std::string program = BuildDirectory() + "/kelvane-chipd";
    const std::string config = ConfigPath();
    const std::string log = m_dir.File("chipd.log");
    m_pid = ::fork();
    if (m_pid == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (out >= 0) ::dup2(out, 2);
        // No socket of the test's own environment may look passed to it.
        ::unsetenv("LISTEN_FDS");
        ::unsetenv("LISTEN_PID");
        ::execl(program.c_str(), program.c_str(), "--config", config.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // A stale socket file of a killed run refuses connections until the
    // new run replaces it.
    for (int wait = 0; wait < 2500 && m_pid > 0; ++wait) {
        if (Answers(SocketPath())) {
            m_started = true;
            break;
        }
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

CServiceProcess::~CServiceProcess() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
}
