#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "platform/CFileChipLock.h"
#include "support/CLockHolderProcess.h"
#include "support/CTempDir.h"

namespace {

// True when another open file description could take the lock right now.
bool IsFree(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

TEST(FileChipLockTest, DefaultPathCarriesTheEventName) {
    std::string path = CFileChipLock::DefaultPath();
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "Dravik_SM_Event");
    if (::access("/run/lock", W_OK) == 0) {
        EXPECT_EQ(path, "/run/lock/Dravik_SM_Event");
    }
}

TEST(FileChipLockTest, HeldBetweenAcquireAndRelease) {
    CTempDir dir;
    const std::string path = dir.File("Dravik_SM_Event");
    CFileChipLock lock(path);
    ASSERT_EQ(lock.Acquire(), ChipLockResult::kHeld);
    EXPECT_FALSE(IsFree(path));
    lock.Release();
    EXPECT_TRUE(IsFree(path));
    ASSERT_EQ(lock.Acquire(), ChipLockResult::kHeld);
    EXPECT_FALSE(IsFree(path));
}

TEST(FileChipLockTest, DestructionReleases) {
    CTempDir dir;
    const std::string path = dir.File("Dravik_SM_Event");
    {
        CFileChipLock lock(path);
        ASSERT_EQ(lock.Acquire(), ChipLockResult::kHeld);
    }
    EXPECT_TRUE(IsFree(path));
}

TEST(FileChipLockTest, UnusablePathFailsWithoutBlocking) {
    CTempDir dir;
    CFileChipLock lock(dir.File("no/such/dir/Dravik_SM_Event"));
    EXPECT_EQ(lock.Acquire(), ChipLockResult::kUnguarded);
    lock.Release();
}

TEST(FileChipLockTest, KilledHolderLeavesTheLockFree) {
    CTempDir dir;
    const std::string path = dir.File("Dravik_SM_Event");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CFileChipLock lock(path);
        char ok = lock.Acquire() == ChipLockResult::kHeld ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        for (;;) ::pause();
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    EXPECT_FALSE(IsFree(path));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    CFileChipLock lock(path);
    EXPECT_EQ(lock.Acquire(), ChipLockResult::kHeld);
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return 0;
    return st.st_mode & 07777;
}

TEST(FileChipLockTest, OnlyALockFileItCreatedGetsANewMode) {
    CTempDir dir;
    const mode_t oldMask = ::umask(022);
    {
        const std::string created = dir.File("created");
        CFileChipLock lock(created);
        EXPECT_EQ(lock.Acquire(), ChipLockResult::kHeld);
        EXPECT_EQ(ModeOf(created), 0666u) << "peers of other users must open it whatever our umask";
    }
    // A file that is already there is locked as it is, even read-only.
    for (mode_t mode : {0600u, 0644u, 0444u}) {
        const std::string existing = dir.File("existing" + std::to_string(mode));
        CTempDir::Write(existing, "");
        ASSERT_EQ(::chmod(existing.c_str(), mode), 0);
        CFileChipLock lock(existing);
        EXPECT_EQ(lock.Acquire(), ChipLockResult::kHeld) << std::oct << mode;
        EXPECT_FALSE(IsFree(existing));
        EXPECT_EQ(ModeOf(existing), mode);
    }
    ::umask(oldMask);
}

TEST(FileChipLockTest, SymbolicLinksAndNonRegularFilesAreNeverUsed) {
    CTempDir dir;
    const std::string target = dir.File("private");
    CTempDir::Write(target, "secret");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    const std::string link = dir.File("link");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    const std::string dangling = dir.File("dangling");
    ASSERT_EQ(::symlink(dir.File("nowhere").c_str(), dangling.c_str()), 0);
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    const std::string directory = dir.File("directory");
    ASSERT_EQ(::mkdir(directory.c_str(), 0777), 0);

    for (const std::string& path : {link, dangling, fifo, directory}) {
        CFileChipLock lock(path);
        EXPECT_EQ(lock.Acquire(), ChipLockResult::kUnguarded) << path;
        lock.Release();
    }
    EXPECT_EQ(ModeOf(target), 0600u);
    EXPECT_EQ(CTempDir::Read(target), "secret");
    EXPECT_FALSE(std::filesystem::exists(dir.File("nowhere"))) << "a dangling link is not followed to create";
}

TEST(FileChipLockTest, HungHolderCostsOneBoundedWaitThenShortOnes) {
    CTempDir dir;
    const std::string path = dir.File("Dravik_SM_Event");
    CLockHolderProcess holder(path);
    ASSERT_TRUE(holder.Holding());
    using Clock = std::chrono::steady_clock;
    const std::chrono::milliseconds bound{300};
    CFileChipLock lock(path, bound);

    Clock::time_point start = Clock::now();
    EXPECT_EQ(lock.Acquire(), ChipLockResult::kBusy);
    EXPECT_GE(Clock::now() - start, bound);
    start = Clock::now();
    EXPECT_EQ(lock.Acquire(), ChipLockResult::kBusy);
    EXPECT_LT(Clock::now() - start, bound) << "once stalled, waits are short";

    holder.End();
    EXPECT_EQ(lock.Acquire(), ChipLockResult::kHeld);
    EXPECT_FALSE(IsFree(path));
}

// Counts the lock file's opens.
class CCountingFileChipLock : public CFileChipLock {
public:
    using CFileChipLock::CFileChipLock;
    mutable int opens = 0;

protected:
    int OpenFile(const char* path, int flags, mode_t mode) const override {
        ++opens;
        return CFileChipLock::OpenFile(path, flags, mode);
    }
};

TEST(FileChipLockTest, OpensTheFileOnceUntilItIsRemoved) {
    CTempDir dir;
    const std::string path = dir.File("Dravik_SM_Event");
    CTempDir::Write(path, "");
    CCountingFileChipLock lock(path);
    for (int hold = 0; hold < 20; ++hold) {
        ASSERT_EQ(lock.Acquire(), ChipLockResult::kHeld);
        EXPECT_FALSE(IsFree(path));
        lock.Release();
        EXPECT_TRUE(IsFree(path));
    }
    EXPECT_EQ(lock.opens, 1) << "a tick takes the lock some twenty times";

    // Removed between holds, or removed and replaced: the next hold locks
    // the file that peers open now (created when missing, by one open that
    // found nothing and one that created it).
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(lock.Acquire(), ChipLockResult::kHeld);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(IsFree(path));
    lock.Release();
    EXPECT_EQ(lock.opens, 3);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    CTempDir::Write(path, "");
    ASSERT_EQ(lock.Acquire(), ChipLockResult::kHeld);
    EXPECT_FALSE(IsFree(path));
    EXPECT_EQ(lock.opens, 4);

    // A peer waiting on the file at the path is kept out until release.
    lock.Release();
    ASSERT_EQ(lock.Acquire(), ChipLockResult::kHeld);
    EXPECT_FALSE(IsFree(path));
    EXPECT_EQ(lock.opens, 4);
}

TEST(FileChipLockTest, PendingTerminationCutsTheWait) {
    CTempDir dir;
    const std::string path = dir.File("Dravik_SM_Event");
    CLockHolderProcess holder(path);
    ASSERT_TRUE(holder.Holding());
    CFileChipLock lock(path, std::chrono::minutes(10));
    std::atomic<bool> terminating{false};
    lock.SetTerminationCheck([&terminating] { return terminating.load(); });
    std::thread request([&terminating] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        terminating = true;
    });
    EXPECT_EQ(lock.Acquire(), ChipLockResult::kBusy);
    request.join();
}

}  // namespace
