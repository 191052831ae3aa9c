#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/QtTestApplication.h"
#include "tests/app/CTestProgram.h"

namespace {

// A copy started at the same moment has bound the single-instance name but
// does not listen yet: it cannot be reached, yet the name is no longer free.
TEST(InstanceRace, ACopyThatLosesTheNameEndsBeforeItBuildsAWindowOrAnEngine)
{
    QtTestApplication();
    CTestProgram program;
    const std::string name = program.InstanceName() + "-race";
    const int holder = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(holder, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    ASSERT_LT(name.size() + 1, sizeof(address.sun_path));
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    ASSERT_EQ(::bind(holder, reinterpret_cast<const sockaddr*>(&address), length), 0);

    {
        CKelvaneApp app = program.MakeApp(name);
        EXPECT_EQ(app.CreateMainWindow(), nullptr);
    }
    EXPECT_EQ(program.Exits(), std::vector<int>{0});
    EXPECT_EQ(program.Loader().Opens(), 0) << "the losing copy must not reach the chip";
    ::close(holder);

    // With the name free again the same start is the first copy.
    CKelvaneApp app = program.MakeApp(name);
    EXPECT_NE(app.CreateMainWindow(), nullptr);
}

}  // namespace
