#include "platform/CFileChipLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

std::string CFileChipLock::DefaultPath() {
    if (::access("/run/lock", W_OK) == 0) return "/run/lock/Dravik_SM_Event";
    std::error_code ec;
    std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (ec) temp = "/tmp";
    return (temp / "Dravik_SM_Event").string();
}

CFileChipLock::CFileChipLock(std::string path) : m_path(std::move(path)) {}

CFileChipLock::~CFileChipLock() { Release(); }

bool CFileChipLock::Acquire() {
    Release();
    // The file is opened for every transfer, so a lock file removed and
    // recreated by a cleaner is picked up by the next transfer.
    m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) return false;
    // Peers of other users must be able to open it too, whatever our umask.
    struct stat st {};
    if (::fstat(m_fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 0666) != 0666) {
        ::fchmod(m_fd, 0666);
    }
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(m_fd);
            m_fd = -1;
            return false;
        }
    }
    return true;
}

void CFileChipLock::Release() {
    if (m_fd < 0) return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}
