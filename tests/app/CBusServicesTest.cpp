#include "app/CAutomationService.h"
#include "app/CPowerEventHandler.h"
#include "windows/CPowerEvents.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusUnixFileDescriptor>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "CPrivateBus.h"
#include "support/QtTestApplication.h"

namespace {

QDBusConnection NoBus()
{
    return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/kelvane-bus"),
                                         QStringLiteral("kelvane-no-bus"));
}

TEST(AutomationClients, CloseIsRefusedAndTheWindowHiddenWhileAProxyIsHeld)
{
    CAutomationClients clients;
    int hides = 0;
    const auto hide = [&] { ++hides; };
    EXPECT_TRUE(clients.CanExit(hide));
    EXPECT_EQ(hides, 0);

    clients.Attach(":1.7");
    clients.Attach(":1.7");
    clients.Attach(":1.9");
    EXPECT_FALSE(clients.CanExit(hide));
    EXPECT_EQ(hides, 1);

    EXPECT_TRUE(clients.Release(":1.7"));
    EXPECT_TRUE(clients.Vanished(":1.9"));
    EXPECT_FALSE(clients.CanExit(hide)) << ":1.7 still holds one of its two";
    EXPECT_TRUE(clients.Release(":1.7"));
    EXPECT_FALSE(clients.Release(":1.7"));
    EXPECT_FALSE(clients.Vanished(":1.9"));
    EXPECT_TRUE(clients.CanExit(hide));
    EXPECT_EQ(hides, 2);
}

TEST(BusServices, WithoutABusThereIsNoServiceNoClientAndNoPowerEvent)
{
    QtTestApplication();
    CAutomationService service(NoBus());
    EXPECT_FALSE(service.Register());
    EXPECT_TRUE(service.CanExit([] { FAIL() << "nothing to hide for"; }));

    int relayed = 0;
    CPowerEvents events(NoBus(), [&](int) { ++relayed; });
    EXPECT_FALSE(events.IsListening());
    QDBusConnection::disconnectFromBus(QStringLiteral("kelvane-no-bus"));
}

class BusServicesOnPrivateBus : public ::testing::Test {
protected:
    void SetUp() override
    {
        QtTestApplication();
        if (!m_bus.IsRunning()) GTEST_SKIP() << "no dbus-daemon to run a private bus";
    }
    static bool Call(QDBusConnection& client, const char* method)
    {
        const QDBusMessage call = QDBusMessage::createMethodCall(
            CAutomationService::kServiceName, CAutomationService::kObjectPath, CAutomationService::kServiceName, method);
        QDBusPendingCall pending = client.asyncCall(call);
        return CPrivateBus::SpinUntil([&] { return pending.isFinished(); }) && !pending.isError();
    }

    CPrivateBus m_bus;
};

TEST_F(BusServicesOnPrivateBus, AClientHoldsTheProxyUntilItReleasesOrLeaves)
{
    CAutomationService service(m_bus.Connect("service"));
    ASSERT_TRUE(service.Register());
    std::vector<bool> changes;
    QObject::connect(&service, &CAutomationService::proxyAttachmentChanged,
                     [&](bool attached) { changes.push_back(attached); });

    {
        // The connection closes only when its last handle is gone.
        QDBusConnection client = m_bus.Connect("client");
        ASSERT_TRUE(Call(client, "Attach"));
        EXPECT_TRUE(service.IsProxyAttached());
        int hides = 0;
        EXPECT_FALSE(service.CanExit([&] { ++hides; }));
        EXPECT_EQ(hides, 1);

        ASSERT_TRUE(Call(client, "Release"));
        EXPECT_TRUE(service.CanExit([&] { ++hides; }));

        ASSERT_TRUE(Call(client, "Attach"));
    }
    m_bus.Disconnect("client");
    EXPECT_TRUE(CPrivateBus::SpinUntil([&] { return !service.IsProxyAttached(); }))
        << "a client that leaves the bus lets go of the proxy";
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true, false}));
}

TEST_F(BusServicesOnPrivateBus, ASecondServerCannotTakeTheName)
{
    CAutomationService first(m_bus.Connect("first"));
    CAutomationService second(m_bus.Connect("second"));
    EXPECT_TRUE(first.Register());
    EXPECT_FALSE(second.Register());
}

TEST_F(BusServicesOnPrivateBus, LoginManagerSleepSignalsAreRelayedAsSuspendAndResume)
{
    std::vector<int> codes;
    CPowerEvents events(m_bus.Connect("listener"), [&](int code) { codes.push_back(code); });
    ASSERT_TRUE(events.IsListening());

    QDBusConnection manager = m_bus.Connect("manager");
    ASSERT_TRUE(manager.registerService("org.freedesktop.login1"));
    for (const bool sleeping : {true, false}) {
        QDBusMessage signal = QDBusMessage::createSignal("/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                                         "PrepareForSleep");
        signal << sleeping;
        ASSERT_TRUE(manager.send(signal));
    }
    // A look-alike from a peer that does not own the login manager's name.
    QDBusConnection impostor = m_bus.Connect("impostor");
    QDBusMessage fake =
        QDBusMessage::createSignal("/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
    fake << true;
    impostor.send(fake);

    EXPECT_TRUE(CPrivateBus::SpinUntil([&] { return codes.size() >= 2; }));
    CPrivateBus::SpinFor(200);  // time for a stray signal to arrive
    EXPECT_EQ(codes, (std::vector<int>{CPowerEvents::kSuspend, CPowerEvents::kResume}));
}

// The login manager's Inhibit on its own thread (the engine side blocks on
// the call): each lock is the write end of a pipe whose read end the test
// keeps, so the lock's release shows as the end of the pipe.
class FakeLoginManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    ~FakeLoginManager() override
    {
        for (const int fd : readEnds) ::close(fd);
    }
    // True when every copy of lock n's descriptor is closed.
    bool Released(int n) const
    {
        pollfd end{readEnds.at(n), POLLIN, 0};
        return ::poll(&end, 1, 0) == 1 && (end.revents & POLLHUP) != 0;
    }
    std::vector<int> readEnds;
    QStringList requests;

public Q_SLOTS:
    Q_SCRIPTABLE QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                                 const QString& mode)
    {
        requests << what + "|" + who + "|" + mode;
        Q_UNUSED(why);
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) return {};
        readEnds.push_back(ends[0]);
        const QDBusUnixFileDescriptor lock(ends[1]);  // keeps a duplicate
        ::close(ends[1]);
        return lock;
    }
};

TEST_F(BusServicesOnPrivateBus, ASleepDelayIsHeldWhileAwakeAndLetGoOnceSuspendIsRelayed)
{
    QThread managerThread;
    FakeLoginManager manager;
    manager.moveToThread(&managerThread);
    managerThread.start();
    {
        QDBusConnection managerBus = m_bus.Connect("manager");
        ASSERT_TRUE(managerBus.registerService("org.freedesktop.login1"));
        ASSERT_TRUE(managerBus.registerObject("/org/freedesktop/login1", &manager,
                                              QDBusConnection::ExportScriptableSlots));

        std::vector<int> codes;
        bool lockHeldAtSuspend = false;
        CPowerEvents* events = nullptr;
        CPowerEvents power(m_bus.Connect("listener"), [&](int code) {
            codes.push_back(code);
            if (code == CPowerEvents::kSuspend) lockHeldAtSuspend = events->HoldsSleepDelay() && !manager.Released(0);
        });
        events = &power;
        ASSERT_TRUE(power.HoldsSleepDelay());
        ASSERT_EQ(manager.requests, QStringList{"sleep|Kelvane|delay"});
        EXPECT_FALSE(manager.Released(0));

        power.OnPrepareForSleep(true);
        EXPECT_TRUE(lockHeldAtSuspend) << "the suspend steps run before the lock goes";
        EXPECT_TRUE(CPrivateBus::SpinUntil([&] { return manager.Released(0); }));

        power.OnPrepareForSleep(false);
        EXPECT_EQ(codes, (std::vector<int>{CPowerEvents::kSuspend, CPowerEvents::kResume}));
        EXPECT_EQ(manager.requests.size(), 2) << "a new lock after the resume";
        EXPECT_TRUE(power.HoldsSleepDelay());
        managerBus.unregisterObject("/org/freedesktop/login1");
    }
    managerThread.quit();
    managerThread.wait();
}

class FakeEngine {
public:
    void RememberSettings() { calls += "remember;"; }
    void RestoreSettings() { calls += "restore;"; }
    void UpdateAll() { calls += "update;"; }
    void SetGlobalBeep(bool on) { calls += on ? "beep on;" : "beep off;"; }
    std::string calls;
};

TEST(PowerEventHandler, SuspendSilencesAndResumeRestoresInOrder)
{
    FakeEngine engine;
    EXPECT_TRUE(CPowerEventHandler::Handle(engine, CPowerEvents::kSuspend));
    EXPECT_EQ(engine.calls, "remember;beep off;");
    engine.calls.clear();
    EXPECT_TRUE(CPowerEventHandler::Handle(engine, CPowerEvents::kResume));
    EXPECT_EQ(engine.calls, "restore;update;beep on;");
    engine.calls.clear();
    EXPECT_FALSE(CPowerEventHandler::Handle(engine, 10));
    EXPECT_EQ(engine.calls, "");
}

}  // namespace

#include "CBusServicesTest.moc"
