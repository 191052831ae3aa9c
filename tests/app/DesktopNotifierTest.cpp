// The desktop notifier against a notification server of its own on a
// private bus: ids come back asynchronously and are used to replace and
// withdraw, and the urgency and expiry are what the caller asked.
#include "windows/CDBusNotifier.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <vector>

#include "CPrivateBus.h"
#include "support/QtTestApplication.h"

namespace {

class CFakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct SCall {
        uint replacesId;
        QString summary, body;
        int urgency;
        int expireMs;
    };
    std::vector<SCall> calls;
    std::vector<uint> closed;

public Q_SLOTS:
    uint Notify(const QString&, uint replacesId, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap& hints, int expireMs)
    {
        calls.push_back({replacesId, summary, body, hints.value(QStringLiteral("urgency")).toInt(), expireMs});
        return replacesId != 0 ? replacesId : m_nextId++;
    }
    void CloseNotification(uint id) { closed.push_back(id); }

private:
    uint m_nextId = 7;
};

TEST(DesktopNotifier, AKeyedNotificationIsReplacedAndWithdrawnByTheIdTheServerGave)
{
    QtTestApplication();
    CPrivateBus bus;
    if (!bus.IsRunning()) GTEST_SKIP() << "no dbus-daemon";
    QDBusConnection serverBus = bus.Connect(QStringLiteral("server"));
    CFakeNotificationServer server;
    ASSERT_TRUE(serverBus.registerObject(QString::fromLatin1(CDBusNotifier::kPath), &server,
                                         QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(serverBus.registerService(QString::fromLatin1(CDBusNotifier::kService)));

    CDBusNotifier notifier(bus.Connect(QStringLiteral("client")));
    notifier.Show(QStringLiteral("alarm-10"), "Kelvane alarm: CPU", "CPU 75.0 C", false, 10000);
    // A second change before the server has answered waits for the id.
    notifier.Show(QStringLiteral("alarm-10"), "Kelvane alarm: CPU", "CPU 77.0 C", true, 0);
    ASSERT_TRUE(CPrivateBus::SpinUntil([&] { return server.calls.size() == 2; }));
    EXPECT_EQ(server.calls[0].replacesId, 0u);
    EXPECT_EQ(server.calls[0].urgency, 1);
    EXPECT_EQ(server.calls[0].expireMs, 10000);
    EXPECT_EQ(server.calls[1].replacesId, 7u);
    EXPECT_EQ(server.calls[1].body, "CPU 77.0 C");
    EXPECT_EQ(server.calls[1].urgency, 2);
    EXPECT_EQ(server.calls[1].expireMs, 0);
    ASSERT_TRUE(CPrivateBus::SpinUntil([&] { return notifier.IdOf(QStringLiteral("alarm-10")) == 7u; }));

    // Another key is another bubble; a withdrawal closes the right one.
    notifier.Show(QStringLiteral("alarm-1"), "Kelvane alarm: VTT", "VTT 1.40 V", false, 10000);
    ASSERT_TRUE(CPrivateBus::SpinUntil([&] { return notifier.IdOf(QStringLiteral("alarm-1")) == 8u; }));
    notifier.Withdraw(QStringLiteral("alarm-10"));
    ASSERT_TRUE(CPrivateBus::SpinUntil([&] { return !server.closed.empty(); }));
    EXPECT_EQ(server.closed, std::vector<uint>{7u});
    EXPECT_EQ(notifier.IdOf(QStringLiteral("alarm-10")), 0u);
    // A one-off notification never replaces a keyed one.
    notifier.Notify("Kelvane: alert mail not sent", "msmtp: cannot connect", false);
    ASSERT_TRUE(CPrivateBus::SpinUntil([&] { return server.calls.size() == 4; }));
    EXPECT_EQ(server.calls[3].replacesId, 0u);
}

}  // namespace

#include "DesktopNotifierTest.moc"
