#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "app/CTerminationSignals.h"
#include "platform/CFileChipLock.h"
#include "support/CLockHolderProcess.h"
#include "support/CTempDir.h"
#include "support/QtTestApplication.h"

namespace {

// The window program waits for the chip lock on its interface thread; a peer
// stopped while holding it must not keep log-out or Ctrl+C from ending it.
TEST(TerminationDuringLockWait, ASignalEndsTheWaitAndStillReachesTheEventLoop)
{
    QtTestApplication();
    CTempDir dir;
    const std::string path = dir.File("Dravik_SM_Event");
    CLockHolderProcess holder(path);
    ASSERT_TRUE(holder.Holding());

    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before = {};
    ASSERT_EQ(::sigaction(SIGUSR2, &ignore, &before), 0);
    {
        CTerminationSignals termination({SIGUSR2});
        ASSERT_TRUE(termination.IsInstalled());
        EXPECT_FALSE(CTerminationSignals::IsRequested());
        std::vector<int> received;
        QObject::connect(&termination, &CTerminationSignals::terminationRequested,
                         [&](int number) { received.push_back(number); });

        CFileChipLock lock(path, std::chrono::minutes(10));
        lock.SetTerminationCheck(&CTerminationSignals::IsRequested);
        const pid_t self = ::getpid();
        std::thread sender([self] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ::kill(self, SIGUSR2);
        });
        EXPECT_EQ(lock.Acquire(), ChipLockResult::kBusy);
        sender.join();
        EXPECT_TRUE(CTerminationSignals::IsRequested());

        for (int i = 0; i < 50 && received.empty(); ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(received, std::vector<int>{SIGUSR2});
    }
    EXPECT_FALSE(CTerminationSignals::IsRequested()) << "the request ends with the handlers' owner";
    ASSERT_EQ(::sigaction(SIGUSR2, &before, nullptr), 0);
}

}  // namespace
