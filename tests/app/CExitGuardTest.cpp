#include "app/CExitGuard.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QWidget>

#include "CPrivateBus.h"
#include "app/CAutomationService.h"
#include "support/QtTestApplication.h"

namespace {

bool Call(QDBusConnection& client, const char* method)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(
        CAutomationService::kServiceName, CAutomationService::kObjectPath, CAutomationService::kServiceName, method);
    QDBusPendingCall pending = client.asyncCall(call);
    return CPrivateBus::SpinUntil([&] { return pending.isFinished(); }) && !pending.isError();
}

}  // namespace

// A client's hold refuses the close and hides the window; only a close that
// was refused ends the program when the last client lets go, and only once.
TEST(ExitGuard, ARefusedCloseEndsOnceWhenTheLastClientLetsGo)
{
    QtTestApplication();
    CPrivateBus bus;
    if (!bus.IsRunning()) GTEST_SKIP() << "no dbus-daemon to run a private bus";
    CAutomationService service(bus.Connect("service"));
    ASSERT_TRUE(service.Register());
    QWidget window;
    int ends = 0;
    CExitGuard guard(window, [&] { ++ends; });
    EXPECT_TRUE(guard.CanExit()) << "without a service nothing holds the program";
    guard.SetService(&service);

    QDBusConnection client = bus.Connect("client");
    // Held and let go without a close in between: nothing ends.
    ASSERT_TRUE(Call(client, "Attach"));
    ASSERT_TRUE(Call(client, "Release"));
    CPrivateBus::SpinFor(50);
    EXPECT_EQ(ends, 0);

    window.show();
    ASSERT_TRUE(Call(client, "Attach"));
    EXPECT_FALSE(guard.CanExit());
    EXPECT_FALSE(window.isVisible()) << "a refused close hides the window";
    EXPECT_EQ(ends, 0);
    ASSERT_TRUE(Call(client, "Release"));
    EXPECT_TRUE(CPrivateBus::SpinUntil([&] { return ends == 1; }));

    // A later hold and release, with no close refused since: no second end.
    ASSERT_TRUE(Call(client, "Attach"));
    ASSERT_TRUE(Call(client, "Release"));
    CPrivateBus::SpinFor(50);
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(guard.CanExit());
}
