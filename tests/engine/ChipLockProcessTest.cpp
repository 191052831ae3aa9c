#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "FakeChip.h"
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
            char ok = lock.Acquire() ? '1' : '0';
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

}  // namespace
