#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/CFileChipLock.h"
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
    ASSERT_TRUE(lock.Acquire());
    EXPECT_FALSE(IsFree(path));
    lock.Release();
    EXPECT_TRUE(IsFree(path));
    ASSERT_TRUE(lock.Acquire());
    EXPECT_FALSE(IsFree(path));
}

TEST(FileChipLockTest, DestructionReleases) {
    CTempDir dir;
    const std::string path = dir.File("Dravik_SM_Event");
    {
        CFileChipLock lock(path);
        ASSERT_TRUE(lock.Acquire());
    }
    EXPECT_TRUE(IsFree(path));
}

TEST(FileChipLockTest, UnusablePathFailsWithoutBlocking) {
    CTempDir dir;
    CFileChipLock lock(dir.File("no/such/dir/Dravik_SM_Event"));
    EXPECT_FALSE(lock.Acquire());
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
        char ok = lock.Acquire() ? '1' : '0';
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
    EXPECT_TRUE(lock.Acquire());
}

}  // namespace
