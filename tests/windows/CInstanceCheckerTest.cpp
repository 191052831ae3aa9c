// The single-instance hand-off, under names of the tests' own.
#include "windows/CInstanceChecker.h"

#include <QWidget>

#include "WaitFor.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace {

QString UniqueName(const char* what)
{
    static int serial = 0;
    return CInstanceChecker::NameFor(QStringLiteral("kelvane-test-%1-%2-%3").arg(what).arg(::getpid()).arg(++serial));
}

// A child process that holds the name the way a first copy does (a stream
// socket listening on the abstract name) until it is killed. Only system
// calls run in the child, so forking this threaded process is safe.
pid_t StartNameHolder(const std::string& name)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.data(), name.size());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        const char ok = (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                         ::listen(fd, 4) == 0) ? 1 : 0;
        if (::write(ready[1], &ok, 1) != 1 || !ok)
            ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char ok = 0;
    const bool started = pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok == 1;
    ::close(ready[0]);
    if (pid > 0 && !started) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

}  // namespace

TEST(InstanceChecker, FirstCopyTracksTheName)
{
    CInstanceChecker first(UniqueName("alone"));
    EXPECT_EQ(first.Name().left(21), QStringLiteral("CInstanceChecker_MMF_"));
    EXPECT_FALSE(first.IsPreviousInstanceRunning());
    EXPECT_FALSE(first.ActivatePreviousInstance());
    EXPECT_TRUE(first.TrackFirstInstance());
    EXPECT_TRUE(first.IsTracking());
}

TEST(InstanceChecker, SecondCopyIsDetectedAndBringsTheFirstForward)
{
    const QString name = UniqueName("second");
    CInstanceChecker first(name);
    ASSERT_TRUE(first.TrackFirstInstance());
    QWidget window;
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    QObject::connect(&first, &CInstanceChecker::ActivationRequested, &window,
                     [&window] { CInstanceChecker::BringToFront(window); });
    int activated = 0;
    QObject::connect(&first, &CInstanceChecker::ActivationRequested, [&activated] { ++activated; });

    CInstanceChecker second(name);
    EXPECT_TRUE(second.IsPreviousInstanceRunning());
    EXPECT_FALSE(second.TrackFirstInstance());
    EXPECT_TRUE(second.ActivatePreviousInstance());

    ASSERT_TRUE(WaitFor([&] { return activated > 0; }));
    EXPECT_EQ(activated, 1);
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());

    // A copy that only looked and went away asks for nothing.
    {
        CInstanceChecker looker(name);
        EXPECT_TRUE(looker.IsPreviousInstanceRunning());
    }
    EXPECT_FALSE(WaitFor([&] { return activated > 1; }, 300));
}

TEST(InstanceChecker, CrashedFirstCopyDoesNotBlockTheNextStart)
{
    const QString name = UniqueName("crash");
    const pid_t holder = StartNameHolder(name.toStdString());
    ASSERT_GT(holder, 0);
    {
        CInstanceChecker blocked(name);
        EXPECT_TRUE(blocked.IsPreviousInstanceRunning());
        EXPECT_FALSE(blocked.TrackFirstInstance());
    }

    ASSERT_EQ(::kill(holder, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(holder, &status, 0), holder);

    CInstanceChecker next(name);
    EXPECT_FALSE(next.IsPreviousInstanceRunning());
    EXPECT_TRUE(next.TrackFirstInstance());
}
