#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "FakeChip.h"
#include "SimulatorProgram.h"
#include "engine/CAccessLibrary.h"
#include "engine/CMonitorChip.h"
#include "platform/CFakeLibraryLoader.h"
#include "platform/CFileChipLock.h"
#include "platform/CRecordingMessageBox.h"
#include "support/CTempDir.h"

namespace {

// A peer process that takes the chip lock, tells the parent, and then either
// keeps it for a while (leaving a mark just before it lets go) or for ever.
class LockHolder {
public:
    LockHolder(const std::string& lockPath, const std::string& markPath, bool forever) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            CFileChipLock lock(lockPath);
            char ok = lock.Acquire() == ChipLockResult::kHeld ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            if (forever) {
                for (;;) ::pause();
            }
            ::usleep(300 * 1000);
            CTempDir::Write(markPath, "released");
            ::_exit(0);
        }
        ::close(ready[1]);
        char ok = 0;
        m_holding = m_pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok == '1';
        ::close(ready[0]);
    }
    ~LockHolder() { Kill(); }
    bool Holding() const { return m_holding; }
    void Kill() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    void Wait() {
        if (m_pid <= 0) return;
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    bool m_holding = false;
};

class ChipLockProcessTest : public ::testing::Test {
protected:
    ChipLockProcessTest() {
        fake.Install(loader);
        library = std::make_unique<CAccessLibrary>(loader);
        chip.AttachLibrary(library.get());
        fake.Set(0x27, 0x5A);
        fake.onPortAccess = [this] {
            if (!markSeenAtFirstAccess) markSeenAtFirstAccess = CTempDir::Read(markPath) == "released" ? 1 : 0;
        };
    }

    CTempDir dir;
    std::string lockPath = dir.File("Dravik_SM_Event");
    std::string markPath = dir.File("mark");
    FakeChip fake;
    CFakeLibraryLoader loader{"libWbcdflsh.so"};
    CFileChipLock lock{lockPath};
    CRecordingMessageBox box;
    std::unique_ptr<CAccessLibrary> library;
    CMonitorChip chip{lock, box};
    std::optional<int> markSeenAtFirstAccess;
};

TEST_F(ChipLockProcessTest, PeerHoldingTheLockDelaysTheTransfer) {
    LockHolder peer(lockPath, markPath, false);
    ASSERT_TRUE(peer.Holding());
    EXPECT_EQ(chip.ReadRegister(0x27), 0x5A);
    // The port was first touched only after the peer had let go.
    ASSERT_TRUE(markSeenAtFirstAccess.has_value());
    EXPECT_EQ(*markSeenAtFirstAccess, 1);
    peer.Wait();
}

TEST_F(ChipLockProcessTest, KilledPeerDoesNotBlockTheChip) {
    LockHolder peer(lockPath, markPath, true);
    ASSERT_TRUE(peer.Holding());
    peer.Kill();
    EXPECT_EQ(chip.ReadRegister(0x27), 0x5A);
    chip.WriteRegister(0x28, 0x11);
    EXPECT_EQ(fake.Get(0x28), 0x11);
}

// Reads register 0x53 of one bank over and over through the simulator under
// the shared lock file; the exit status is 0 when every read gave expected.
int ReadOneBank(const std::string& directory, const std::string& lockPath, uint8_t bank, uint8_t expected,
                int goFd) {
    char go = 0;
    if (::read(goFd, &go, 1) < 0) return 2;
    CDirectoryLibraryLoader loader(directory);
    CAccessLibrary library(loader);
    CFileChipLock lock(lockPath);
    CRecordingMessageBox box;
    CMonitorChip chip(lock, box);
    chip.AttachLibrary(&library);
    if (!chip.DetectChip()) return 2;
    int wrong = 0;
    for (int i = 0; i < 5000; ++i) {
        if (chip.ReadBankedRegister(bank, 0x53) != expected) ++wrong;
    }
    return wrong == 0 ? 0 : 1;
}

TEST(ChipLockTwoProcessTest, ConcurrentReadersOfDifferentBanksEachSeeTheirOwnBank) {
    SimulatorProgram program("W83782D");
    const std::string lockPath = program.m_dir.File("Dravik_SM_Event");
    {
        CAccessLibrary library(program.loader);
        CFileChipLock lock(lockPath);
        CMonitorChip chip(lock, program.messageBox);
        chip.AttachLibrary(&library);
        ASSERT_TRUE(chip.DetectChip());
        chip.WriteBankedRegister(1, 0x53, 0x11);
        chip.WriteBankedRegister(2, 0x53, 0x22);
        ASSERT_EQ(chip.ReadBankedRegister(1, 0x53), 0x11);
        ASSERT_EQ(chip.ReadBankedRegister(2, 0x53), 0x22);
    }
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const struct {
        uint8_t bank;
        uint8_t expected;
    } readers[] = {{1, 0x11}, {2, 0x22}};
    pid_t pids[2] = {-1, -1};
    for (int i = 0; i < 2; ++i) {
        pids[i] = ::fork();
        ASSERT_GE(pids[i], 0);
        if (pids[i] == 0) {
            ::close(go[1]);
            ::_exit(ReadOneBank(program.Directory(), lockPath, readers[i].bank, readers[i].expected, go[0]));
        }
    }
    // Both readers start together when the pipe closes.
    ::close(go[0]);
    ::close(go[1]);
    for (int i = 0; i < 2; ++i) {
        int status = -1;
        ASSERT_EQ(::waitpid(pids[i], &status, 0), pids[i]);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "reader of bank " << int(readers[i].bank) << " (1: a wrong value)";
    }
}

}  // namespace
