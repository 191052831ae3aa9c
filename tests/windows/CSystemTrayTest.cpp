#include "windows/CPowerAwareTray.h"
#include "windows/CQtTrayHost.h"
#include "windows/CSystemTray.h"

#include "CScriptedTrayHost.h"
#include "support/QtTestApplication.h"

#include <QAction>
#include <QCursor>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QMenu>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using Mouse = ITrayHost::Mouse;

QDBusConnection NoBus() { return QDBusConnection(QStringLiteral("kelvane-tray-no-bus")); }

// Runs the event loop until done() or two seconds have passed.
bool WaitFor(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

struct SystemTray : ::testing::Test {
    QCoreApplication& application = QtTestApplication();  // before any widget

    // Keeps the commands the tray sends, in order, in commands.
    void RecordCommands(CSystemTray& tray)
    {
        QObject::connect(&tray, &CSystemTray::Command, &tray, [this](int id) { commands.push_back(id); });
    }

    CScriptedTrayHost host;
    QWidget window;
    std::vector<int> commands;
};

std::vector<std::pair<QString, bool>> MenuShape(QMenu& menu)
{
    std::vector<std::pair<QString, bool>> shape;
    for (QAction* action : menu.actions())
        shape.emplace_back(action->isSeparator() ? QStringLiteral("-") : action->text(), action->font().bold());
    return shape;
}

}  // namespace

TEST_F(SystemTray, WithoutATrayHostEveryIconOperationFailsCleanly)
{
    // The offscreen platform has no notification area.
    CQtTrayHost qtHost(NoBus());
    ASSERT_FALSE(qtHost.IsAvailable());
    CSystemTray tray(qtHost, [] { return false; });

    EXPECT_FALSE(tray.AddTrayIcon(&window, CSystemTray::IconFromImage(QImage()),
                                  CSystemTray::kTooltip, CSystemTray::kIconId));
    EXPECT_TRUE(tray.IsHidden());
    EXPECT_TRUE(tray.IsRemoved());
    EXPECT_TRUE(tray.IsReAddPending());  // comes when a tray host appears
    EXPECT_FALSE(tray.ReAddTrayIcon());
    EXPECT_TRUE(tray.IsRemoved());
    EXPECT_TRUE(qtHost.IconGeometry().isNull());

    // Nothing in the tray: deleting succeeds and nothing is wanted any more.
    EXPECT_TRUE(tray.DeleteTrayIcon());
    EXPECT_FALSE(tray.IsReAddPending());
    EXPECT_FALSE(tray.ReAddTrayIcon());

    // The window still goes away and comes back.
    window.show();
    EXPECT_TRUE(tray.AnimateToTray(window));
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(tray.AnimateFromTray(window));
    EXPECT_TRUE(window.isVisible());
}

TEST_F(SystemTray, MenuHasItsOrderAndShowsTheDefaultItemInBold)
{
    CSystemTray tray(host, [] { return false; });
    const std::vector<std::pair<QString, bool>> atStart = {
        {"&Show", true}, {"&Minimize", false}, {"&History", false}, {"-", false},
        {"&About", false},   {"-", false},         {"&Exit", false}};
    EXPECT_EQ(MenuShape(tray.Menu()), atStart);
    EXPECT_EQ(tray.Menu().defaultAction(), tray.Menu().actions()[0]);

    const std::vector<int> ids = {CSystemTray::kMaximize, CSystemTray::kMinimize, CSystemTray::kHistory, 0,
                                  CSystemTray::kAbout,    0,                      CSystemTray::kExit};
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] != 0) {
            EXPECT_EQ(tray.Menu().actions()[static_cast<int>(i)]->data().toInt(), ids[i]);
        }
    }

    ASSERT_TRUE(tray.SetDefaultMenuItem(CSystemTray::kExit, false));
    EXPECT_EQ(MenuShape(tray.Menu())[6], (std::pair<QString, bool>{"&Exit", true}));
    EXPECT_FALSE(MenuShape(tray.Menu())[0].second);

    // A separator or an unknown command is refused and changes nothing.
    EXPECT_FALSE(tray.SetDefaultMenuItem(3, true));
    EXPECT_FALSE(tray.SetDefaultMenuItem(7, true));
    EXPECT_FALSE(tray.SetDefaultMenuItem(40000, false));
    EXPECT_EQ(tray.DefaultCommand(), CSystemTray::kExit);
}

TEST_F(SystemTray, DoubleClickRunsMaximizeWhileInTheTrayAndMinimizeAfterwards)
{
    CSystemTray tray(host, [] { return false; });
    RecordCommands(tray);
    ASSERT_TRUE(tray.AddTrayIcon(&window, QIcon(), CSystemTray::kTooltip, CSystemTray::kIconId));
    window.show();

    // What the main window does on "&Minimize" and on "&Maximize".
    tray.AnimateToTray(window);
    tray.SetDefaultMenuItem(CSystemTray::kMaximize, false);
    EXPECT_FALSE(window.isVisible());
    host.Click(Mouse::LeftButtonDoubleClick);

    tray.AnimateFromTray(window);
    tray.SetDefaultMenuItem(CSystemTray::kMinimize, false);
    EXPECT_TRUE(window.isVisible());
    host.Click(Mouse::LeftButtonDoubleClick);

    EXPECT_EQ(commands, (std::vector<int>{CSystemTray::kMaximize, CSystemTray::kMinimize}));
    EXPECT_TRUE(MenuShape(tray.Menu())[1].second);
    EXPECT_FALSE(MenuShape(tray.Menu())[0].second);
}

TEST_F(SystemTray, MessagesForOtherIconsOrWithoutATargetAreIgnored)
{
    CSystemTray tray(host, [] { return false; });
    RecordCommands(tray);
    ASSERT_TRUE(tray.AddTrayIcon(nullptr, QIcon(), CSystemTray::kTooltip, CSystemTray::kIconId));
    EXPECT_EQ(tray.HandleTrayMessage(CSystemTray::kIconId, Mouse::LeftButtonDoubleClick), 0);

    ASSERT_TRUE(tray.AddTrayIcon(&window, QIcon(), CSystemTray::kTooltip, CSystemTray::kIconId));
    EXPECT_EQ(tray.HandleTrayMessage(7, Mouse::LeftButtonDoubleClick), 0);
    EXPECT_EQ(tray.HandleTrayMessage(CSystemTray::kIconId, Mouse::LeftButtonUp), 1);
    EXPECT_TRUE(commands.empty());
}

TEST_F(SystemTray, RightClickOpensTheMenuAtTheCursorAndItsItemsSendTheirCommands)
{
    CSystemTray tray(host, [] { return false; });
    RecordCommands(tray);
    ASSERT_TRUE(tray.AddTrayIcon(&window, QIcon(), CSystemTray::kTooltip, CSystemTray::kIconId));
    QCursor::setPos(400, 300);

    host.Click(Mouse::RightButtonUp);
    ASSERT_TRUE(tray.Menu().isVisible());
    EXPECT_TRUE(tray.Menu().geometry().contains(QCursor::pos()) ||
                tray.Menu().geometry().topLeft() == QCursor::pos());
    tray.Menu().actions()[2]->trigger();
    tray.Menu().actions()[4]->trigger();
    tray.Menu().actions()[6]->trigger();
    tray.Menu().hide();
    EXPECT_EQ(commands, (std::vector<int>{CSystemTray::kHistory, CSystemTray::kAbout, CSystemTray::kExit}));
}

TEST_F(SystemTray, AnAddedIconComesBackWhenTheTrayHostRestartsUntilItIsDeleted)
{
    CSystemTray tray(host, [] { return false; });
    ASSERT_TRUE(tray.AddTrayIcon(&window, QIcon(), CSystemTray::kTooltip, CSystemTray::kIconId));
    EXPECT_FALSE(tray.IsHidden());
    EXPECT_FALSE(tray.IsRemoved());

    host.StartTray();
    EXPECT_EQ(host.adds, 2);
    EXPECT_TRUE(host.IsShown());

    // A restart while no host can take it leaves the icon wanted.
    host.available = false;
    EXPECT_FALSE(tray.ReAddTrayIcon());
    EXPECT_TRUE(tray.IsRemoved());
    EXPECT_TRUE(tray.IsReAddPending());
    host.StartTray();
    EXPECT_TRUE(host.IsShown());
    EXPECT_FALSE(tray.IsHidden());

    EXPECT_TRUE(tray.DeleteTrayIcon());
    EXPECT_EQ(host.removes, 1);
    EXPECT_TRUE(tray.DeleteTrayIcon());  // already out: no second remove
    EXPECT_EQ(host.removes, 1);
    host.StartTray();
    EXPECT_FALSE(host.IsShown());
    EXPECT_EQ(host.adds, 4);
}

TEST_F(SystemTray, AnIconAddedBeforeAnyTrayHostAppearsWithTheFirstOne)
{
    host.available = false;
    CSystemTray tray(host, [] { return false; });
    EXPECT_FALSE(tray.AddTrayIcon(&window, QIcon(), CSystemTray::kTooltip, CSystemTray::kIconId));
    host.StartTray();
    EXPECT_TRUE(host.IsShown());
    EXPECT_FALSE(tray.IsRemoved());

    // An icon asked hidden is never put in.
    CScriptedTrayHost quiet;
    CSystemTray hidden(quiet, [] { return false; });
    EXPECT_TRUE(hidden.AddTrayIcon(&window, QIcon(), CSystemTray::kTooltip, CSystemTray::kIconId, true));
    quiet.StartTray();
    EXPECT_EQ(quiet.adds, 0);
    EXPECT_TRUE(hidden.IsHidden());
}

TEST_F(SystemTray, TooltipAndBalloonTextsAreCutWithoutSplittingACharacter)
{
    const struct {
        std::string text;
        std::size_t limit;
        std::string cut;
    } cases[] = {
        {"Kelvane - Right click on me!", 127, "Kelvane - Right click on me!"},
        {std::string(130, 'a'), 127, std::string(127, 'a')},
        {std::string(126, 'a') + "\xC3\xA9", 127, std::string(126, 'a')},  // é would straddle the limit
        {std::string(125, 'a') + "\xC3\xA9z", 127, std::string(125, 'a') + "\xC3\xA9"},
        {"\xE2\x82\xAC\xE2\x82\xAC", 4, "\xE2\x82\xAC"},
    };
    for (const auto& c : cases) EXPECT_EQ(CSystemTray::CutToBytes(c.text, c.limit), c.cut) << c.text;

    CSystemTray tray(host, [] { return false; });
    const std::string longTip(126, 'x');
    tray.AddTrayIcon(&window, QIcon(), longTip + "\xC3\xA9", CSystemTray::kIconId, false,
                     CSystemTray::Balloon{"Warm", "Kelvane", 2, 5});
    EXPECT_EQ(host.lastTooltip, QString::fromStdString(longTip));
    EXPECT_EQ(host.balloons, (std::vector<QString>{"Kelvane|Warm"}));
    host.StartTray();
    EXPECT_EQ(host.balloons.size(), 1u);  // a re-add shows no balloon
}

TEST_F(SystemTray, AnimatedMovesDoNotBlockAndLandTheWindow)
{
    CSystemTray tray(host, [] { return true; });
    window.resize(200, 120);
    window.show();

    tray.AnimateToTray(window);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(tray.IsAnimating());
    EXPECT_TRUE(WaitFor([&] { return !tray.IsAnimating(); }));

    tray.AnimateFromTray(window);
    EXPECT_FALSE(window.isVisible());  // still in flight
    EXPECT_TRUE(WaitFor([&] { return window.isVisible(); }));

    // A move into the tray cancels a move out still in flight.
    tray.AnimateToTray(window);
    tray.AnimateFromTray(window);
    tray.AnimateToTray(window);
    EXPECT_TRUE(WaitFor([&] { return !tray.IsAnimating(); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(SystemTray, TrayRectangleIsTheIconOrFollowsThePanel)
{
    const QRect screen(0, 0, 1920, 1080);
    EXPECT_EQ(CSystemTray::FindTrayRect(QRect(1800, 1050, 24, 24), screen, QRect(0, 0, 1920, 1044)),
              QRect(1800, 1050, 24, 24));
    // A panel at the left edge: a strip ending 16 px above its bottom.
    EXPECT_EQ(CSystemTray::FindTrayRect(QRect(), screen, QRect(48, 0, 1872, 1080)), QRect(0, 980, 48, 84));
    // No panel: the work area's corner.
    EXPECT_EQ(CSystemTray::FindTrayRect(QRect(), screen, screen), QRect(1770, 1050, 150, 30));
}

TEST(QtTrayHost, ClicksMeanWhatTheKindOfTrayHostMeans)
{
    const struct {
        QSystemTrayIcon::ActivationReason reason;
        bool statusNotifier;
        Mouse mouse;
    } cases[] = {
        {QSystemTrayIcon::Context, false, Mouse::RightButtonUp},
        {QSystemTrayIcon::Context, true, Mouse::RightButtonUp},
        {QSystemTrayIcon::DoubleClick, false, Mouse::LeftButtonDoubleClick},
        {QSystemTrayIcon::Trigger, false, Mouse::LeftButtonUp},
        {QSystemTrayIcon::Trigger, true, Mouse::LeftButtonDoubleClick},
        {QSystemTrayIcon::MiddleClick, true, Mouse::MiddleButtonUp},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CQtTrayHost::MouseFromActivation(c.reason, c.statusNotifier), c.mouse) << int(c.reason);
}

TEST_F(SystemTray, PowerNoticesReachTheMainWindowAsPowerCodes)
{
    CPowerAwareTray tray(host, NoBus(), [] { return false; });
    EXPECT_FALSE(tray.IsListeningForPower());
    std::vector<int> codes;
    QObject::connect(&tray, &CPowerAwareTray::PowerBroadcast, &tray, [&](int code) { codes.push_back(code); });
    tray.PowerEvents().OnPrepareForSleep(true);
    tray.PowerEvents().OnPrepareForSleep(false);
    EXPECT_EQ(codes, (std::vector<int>{CPowerAwareTray::kSuspend, CPowerAwareTray::kResume}));
}

TEST(QtTrayHost, AfterAFailedAddTheAvailabilityPollSlowsDownAfterAMinute)
{
    // A panel that starts just after the program is found within 3 s; a
    // desktop without any notification area is asked only twice a minute.
    const struct {
        qint64 sinceFailedAdd;
        int nextPoll;
    } cases[] = {
        {0, 3000}, {2999, 3000}, {59999, 3000}, {60000, 30000}, {3600000, 30000},
    };
    for (const auto& c : cases) EXPECT_EQ(CQtTrayHost::NextPollMs(c.sinceFailedAdd), c.nextPoll) << c.sinceFailedAdd;
}
