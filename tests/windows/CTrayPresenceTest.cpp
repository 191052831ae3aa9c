#include "windows/CTrayPresence.h"

#include "CScriptedTrayHost.h"
#include "support/QtTestApplication.h"
#include "windows/CSystemTray.h"
#include "windows/CUserPreferences.h"
#include "windows/CWindowPlacement.h"

#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

// Each tray command does its own thing and nothing else; the exit takes the
// icon out at once but closes only after the menu has finished.
TEST(TrayPresence, EachCommandDoesItsOwnThingAndExitClosesOneTurnLater)
{
    QtTestApplication();
    struct Case {
        int command;
        const char* done;  // the callbacks run before the event loop turns
        bool inTray;
        int defaultCommand;
    };
    const Case cases[] = {
        {CSystemTray::kMinimize, "", true, CSystemTray::kMaximize},
        {CSystemTray::kMaximize, "", false, CSystemTray::kMinimize},
        {CSystemTray::kHistory, "history", false, CSystemTray::kMaximize},
        {CSystemTray::kAbout, "about", false, CSystemTray::kMaximize},
        {CSystemTray::kExit, "", false, CSystemTray::kMaximize},
        {40000, "", false, CSystemTray::kMaximize},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        CScriptedTrayHost host;
        CSystemTray tray(host, [] { return false; });
        QWidget window;
        CUserPreferences prefs;
        CWindowPlacement placement(window, prefs);
        std::string done;
        CTrayPresence presence(window, tray, placement,
                               {[&] { done += "history"; }, [&] { done += "about"; }, [&] { done += "close"; }});
        ASSERT_TRUE(tray.AddTrayIcon(&window, QIcon(), CSystemTray::kTooltip, CSystemTray::kIconId));
        window.show();

        presence.OnCommand(c.command);
        EXPECT_EQ(done, c.done);
        EXPECT_EQ(presence.IsInTray(), c.inTray);
        EXPECT_EQ(window.isVisible(), !c.inTray);
        EXPECT_EQ(tray.DefaultCommand(), c.defaultCommand);
        EXPECT_EQ(host.IsShown(), c.command != CSystemTray::kExit);
        QCoreApplication::processEvents();
        EXPECT_EQ(done, std::string(c.done) + (c.command == CSystemTray::kExit ? "close" : ""));
    }
}
