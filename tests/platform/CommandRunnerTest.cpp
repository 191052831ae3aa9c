// The bounded command runner, on harmless programs (sh, cat) only.
#include "platform/CCommandRunner.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "support/CTempDir.h"

namespace {

using namespace std::chrono_literals;

bool ProcessExists(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

TEST(CommandRunnerTest, ReportsStatusErrorsAndInput) {
    CTempDir dir;
    const std::string copy = dir.File("copy");
    struct Case {
        std::vector<std::string> argv;
        std::string input;
        int status;
        bool started;
        std::string errorLine;
    };
    const Case cases[] = {
        {{"sh", "-c", "exit 3"}, "", 3, true, ""},
        {{"sh", "-c", "echo '  Operation inhibited by GNOME  ' >&2; echo second >&2; exit 1"}, "", 1, true,
         "Operation inhibited by GNOME"},
        {{"sh", "-c", "cat > " + copy}, std::string(300000, 'x'), 0, true, ""},
        // A program that does not read its input still reports its status.
        {{"sh", "-c", "exit 0"}, std::string(300000, 'y'), 0, true, ""},
        {{"kelvane-no-such-program"}, "", -1, false, ""},
        {{}, "", -1, false, ""},
    };
    for (const Case& c : cases) {
        const CCommandRunner::SOutcome outcome = CCommandRunner::Run(c.argv, c.input, 10s);
        EXPECT_EQ(outcome.status, c.status) << (c.argv.empty() ? "" : c.argv.back());
        EXPECT_EQ(outcome.started, c.started);
        EXPECT_FALSE(outcome.timedOut);
        EXPECT_EQ(CCommandRunner::FirstLine(outcome.errorText), c.errorLine);
    }
    EXPECT_EQ(CTempDir::Read(copy), std::string(300000, 'x'));
}

TEST(CommandRunnerTest, AProgramPastItsTimeIsEndedByItsPid) {
    CTempDir dir;
    const std::string pidFile = dir.File("pid");
    // The stand-in records its pid and then hangs, as a sendmail waiting for
    // a server out of reach does; it ignores SIGTERM, so SIGKILL must follow.
    const CCommandRunner::SOutcome outcome = CCommandRunner::Run(
        {"sh", "-c", "trap '' TERM; echo $$ > " + pidFile + "; while :; do sleep 1; done"}, "", 300ms);
    EXPECT_TRUE(outcome.started);
    EXPECT_TRUE(outcome.timedOut);
    EXPECT_EQ(outcome.status, -1);
    const pid_t pid = static_cast<pid_t>(std::stol(CTempDir::Read(pidFile)));
    EXPECT_FALSE(ProcessExists(pid));
}

}  // namespace
