#include "platform/CFileChipLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace {

constexpr std::chrono::milliseconds kFirstPoll{1};
constexpr std::chrono::milliseconds kLongestPoll{20};

bool TryLock(int fd) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EINTR) return false;
    }
}

// A signal ends the sleep early; the caller looks at the clock and at a
// pending termination either way.
void Sleep(std::chrono::nanoseconds duration) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
    timespec request{};
    request.tv_sec = static_cast<time_t>(seconds.count());
    request.tv_nsec = static_cast<long>((duration - seconds).count());
    ::nanosleep(&request, nullptr);
}

}  // namespace

std::string CFileChipLock::DefaultPath() {
    if (::access("/run/lock", W_OK) == 0) return "/run/lock/Dravik_SM_Event";
    std::error_code ec;
    std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (ec) temp = "/tmp";
    return (temp / "Dravik_SM_Event").string();
}

CFileChipLock::CFileChipLock(std::string path, std::chrono::milliseconds waitBound)
    : m_path(std::move(path)), m_waitBound(waitBound) {}

CFileChipLock::~CFileChipLock() {
    Release();
    CloseLockFile();
}

int CFileChipLock::OpenFile(const char* path, int flags, mode_t mode) const { return ::open(path, flags, mode); }

int CFileChipLock::OpenLockFile() const {
    // An existing file is opened without O_CREAT: in a sticky directory
    // (fs.protected_regular) O_CREAT on another user's file is refused, and
    // the lock would silently be lost. flock needs no write access, so a
    // read-only open also works on a peer's file of mode 0644.
    int fd = -1;
    for (int attempt = 0; attempt < 2 && fd < 0; ++attempt) {
        fd = OpenFile(m_path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
        if (fd >= 0 || errno != ENOENT) break;
        fd = OpenFile(m_path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd >= 0) {
            // Peers of other users must be able to open it too, whatever our
            // umask; only the file created here is ever given a mode.
            ::fchmod(fd, 0666);
            break;
        }
        if (errno != EEXIST) break;  // EEXIST: a peer created it meanwhile
    }
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void CFileChipLock::CloseLockFile() {
    if (m_fd < 0) return;
    ::close(m_fd);
    m_fd = -1;
}

ChipLockResult CFileChipLock::Acquire() {
    Release();
    // The file stays open between critical sections. One removed (or
    // replaced) by a cleaner is no longer the one peers open, so a lock on
    // it would exclude nobody: it is noticed once locked (no links left) and
    // the file at the path is opened instead, created when missing.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (m_fd < 0) m_fd = OpenLockFile();
        if (m_fd < 0) return ChipLockResult::kUnguarded;
        const ChipLockResult result = WaitForLock();
        if (result != ChipLockResult::kHeld) return result;
        struct stat st {};
        if (::fstat(m_fd, &st) == 0 && st.st_nlink > 0) {
            m_held = true;
            return result;
        }
        ::flock(m_fd, LOCK_UN);
        CloseLockFile();
    }
    return ChipLockResult::kUnguarded;
}

ChipLockResult CFileChipLock::WaitForLock() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    std::chrono::nanoseconds poll = kFirstPoll;
    for (;;) {
        if (TryLock(m_fd)) {
            m_stalled = false;
            return ChipLockResult::kHeld;
        }
        if (errno != EWOULDBLOCK) {
            CloseLockFile();
            return ChipLockResult::kUnguarded;
        }
        const std::chrono::nanoseconds bound = (m_stalled || IsTerminating()) ? kShortWaitBound : m_waitBound;
        const std::chrono::nanoseconds waited = Clock::now() - start;
        if (waited >= bound) break;
        Sleep(std::min(poll, bound - waited));
        poll = std::min<std::chrono::nanoseconds>(poll * 2, kLongestPoll);
    }
    m_stalled = true;
    return ChipLockResult::kBusy;
}

void CFileChipLock::Release() {
    if (!m_held) return;
    ::flock(m_fd, LOCK_UN);
    m_held = false;
}
