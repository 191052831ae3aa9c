// The single-instance hand-off, under names of the tests' own, and the
// choice of the user's private directory for the name.
#include "windows/CInstanceChecker.h"

#include <QFile>
#include <QWidget>

#include "WaitFor.h"
#include "support/CTempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class InstanceChecker : public ::testing::Test {
protected:
    QString Name(const char* what) const
    {
        return QString::fromStdString(m_dir.File(CInstanceChecker::kNamePrefix + std::string(what)));
    }

    CTempDir m_dir;
};

// A child process that holds the name the way a first copy does (the lock
// taken, a stream socket listening on the path) until it is killed. Only
// system calls run in the child, so forking this threaded process is safe.
pid_t StartNameHolder(const std::string& path)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        const int lock = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const char ok = (lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) == 0 && fd >= 0 &&
                         ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
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

TEST_F(InstanceChecker, FirstCopyTracksTheNameOnASocketOnlyItsUserReaches)
{
    CInstanceChecker first(Name("alone"));
    EXPECT_FALSE(first.IsPreviousInstanceRunning());
    EXPECT_FALSE(first.ActivatePreviousInstance());
    EXPECT_TRUE(first.TrackFirstInstance());
    EXPECT_TRUE(first.IsTracking());

    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(first.Name()).constData(), &status), 0);
    EXPECT_TRUE(S_ISSOCK(status.st_mode));
    EXPECT_EQ(status.st_mode & 077, 0u) << std::oct << status.st_mode;
}

TEST_F(InstanceChecker, SecondCopyIsDetectedAndBringsTheFirstForward)
{
    const QString name = Name("second");
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
    EXPECT_TRUE(second.IsNameTaken());
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

TEST_F(InstanceChecker, TheNameIsFreeAgainWhenTheFirstCopyEndsOrCrashes)
{
    const QString name = Name("crash");
    {
        CInstanceChecker ended(name);
        ASSERT_TRUE(ended.TrackFirstInstance());
    }
    EXPECT_FALSE(fs::exists(name.toStdString())) << "the listener's socket goes with it";

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
    ASSERT_TRUE(fs::exists(name.toStdString())) << "a crash leaves the socket file behind";

    CInstanceChecker next(name);
    EXPECT_FALSE(next.IsPreviousInstanceRunning());
    EXPECT_TRUE(next.TrackFirstInstance());
    CInstanceChecker after(name);
    EXPECT_TRUE(after.IsPreviousInstanceRunning()) << "the stale socket file was replaced";
}

// A stream socket connected to the listener at path, or -1.
int ConnectTo(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof(address.sun_path) - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

TEST_F(InstanceChecker, TheListenerTakesARequestInPiecesAndDropsAPeerThatTalksOn)
{
    const QString name = Name("peers");
    CInstanceChecker first(name);
    ASSERT_TRUE(first.TrackFirstInstance());
    int activated = 0;
    QObject::connect(&first, &CInstanceChecker::ActivationRequested, [&activated] { ++activated; });

    // The request line in two writes, and an idle peer held open meanwhile.
    const int idle = ConnectTo(name);
    const int split = ConnectTo(name);
    ASSERT_GE(idle, 0);
    ASSERT_GE(split, 0);
    ASSERT_EQ(::write(split, "acti", 4), 4);
    EXPECT_FALSE(WaitFor([&] { return activated > 0; }, 200));
    ASSERT_EQ(::write(split, "vate\n", 5), 5);
    ASSERT_TRUE(WaitFor([&] { return activated > 0; }));
    EXPECT_EQ(activated, 1);

    // Any other line asks for nothing; a long one without an end is cut off.
    const int talker = ConnectTo(name);
    ASSERT_GE(talker, 0);
    ASSERT_EQ(::write(talker, "raise\n", 6), 6);
    const std::string flood(200, 'x');
    ASSERT_EQ(::write(talker, flood.data(), flood.size()), static_cast<ssize_t>(flood.size()));
    char byte = 0;
    ASSERT_TRUE(WaitFor([&] { return ::recv(talker, &byte, 1, MSG_DONTWAIT) == 0; })) << "the peer was not dropped";
    EXPECT_EQ(activated, 1);

    // The listener still answers, the idle peer notwithstanding.
    CInstanceChecker second(name);
    EXPECT_TRUE(second.IsPreviousInstanceRunning());
    EXPECT_TRUE(second.ActivatePreviousInstance());
    ASSERT_TRUE(WaitFor([&] { return activated > 1; }));
    for (int fd : {idle, split, talker})
        ::close(fd);
}

TEST_F(InstanceChecker, WithoutANameThereIsNoCheckAndNothingBlocks)
{
    CInstanceChecker none{QString()};
    EXPECT_FALSE(none.IsPreviousInstanceRunning());
    EXPECT_FALSE(none.TrackFirstInstance());
    EXPECT_FALSE(none.IsNameTaken());
}

// The name lives only where no other user can hold, replace or reach it.
TEST_F(InstanceChecker, PrivateDirectoryIsTheRuntimeDirectoryOrAFolderOfTheUsersOwn)
{
    const uid_t uid = ::getuid();
    const std::string runtime = m_dir.File("runtime");
    const std::string temp = m_dir.File("tmp");
    fs::create_directory(runtime);
    fs::create_directory(temp);
    fs::permissions(runtime, fs::perms::owner_all);
    const QString tempDir = QString::fromStdString(temp);
    const QString own = QString::fromStdString(temp + "/kelvane-" + std::to_string(uid));

    EXPECT_EQ(CInstanceChecker::PrivateDirectory(runtime.c_str(), tempDir, uid), QString::fromStdString(runtime));

    struct Case {
        const char* what;
        const char* runtimeDirectory;
        fs::perms runtimeMode;
    };
    const Case fallbacks[] = {
        {"no runtime directory", nullptr, fs::perms::owner_all},
        {"a relative one", "runtime", fs::perms::owner_all},
        {"one that does not exist", "/nonexistent/kelvane-runtime", fs::perms::owner_all},
        {"one others may write", runtime.c_str(), fs::perms::all},
        {"one its group may write", runtime.c_str(), fs::perms::owner_all | fs::perms::group_write},
    };
    for (const Case& c : fallbacks) {
        fs::permissions(runtime, c.runtimeMode);
        EXPECT_EQ(CInstanceChecker::PrivateDirectory(c.runtimeDirectory, tempDir, uid), own) << c.what;
        struct stat status {};
        ASSERT_EQ(::lstat(own.toLocal8Bit().constData(), &status), 0) << c.what;
        EXPECT_EQ(status.st_mode & 0777, 0700u) << c.what;
    }

    // Someone else's: another user's directories are never used.
    fs::permissions(runtime, fs::perms::owner_all);
    EXPECT_TRUE(CInstanceChecker::PrivateDirectory(runtime.c_str(), tempDir, uid + 1).isEmpty());
}

TEST_F(InstanceChecker, AFolderInTheTemporaryDirectoryThatIsNotPrivateIsNotUsed)
{
    const uid_t uid = ::getuid();
    const std::string temp = m_dir.File("tmp");
    fs::create_directory(temp);
    const std::string own = temp + "/kelvane-" + std::to_string(uid);
    const QString tempDir = QString::fromStdString(temp);

    fs::create_directory(own);
    fs::permissions(own, fs::perms::all);
    EXPECT_TRUE(CInstanceChecker::PrivateDirectory(nullptr, tempDir, uid).isEmpty()) << "world-writable";
    EXPECT_EQ(fs::status(own).permissions(), fs::perms::all) << "left as found";

    fs::remove(own);
    fs::create_directory(m_dir.File("elsewhere"));
    fs::permissions(m_dir.File("elsewhere"), fs::perms::owner_all);
    fs::create_directory_symlink(m_dir.File("elsewhere"), own);
    EXPECT_TRUE(CInstanceChecker::PrivateDirectory(nullptr, tempDir, uid).isEmpty()) << "a symbolic link";
    EXPECT_TRUE(CInstanceChecker::PrivateDirectory(nullptr, QString(), uid).isEmpty()) << "no temporary directory";
}

}  // namespace
