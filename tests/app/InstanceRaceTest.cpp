#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/QtTestApplication.h"
#include "tests/app/CTestProgram.h"

namespace {

// A copy started at the same moment has taken the single-instance lock but
// does not listen yet: it cannot be reached, yet the name is no longer free.
TEST(InstanceRace, ACopyThatLosesTheNameEndsBeforeItBuildsAWindowOrAnEngine)
{
    QtTestApplication();
    CTestProgram program;
    const std::string name = program.InstanceName() + "-race";
    const int holder = ::open((name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

    {
        CKelvaneApp app = program.MakeApp(name);
        EXPECT_EQ(app.CreateMainWindow(), nullptr);
        EXPECT_TRUE(app.HandedOff());
    }
    EXPECT_EQ(program.Exits(), std::vector<int>{0});
    EXPECT_EQ(program.Loader().Opens(), 0) << "the losing copy must not reach the chip";
    ::close(holder);

    // With the name free again the same start is the first copy.
    CKelvaneApp app = program.MakeApp(name);
    EXPECT_NE(app.CreateMainWindow(), nullptr);
    EXPECT_FALSE(app.HandedOff());
}

}  // namespace
