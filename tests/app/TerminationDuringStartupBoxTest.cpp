#include <signal.h>
#include <unistd.h>

#include <string>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/CKelvaneApp.h"
#include "app/CTerminationSignals.h"
#include "platform/IMessageBox.h"
#include "support/QtTestApplication.h"
#include "tests/app/CTestProgram.h"

namespace {

// A modal box as the real one behaves: its own event loop until it is
// answered, or until the application's quit ends every loop. The signal
// arrives while it is up.
class CSignalledModalBox : public IMessageBox {
public:
    int Show(const std::string& text, const std::string&, unsigned) override
    {
        shown.push_back(text);
        QEventLoop loop;
        // An unanswered box: only a quit (or this test's guard) ends it.
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        QTimer::singleShot(0, [] { ::kill(::getpid(), SIGUSR2); });
        boxLoopResult = loop.exec();
        return MessageBoxResult::kOk;
    }
    std::vector<std::string> shown;
    int boxLoopResult = -1;
};

// Log-out or Ctrl+C while a start-up box (here the failed mail log-on's)
// waits for an answer must end the program, not leave it in an event loop
// that no quit will ever reach.
TEST(TerminationDuringStartupBox, ASignalWhileTheBoxIsUpEndsTheProgram)
{
    QtTestApplication();
    std::string rootIni = CTestProgram::kDefaultRootIni;
    const std::string mailOff = "EMailEnable=0\nEMailAddr=\n";
    rootIni.replace(rootIni.find(mailOff), mailOff.size(), "EMailEnable=1\nEMailAddr=ops@example.org\n");
    CTestProgram program(rootIni);
    program.Mailer().logonResult = 2;
    CSignalledModalBox box;
    const CKelvaneDlgSeams base = program.WindowSeams();
    const CEngineSeams& engine = base.engine;
    CKelvaneDlgSeams seams{
        CEngineSeams{engine.loader, engine.lock, box, engine.profile, engine.registry, engine.clock, engine.powerOff,
                     engine.programDirectory},
        base.shell, base.mailer, base.localTime, base.languageCode, base.boardName, base.sessionBus,
        base.systemBus, base.suiteLink, base.cpuClock, base.autostartDirectory};

    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before = {};
    ASSERT_EQ(::sigaction(SIGUSR2, &ignore, &before), 0);
    int status = -1;
    bool ended = false;
    {
        CTerminationSignals termination({SIGUSR2});
        ASSERT_TRUE(termination.IsInstalled());
        CKelvaneDlg window(seams);
        // Were the program to reach its event loop, only this guard would end it.
        QTimer::singleShot(5000, &window, [] { QCoreApplication::exit(99); });
        status = CKelvaneApp::RunMainWindow(window, false, termination);
        ended = window.IsEnded();
    }
    ASSERT_EQ(::sigaction(SIGUSR2, &before, nullptr), 0);

    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.boxLoopResult, 0) << "the box's loop ended by the quit, not by the guard";
    EXPECT_TRUE(ended);
    EXPECT_EQ(status, 0) << "the program returned without entering an event loop that never ends";
}

}  // namespace
